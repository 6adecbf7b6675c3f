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

namespace {

const ImU32 kPlayHeadColour = IM_COL32(255, 210, 60, 255);
const ImU32 kSceneEndColour = IM_COL32(230, 120, 230, 200);
const ImU32 kGridColour = IM_COL32(70, 70, 80, 255);
const ImU32 kAxisColours[3] = {IM_COL32(240, 90, 90, 255), IM_COL32(100, 220, 100, 255),
                               IM_COL32(110, 150, 255, 255)};
constexpr float kPlotHeight = 110;
constexpr float kValueAxisWidth = 44; // room left of the plot for the value labels
constexpr float kDotRadius = 3.5f;

// The key being dragged: its track as it was when the drag began, and the component grabbed.
struct KeyDrag {
    bool active;
    int32_t track;
    int32_t key;
    int axis;
    KeyDragAxis moves; // its frame or its value, once the mouse has decided
    Track original;
    float low, high, length; // the plot's ranges when the drag began: they hold still under the mouse
};

KeyDrag drag;
int snapChoice = kSnapRows; // KeySnap

// "Given" for "kTrackGiven".
const char* trackLabel(const char* name) {
    return name && std::strncmp(name, "kTrack", 6) == 0 && name[6] ? name + 6 : name ? name : "?";
}

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
int32_t dragFrame(float frame, const Track& t, int32_t key, bool free, int32_t origin) {
    int32_t f = snapKeyFrame(frame, free ? kSnapFrames : (KeySnap)snapChoice, origin);
    const int32_t low = key > 0 ? t.keys[key - 1].frame : 0;
    const int32_t high = key + 1 < (int32_t)t.keyCount ? t.keys[key + 1].frame : kShowFrameCount - 1;
    return f < low ? low : f > high ? high : f;
}

} // namespace

