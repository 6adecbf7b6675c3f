// edit_panels.cpp - the panels, one function each, in the order they sit on screen.
#include "edit/panels/edit_panels.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <imgui.h>
#include <initializer_list>

#include "audio/music.h"
#include "data/scene_build.h"
#include "data/scene_data.h"
#include "director/demo_clock.h"
#include "director/director_state.h"
#include "director/tracks.h"
#include "edit/capture/loop_capture.h"
#include "edit/panels/key_panel.h"
#include "edit/panels/value_panel.h"
#include "edit/session/scene_length.h"
#include "render/shader_library.h"

namespace {

const SceneSet* shown;     // the scene data playing (EditView::scenes), set at the top of each call below
const EditView* viewShown; // the view drawEditPanels draws

const ImU32 kSceneColours[2] = {IM_COL32(60, 80, 110, 255), IM_COL32(80, 100, 135, 255)};
const ImU32 kPlayHeadColour = IM_COL32(255, 210, 60, 255);
const ImU32 kLoopColour = IM_COL32(90, 200, 120, 90);
const ImU32 kBarColour = IM_COL32(255, 255, 255, 120);
const ImU32 kBeatColour = IM_COL32(255, 255, 255, 45);
const ImU32 kEnergyColour = IM_COL32(150, 190, 240, 80);
const ImU32 kShiftColour = IM_COL32(255, 110, 90, 255);
const ImU32 kAxisColours[3] = {IM_COL32(240, 90, 90, 255), IM_COL32(100, 220, 100, 255),
                               IM_COL32(110, 150, 255, 255)};

const char* slotName(int scene, int32_t slot) {
    return shortName(enumName(*shown->names[scene].slots, slot), "k");
}

// "kAlpha0+3": a slot the enum does not name lies in the group of the named slot before it.
void slotLabel(int scene, int32_t slot, char* out, size_t size) {
    if (slot < 0) {
        std::snprintf(out, size, "-");
        return;
    }
    int32_t named = slot;
    while (named > 0 && !enumName(*shown->names[scene].slots, named)) --named;
    if (named == slot || !enumName(*shown->names[scene].slots, named))
        std::snprintf(out, size, "%s", slotName(scene, slot));
    else
        std::snprintf(out, size, "%s+%d", slotName(scene, named), slot - named);
}

const char* opName(int32_t op) {
    return shortName(enumName(kNodeOpNames, op), "kOp");
}

// The timeline's frame under the mouse's x.
int32_t frameAtX(float x, float left, float width) {
    const float t = (x - left) / width;
    return (int32_t)std::lround((t < 0 ? 0 : t > 1 ? 1 : t) * (kShowFrameCount - 1));
}

//-----------------------------------------------------------------------------
// Transport and position
//-----------------------------------------------------------------------------

void transportBar(EditState& s) {
    if (ImGui::Button("|<")) editSeekStart(s);
    ImGui::SameLine();
    if (ImGui::Button("<<")) editStepScenes(s, shown->scenes, -1);
    ImGui::SameLine();
    if (ImGui::Button("bar-")) editStepBeats(s, -4);
    ImGui::SameLine();
    if (ImGui::Button("beat-")) editStepBeats(s, -1);
    ImGui::SameLine();
    if (ImGui::Button("frame-")) editStepFrames(s, -1);
    ImGui::SameLine();
    if (ImGui::Button(s.paused ? "Play" : "Pause", ImVec2(60, 0))) editTogglePause(s);
    ImGui::SameLine();
    if (ImGui::Button("frame+")) editStepFrames(s, 1);
    ImGui::SameLine();
    if (ImGui::Button("beat+")) editStepBeats(s, 1);
    ImGui::SameLine();
    if (ImGui::Button("bar+")) editStepBeats(s, 4);
    ImGui::SameLine();
    if (ImGui::Button(">>")) editStepScenes(s, shown->scenes, 1);
    ImGui::SameLine();
    if (ImGui::Button(">|")) editSeekEnd(s);
    ImGui::SameLine();
    ImGui::TextUnformatted(" ");
    ImGui::SameLine();
    if (ImGui::Button(s.looping ? "Loop off" : "Loop scene")) editToggleLoop(s, shown->scenes);
    ImGui::SameLine();
    if (ImGui::Button("In")) editMarkIn(s);
    ImGui::SameLine();
    if (ImGui::Button("Out")) editMarkOut(s);
}

void positionLine(const EditState& s, const EditView& v) {
    const DemoClock clock = demoClockAt(s.positionMs, shown->scenes);
    const int32_t ms = s.positionMs;
    int32_t bar = 0, beat = 0;
    editBarBeat(s, bar, beat);
    MusicRow row = {};
    const bool inModule = musicRowAt(ms, row);
    ImGui::Text("%d:%02d.%03d   frame %d   scene %d \"%s\" frame %d/%d", ms / 60000, ms / 1000 % 60,
                ms % 1000, clock.frame, clock.sceneIndex, shown->names[clock.sceneIndex].name,
                clock.localFrame, clock.sceneEndFrame - (clock.frame - clock.localFrame));
    char rate[96];
    editFrameRateText(rate, sizeof rate, s.paused, v.fps, v.drawMs);
    if (inModule)
        ImGui::Text("order %d   pattern %d   row %d   bar %d:%d   %s%s%s", row.order, row.pattern, row.row,
                    bar, beat, rate, s.looping ? "   looping" : "",
                    s.looping && s.marksSwapped ? " (out was before in: swapped)" : "");
    else
        ImGui::Text("bar %d:%d   %s", bar, beat, rate);
}

//-----------------------------------------------------------------------------
// Timeline
//-----------------------------------------------------------------------------

// The handles at the scenes' ends (the last scene ends with the show): dragged, snapping to bars
// (Shift: to frames); the length is changed when the mouse lets go. Submitted before the timeline
// itself so that they take the mouse over it.
void sceneEndHandles(ImVec2 at, float width, float height, int32_t& dragged, int32_t& dragEnd) {
    ValueEdits* edits = viewShown->edits;
    LengthEdits* lengths = viewShown->lengths;
    if (!edits || !lengths) return;
    int32_t starts[kSceneCount + 1];
    sceneStarts(shown->scenes, starts);
    for (int k = 0; k < kLastScene; ++k) {
        const float x = at.x + (float)(starts[k + 1] / (double)(kShowFrameCount - 1) * width);
        ImGui::SetCursorScreenPos(ImVec2(x - 3, at.y + 12));
        ImGui::PushID(k);
        ImGui::InvisibleButton("end", ImVec2(6, height - 12));
        if (ImGui::IsItemHovered() || ImGui::IsItemActive()) ImGui::SetMouseCursor(ImGuiMouseCursor_ResizeEW);
        if (ImGui::IsItemActive() && ImGui::IsMouseDragging(ImGuiMouseButton_Left)) { // a click is no drag
            const int32_t frame = frameAtX(ImGui::GetIO().MousePos.x, at.x, width);
            dragged = k;
            dragEnd = ImGui::GetIO().KeyShift ? frame : snapToBar(frame);
            if (dragEnd <= starts[k]) dragEnd = starts[k] + 1;
        }
        if (ImGui::IsItemDeactivated() && dragged == k) {
            if (dragEnd != starts[k + 1]) editSceneLength(*edits, *lengths, *shown, k, dragEnd - starts[k]);
            dragged = -1;
        }
        ImGui::PopID();
    }
}

// The music under the scenes: its loudness per pixel column, its bars and (where there is room) beats.
void musicGrid(ImDrawList* draw, ImVec2 at, float width, float height) {
    auto xOfFrame = [&](double frame) { return at.x + (float)(frame / (kShowFrameCount - 1) * width); };
    if (const float* energy = viewShown->energy) {
        float peak = 1e-6f;
        for (int f = 0; f < kShowFrameCount; ++f) peak = energy[f] > peak ? energy[f] : peak;
        const int columns = (int)width;
        for (int c = 0; c < columns; ++c) {
            const int f0 = c * kShowFrameCount / columns, f1 = (c + 1) * kShowFrameCount / columns;
            float most = 0;
            for (int f = f0; f < f1 || f == f0; ++f) most = energy[f] > most ? energy[f] : most;
            const float top = at.y + height - (height - 14) * most / peak;
            const float x = at.x + c + 0.5f;
            draw->AddLine(ImVec2(x, at.y + height), ImVec2(x, top), kEnergyColour);
        }
    }
    const bool beats = width / (kShowFrameCount / kBarFrames) > 16; // pixels a bar
    for (int32_t bar = 0; barFrame(bar) < kShowFrameCount; ++bar) {
        const float x = xOfFrame(barFrame(bar));
        draw->AddLine(ImVec2(x, at.y + 12), ImVec2(x, at.y + height), kBarColour);
        for (int b = 1; b < 4 && beats; ++b) {
            const float xb = xOfFrame(barFrame(bar) + std::lround(b * kBeatFrames));
            draw->AddLine(ImVec2(xb, at.y + 12), ImVec2(xb, at.y + height), kBeatColour);
        }
    }
}

// Under the timeline: the scenes whose start moved, "keep later scenes in place", the loop's capture.
void lengthsAndCapture(EditState& s) {
    ValueEdits* edits = viewShown->edits;
    LengthEdits* lengths = viewShown->lengths;
    static char said[2048]; // the last length change's outcome
    if (edits && lengths) {
        char moved[512];
        describeSceneShifts(*lengths, shown->scenes, moved, sizeof moved);
        if (moved[0]) ImGui::TextColored(ImVec4(1, 0.45f, 0.35f, 1), "%s", moved);
        if (laterScenesShift(*lengths, shown->scenes)) {
            ImGui::SameLine();
            if (ImGui::SmallButton("keep later scenes in place")) {
                keepLaterScenesInPlace(*edits, *lengths, *shown);
                std::snprintf(said, sizeof said, "%s", edits->message);
            }
            if (ImGui::IsItemHovered())
                ImGui::SetTooltip("scene %d takes the difference, so scenes %d..%d start where they did",
                                  lengths->lastScene + 1, lengths->lastScene + 2, kLastScene);
        } else if (!moved[0]) {
            ImGui::TextDisabled("drag a scene's end to change its length (snaps to bars; Shift: frames)");
        }
        if (edits->history.done > 0 && edits->history.steps[edits->history.done - 1].slot == kSceneLengthSlot)
            std::snprintf(said, sizeof said, "%s", edits->message);
        if (said[0]) {
            ImGui::SameLine();
            ImGui::TextDisabled("  %s", said);
        }
    }
    if (LoopCapture* capture = viewShown->capture) {
        const bool running = capture->pid != 0;
        if (running) ImGui::BeginDisabled();
        if (ImGui::SmallButton("capture loop")) {
            CaptureCommand command = {};
            char error[256];
            const char* build = viewShown->buildDir;
            if (!build || !loopCaptureCommand(build, s, command, error, sizeof error)) {
                std::snprintf(capture->message, sizeof capture->message, "%s",
                              build ? error : "no build folder");
                std::fprintf(stderr, "qz001: %s\n", capture->message);
            } else {
                startLoopCapture(*capture, command);
            }
        }
        if (running) ImGui::EndDisabled();
        ImGui::SameLine();
        const int unsaved = edits ? unsavedEditCount(*edits) : 0;
        ImGui::TextDisabled("%s%s",
                            capture->message[0] ? capture->message
                                                : "the loop with its music as an MP4 in the build folder",
                            unsaved ? "  (unsaved edits are not in it)" : "");
    }
}

void timeline(EditState& s) {
    const ImVec2 at = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x, height = 46;
    static int32_t dragged = -1, dragEnd = 0; // the scene whose end is being dragged, and where to
    sceneEndHandles(at, width, height, dragged, dragEnd);
    ImGui::SetCursorScreenPos(at);
    ImGui::InvisibleButton("timeline", ImVec2(width, height));
    if (ImGui::IsItemActive()) {
        const int32_t frame = frameAtX(ImGui::GetIO().MousePos.x, at.x, width);
        if (frame != editFrame(s)) editSeekFrame(s, frame);
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    auto xOfFrame = [&](double frame) { return at.x + (float)(frame / (kShowFrameCount - 1) * width); };
    for (int scene = 0; scene < kSceneCount; ++scene) {
        const int32_t first = sceneFirstFrame(scene, shown->scenes);
        const float x0 = xOfFrame(first), x1 = xOfFrame(first + shown->scenes.scenes[scene].duration);
        draw->AddRectFilled(ImVec2(x0, at.y + 12), ImVec2(x1, at.y + height), kSceneColours[scene % 2]);
    }
    musicGrid(draw, at, width, height);
    for (int scene = 0; scene < kSceneCount; ++scene) {
        const int32_t first = sceneFirstFrame(scene, shown->scenes);
        const float x0 = xOfFrame(first), x1 = xOfFrame(first + shown->scenes.scenes[scene].duration);
        char label[48];
        std::snprintf(label, sizeof label, "%d %s", scene, shown->names[scene].name);
        draw->PushClipRect(ImVec2(x0, at.y), ImVec2(x1, at.y + height), true);
        draw->AddText(ImVec2(x0 + 3, at.y + 20), IM_COL32_WHITE, label);
        draw->PopClipRect();
        // A start the length changes moved: marked, with by how many frames.
        const int32_t shift = viewShown->lengths ? sceneShift(*viewShown->lengths, shown->scenes, scene) : 0;
        if (shift) {
            draw->AddTriangleFilled(ImVec2(x0 - 5, at.y + 12), ImVec2(x0 + 5, at.y + 12),
                                    ImVec2(x0, at.y + 20), kShiftColour);
            draw->AddLine(ImVec2(x0, at.y + 12), ImVec2(x0, at.y + height), kShiftColour, 2);
            std::snprintf(label, sizeof label, "%+d", shift);
            draw->AddText(ImVec2(x0 + 3, at.y + height - 15), kShiftColour, label);
        }
    }
    // The module's orders as ticks along the top, every fourth numbered.
    for (int order = 0; order < musicOrderCount(); ++order) {
        const float x = xOfFrame(musicOrderStartMs(order) * 100.0 / kFramePeriodCentiMs);
        if (x > at.x + width) break;
        draw->AddLine(ImVec2(x, at.y), ImVec2(x, at.y + (order % 4 ? 6.0f : 11.0f)),
                      IM_COL32(200, 200, 200, 255));
    }
    if (s.looping)
        draw->AddRectFilled(ImVec2(xOfFrame(s.loopStart), at.y), ImVec2(xOfFrame(s.loopEnd), at.y + height),
                            kLoopColour);
    if (dragged >= 0) { // where the dragged end lands
        const float x = xOfFrame(dragEnd);
        draw->AddLine(ImVec2(x, at.y), ImVec2(x, at.y + height), IM_COL32_WHITE, 2);
        char label[48];
        std::snprintf(label, sizeof label, "%d frames", dragEnd - sceneFirstFrame(dragged, shown->scenes));
        draw->AddText(ImVec2(x + 4, at.y), IM_COL32_WHITE, label);
    }
    const float head = xOfFrame(editFrame(s));
    draw->AddLine(ImVec2(head, at.y), ImVec2(head, at.y + height), kPlayHeadColour, 2);
    lengthsAndCapture(s);
}

//-----------------------------------------------------------------------------
// Passes
//-----------------------------------------------------------------------------

void passCosts(EditView& v) {
    double total = 0;
    for (double ms : v.passMs) total += ms;
    ImGui::Text("cost per pass (%s): %.2f ms", v.gpuTimed ? "GPU timer queries" : "glFinish after each pass",
                total);
    if (v.timerAvailable) {
        bool finish = !v.gpuTimed;
        ImGui::SameLine();
        if (ImGui::Checkbox("measure with glFinish", &finish)) v.gpuTimed = !finish;
    }
    for (int p = 0; p < kFramePassCount; ++p) {
        if (p % 5) ImGui::SameLine();
        ImGui::Text("  %-14s %6.2f", framePassName(p), v.passMs[p]);
    }
}

//-----------------------------------------------------------------------------
// Live reload
//-----------------------------------------------------------------------------

void reloadStatus(const EditView& v) {
    const char* failures[3] = {};
    int failed = 0;
    if (v.slowFrame[0]) failures[failed++] = v.slowFrame;
    if (v.shaders && v.shaders->failed) failures[failed++] = v.shaders->message;
    if (v.data && v.data->failed) failures[failed++] = v.data->message;
    static char line[sizeof v.data->message + 128];
    if (v.shaders && !v.shaders->failed) {
        editReloadText(line, sizeof line, v.shaders->message, v.shaders->reloads, v.shaders->clock);
        ImGui::TextDisabled("%s", line);
    }
    if (v.data && !v.data->failed) {
        editReloadText(line, sizeof line, v.data->message, v.data->reloads, v.data->clock);
        ImGui::TextDisabled("%s", line);
    }
    if (!failed) return;
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 120, 110, 255));
    ImGui::BeginChild("reload error", ImVec2(0, 0), true);
    for (int i = 0; i < failed; ++i) ImGui::TextWrapped("%s", failures[i]);
    ImGui::EndChild();
    ImGui::PopStyleColor();
}

