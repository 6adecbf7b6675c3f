// scenes.cpp - the show's 11 scenes in play order (7832 frames in all).
//
// Each scene lives in data/scene_NN_*.cpp, one file per scene: its slots and their names, its length,
// its name and the tracks it reads (data/scene_build.h). This table only puts them in order.
#include "data/scene_build.h"
#include "data/scene_data.h"

const SceneTable sceneTable = {
    {scene0, scene1, scene2, scene3, scene4, scene5, scene6, scene7, scene8, scene9, scene10}};

const SceneNames sceneNames[kSceneCount] = {scene0Names, scene1Names, scene2Names, scene3Names,
                                            scene4Names, scene5Names, scene6Names, scene7Names,
                                            scene8Names, scene9Names, scene10Names};
