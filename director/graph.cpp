// graph.cpp - the evaluation machinery: lazy depth-first slot evaluation, input lookup, and the
// subScene operation, which evaluates another scene's graph inside the current one.
#include "director/graph.h"

#include <cmath>

#include "director/director_state.h"
#include "director/node_ops.h"

//-----------------------------------------------------------------------------
// Evaluation
//-----------------------------------------------------------------------------

// Value blocks whose evaluation is under way, innermost last: a subScene never re-enters one.
static const NodeValue* activeBlocks[kSceneBlockCount];
static int activeDepth;

static void evaluateSlotIn(const GraphEval& g, int n) {
    const GraphNode& node = g.nodes[n];
    NodeValue& value = g.values[n];
    if (node.op == kOpEmpty || value.evaluated) return;
    value.evaluated = 2; // under way: a cycle in bad data reads last frame's value instead of recursing
    for (int i = 0; i < 8; ++i) {
        int32_t input = node.inputs[i];
        if (input < 0 || input >= kSlotsPerScene) continue;
        if (g.nodes[input].op != kOpEmpty && g.values[input].evaluated == 0) evaluateSlotIn(g, input);
    }
    if (node.op > 0 && node.op < kNodeOpCount) nodeOpTable[node.op](g, node, value);
    value.evaluated = 1;
}

void evaluateSlot(const GraphNode* nodes, NodeValue* values, int n, const GraphArgs& args,
                  const DirectorRenderer& renderer) {
    GraphEval g = {nodes, values, &args, &renderer};
    evaluateSlotIn(g, n);
}

void evaluateScene(const GraphNode* nodes, NodeValue* values, const GraphArgs& args,
                   const DirectorRenderer& renderer) {
    for (int i = 0; i < activeDepth; ++i)
        if (activeBlocks[i] == values) return; // already being evaluated further out
    if (activeDepth == kSceneBlockCount) return;
    activeBlocks[activeDepth++] = values;
    for (int k = 0; k < kSlotsPerScene; ++k) values[k].evaluated = 0;
    GraphEval g = {nodes, values, &args, &renderer};
    for (int k = 0; k < kSlotsPerScene; ++k) evaluateSlotIn(g, k);
    --activeDepth;
}

//-----------------------------------------------------------------------------
// subScene (54)
//-----------------------------------------------------------------------------

// Evaluates scene k's graph in full with empty arguments; its outputs join the current frame's.
// k = 0, a scene outside the block table, or a scene whose evaluation is under way does nothing.
void opSubScene(const GraphEval& g, const GraphNode& node, NodeValue&) {
    int32_t k = nearest(node.params[0]);
    if (k <= 0 || k >= kSceneBlockCount || !nodeBlocks || !valueBlocks) return;
    GraphArgs none = {};
    evaluateScene(nodeBlocks[k], valueBlocks[k], none, *g.renderer);
}