//-----------------------------------------------------------------------------
// Sync editor
//-----------------------------------------------------------------------------

// The components of show track `index` a sync editor drives, as "x z"; empty where none.
void drivenComponents(int32_t index, char* out, size_t size) {
    out[0] = 0;
    if (!viewShown || !viewShown->syncTracks) return;
    for (int c = 0; c < 3; ++c)
        if (syncDriver(*viewShown->syncTracks, index, c))
            std::snprintf(out + std::strlen(out), size - std::strlen(out), "%s%c", out[0] ? " " : "",
                          "xyz"[c]);
}

void syncStatus(const EditView& v) {
    if (!v.syncClient) return;
    int driven = 0;
    for (int32_t t = 0; t < kTrackCount; ++t)
        for (int c = 0; c < 3; ++c) driven += syncDriver(*v.syncTracks, t, c) != nullptr;
    ImGui::TextDisabled("Sync: %s; the editor drives %d track components", v.syncClient->status, driven);
    if (!v.syncSaves) return;
    if (!v.syncSave->ok) ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 120, 110, 255));
    ImGui::TextWrapped("Sync save %u: %s", v.syncSaves, v.syncSave->note);
    if (!v.syncSave->ok) ImGui::PopStyleColor();
    if (v.syncReloadedDifference >= 0)
        ImGui::TextDisabled("The saved tracks play since the reload; largest difference from the live curve "
                            "%.4f hundredths",
                            (double)v.syncReloadedDifference);
}

