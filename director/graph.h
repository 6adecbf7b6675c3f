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

// Clears the `evaluated` flag of all 256 values, then evaluates slots 0..255 in order.
void evaluateScene(const GraphNode* nodes, NodeValue* values, const GraphArgs& args,
                   const DirectorRenderer& renderer);

// Evaluates slot n (its inputs first) unless it is empty or already evaluated.
void evaluateSlot(const GraphNode* nodes, NodeValue* values, int n, const GraphArgs& args,
                  const DirectorRenderer& renderer);

// The value input i of `node` reads: emptyValue for -1 (or an index outside the scene), else the
// value of the slot it names, empty or not.
const NodeValue& inputValue(NodeValue* values, const GraphNode& node, int i);

// (0, 0, 0, 0) for an empty value; otherwise element min(e, count - 1), e unsigned, so an index
// that went below 0 reads the last element.
inline Float4 sampleElement(const NodeValue& value, uint32_t e) {
    if (value.count == 0) return Float4{0, 0, 0, 0};
    return value.data[e < value.count ? e : value.count - 1];
}

// Writes element e when e < count; otherwise nothing.
inline void storeElement(NodeValue& value, uint32_t e, Float4 x) {
    if (e < value.count) value.data[e] = x;
}

// p rounded to the nearest integer, halves to even. A value outside the 32-bit range, or not a
// number, gives INT32_MIN, as the processor's conversion does.
int32_t nearest(float p);

// The distinct vertex and pixel shader pairs that the draw slots of `scenes` name, in slot order, at
// most `capacity`; returns how many (the renderer links them before the first frame).
uint32_t collectShaderPairs(const SceneTable& scenes, DrawShaderPair* out, uint32_t capacity);
