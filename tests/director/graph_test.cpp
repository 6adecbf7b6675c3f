// graph_test.cpp - evaluation order and laziness, element access, empty inputs.
#include <cmath>

#include "tests/director/graph_fixture.h"

TEST(ElementAccess, SampleAndStore) {
    Float4 data[3] = {{1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}};
    NodeValue v = {3, data, 0};
    EXPECT_FLOAT4(sampleElement(v, 0), 1, 1, 1, 1);
    EXPECT_FLOAT4(sampleElement(v, 2), 3, 3, 3, 3);
    EXPECT_FLOAT4(sampleElement(v, 7), 3, 3, 3, 3);                         // clamped to the last
    EXPECT_FLOAT4(sampleElement(v, static_cast<uint32_t>(-1)), 3, 3, 3, 3); // below 0 wraps to the last
    NodeValue empty = {0, nullptr, 0};
    EXPECT_FLOAT4(sampleElement(empty, 0), 0, 0, 0, 0);
    EXPECT_FLOAT4(sampleElement(empty, 1000), 0, 0, 0, 0);

    storeElement(v, 1, Float4{9, 9, 9, 9});
    storeElement(v, 3, Float4{5, 5, 5, 5}); // past the end: nothing
    EXPECT_FLOAT4(data[1], 9, 9, 9, 9);
    EXPECT_FLOAT4(data[2], 3, 3, 3, 3);
}

TEST(ElementAccess, NearestRoundsHalvesToEven) {
    EXPECT_EQ(nearest(0.5f), 0);
    EXPECT_EQ(nearest(1.5f), 2);
    EXPECT_EQ(nearest(2.5f), 2);
    EXPECT_EQ(nearest(-0.5f), 0);
    EXPECT_EQ(nearest(-1.5f), -2);
    EXPECT_EQ(nearest(1.4999f), 1);
    EXPECT_EQ(nearest(3e9f), INT32_MIN);
    EXPECT_EQ(nearest(std::nanf("")), INT32_MIN);
}

TEST(Graph, InputsAreEvaluatedFirstAndOnlyOnce) {
    TestGraph g;
    // Slot 0 reads slot 5 (a later slot); slots 1 and 2 both read slot 3.
    g.slot(0, kOpScale, {5}, {2}, 1);
    g.slot(5, kOpConstant, {}, {1, 2, 3, 4}, 1);
    g.slot(3, kOpSprite, {}, {7, 1}, 1); // a side effect that shows how often it ran
    g.slot(1, kOpCopy, {3}, {}, 1);
    g.slot(2, kOpCopy, {3}, {}, 1);
    g.frame();
    EXPECT_FLOAT4(g.at(0, 0), 2, 4, 6, 8);
    EXPECT_EQ(spriteList.count, 1u);
    for (int k : {0, 1, 2, 3, 5}) EXPECT_EQ(g.values[k].evaluated, 1) << k;
    EXPECT_EQ(g.values[4].evaluated, 0); // empty slot: never evaluated
    g.frame();
    EXPECT_EQ(spriteList.count, 1u); // once per evaluation, flags cleared in between
}

TEST(Graph, EmptyAndMissingInputsReadZero) {
    TestGraph g;
    g.slot(0, kOpOffset4, {-1}, {1, 2, 3, 4}, 2);  // no input
    g.slot(1, kOpOffset4, {9}, {1, 2, 3, 4}, 2);   // slot 9 is empty: count 0
    g.slot(2, kOpOffset4, {300}, {1, 0, 0, 0}, 1); // index outside the scene reads as no input
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 1), 1, 2, 3, 4);
    EXPECT_FLOAT4(g.at(1, 0), 1, 2, 3, 4);
    EXPECT_FLOAT4(g.at(2, 0), 1, 0, 0, 0);
}

TEST(Graph, UnknownCodesAndCyclesDoNothingHarmful) {
    TestGraph g;
    g.slot(0, static_cast<NodeOp>(77), {}, {}, 1);
    g.storage[0][0] = Float4{5, 5, 5, 5};
    // Bad data: 1 and 2 read each other. Evaluation must end; the cycle reads last frame's value.
    g.slot(1, kOpOffset4, {2}, {1}, 1);
    g.slot(2, kOpOffset4, {1}, {1}, 1);
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), 5, 5, 5, 5); // codes outside 1..59 leave the value alone
    EXPECT_EQ(g.values[0].evaluated, 1);
    EXPECT_FLOAT_EQ(g.at(1, 0).x, 2.0f); // 2 saw 1's old 0, then 1 saw 2's new 1
    EXPECT_FLOAT_EQ(g.at(2, 0).x, 1.0f);
}

TEST(Graph, ValuesPersistBetweenFrames) {
    TestGraph g;
    // fold with an unknown mode writes nothing: the element keeps what it held.
    g.slot(0, kOpFold, {}, {0, 1, 7}, 2);
    g.storage[0][1] = Float4{4, 4, 4, 4};
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 1), 4, 4, 4, 4);
}

TEST(Graph, SubSceneJoinsOutputsAndNeverReentersItself) {
    TestGraph g;
    allocDirectorTables();
    // Scene block 3: one slot that adds a sprite and one that calls scene 3 again (ignored).
    GraphNode* nodes = nodeBlocks[3];
    nodes[0] = GraphNode{kOpSprite, {-1, -1, -1, -1, -1, -1, -1, -1}, {4, 2}};
    nodes[1] = GraphNode{kOpSubScene, {-1, -1, -1, -1, -1, -1, -1, -1}, {3}};
    g.slot(0, kOpSubScene, {}, {3}, 1);
    g.slot(1, kOpSubScene, {}, {0}, 1);  // k = 0: nothing
    g.slot(2, kOpSubScene, {}, {40}, 1); // outside the block table: nothing
    g.frame();
    EXPECT_EQ(spriteList.count, 2u);
    EXPECT_EQ(spriteList.records[0].texture, 4);
}

TEST(Graph, ArgumentWithoutArguments) {
    TestGraph g;
    g.slot(0, kOpArgument, {}, {2, 5, 6, 7, 8}, 3);
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), 5, 6, 7, 8);
    EXPECT_FLOAT4(g.at(0, 1), 0, 0, 0, 0); // element 0 only

    Float4 argData[1] = {{1, 2, 3, 4}};
    NodeValue arg = {1, argData, 1};
    g.args.refs[4] = &arg;
    g.slot(0, kOpArgument, {}, {9, 5, 6, 7, 8}, 1); // selector above 4 picks argument 4
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), 1, 2, 3, 4);
}