//-----------------------------------------------------------------------------
// Inspector
//-----------------------------------------------------------------------------

void valueText(const NodeValue& value, char* out, size_t size) {
    if (value.count == 0 || !value.data) {
        std::snprintf(out, size, "-");
        return;
    }
    const Float4 f = value.data[0];
    std::snprintf(out, size, "%.3f %.3f %.3f %.3f%s", f.x, f.y, f.z, f.w, value.count > 1 ? " ..." : "");
}

void selectedSlot(const EditState& s, EditView& v, int scene) {
    const NodeValue& value = valueBlocks[scene][s.selectedSlot];
    char label[64];
    slotLabel(scene, s.selectedSlot, label, sizeof label);
    ImGui::Text("slot %d %s: %u elements", s.selectedSlot, label, value.count);
    if (v.edits) drawValueEditor(*v.edits, *shown, scene, s.selectedSlot);
    static const char* const kAxes[4] = {"x", "y", "z", "w"};
    for (int axis = 0; axis < 4; ++axis) {
        // The getter sees one axis through an offset index.
        struct Axis {
            EditView* view;
            int axis;
        } data = {&v, axis};
        auto getter = [](void* d, int i) {
            const Axis& a = *static_cast<Axis*>(d);
            const EditView& view = *a.view;
            const int at =
                (view.historyNext - view.historyCount + i + kEditHistoryFrames) % kEditHistoryFrames;
            const Float4& f = view.history[at];
            return a.axis == 0 ? f.x : a.axis == 1 ? f.y : a.axis == 2 ? f.z : f.w;
        };
        ImGui::PlotLines(kAxes[axis], getter, &data, v.historyCount, 0, nullptr, FLT_MAX, FLT_MAX,
                         ImVec2(ImGui::GetContentRegionAvail().x - 20, 34));
    }
    ImGui::Checkbox("all elements", &v.showAllElements);
    if (!v.showAllElements || !value.data) return;
    ImGui::BeginChild("elements", ImVec2(0, 140), true);
    for (uint32_t e = 0; e < value.count; ++e) {
        const Float4 f = value.data[e];
        ImGui::Text("%4u  %10.4f %10.4f %10.4f %10.4f", e, f.x, f.y, f.z, f.w);
    }
    ImGui::EndChild();
}

