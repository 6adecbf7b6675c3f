// scene_module.h - the scene graphs and tracks built once more as a loadable module (qz_scene_module),
// which the edit mode builds again and loads when a file of the scene data is saved. The module holds
// the same sources as the executable's tables; this is its one entry point.
//
//     void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
//     auto tables = (SceneModuleFn)dlsym(handle, kSceneModuleEntry);
//     const SceneModule* m = tables();   // m->scenes, m->tracks, ...: valid until dlclose
#pragma once

#include "data/scene_data.h"

struct SceneModule {
    const SceneTable* scenes;
    const SceneNames* sceneNames; // kSceneCount entries
    const Track* tracks;          // kTrackCount records
    const EnumNames* trackNames;
};

using SceneModuleFn = const SceneModule* (*)();
inline constexpr const char* kSceneModuleEntry = "qzSceneModule";
