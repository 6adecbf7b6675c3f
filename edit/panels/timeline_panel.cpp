// timeline_panel.cpp - the timeline: scene end handles, the music under the scenes, the marks over them,
// and the line under it.
#include "edit/panels/timeline_panel.h"

#include <cmath>
#include <cstdio>
#include <imgui.h>

#include "audio/music.h"
#include "data/scene_build.h"
#include "director/demo_clock.h"
#include "edit/panels/panel_kit.h"

namespace {

const ImU32 kSceneColours[2] = {IM_COL32(60, 80, 110, 255), IM_COL32(80, 100, 135, 255)};
const ImU32 kLoopColour = IM_COL32(90, 200, 120, 90);
const ImU32 kBarColour = IM_COL32(255, 255, 255, 120);
const ImU32 kBeatColour = IM_COL32(255, 255, 255, 45);
const ImU32 kEnergyColour = IM_COL32(150, 190, 240, 80);
const ImU32 kShiftColour = IM_COL32(255, 110, 90, 255);
const ImU32 kOrderColour = IM_COL32(200, 200, 200, 255);
constexpr float kHeight = 46;

// Where the timeline lies on screen.
struct Strip {
    ImVec2 at;
    float width;
    float x(double frame) const { return at.x + (float)(frame / (kShowFrameCount - 1) * width); }
    // The frame under the mouse's x.
    int32_t frameAt(float mouseX) const {
        const float t = (mouseX - at.x) / width;
        return (int32_t)std::lround((t < 0 ? 0 : t > 1 ? 1 : t) * (kShowFrameCount - 1));
    }
};

// The handles at the scenes' ends (the last scene ends with the show): dragged, snapping to bars
// (Shift: to frames); the length is asked for when the mouse lets go. Submitted before the timeline
// itself so that they take the mouse over it.
void sceneEndHandles(const TimelineInput& in, const Strip& strip, TimelineAsk& ask) {
    if (!in.edits || !in.lengths) return;
    TimelineState& own = *in.own;
    int32_t starts[kSceneCount + 1];
    sceneStarts(in.scenes->scenes, starts);
    for (int k = 0; k < kLastScene; ++k) {
        ImGui::SetCursorScreenPos(ImVec2(strip.x(starts[k + 1]) - 3, strip.at.y + 12));
        ImGui::PushID(k);
        ImGui::InvisibleButton("end", ImVec2(6, kHeight - 12));
        if (ImGui::IsItemHovered() || ImGui::IsItemActive()) ImGui::SetMouseCursor(ImGuiMouseCursor_ResizeEW);
        if (ImGui::IsItemActive() && ImGui::IsMouseDragging(ImGuiMouseButton_Left)) { // a click is no drag
            const int32_t frame = strip.frameAt(ImGui::GetIO().MousePos.x);
            own.dragging = true;
            own.scene = k;
            own.end = ImGui::GetIO().KeyShift ? frame : snapToBar(frame);
            if (own.end <= starts[k]) own.end = starts[k] + 1;
        }
        if (ImGui::IsItemDeactivated() && own.dragging && own.scene == k) {
            if (own.end != starts[k + 1]) ask.length = true, ask.scene = k, ask.frames = own.end - starts[k];
            own.dragging = false;
        }
        ImGui::PopID();
    }
}

// The music under the scenes: its loudness per pixel column, its bars and (where there is room) beats.
void musicGrid(ImDrawList* draw, const Strip& strip, const float* energy) {
    const ImVec2 at = strip.at;
    if (energy) {
        float peak = 1e-6f;
        for (int f = 0; f < kShowFrameCount; ++f) peak = energy[f] > peak ? energy[f] : peak;
        const int columns = (int)strip.width;
        for (int c = 0; c < columns; ++c) {
            const int f0 = c * kShowFrameCount / columns, f1 = (c + 1) * kShowFrameCount / columns;
            float most = 0;
            for (int f = f0; f < f1 || f == f0; ++f) most = energy[f] > most ? energy[f] : most;
            const float top = at.y + kHeight - (kHeight - 14) * most / peak;
            const float x = at.x + c + 0.5f;
            draw->AddLine(ImVec2(x, at.y + kHeight), ImVec2(x, top), kEnergyColour);
        }
    }
    const bool beats = strip.width / (kShowFrameCount / kBarFrames) > 16; // pixels a bar
    for (int32_t bar = 0; barFrame(bar) < kShowFrameCount; ++bar) {
        const float x = strip.x(barFrame(bar));
        draw->AddLine(ImVec2(x, at.y + 12), ImVec2(x, at.y + kHeight), kBarColour);
        for (int b = 1; b < 4 && beats; ++b) {
            const float xb = strip.x(barFrame(bar) + std::lround(b * kBeatFrames));
            draw->AddLine(ImVec2(xb, at.y + 12), ImVec2(xb, at.y + kHeight), kBeatColour);
        }
    }
}

// Each scene's block and label; a start the length changes moved is marked, with by how many frames.
void sceneBlocks(const TimelineInput& in, ImDrawList* draw, const Strip& strip) {
    const SceneSet& scenes = *in.scenes;
    const ImVec2 at = strip.at;
    for (int scene = 0; scene < kSceneCount; ++scene) {
        const int32_t first = sceneFirstFrame(scene, scenes.scenes);
        const float x0 = strip.x(first), x1 = strip.x(first + scenes.scenes.scenes[scene].duration);
        draw->AddRectFilled(ImVec2(x0, at.y + 12), ImVec2(x1, at.y + kHeight), kSceneColours[scene % 2]);
    }
    musicGrid(draw, strip, in.energy);
    for (int scene = 0; scene < kSceneCount; ++scene) {
        const int32_t first = sceneFirstFrame(scene, scenes.scenes);
        const float x0 = strip.x(first), x1 = strip.x(first + scenes.scenes.scenes[scene].duration);
        char label[48];
        std::snprintf(label, sizeof label, "%d %s", scene, scenes.names[scene].name);
        draw->PushClipRect(ImVec2(x0, at.y), ImVec2(x1, at.y + kHeight), true);
        draw->AddText(ImVec2(x0 + 3, at.y + 20), IM_COL32_WHITE, label);
        draw->PopClipRect();
        const int32_t shift = in.lengths ? sceneShift(*in.lengths, scenes.scenes, scene) : 0;
        if (shift) {
            draw->AddTriangleFilled(ImVec2(x0 - 5, at.y + 12), ImVec2(x0 + 5, at.y + 12),
                                    ImVec2(x0, at.y + 20), kShiftColour);
            draw->AddLine(ImVec2(x0, at.y + 12), ImVec2(x0, at.y + kHeight), kShiftColour, 2);
            std::snprintf(label, sizeof label, "%+d", shift);
            draw->AddText(ImVec2(x0 + 3, at.y + kHeight - 15), kShiftColour, label);
        }
    }
}

// Over the scenes: the module's orders as ticks along the top (every fourth taller), the loop, where
// a dragged end lands, the play head.
void marks(const TimelineInput& in, ImDrawList* draw, const Strip& strip) {
    const EditState& s = *in.state;
    const ImVec2 at = strip.at;
    for (int order = 0; order < musicOrderCount(); ++order) {
        const float x = strip.x(musicOrderStartMs(order) * 100.0 / kFramePeriodCentiMs);
        if (x > at.x + strip.width) break;
        draw->AddLine(ImVec2(x, at.y), ImVec2(x, at.y + (order % 4 ? 6.0f : 11.0f)), kOrderColour);
    }
    if (s.looping)
        draw->AddRectFilled(ImVec2(strip.x(s.loopStart), at.y), ImVec2(strip.x(s.loopEnd), at.y + kHeight),
                            kLoopColour);
    if (in.own->dragging) {
        const float x = strip.x(in.own->end);
        draw->AddLine(ImVec2(x, at.y), ImVec2(x, at.y + kHeight), IM_COL32_WHITE, 2);
        char label[48];
        std::snprintf(label, sizeof label, "%d frames",
                      in.own->end - sceneFirstFrame(in.own->scene, in.scenes->scenes));
        draw->AddText(ImVec2(x + 4, at.y), IM_COL32_WHITE, label);
    }
    const float head = strip.x(editFrame(s));
    draw->AddLine(ImVec2(head, at.y), ImVec2(head, at.y + kHeight), kPlayHeadColour, 2);
}

// Under the timeline: the scenes whose start moved, "keep later scenes in place", the last change's
// outcome.
void lengthLine(const TimelineInput& in, TimelineAsk& ask) {
    const EditSession& edits = *in.edits;
    const SceneTable& table = in.scenes->scenes;
    char moved[512];
    describeSceneShifts(*in.lengths, table, moved, sizeof moved);
    if (moved[0]) ImGui::TextColored(ImVec4(1, 0.45f, 0.35f, 1), "%s", moved);
    if (laterScenesShift(*in.lengths, table)) {
        ImGui::SameLine();
        ask.keepLaterScenes = ImGui::SmallButton("keep later scenes in place");
        if (ImGui::IsItemHovered())
            ImGui::SetTooltip("scene %d takes the difference, so scenes %d..%d start where they did",
                              in.lengths->lastScene + 1, in.lengths->lastScene + 2, kLastScene);
    } else if (!moved[0]) {
        ImGui::TextDisabled("drag a scene's end to change its length (snaps to bars; Shift: frames)");
    }
    char* said = in.own->said;
    if (edits.history.done > 0 && edits.history.steps[edits.history.done - 1].slot == kSceneLengthSlot)
        std::snprintf(said, sizeof in.own->said, "%s", edits.message);
    if (said[0]) {
        ImGui::SameLine();
        ImGui::TextDisabled("  %s", said);
    }
}

void captureLine(const TimelineInput& in, TimelineAsk& ask) {
    const LoopCapture& capture = *in.capture;
    const bool running = capture.pid != 0;
    if (running) ImGui::BeginDisabled();
    ask.captureLoop = ImGui::SmallButton("capture loop");
    if (running) ImGui::EndDisabled();
    ImGui::SameLine();
    const int unsaved = in.edits ? unsavedEditCount(*in.edits) : 0;
    ImGui::TextDisabled("%s%s",
                        capture.message[0] ? capture.message
                                           : "the loop with its music as an MP4 in the build folder",
                        unsaved ? "  (unsaved edits are not in it)" : "");
}

} // namespace

TimelineAsk drawTimeline(const TimelineInput& in) {
    TimelineAsk ask = {};
    const Strip strip = {ImGui::GetCursorScreenPos(), ImGui::GetContentRegionAvail().x};
    sceneEndHandles(in, strip, ask);
    ImGui::SetCursorScreenPos(strip.at);
    ImGui::InvisibleButton("timeline", ImVec2(strip.width, kHeight));
    if (ImGui::IsItemActive()) {
        const int32_t frame = strip.frameAt(ImGui::GetIO().MousePos.x);
        if (frame != editFrame(*in.state)) ask.seek = true, ask.frame = frame;
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    sceneBlocks(in, draw, strip);
    marks(in, draw, strip);
    if (in.edits && in.lengths) lengthLine(in, ask);
    if (in.capture) captureLine(in, ask);
    return ask;
}