void inspector(EditState& s, EditView& v, int scene) {
    if (s.selectedSlot >= 0) selectedSlot(s, v, scene);
    const ImGuiTableFlags flags = ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY |
                                  ImGuiTableFlags_BordersInnerV | ImGuiTableFlags_SizingFixedFit;
    if (!ImGui::BeginTable("slots", 5, flags, ImVec2(0, ImGui::GetContentRegionAvail().y))) return;
    ImGui::TableSetupScrollFreeze(0, 1);
    ImGui::TableSetupColumn("#");
    ImGui::TableSetupColumn("slot");
    ImGui::TableSetupColumn("operation");
    ImGui::TableSetupColumn("inputs", ImGuiTableColumnFlags_WidthFixed, 120);
    ImGui::TableSetupColumn("value", ImGuiTableColumnFlags_WidthStretch);
    ImGui::TableHeadersRow();
    const GraphNode* nodes = nodeBlocks[scene];
    for (int32_t slot = 0; slot < kSlotsPerScene; ++slot) {
        const GraphNode& node = nodes[slot];
        if (node.op == kOpEmpty) continue;
        char label[64], inputs[160] = "", value[96];
        ImGui::TableNextRow();
        ImGui::TableNextColumn();
        char id[16];
        std::snprintf(id, sizeof id, "%d", slot);
        if (ImGui::Selectable(id, s.selectedSlot == slot, ImGuiSelectableFlags_SpanAllColumns))
            s.selectedSlot = s.selectedSlot == slot ? -1 : slot;
        ImGui::TableNextColumn();
        slotLabel(scene, slot, label, sizeof label);
        ImGui::TextUnformatted(label);
        if (v.edits && slotUnsaved(*v.edits, scene, slot)) {
            ImGui::SameLine();
            ImGui::TextColored(ImColor(255, 150, 80), "unsaved");
        }
        ImGui::TableNextColumn();
        ImGui::TextUnformatted(opName(node.op));
        if (ImGui::IsItemHovered()) operationTooltip(node.op);
        ImGui::TableNextColumn();
        for (int i = 0; i < 8 && node.inputs[i] >= 0; ++i) {
            slotLabel(scene, node.inputs[i], label, sizeof label);
            const size_t used = std::strlen(inputs);
            std::snprintf(inputs + used, sizeof inputs - used, "%s%s", i ? ", " : "", label);
        }
        ImGui::TextUnformatted(inputs);
        if (ImGui::IsItemHovered() && inputs[0]) ImGui::SetTooltip("%s", inputs);
        ImGui::TableNextColumn();
        valueText(valueBlocks[scene][slot], value, sizeof value);
        ImGui::TextUnformatted(value);
        if (ImGui::IsItemHovered())
            ImGui::SetTooltip("%s", value); // the whole value, however narrow the column
    }
    ImGui::EndTable();
}

