// slot_table_panel.h - the inspector (Dear ImGui): the scene's node slots as a table (number, name,
// operation, inputs, value this frame), and above it the selected slot's editor and the plot of its
// first element over the last frames. The table returns the slot selected once the maker's clicks are in.
//
//     recordSlotHistory(history, scene, state.selectedSlot);   // after each evaluation
//     const InspectorInput in = {&scenes, &edits, &typed, &history, scene, state.selectedSlot};
//     drawSelectedSlot(in);                                    // its editor and plot (none selected: nothing)
//     state.selectedSlot = drawSlotTable(in);                  // the rest of the panel
#pragma once

#include <cstdint>

#include "director/director_types.h"
#include "edit/panels/value_panel.h"
#include "edit/session/scene_set.h"
#include "edit/session/value_edit.h"

inline constexpr int kEditHistoryFrames = 300; // the selected slot's plot: the last 5 s at 60 frames a second

// The selected slot's first element over the last frames drawn.
struct SlotHistory {
    int32_t scene;
    int32_t slot;
    Float4 values[kEditHistoryFrames];
    int count;
    int next;
    bool allElements; // the maker asked to see every element of the value, not only the plot
};

struct InspectorInput {
    const SceneSet* scenes;
    EditSession* edits; // the session the value edits go through; null: values are only shown
    TypedField* typed;  // the number being typed into, kept from frame to frame
    SlotHistory* history;
    int scene;
    int32_t selected; // -1: none
};

// After each evaluation: the selected slot's value joins its plot (a new selection starts it anew).
void recordSlotHistory(SlotHistory& history, int scene, int32_t slot);

void drawSelectedSlot(const InspectorInput& in);
int32_t drawSlotTable(const InspectorInput& in);
