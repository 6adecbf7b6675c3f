// scene_module.cpp - the entry point of qz_scene_module: its tables, by address.
#include "data/scene_module.h"

extern "C" const SceneModule* qzSceneModule() {
    static const SceneModule module = {&sceneTable, sceneNames, embeddedTracks, &trackNames};
    return &module;
}

extern "C" uint64_t qzSceneLayout() {
    return sceneLayoutStamp();
}
