// tracks_panel.cpp - the tracks the scene reads, as plots or as key editors.
#include "edit/panels/tracks_panel.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <imgui.h>
#include <initializer_list>

#include "data/scene_build.h"
#include "director/director_state.h"
#include "director/tracks.h"
#include "edit/panels/panel_kit.h"

namespace {

// The components of show track `index` a sync editor drives, as "x z"; empty where none.
void drivenComponents(const SyncTracks* sync, int32_t index, char* out, size_t size) {
    out[0] = 0;
    if (!sync) return;
    for (int c = 0; c < 3; ++c)
        if (syncDriver(*sync, index, c))
            std::snprintf(out + std::strlen(out), size - std::strlen(out), "%s%c", out[0] ? " " : "",
                          "xyz"[c]);
}

// One track as three curves over its keys' frames, keys as dots, `now` (the frame it is read at) as a line.
void trackPlot(const TracksInput& in, int32_t index, float now) {
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
    ImGui::Text("track %d %s", index, shortName(enumName(*in.scenes->trackNames, index), "kTrack"));
    char driven[8];
    drivenComponents(in.sync, index, driven, sizeof driven);
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
            if (in.sync && syncDriver(*in.sync, index, axis))
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

} // namespace

void drawTracks(const TracksInput& in) {
    const bool editing = in.edits && in.edits->keys;
    if (editing) drawKeySnap(*in.keys);
    bool shown[kTrackCount] = {};
    const GraphNode* nodes = nodeBlocks[in.scene];
    for (int32_t slot = 0; slot < kSlotsPerScene; ++slot) {
        const GraphNode& node = nodes[slot];
        if (node.op != kOpTrackSample) continue;
        const int32_t index = (int32_t)std::lround(node.params[0]);
        if (index < 0 || index >= kTrackCount || shown[index]) continue;
        shown[index] = true;
        const NodeValue& time = node.inputs[0] >= 0 ? valueBlocks[in.scene][node.inputs[0]] : *emptyValue;
        ImGui::PushID(index);
        const float now = time.count && time.data ? time.data[0].x : 0.0f;
        if (editing) // keys to edit in place
            drawKeyTrack(KeyPanelInput{in.edits, in.keys, in.scenes, in.sync, index, in.scene, now});
        else
            trackPlot(in, index, now);
        ImGui::PopID();
    }
}
