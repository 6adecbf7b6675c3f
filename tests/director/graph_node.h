// graph_node.h - builds one graph node from its operation, inputs and parameters (tests, benchmarks).
//
//     nodes[3] = makeNode(kOpScale, {0}, {2});   // unlisted inputs are -1, unlisted params 0
#pragma once

#include <initializer_list>

#include "director/director_types.h"

inline GraphNode makeNode(NodeOp op, std::initializer_list<int32_t> inputs,
                          std::initializer_list<float> params) {
    GraphNode n = {};
    n.op = op;
    for (int32_t& input : n.inputs) input = -1;
    int i = 0;
    for (int32_t input : inputs) n.inputs[i++] = input;
    i = 0;
    for (float p : params) n.params[i++] = p;
    return n;
}
