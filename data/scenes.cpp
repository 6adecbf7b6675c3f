// scenes.cpp - the show's 11 scene graphs and their durations.
//
// One line per node slot: operation, input slots (kNone = no input), parameters, element count.
// Unlisted slots are empty (all bytes zero). Scenes other than 1 have no content yet: their 256
// slots are empty, so they draw nothing and leave the camera and settings as they were.
#include <initializer_list>

#include "director/scene_data.h"

namespace {

constexpr int32_t kNone = -1;

constexpr NodeSource node(NodeOp op, std::initializer_list<int32_t> inputs,
                          std::initializer_list<float> params, uint32_t outputCount) {
    NodeSource n{};
    n.op = op;
    for (int i = 0; i < 8; ++i) n.inputs[i] = kNone;
    int i = 0;
    for (int32_t input : inputs) n.inputs[i++] = input;
    i = 0;
    for (float p : params) n.params[i++] = p;
    n.outputCount = outputCount;
    return n;
}

// Scene 1: a row of 64 cubes seen from above, swaying along x and wrapped into a 20-unit band.
constexpr NodeSource scene1[kSlotsPerScene] = {
    /*  0 */ node(kOpConstant, {}, {0, 10}, 1),                         // camera eye
    /*  1 */ node(kOpConstant, {}, {0.000999f, 1}, 1),                  // camera target
    /*  2 */ node(kOpConstant, {}, {0.328125f, 0.099609f, 20}, 1),      // base scale
    /*  3 */ node(kOpGrid, {}, {64, 0, 0.597656f, 0, 0.099609f}, 64),   // row of 64 along x
    /*  4 */ node(kOpRandom, {}, {0, 0, 1}, 32),                        // per-instance colour
    /*  5 */ node(kOpRandom, {}, {0, 0.07959f, 0.15918f}, 64),          // per-instance size
    /*  6 */ node(kOpFrameTime, {}, {1.296875f}, 1),                    // localFrame * 1.296875
    /*  7 */ node(kOpCamera, {0, 1}, {}, 1),                            //
    /*  8 */ node(kOpAdd, {5, 2}, {}, 32),                              // per-instance scale
    /*  9 */ node(kOpSine, {6}, {9}, 1),                                // 9 sin(time)
    /* 10 */ node(kOpOffset4, {3}, {18}, 64),                           // row shifted by 18 in x
    /* 11 */ node(kOpOffset4, {9}, {20}, 1),                            // sine shifted by 20
    /* 12 */ node(kOpModulo, {11}, {20}, 1),                            //
    /* 13 */ node(kOpAdd, {12, 10}, {}, 64),                            // row moved by the sway
    /* 14 */ node(kOpModulo, {13}, {20}, 64),                           // x wrapped by 20
    /* 15 */ node(kOpOffset4, {14}, {-10.3125f}, 128),                  // centred on the origin
    /* 16 */ node(kOpDrawMesh, {15, 8, kNone, 4}, {20, 64, 10, 10}, 1), // 64 cubes, baseCook
};

constexpr NodeSource emptyScene[kSlotsPerScene] = {};

} // namespace

const SceneTable sceneTable = {{
    {emptyScene, 900}, // 0
    {scene1, 240},     // 1
    {emptyScene, 60},  // 2
    {emptyScene, 180}, // 3
    {emptyScene, 922}, // 4
    {emptyScene, 922}, // 5
    {emptyScene, 922}, // 6
    {emptyScene, 922}, // 7
    {emptyScene, 922}, // 8
    {emptyScene, 920}, // 9
    {emptyScene, 922}, // 10
}};