//-----------------------------------------------------------------------------
// Outputs
//-----------------------------------------------------------------------------

const char* shaderName(const char* const* names, int count, int32_t index) {
    return index >= 0 && index < count ? names[index] : "?";
}

void drawRecordLine(uint32_t i, const DrawRecord& r) {
    ImGui::Text("%4u mesh %2d  %s / %s  texture %2d  at %.3f %.3f %.3f  scale %.3f %.3f %.3f", i, r.mesh,
                shaderName(vertexShaderNames, kVertexShaderCount, r.vertexShader),
                shaderName(pixelShaderNames, kPixelShaderCount, r.pixelShader), r.texture, r.position[0],
                r.position[1], r.position[2], r.scale[0], r.scale[1], r.scale[2]);
}

bool sameDraw(const DrawRecord& a, const DrawRecord& b) {
    return a.mesh == b.mesh && a.vertexShader == b.vertexShader && a.pixelShader == b.pixelShader &&
           a.texture == b.texture;
}

// A run of records that draw the same mesh with the same shaders and texture (one slot's instances)
// is one line, opened to list them.
void drawList(const char* title, const DrawList& list) {
    if (!ImGui::TreeNodeEx(title, ImGuiTreeNodeFlags_DefaultOpen, "%s: %u records", title, list.count))
        return;
    for (uint32_t i = 0; i < list.count;) {
        uint32_t end = i + 1;
        while (end < list.count && sameDraw(list.records[i], list.records[end])) ++end;
        if (end - i < 4) {
            for (; i < end; ++i) drawRecordLine(i, list.records[i]);
            continue;
        }
        const DrawRecord& r = list.records[i];
        if (ImGui::TreeNode((void*)(uintptr_t)i, "%4u..%u: %u draws of mesh %d  %s / %s  texture %d", i,
                            end - 1, end - i, r.mesh,
                            shaderName(vertexShaderNames, kVertexShaderCount, r.vertexShader),
                            shaderName(pixelShaderNames, kPixelShaderCount, r.pixelShader), r.texture)) {
            ImGuiListClipper clipper;
            clipper.Begin((int)(end - i));
            while (clipper.Step())
                for (int k = clipper.DisplayStart; k < clipper.DisplayEnd; ++k)
                    drawRecordLine(i + (uint32_t)k, list.records[i + (uint32_t)k]);
            ImGui::TreePop();
        }
        i = end;
    }
    ImGui::TreePop();
}

