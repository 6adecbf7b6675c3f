// graph_values.h - how the operations read and write slot values: the input a slot names, one
// element of a value, an integer parameter. The graph (graph.h) and every operation (node_ops.h) use
// these; they depend on nothing but the records.
//
//     const NodeValue& a = inputValue(values, node, 0);
//     storeElement(out, e, sampleElement(a, e));
#pragma once

#include "director/director_types.h"

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
