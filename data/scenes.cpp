// scenes.cpp - the show's 11 scene graphs and their durations (7832 frames in all).
//
// One line per node slot: operation, input slots (kNone = no input), parameters, element count.
// Unlisted slots are empty (all bytes zero). Scene 1 is written out here; the others live in
// data/scene_NN_*.cpp, one file per scene, each naming its slots.
#include "data/scene_build.h"
#include "data/scene_data.h"

namespace {

// Scene 1: a row of 64 cubes seen from above, swaying along x and wrapped into a 20-unit band.
constexpr NodeSource scene1[kSlotsPerScene] = {
    /*  0 */ node(kOpConstant, {}, {0, 10}, 1),                       // camera eye
    /*  1 */ node(kOpConstant, {}, {0.000999f, 1}, 1),                // camera target
    /*  2 */ node(kOpConstant, {}, {0.328125f, 0.099609f, 20}, 1),    // base scale
    /*  3 */ node(kOpGrid, {}, {64, 0, 0.597656f, 0, 0.099609f}, 64), // row of 64 along x
    /*  4 */ node(kOpRandom, {}, {0, 0, 1}, 32),                      // per-instance colour
    /*  5 */ node(kOpRandom, {}, {0, 0.07959f, 0.15918f}, 64),        // per-instance size
    /*  6 */ node(kOpFrameTime, {}, {1.296875f}, 1),                  // localFrame * 1.296875
    /*  7 */ node(kOpCamera, {0, 1}, {}, 1),                          //
    /*  8 */ node(kOpAdd, {5, 2}, {}, 32),                            // per-instance scale
    /*  9 */ node(kOpSine, {6}, {9}, 1),                              // 9 sin(time)
    /* 10 */ node(kOpOffset4, {3}, {18}, 64),                         // row shifted by 18 in x
    /* 11 */ node(kOpOffset4, {9}, {20}, 1),                          // sine shifted by 20
    /* 12 */ node(kOpModulo, {11}, {20}, 1),                          //
    /* 13 */ node(kOpAdd, {12, 10}, {}, 64),                          // row moved by the sway
    /* 14 */ node(kOpModulo, {13}, {20}, 64),                         // x wrapped by 20
    /* 15 */ node(kOpOffset4, {14}, {-10.3125f}, 128),                // centred on the origin
    /* 16 */ node(kOpDrawMesh, {15, 8, kNone, 4}, {kMeshCube, 64, kVsBaseCook, kPsBaseCook}, 1), // 64 cubes,
                                                                                                 // baseCook
};

} // namespace

const SceneTable sceneTable = {{
    {scene0Nodes.data(), 900},  // 0 intro
    {scene1, 240},              // 1 lift
    {scene2Nodes.data(), 60},   // 2 hit
    {scene3Nodes.data(), 180},  // 3 build
    {scene4Nodes.data(), 922},  // 4 drop
    {scene5Nodes.data(), 922},  // 5 drop two
    {scene6Nodes.data(), 922},  // 6 breakdown
    {scene7Nodes.data(), 922},  // 7 rise
    {scene8Nodes.data(), 922},  // 8 climax
    {scene9Nodes.data(), 920},  // 9 bridge
    {scene10Nodes.data(), 922}, // 10 finale
}};
