// key_panel.cpp - the tracks panel's editor of one track: the plot, its axes and marks, the keys under
// the mouse, and the buttons that insert a key, switch the interpolation and pick the snap.
#include "edit/panels/key_panel.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <imgui.h>

#include "data/scene_build.h"
#include "director/director_state.h"
#include "director/tracks.h"
#include "edit/panels/panel_kit.h"

namespace {

const ImU32 kSceneEndColour = IM_COL32(230, 120, 230, 200);
const ImU32 kGridColour = IM_COL32(70, 70, 80, 255);
constexpr float kPlotHeight = 110;
constexpr float kValueAxisWidth = 44; // room left of the plot for the value labels
constexpr float kDotRadius = 3.5f;

float component(const TrackKey& k, int axis) {
    return axis == 0 ? k.x : axis == 1 ? k.y : k.z;
}

void setComponent(TrackKey& k, int axis, float value) {
    (axis == 0 ? k.x : axis == 1 ? k.y : k.z) = value;
}

bool driven(const KeyPanelInput& in, int axis) {
    return in.sync && syncDriver(*in.sync, in.track, axis) != nullptr;
}

// "read by 4 drop, 9 hit": every scene whose graph samples the track.
void readers(const KeyPanelInput& in, char* out, size_t size) {
    std::snprintf(out, size, "read by");
    int count = 0;
    for (int s = 0; s < kSceneCount && nodeBlocks; ++s) {
        for (int32_t slot = 0; slot < kSlotsPerScene; ++slot) {
            const GraphNode& node = nodeBlocks[s][slot];
            if (node.op != kOpTrackSample || (int32_t)std::lround(node.params[0]) != in.track) continue;
            const size_t n = std::strlen(out);
            std::snprintf(out + n, size - n, "%s %d %s", count ? "," : "", s,
                          in.scenes && in.scenes->names ? in.scenes->names[s].name : "");
            ++count;
            break;
        }
    }
    if (!count) std::snprintf(out, size, "read by no scene");
}

// The frame under the mouse, snapped as chosen (Shift: any whole frame), kept between the neighbours.
// The track's frame 0 lies at the show's frame `origin`: the music's rows are counted from there.
int32_t dragFrame(float frame, const Track& t, int32_t key, KeySnap snap, int32_t origin) {
    int32_t f = snapKeyFrame(frame, snap, origin);
    const int32_t low = key > 0 ? t.keys[key - 1].frame : 0;
    const int32_t high = key + 1 < (int32_t)t.keyCount ? t.keys[key + 1].frame : kShowFrameCount - 1;
    return f < low ? low : f > high ? high : f;
}

} // namespace

