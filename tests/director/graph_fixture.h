// graph_fixture.h - a hand-built scene graph for the director tests.
//
//     TestGraph g;
//     g.slot(0, kOpConstant, {}, {1, 2, 3, 4}, 1);
//     g.slot(1, kOpScale, {0}, {2}, 3);
//     g.evaluate();
//     EXPECT_EQ(g.at(1, 2).x, 2.0f);
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "base/arena.h"
#include "director/director_state.h"
#include "director/graph.h"
#include "tests/director/graph_node.h"

// The process-wide arena and the director's start-up state, fresh for every test.
inline void resetDirectorForTest() {
    static bool arenaReady = false;
    if (!arenaReady) {
        arenaInit();
        arenaReady = true;
    }
    resetDirectorState();
    beginDirectorFrame();
    endFrameOutputs(frameSettings, &lineList);
}

struct TestGraph {
    GraphNode nodes[kSlotsPerScene] = {};
    NodeValue values[kSlotsPerScene] = {};
    std::vector<std::vector<Float4>> storage = std::vector<std::vector<Float4>>(kSlotsPerScene);
    GraphArgs args = {};
    Track tracks[kTrackCount] = {};
    DirectorRenderer renderer = {1280.0f / 720.0f, tracks};

    TestGraph() { resetDirectorForTest(); }

    void slot(int k, NodeOp op, std::initializer_list<int32_t> inputs, std::initializer_list<float> params,
              uint32_t count) {
        nodes[k] = makeNode(op, inputs, params);
        storage[k].assign(count, Float4{0, 0, 0, 0});
        values[k].count = count;
        values[k].data = storage[k].data();
    }

    // A constant slot holding the given elements (written once, never re-evaluated: op 0 keeps it).
    void data(int k, std::initializer_list<Float4> elements) {
        nodes[k] = GraphNode{};
        storage[k].assign(elements);
        values[k].count = static_cast<uint32_t>(elements.size());
        values[k].data = storage[k].data();
    }

    void evaluate() { evaluateScene(nodes, values, args, renderer); }
    void frame() {
        beginDirectorFrame();
        evaluate();
    }
    Float4 at(int k, uint32_t e) const { return values[k].data[e]; }
};

#define EXPECT_FLOAT4(v, X, Y, Z, W)                                                                         \
    do {                                                                                                     \
        Float4 v_ = (v);                                                                                     \
        EXPECT_FLOAT_EQ(v_.x, (X));                                                                          \
        EXPECT_FLOAT_EQ(v_.y, (Y));                                                                          \
        EXPECT_FLOAT_EQ(v_.z, (Z));                                                                          \
        EXPECT_FLOAT_EQ(v_.w, (W));                                                                          \
    } while (0)