void outputs() {
    const CameraState& c = cameraState;
    ImGui::Text("camera  eye %.2f %.2f %.2f  at %.2f %.2f %.2f", c.eye[0], c.eye[1], c.eye[2], c.at[0],
                c.at[1], c.at[2]);
    ImGui::Text("        fov %.1f deg  near %.2f  far %.1f", c.fovy * 57.29578f, c.near, c.far);
    const FrameSettings& f = frameSettings;
    ImGui::Text("clear %.2f %.2f %.2f   transition %d at %.2f", f.clearColor.x, f.clearColor.y,
                f.clearColor.z, f.transitionType, f.transitionFactor);
    ImGui::Text("motion blur %s (%.2f)  depth of field %s (%.2f)  bloom %s (%.2f)", f.isBlur ? "on" : "off",
                f.blurJumpThreshold, f.isRenderDof ? "on" : "off", f.dofFocus, f.isRenderBloom ? "on" : "off",
                f.bloomThrethold);
    drawList("opaque", drawListOpaque);
    drawList("blended", drawListBlended);
    if (ImGui::TreeNodeEx("sprites", ImGuiTreeNodeFlags_DefaultOpen, "sprites: %u", spriteList.count)) {
        static const char* const kBlends[3] = {"opaque", "alpha", "additive"};
        for (uint32_t i = 0; i < spriteList.count; ++i) {
            const SpriteRecord& r = spriteList.records[i];
            ImGui::Text("%3u texture %2d  %s  at %.3f %.3f  scale %.3f %.3f  alpha %.3f", i, r.texture,
                        r.blend >= 0 && r.blend < 3 ? kBlends[r.blend] : "?", r.centre[0], r.centre[1],
                        r.scale[0], r.scale[1], r.alpha);
        }
        ImGui::TreePop();
    }
    ImGui::Text("lines: %u vertices", lineList.count);
}

//-----------------------------------------------------------------------------
// Tracks
//-----------------------------------------------------------------------------

