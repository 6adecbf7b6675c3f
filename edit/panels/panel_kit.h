// panel_kit.h - what the panels share (Dear ImGui): their colours, a name as they show it, a slot's
// label in its scene.
//
//     char label[64];
//     slotLabel(scenes, scene, slot, label, sizeof label);   // "Alpha0+3"
//     ImGui::TextUnformatted(opName(node.op));                // "DrawMesh"
#pragma once

#include <cstddef>
#include <cstdint>
#include <imgui.h>

#include "edit/session/scene_set.h"

inline constexpr ImU32 kPlayHeadColour = IM_COL32(255, 210, 60, 255);
inline constexpr ImU32 kFailedColour = IM_COL32(255, 120, 110, 255);
inline constexpr ImU32 kUnsavedColour = IM_COL32(255, 150, 80, 255);
inline constexpr ImU32 kAxisColours[3] = {IM_COL32(240, 90, 90, 255), IM_COL32(100, 220, 100, 255),
                                          IM_COL32(110, 150, 255, 255)};

// A name as the panels show it: "kTrackGiven" less "kTrack" is "Given". `prefix` is stripped when the
// name starts with it; nullptr reads as "?".
const char* shortName(const char* name, const char* prefix);

// "DrawMesh" for kOpDrawMesh.
const char* opName(int32_t op);

// "Alpha0+3": a slot the enum does not name lies in the group of the named slot before it; "-" for none.
void slotLabel(const SceneSet& scenes, int scene, int32_t slot, char* out, size_t size);