namespace {

// The plot of one track: where it lies on screen and the frames and values it spans.
struct TrackPlot {
    ImVec2 origin, at; // the value labels' corner, the plot's
    float width, height;
    float low, high, length; // values from low to high, frames from 0 to length
};

float plotX(const TrackPlot& p, float frame) {
    return p.at.x + frame / p.length * p.width;
}

float plotY(const TrackPlot& p, float value) {
    return p.at.y + p.height - (value - p.low) / (p.high - p.low) * p.height;
}

// The track, who reads it, its interpolation, a key at the play head.
void drawTrackHeader(const KeyPanelInput& in, const Track& track, bool anyDriven) {
    EditSession& e = *in.edits;
    ImGui::Text("track %d %s", in.track,
                shortName(in.scenes ? enumName(*in.scenes->trackNames, in.track) : nullptr, "kTrack"));
    ImGui::SameLine();
    char who[256];
    readers(in, who, sizeof who);
    ImGui::TextDisabled("%s", who);
    if (trackUnsaved(e, in.track)) {
        ImGui::SameLine();
        ImGui::TextColored(ImVec4(1.0f, 0.45f, 0.35f, 1.0f), "unsaved");
    }
    if (anyDriven) {
        ImGui::SameLine();
        ImGui::TextColored(ImVec4(1.0f, 0.82f, 0.25f, 1.0f), "the sync editor drives%s%s%s",
                           driven(in, 0) ? " x" : "", driven(in, 1) ? " y" : "", driven(in, 2) ? " z" : "");
    }
    ImGui::BeginDisabled(anyDriven);
    const int interpolation = (int)track.interpolation;
    if (ImGui::RadioButton("linear", interpolation == 0) && interpolation != 0)
        setTrackInterpolation(e, in.track, 0);
    ImGui::SameLine();
    if (ImGui::RadioButton("Catmull-Rom", interpolation == 1) && interpolation != 1)
        setTrackInterpolation(e, in.track, 1);
    ImGui::SameLine();
    const int32_t head = (int32_t)std::floor(in.now < 0 ? 0 : in.now);
    char insert[48];
    std::snprintf(insert, sizeof insert, "key at frame %d", head);
    if (ImGui::Button(insert)) insertKey(e, in.track, head);
    ImGui::EndDisabled();
}

// The ranges: every key, the play head and the scene's end (in the track's frames, where the scene
// reads it one frame a frame); a drag keeps the ones it began with, so the key stays under the mouse.
void plotRanges(const Track& track, float now, float sceneEnd, const KeyDrag* dragging, TrackPlot& p) {
    p.length = 1, p.low = 1e30f, p.high = -1e30f;
    for (uint32_t k = 0; k < track.keyCount; ++k) {
        p.length = std::fmax(p.length, (float)track.keys[k].frame);
        for (int axis = 0; axis < 3; ++axis) {
            p.low = std::fmin(p.low, component(track.keys[k], axis));
            p.high = std::fmax(p.high, component(track.keys[k], axis));
        }
    }
    p.length = std::fmax(p.length, std::fmax(sceneEnd, now)) * 1.04f;
    if (p.high - p.low < 1e-3f) p.high = p.low + 1;
    const float margin = (p.high - p.low) * 0.08f;
    p.low -= margin, p.high += margin;
    if (dragging) p.low = dragging->low, p.high = dragging->high, p.length = dragging->length;
}

// Values at the top, middle and bottom; frames at every bar (four beats) that fits.
void drawPlotAxes(ImDrawList* draw, const TrackPlot& p) {
    draw->AddRectFilled(p.at, ImVec2(p.at.x + p.width, p.at.y + p.height), IM_COL32(25, 25, 30, 255));
    char label[32];
    for (int i = 0; i <= 2; ++i) {
        const float value = p.low + (p.high - p.low) * (float)i / 2;
        std::snprintf(label, sizeof label, "%.4g", (double)value);
        const float y = plotY(p, value);
        draw->AddLine(ImVec2(p.at.x, y), ImVec2(p.at.x + p.width, y), kGridColour);
        draw->AddText(ImVec2(p.origin.x, y - (float)(14 - 7 * i)), IM_COL32(170, 170, 180, 255), label);
    }
    const float bar = 4 * kBeatFrames;
    const float every = bar * std::fmax(1.0f, std::ceil(p.length / bar / 8)); // at most about 8 labels
    for (float f = 0; f <= p.length; f += every) {
        draw->AddLine(ImVec2(plotX(p, f), p.at.y), ImVec2(plotX(p, f), p.at.y + p.height), kGridColour);
        std::snprintf(label, sizeof label, "%d", (int)std::lround(f));
        draw->AddText(ImVec2(plotX(p, f) + 2, p.at.y + p.height + 1), IM_COL32(170, 170, 180, 255), label);
    }
}

// The three curves as the frame plays them (a sync editor's, where it drives the track).
void drawCurves(ImDrawList* draw, const TrackPlot& p, const Track& track, int32_t index) {
    constexpr int kSteps = 160;
    for (int axis = 0; axis < 3; ++axis) {
        ImVec2 before = {};
        for (int i = 0; i <= kSteps; ++i) {
            const float frame = p.length * (float)i / kSteps;
            TrackPoint point = sampleTrack(track, (uint32_t)frame);
            if (trackSampleHook) trackSampleHook(index, frame, point);
            const ImVec2 here = ImVec2(plotX(p, frame), plotY(p, axis == 0   ? point.x
                                                                 : axis == 1 ? point.y
                                                                             : point.z));
            if (i > 0) draw->AddLine(before, here, kAxisColours[axis]);
            before = here;
        }
    }
}

// The dragged key follows the mouse along the axis the drag decided; let go, the edit is made.
void followDrag(const KeyPanelInput& in, Track& track, const TrackPlot& p, bool active, int32_t origin) {
    EditSession& e = *in.edits;
    KeyDrag& drag = in.state->drag;
    const ImGuiIO& io = ImGui::GetIO();
    if (!active) {
        const TrackKey to = track.keys[drag.key];
        track = drag.original; // the edit itself puts it back in, with its undo step
        drag.active = false;
        if (std::memcmp(&to, &drag.original.keys[drag.key], sizeof to) != 0 &&
            !moveKey(e, in.track, drag.key, to))
            ++e.liveChanges; // refused: the key as it was plays on
        return;
    }
    const bool free = io.KeyShift; // plays while it moves; the file is written when it is let go
    TrackKey to = drag.original.keys[drag.key];
    const float movedX = io.MousePos.x - io.MouseClickedPos[0].x,
                movedY = io.MousePos.y - io.MouseClickedPos[0].y;
    drag.moves = decideDragAxis(drag.moves, movedX, movedY);
    const float value = p.low + (p.at.y + p.height - io.MousePos.y) / p.height * (p.high - p.low);
    if (dragsTime(drag.moves, movedX, movedY))
        to.frame = dragFrame((io.MousePos.x - p.at.x) / p.width * p.length, drag.original, drag.key,
                             free ? kSnapFrames : in.state->snap, origin);
    else
        setComponent(to, drag.axis, free ? std::nearbyint(value * 100) / 100 : std::nearbyint(value));
    if (std::memcmp(&track.keys[drag.key], &to, sizeof to) != 0) {
        track.keys[drag.key] = to;
        ++e.liveChanges;
    }
}

// The keys' dots: the one under the mouse is picked up, dragged, let go, or deleted with a right click.
void handleKeys(const KeyPanelInput& in, Track& track, ImDrawList* draw, const TrackPlot& p, bool hovered,
                bool active, int32_t origin) {
    const ImGuiIO& io = ImGui::GetIO();
    KeyDrag& drag = in.state->drag;
    const bool dragging = drag.active && drag.track == in.track;
    int32_t under = -1, pressed = -1, pressedAxis = 0; // under the mouse, where it went down
    auto near = [](ImVec2 a, ImVec2 b) {
        return std::fabs(a.x - b.x) <= kDotRadius + 1 && std::fabs(a.y - b.y) <= kDotRadius + 1;
    };
    for (uint32_t k = 0; k < track.keyCount; ++k)
        for (int axis = 0; axis < 3; ++axis) {
            if (driven(in, axis)) continue; // the editor's curve replaces this component
            const ImVec2 dot =
                ImVec2(plotX(p, (float)track.keys[k].frame), plotY(p, component(track.keys[k], axis)));
            const bool held = dragging && drag.key == (int32_t)k && drag.axis == axis;
            draw->AddCircleFilled(dot, held ? kDotRadius + 2 : kDotRadius, kAxisColours[axis]);
            if (near(io.MousePos, dot)) under = (int32_t)k;
            if (near(io.MouseClickedPos[ImGui::IsMouseClicked(ImGuiMouseButton_Right) ? 1 : 0], dot))
                pressed = (int32_t)k, pressedAxis = axis;
        }
    if (hovered && under >= 0 && !dragging) {
        const TrackKey& key = track.keys[under];
        ImGui::SetTooltip(
            "key %d: frame %d\n%.2f %.2f %.2f (hundredths)\ndrag sideways to move it in time, up or "
            "down to change its value (Shift: freely), right click to delete",
            under, key.frame, key.x, key.y, key.z);
    }
    // Where the button went down decides: the mouse may have moved on within the same frame.
    if (hovered && pressed >= 0 && ImGui::IsMouseClicked(ImGuiMouseButton_Right))
        deleteKey(*in.edits, in.track, pressed);
    if (hovered && pressed >= 0 && ImGui::IsMouseClicked(ImGuiMouseButton_Left) && !drag.active)
        drag = KeyDrag{true, in.track, pressed, pressedAxis, kDragUndecided, track, p.low, p.high, p.length};
    if (dragging) followDrag(in, track, p, active, origin);
}

} // namespace