// One track as three curves over its keys' frames, keys as dots, `now` (the frame it is read at) as a line.
void trackPlot(int32_t index, float now) {
    const Track& track = trackTable[index];
    if (track.keyCount == 0) return;
    // Key frames are compared as unsigned: a negative one lies far beyond the others.
    const float last = (float)(uint32_t)track.keys[track.keyCount - 1].frame;
    const float length = last > 0 ? last : 1;
    float low = 1e30f, high = -1e30f;
    for (uint32_t k = 0; k < track.keyCount; ++k)
        for (float c : {track.keys[k].x, track.keys[k].y, track.keys[k].z})
            low = c < low ? c : low, high = c > high ? c : high;
    if (high - low < 1e-3f) high = low + 1;
    ImGui::Text("track %d %s", index, shortName(enumName(*shown->trackNames, index), "kTrack"));
    char driven[8];
    drivenComponents(index, driven, sizeof driven);
    if (driven[0]) {
        ImGui::SameLine();
        ImGui::TextColored(ImVec4(1.0f, 0.82f, 0.25f, 1.0f), "the sync editor drives %s", driven);
    }
    const ImVec2 at = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x - 10, height = 70;
    ImGui::InvisibleButton("curve", ImVec2(width, height));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    draw->AddRectFilled(at, ImVec2(at.x + width, at.y + height), IM_COL32(25, 25, 30, 255));
    draw->PushClipRect(at, ImVec2(at.x + width, at.y + height), true); // nothing drawn outside the plot
    auto point = [&](float frame, float value) {
        return ImVec2(at.x + frame / length * width, at.y + height - (value - low) / (high - low) * height);
    };
    constexpr int kSteps = 120;
    for (int axis = 0; axis < 3; ++axis) {
        ImVec2 before = {};
        for (int i = 0; i <= kSteps; ++i) {
            const float frame = length * (float)i / kSteps;
            TrackPoint p = sampleTrack(track, (uint32_t)frame);
            if (trackSampleHook) trackSampleHook(index, frame, p); // the curve the frame plays
            const ImVec2 here = point(frame, axis == 0 ? p.x : axis == 1 ? p.y : p.z);
            if (i > 0) draw->AddLine(before, here, kAxisColours[axis]);
            before = here;
        }
    }
    const ImVec2 mouse = ImGui::GetIO().MousePos;
    for (uint32_t k = 0; k < track.keyCount; ++k) {
        const TrackKey& key = track.keys[k];
        for (int axis = 0; axis < 3; ++axis) {
            if (viewShown && viewShown->syncTracks && syncDriver(*viewShown->syncTracks, index, axis))
                continue; // the editor's curve replaces this component: its keys are the editor's
            const ImVec2 dot = point((float)(uint32_t)key.frame, axis == 0   ? key.x
                                                                 : axis == 1 ? key.y
                                                                             : key.z);
            draw->AddCircleFilled(dot, 3, kAxisColours[axis]);
            if (ImGui::IsItemHovered() && std::fabs(mouse.x - dot.x) < 4 && std::fabs(mouse.y - dot.y) < 4)
                ImGui::SetTooltip("key %u: frame %d\n%.2f %.2f %.2f (hundredths)", k, key.frame, key.x, key.y,
                                  key.z);
        }
    }
    const float x = at.x + (now < 0 ? 0 : now > length ? length : now) / length * width;
    draw->AddLine(ImVec2(x, at.y), ImVec2(x, at.y + height), kPlayHeadColour, 1.5f);
    draw->PopClipRect();
}

// Every track the scene reads, once, at the frame its first reader reads it.
void tracks(int scene) {
    bool shown[kTrackCount] = {};
    if (viewShown && viewShown->edits && viewShown->edits->keys) drawKeySnap();
    const GraphNode* nodes = nodeBlocks[scene];
    for (int32_t slot = 0; slot < kSlotsPerScene; ++slot) {
        const GraphNode& node = nodes[slot];
        if (node.op != kOpTrackSample) continue;
        const int32_t index = (int32_t)std::lround(node.params[0]);
        if (index < 0 || index >= kTrackCount || shown[index]) continue;
        shown[index] = true;
        const NodeValue& time = node.inputs[0] >= 0 ? valueBlocks[scene][node.inputs[0]] : *emptyValue;
        ImGui::PushID(index);
        const float now = time.count && time.data ? time.data[0].x : 0.0f;
        if (viewShown && viewShown->edits && viewShown->edits->keys) // keys to edit in place
            drawKeyTrack(
                KeyPanelInput{viewShown->edits, viewShown->scenes, viewShown->syncTracks, index, scene, now});
        else
            trackPlot(index, now);
        ImGui::PopID();
    }
}

} // namespace

//-----------------------------------------------------------------------------
// The panels
//-----------------------------------------------------------------------------

const char* shortName(const char* name, const char* prefix) {
    if (!name) return "?";
    const size_t n = std::strlen(prefix);
    return std::strncmp(name, prefix, n) == 0 && name[n] ? name + n : name;
}

