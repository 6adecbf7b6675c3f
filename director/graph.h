// graph.h - lazy, depth-first evaluation of one scene graph per frame.
//
//     beginDirectorFrame();
//     GraphArgs args = {};
//     DirectorRenderer renderer = directorRenderer(1280.0f / 720.0f);
//     evaluateScene(nodeBlocks[scene], valueBlocks[scene], args, renderer);
//
// A slot is computed at most once per evaluation, after the slots it reads. Every operation is reached
// through one table indexed by its NodeOp code. Nothing is allocated: the value arrays were reserved
// at start-up and are overwritten in place.
#pragma once

#include "director/director_types.h"
#include "director/graph_values.h"

// Clears the `evaluated` flag of all 256 values, then evaluates slots 0..255 in order.
void evaluateScene(const GraphNode* nodes, NodeValue* values, const GraphArgs& args,
                   const DirectorRenderer& renderer);

// Evaluates slot n (its inputs first) unless it is empty or already evaluated.
void evaluateSlot(const GraphNode* nodes, NodeValue* values, int n, const GraphArgs& args,
                  const DirectorRenderer& renderer);

// The distinct vertex and pixel shader pairs that the draw slots of `scenes` name, in slot order, at
// most `capacity`; returns how many (the renderer links them before the first frame).
uint32_t collectShaderPairs(const SceneTable& scenes, DrawShaderPair* out, uint32_t capacity);