void drawKeyTrack(const KeyPanelInput& in) {
    Track& track = trackTable[in.track];
    if (track.keyCount == 0) return;
    drawTrackHeader(in, track, driven(in, 0) || driven(in, 1) || driven(in, 2));
    const int32_t duration = in.scenes ? in.scenes->scenes.scenes[in.scene].duration : 0;
    const float sceneEnd = in.now + (float)(duration - localFrame);
    TrackPlot p = {};
    const KeyDrag& drag = in.state->drag;
    plotRanges(track, in.now, sceneEnd, drag.active && drag.track == in.track ? &drag : nullptr, p);
    p.origin = ImGui::GetCursorScreenPos();
    p.at = ImVec2(p.origin.x + kValueAxisWidth, p.origin.y);
    p.width = ImGui::GetContentRegionAvail().x - kValueAxisWidth - 10, p.height = kPlotHeight;
    ImGui::SetCursorScreenPos(p.at);
    ImGui::InvisibleButton("curve", ImVec2(p.width, p.height),
                           ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonRight);
    const bool hovered = ImGui::IsItemHovered(), active = ImGui::IsItemActive();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    drawPlotAxes(draw, p);
    draw->PushClipRect(p.at, ImVec2(p.at.x + p.width, p.at.y + p.height), true);
    drawCurves(draw, p, track, in.track);
    handleKeys(in, track, draw, p, hovered, active, sceneEndFrame - duration);
    const float x = plotX(p, in.now < 0 ? 0 : in.now), end = plotX(p, sceneEnd);
    draw->AddLine(ImVec2(x, p.at.y), ImVec2(x, p.at.y + p.height), kPlayHeadColour, 1.5f);
    draw->AddLine(ImVec2(end, p.at.y), ImVec2(end, p.at.y + p.height), kSceneEndColour, 1.5f);
    draw->AddText(ImVec2(end - 58, p.at.y + 2), kSceneEndColour, "scene end");
    draw->PopClipRect();
    ImGui::SetCursorScreenPos(ImVec2(p.origin.x, p.at.y + p.height + ImGui::GetTextLineHeight() + 4));
    ImGui::Dummy(ImVec2(1, 1));
}

void drawKeySnap(KeyPanelState& state) {
    int snap = state.snap;
    ImGui::TextDisabled("keys snap to");
    ImGui::SameLine();
    ImGui::RadioButton("frames", &snap, kSnapFrames);
    ImGui::SameLine();
    ImGui::RadioButton("rows", &snap, kSnapRows);
    ImGui::SameLine();
    ImGui::RadioButton("beats", &snap, kSnapBeats);
    ImGui::SameLine();
    ImGui::TextDisabled("(Shift: free)");
    state.snap = (KeySnap)snap;
}
