// node_ops.h - internal to the director: the shared signature of the node operations, the context
// they run in, and small float4 helpers.
//
// Every operation takes the evaluation context, its node and its own value. Value operations
// (value_ops.cpp) write their value element by element; output operations (output_ops.cpp) append to
// the frame outputs and leave their value alone; trackSample lives in tracks.cpp.
#pragma once

#include <array>
#include <cmath>

#include "director/graph_values.h"

struct GraphEval {
    const GraphNode* nodes;
    NodeValue* values;
    const GraphArgs* args;
    const DirectorRenderer* renderer;
};

using NodeOpFn = void (*)(const GraphEval& g, const GraphNode& node, NodeValue& value);

extern const std::array<NodeOpFn, kNodeOpCount> nodeOpTable; // indexed by NodeOp code

inline const NodeValue& in(const GraphEval& g, const GraphNode& node, int i) {
    return inputValue(g.values, node, i);
}

// The first element of input i: a zero vector when the input is empty.
inline Float4 first(const GraphEval& g, const GraphNode& node, int i) {
    return sampleElement(in(g, node, i), 0);
}

inline bool isEmpty(const GraphEval& g, const GraphNode& node, int i) {
    return in(g, node, i).count == 0;
}

inline uint32_t nearestU(float p) {
    return static_cast<uint32_t>(nearest(p));
}

//-----------------------------------------------------------------------------
// float4 arithmetic
//-----------------------------------------------------------------------------

inline Float4 operator+(Float4 a, Float4 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline Float4 operator-(Float4 a, Float4 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
inline Float4 operator*(Float4 a, Float4 b) {
    return {a.x * b.x, a.y * b.y, a.z * b.z, a.w * b.w};
}
inline Float4 operator/(Float4 a, Float4 b) {
    return {a.x / b.x, a.y / b.y, a.z / b.z, a.w / b.w};
}
inline Float4 operator*(Float4 a, float s) {
    return {a.x * s, a.y * s, a.z * s, a.w * s};
}
inline float component(Float4 a, uint32_t k) {
    return k == 0 ? a.x : k == 1 ? a.y : k == 2 ? a.z : a.w;
}

template <class F> inline Float4 perComponent(Float4 a, F f) {
    return {f(a.x), f(a.y), f(a.z), f(a.w)};
}

// exp and pow as the show computes them: through powers of two.
inline float expf2(float x) {
    return std::exp2(x * 1.44269504f);
}
inline float powf2(float x, float y) {
    return std::exp2(y * std::log2(x));
}

//-----------------------------------------------------------------------------
// Operations outside value_ops.cpp
//-----------------------------------------------------------------------------

void opFrameCounter(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opFrameTime(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opGrid(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opRandom(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opTrackSample(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opSpectrum(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opSpectrumScaled(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opArgument(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opSubScene(const GraphEval& g, const GraphNode& node, NodeValue& value);

void opSetLight(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opLineStrip(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opDrawPlain(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opDrawThreeOptions(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opDrawFiveOptions(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opDrawMesh(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opPointFrame(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opSprite(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opSetClearColor(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opLookAtCamera(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opCamera(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opDepthOfField(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opTransition(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opMotionBlur(const GraphEval& g, const GraphNode& node, NodeValue& value);
void opBloom(const GraphEval& g, const GraphNode& node, NodeValue& value);