void drawKeyTrack(const KeyPanelInput& in) {
    ValueEdits& e = *in.edits;
    Track& track = trackTable[in.track];
    if (track.keyCount == 0) return;
    const bool anyDriven = driven(in, 0) || driven(in, 1) || driven(in, 2);
    const bool dragging = drag.active && drag.track == in.track;

    // Header: the track, who reads it, its interpolation, a key at the play head, the snap.
    ImGui::Text("track %d %s", in.track,
                trackLabel(in.scenes ? enumName(*in.scenes->trackNames, in.track) : nullptr));
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
    int interpolation = (int)track.interpolation;
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

    // The ranges: every key, the play head and the scene's end (in the track's frames, where the scene
    // reads it one frame a frame).
    const int32_t duration = in.scenes ? in.scenes->scenes.scenes[in.scene].duration : 0;
    const float sceneEnd = in.now + (float)(duration - localFrame);
    float length = 1, low = 1e30f, high = -1e30f;
    for (uint32_t k = 0; k < track.keyCount; ++k) {
        length = std::fmax(length, (float)track.keys[k].frame);
        for (int axis = 0; axis < 3; ++axis) {
            low = std::fmin(low, component(track.keys[k], axis));
            high = std::fmax(high, component(track.keys[k], axis));
        }
    }
    length = std::fmax(length, std::fmax(sceneEnd, in.now)) * 1.04f;
    if (high - low < 1e-3f) high = low + 1;
    const float margin = (high - low) * 0.08f;
    low -= margin, high += margin;
    if (dragging) low = drag.low, high = drag.high, length = drag.length;

    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const ImVec2 at = ImVec2(origin.x + kValueAxisWidth, origin.y);
    const float width = ImGui::GetContentRegionAvail().x - kValueAxisWidth - 10, height = kPlotHeight;
    ImGui::SetCursorScreenPos(at);
    ImGui::InvisibleButton("curve", ImVec2(width, height),
                           ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonRight);
    const bool hovered = ImGui::IsItemHovered(), active = ImGui::IsItemActive();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    auto xOf = [&](float frame) { return at.x + frame / length * width; };
    auto yOf = [&](float value) { return at.y + height - (value - low) / (high - low) * height; };

    // Axes: values at the top, middle and bottom; frames at every bar (four beats) that fits.
    draw->AddRectFilled(at, ImVec2(at.x + width, at.y + height), IM_COL32(25, 25, 30, 255));
    char label[32];
    for (int i = 0; i <= 2; ++i) {
        const float value = low + (high - low) * (float)i / 2;
        std::snprintf(label, sizeof label, "%.4g", (double)value);
        const float y = yOf(value);
        draw->AddLine(ImVec2(at.x, y), ImVec2(at.x + width, y), kGridColour);
        draw->AddText(ImVec2(origin.x, y - (i == 2   ? 0
                                            : i == 1 ? 7
                                                     : 14)),
                      IM_COL32(170, 170, 180, 255), label);
    }
    const float bar = 4 * kBeatFrames;
    const float every = bar * std::fmax(1.0f, std::ceil(length / bar / 8)); // at most about 8 labels
    for (float f = 0; f <= length; f += every) {
        draw->AddLine(ImVec2(xOf(f), at.y), ImVec2(xOf(f), at.y + height), kGridColour);
        std::snprintf(label, sizeof label, "%d", (int)std::lround(f));
        draw->AddText(ImVec2(xOf(f) + 2, at.y + height + 1), IM_COL32(170, 170, 180, 255), label);
    }
    draw->PushClipRect(at, ImVec2(at.x + width, at.y + height), true);
    constexpr int kSteps = 160;
    for (int axis = 0; axis < 3; ++axis) {
        ImVec2 before = {};
        for (int i = 0; i <= kSteps; ++i) {
            const float frame = length * (float)i / kSteps;
            TrackPoint p = sampleTrack(track, (uint32_t)frame);
            if (trackSampleHook) trackSampleHook(in.track, frame, p); // the curve the frame plays
            const ImVec2 here = ImVec2(xOf(frame), yOf(axis == 0 ? p.x : axis == 1 ? p.y : p.z));
            if (i > 0) draw->AddLine(before, here, kAxisColours[axis]);
            before = here;
        }
    }

    // The keys: the one under the mouse is picked up, dragged, let go, or deleted with a right click.
    const ImGuiIO& io = ImGui::GetIO();
    int32_t under = -1, pressed = -1, pressedAxis = 0; // under the mouse, where it went down
    auto near = [](ImVec2 a, ImVec2 b) {
        return std::fabs(a.x - b.x) <= kDotRadius + 1 && std::fabs(a.y - b.y) <= kDotRadius + 1;
    };
    for (uint32_t k = 0; k < track.keyCount; ++k)
        for (int axis = 0; axis < 3; ++axis) {
            if (driven(in, axis)) continue; // the editor's curve replaces this component
            const ImVec2 dot = ImVec2(xOf((float)track.keys[k].frame), yOf(component(track.keys[k], axis)));
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
        deleteKey(e, in.track, pressed);
    if (hovered && pressed >= 0 && ImGui::IsMouseClicked(ImGuiMouseButton_Left) && !drag.active)
        drag = KeyDrag{true, in.track, pressed, pressedAxis, kDragUndecided, track, low, high, length};
    if (dragging && active) {
        // Plays while it moves; the file is written when it is let go.
        const bool free = io.KeyShift;
        TrackKey to = drag.original.keys[drag.key];
        const float movedX = io.MousePos.x - io.MouseClickedPos[0].x,
                    movedY = io.MousePos.y - io.MouseClickedPos[0].y;
        drag.moves = decideDragAxis(drag.moves, movedX, movedY);
        const float value = low + (at.y + height - io.MousePos.y) / height * (high - low);
        if (dragsTime(drag.moves, movedX, movedY))
            to.frame = dragFrame((io.MousePos.x - at.x) / width * length, drag.original, drag.key, free,
                                 sceneEndFrame - duration);
        else
            setComponent(to, drag.axis, free ? std::nearbyint(value * 100) / 100 : std::nearbyint(value));
        if (std::memcmp(&track.keys[drag.key], &to, sizeof to) != 0) {
            track.keys[drag.key] = to;
            ++e.liveChanges;
        }
    } else if (dragging) {
        const TrackKey to = track.keys[drag.key];
        track = drag.original; // the edit itself puts it back in, with its undo step
        drag.active = false;
        if (std::memcmp(&to, &drag.original.keys[drag.key], sizeof to) != 0 &&
            !moveKey(e, in.track, drag.key, to))
            ++e.liveChanges; // refused: the key as it was plays on
    }

    const float x = xOf(in.now < 0 ? 0 : in.now);
    draw->AddLine(ImVec2(x, at.y), ImVec2(x, at.y + height), kPlayHeadColour, 1.5f);
    const float end = xOf(sceneEnd);
    draw->AddLine(ImVec2(end, at.y), ImVec2(end, at.y + height), kSceneEndColour, 1.5f);
    draw->AddText(ImVec2(end - 58, at.y + 2), kSceneEndColour, "scene end");
    draw->PopClipRect();
    ImGui::SetCursorScreenPos(ImVec2(origin.x, at.y + height + ImGui::GetTextLineHeight() + 4));
    ImGui::Dummy(ImVec2(1, 1));
}

void drawKeySnap() {
    ImGui::TextDisabled("keys snap to");
    ImGui::SameLine();
    ImGui::RadioButton("frames", &snapChoice, kSnapFrames);
    ImGui::SameLine();
    ImGui::RadioButton("rows", &snapChoice, kSnapRows);
    ImGui::SameLine();
    ImGui::RadioButton("beats", &snapChoice, kSnapBeats);
    ImGui::SameLine();
    ImGui::TextDisabled("(Shift: free)");
}
