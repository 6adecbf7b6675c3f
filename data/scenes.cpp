// scenes.cpp - the show's 11 scene graphs and their durations (7832 frames in all).
//
// Each scene lives in data/scene_NN_*.cpp, one file per scene, naming its slots (data/scene_build.h).
#include "data/scene_build.h"
#include "data/scene_data.h"

const SceneTable sceneTable = {{
    {scene0Nodes.data(), 900},  // 0 intro
    {scene1Nodes.data(), 240},  // 1 lift
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

const SceneNames sceneNames[kSceneCount] = {
    {"intro", &scene0SlotNames},     {"lift", &scene1SlotNames},    {"hit", &scene2SlotNames},
    {"build", &scene3SlotNames},     {"drop", &scene4SlotNames},    {"drop two", &scene5SlotNames},
    {"breakdown", &scene6SlotNames}, {"rise", &scene7SlotNames},    {"climax", &scene8SlotNames},
    {"bridge", &scene9SlotNames},    {"finale", &scene10SlotNames},
};
