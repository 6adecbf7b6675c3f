// graph_values.cpp - input lookup and the rounding of integer parameters.
#include "director/graph_values.h"

#include <cmath>

#include "director/director_state.h"

static const NodeValue kNoValue = {}; // stands in for emptyValue before resetDirectorState

const NodeValue& inputValue(NodeValue* values, const GraphNode& node, int i) {
    int32_t slot = node.inputs[i];
    if (slot < 0 || slot >= kSlotsPerScene) return emptyValue ? *emptyValue : kNoValue;
    return values[slot];
}

int32_t nearest(float p) {
    if (!(p >= -2147483648.0f && p < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(std::nearbyint(p));
}
