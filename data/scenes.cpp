// scenes.cpp - the show's scenes in play order, as data/scene_list.h lists them (7832 frames in all).
//
// Each scene lives in data/scene_NN_*.cpp, one file per scene: its slots and their names, its length,
// its name and the tracks it reads (data/scene_build.h). These tables only put them in order.
#include <cstddef>

#include "data/scene_build.h"
#include "data/scene_data.h"
#include "data/scene_list.h"

namespace {

// The list's numbers, which name each scene file's tables (scene5, scene5Names...): 0, 1, 2... in
// order, as many as the build counted (kSceneCount).
#define QZ_SCENE_NUMBER(n, name) n,
constexpr int kListedNumbers[] = {QZ_SCENES(QZ_SCENE_NUMBER)};
#undef QZ_SCENE_NUMBER

constexpr bool numberedInOrder() {
    for (size_t i = 0; i < sizeof kListedNumbers / sizeof kListedNumbers[0]; ++i)
        if (kListedNumbers[i] != static_cast<int>(i)) return false;
    return true;
}
static_assert(numberedInOrder(), "data/scene_list.h: the scenes' numbers run 0, 1, 2... in order");
static_assert(sizeof kListedNumbers / sizeof kListedNumbers[0] == kSceneCount,
              "data/scene_list.h lists another number of scenes than the build counted (QZ_SCENE_COUNT): "
              "write each scene's line as X(number, name) \\");

} // namespace

#define QZ_SCENE_ENTRY(n, name) scene##n,
const SceneTable sceneTable = {{QZ_SCENES(QZ_SCENE_ENTRY)}};
#undef QZ_SCENE_ENTRY

#define QZ_SCENE_NAMES(n, name) scene##n##Names,
const SceneNames sceneNames[kSceneCount] = {QZ_SCENES(QZ_SCENE_NAMES)};
#undef QZ_SCENE_NAMES