void editFrameRateText(char* text, size_t size, bool paused, double fps, double drawMs) {
    if (drawMs <= 0)
        std::snprintf(text, size, "%s, no frame drawn yet", paused ? "paused" : "playing");
    else if (paused)
        std::snprintf(text, size, "paused (the frame shown took %.0f ms to draw)", drawMs);
    else
        std::snprintf(text, size, "playing at %.1f fps (the last frame took %.0f ms to draw)", fps, drawMs);
}

void editReloadText(char* text, size_t size, const char* message, uint32_t reloads, const SaveClock& clock) {
    if (!reloads)
        std::snprintf(text, size, "%s (no save taken since the start)", message);
    else if (clock.latencyKnown)
        std::snprintf(text, size, "%s (%u saves taken; the last on screen %.0f ms after its save)", message,
                      reloads, clock.latencyMs);
    else
        std::snprintf(text, size, "%s (%u saves taken; the last one's time of saving is not known)", message,
                      reloads);
}

EditLayout editLayoutFor(int screenWidth, int screenHeight) {
    EditLayout l = {};
    l.frame = {0, 0, kShowWidth, kShowHeight};
    l.width = kShowWidth + kEditSidePanelWidth;
    l.height = kShowHeight + kEditBottomPanelHeight;
    if (l.width > screenWidth || l.height > screenHeight) {
        l.width = kShowWidth;
        l.height = kShowHeight;
        l.overFrame = true;
    }
    return l;
}

void recordEditFrame(EditView& v, EditState& s) {
    shown = v.scenes;
    const int scene = demoClockAt(s.positionMs, shown->scenes).sceneIndex;
    if (scene != v.sceneShown) {
        s.selectedSlot = -1;
        v.sceneShown = scene;
    }
    if (s.selectedSlot != v.historySlot || scene != v.historyScene) {
        v.historySlot = s.selectedSlot;
        v.historyScene = scene;
        v.historyCount = v.historyNext = 0;
    }
    if (s.selectedSlot < 0) return;
    const NodeValue& value = valueBlocks[scene][s.selectedSlot];
    v.history[v.historyNext] = value.count && value.data ? value.data[0] : Float4{};
    v.historyNext = (v.historyNext + 1) % kEditHistoryFrames;
    if (v.historyCount < kEditHistoryFrames) ++v.historyCount;
}

void drawEditPanels(EditState& s, EditView& v, const EditLayout& l) {
    shown = v.scenes;
    viewShown = &v;
    const int scene = demoClockAt(s.positionMs, shown->scenes).sceneIndex;
    const float alpha = l.overFrame ? 0.75f : 1.0f;
    const ImGuiWindowFlags fixed = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;
    const float bottomTop = l.overFrame ? (float)(l.height - kEditBottomPanelHeight) : (float)l.frame.h;
    const float sideLeft = l.overFrame ? (float)(l.width - kEditSidePanelWidth) : (float)l.frame.w;

    ImGui::SetNextWindowPos(ImVec2(0, bottomTop));
    ImGui::SetNextWindowSize(ImVec2(sideLeft, (float)kEditBottomPanelHeight));
    ImGui::SetNextWindowBgAlpha(alpha);
    ImGui::Begin("Transport", nullptr, fixed);
    transportBar(s);
    positionLine(s, v);
    timeline(s);
    passCosts(v);
    ImGui::TextDisabled(
        "Space play/pause  Left/Right beat (Shift bar, Ctrl frame)  , . frame  PgUp/PgDn scene  "
        "Home/End  L loop  I/O in/out  Ctrl+Z/Y undo/redo  F1 panels  Esc quit");
    syncStatus(v);
    reloadStatus(v);
    ImGui::End();

    ImGui::SetNextWindowPos(ImVec2(sideLeft, 0));
    ImGui::SetNextWindowSize(ImVec2((float)kEditSidePanelWidth, (float)l.height));
    ImGui::SetNextWindowBgAlpha(alpha);
    char title[64];
    std::snprintf(title, sizeof title, "Scene %d %s###scene", scene, shown->names[scene].name);
    ImGui::Begin(title, nullptr, fixed);
    if (ImGui::BeginTabBar("views")) {
        if (ImGui::BeginTabItem("Inspector")) {
            inspector(s, v, scene);
            ImGui::EndTabItem();
        }
        if (ImGui::BeginTabItem("Outputs")) {
            // The records' lines are wider than the panel: they scroll sideways rather than end at its edge.
            ImGui::BeginChild("outputs", ImVec2(0, 0), false, ImGuiWindowFlags_HorizontalScrollbar);
            outputs();
            ImGui::EndChild();
            ImGui::EndTabItem();
        }
        if (ImGui::BeginTabItem("Tracks")) {
            tracks(scene);
            ImGui::EndTabItem();
        }
        ImGui::EndTabBar();
    }
    ImGui::End();
}
