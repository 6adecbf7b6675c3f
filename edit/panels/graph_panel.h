// graph_panel.h - the scene's node slots drawn as a graph (Dear ImGui): a box a slot (its name and
// number, its operation, the first element of its value this frame), a wire from each input to the slot
// that reads it, laid out by depth (sources on the left, outputs on the right: a slot's column is one
// more than the deepest of its inputs). The selected slot and the slots that read it are lit. A click
// on a box selects its slot (the inspector's selection), a drag on the empty background pans, a click
// there clears the selection, the mouse wheel zooms around the mouse. It draws what it is given and
// returns what the maker asked for; the owner carries it out.
//
//     const GraphAsk ask = drawGraph(GraphInput{&scenes, &graphState, scene, state.selectedSlot});
//     if (ask.select) state.selectedSlot = ask.slot;
//
// The layout is a pure function of the slots' operations and inputs, kept in the panel's state and
// laid out again only when the scene shown or its slots' wiring changes (a reload, an edit):
//
//     GraphLayout layout;
//     layoutGraph(nodeBlocks[scene], kSlotsPerScene, layout);
//     const GraphBox box = graphBox(layout, slot);            // where slot's box lies, in graph units
//     const int32_t hit = graphSlotAt(layout, x, y);          // the slot whose box holds (x, y), or -1
#pragma once

#include <cstdint>

#include "director/director_types.h"
#include "edit/session/scene_set.h"

// The graph's units: a box at zoom 1 is this many pixels.
inline constexpr float kGraphBoxWidth = 124;
inline constexpr float kGraphBoxHeight = 48;
inline constexpr float kGraphColumnGap = 30; // room for the wires between columns
inline constexpr float kGraphRowGap = 12;
inline constexpr float kGraphColumnStep = kGraphBoxWidth + kGraphColumnGap; // from a column to the next
inline constexpr float kGraphRowStep = kGraphBoxHeight + kGraphRowGap;

// What a slot's layout depends on: its operation and its inputs (the first 36 bytes of a GraphNode).
struct GraphWiring {
    int32_t op;
    int32_t inputs[8];
};

// Where each slot's box lies: column (its depth) and row within the column; -1 for an empty slot.
struct GraphLayout {
    int32_t count; // slots laid out (the nodes given)
    int16_t column[kSlotsPerScene];
    int16_t row[kSlotsPerScene];
    int32_t columns;                    // columns in use
    int32_t rows;                       // the most boxes in one column
    GraphWiring wiring[kSlotsPerScene]; // the nodes as they were laid out
};

struct GraphBox {
    float x0, y0, x1, y1;
};

// Lays out `count` slots of `nodes`. An input of -1 ends a slot's inputs; an input naming an empty slot
// or one outside 0..count-1 draws no wire and sets no depth; an input that closes a cycle is left out.
void layoutGraph(const GraphNode* nodes, int count, GraphLayout& out);
// True when `nodes` still have the operations and inputs `layout` was made from.
bool graphLayoutMatches(const GraphLayout& layout, const GraphNode* nodes, int count);
// Slot `slot`'s box in graph units (a laid-out slot only).
GraphBox graphBox(const GraphLayout& layout, int32_t slot);
// The slot whose box holds the point (x, y) in graph units; -1 for none.
int32_t graphSlotAt(const GraphLayout& layout, float x, float y);
// True when `input` is a wire the graph draws (a laid-out slot, to the left of its reader).
bool graphWireDrawn(const GraphLayout& layout, int32_t input, int32_t reader);

// What the panel keeps from frame to frame (large: the owner keeps it with its own state).
struct GraphPanelState {
    GraphLayout layout;
    int32_t scene;    // the scene laid out
    float panX, panY; // where the graph's origin lies, in pixels from the canvas's corner
    float zoom;       // 0 (a zeroed record): nothing laid out yet
    int32_t followed; // the selected slot the view last brought into sight
    bool panning;     // the mouse went down on the background and drags it
    bool rewiring;    // the mouse went down on a wire's end and drags it to another box
    int32_t reader;   // rewiring: the slot whose input it is, and which input
    int input;
};

struct GraphInput {
    const SceneSet* scenes;
    GraphPanelState* own;
    int scene;
    int32_t selected; // -1: none
};

// Each ask is off unless the maker asked for it this frame.
struct GraphAsk {
    bool select; // `slot` selected (-1: the selection cleared)
    int32_t slot;
    bool rewire; // a wire's end dropped on another box: input `input` of `reader` to read `from`
    int32_t reader;
    int input;
    int32_t from;
};

GraphAsk drawGraph(const GraphInput& in);
