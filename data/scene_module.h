// scene_module.h - the scene graphs and tracks built once more as a loadable module (qz_scene_module),
// which the edit mode builds again and loads when a file of the scene data is saved. The module holds
// the same sources as the executable's tables; this is its one entry point.
//
//     void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
//     auto tables = (SceneModuleFn)dlsym(handle, kSceneModuleEntry);
//     const SceneModule* m = tables();   // m->scenes, m->tracks, ...: valid until dlclose
//
// A module built from headers other than the program's would hand over records of another layout:
// both sides compute sceneLayoutStamp() from the records' sizes and offsets, and the module exports its
// own (kSceneLayoutEntry), so the edit mode refuses a module whose stamp is not its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "data/scene_data.h"

struct SceneModule {
    const SceneTable* scenes;
    const SceneNames* sceneNames; // kSceneCount entries
    const Track* tracks;          // kTrackCount records
    const EnumNames* trackNames;
};

using SceneModuleFn = const SceneModule* (*)();
inline constexpr const char* kSceneModuleEntry = "qzSceneModule";

using SceneLayoutFn = uint64_t (*)();
inline constexpr const char* kSceneLayoutEntry = "qzSceneLayout";

// FNV-1a over the sizes and field offsets of every record the module hands over.
constexpr uint64_t sceneLayoutStamp() {
    const uint64_t parts[] = {sizeof(NodeSource),
                              offsetof(NodeSource, inputs),
                              offsetof(NodeSource, params),
                              offsetof(NodeSource, outputCount),
                              sizeof(SceneEntry),
                              offsetof(SceneEntry, duration),
                              sizeof(SceneTable),
                              kSceneCount,
                              kSlotsPerScene,
                              sizeof(TrackKey),
                              offsetof(TrackKey, x),
                              sizeof(Track),
                              offsetof(Track, keys),
                              kTrackCount,
                              kKeysPerTrack,
                              sizeof(SceneNames),
                              offsetof(SceneNames, slots),
                              offsetof(SceneNames, places),
                              sizeof(SlotPlace),
                              offsetof(SlotPlace, line),
                              offsetof(SlotPlace, column),
                              offsetof(SlotPlace, form),
                              sizeof(EnumNames),
                              offsetof(EnumNames, offset),
                              offsetof(EnumNames, last),
                              offsetof(EnumNames, ok),
                              sizeof(SceneModule),
                              offsetof(SceneModule, sceneNames),
                              offsetof(SceneModule, tracks),
                              offsetof(SceneModule, trackNames)};
    uint64_t hash = 14695981039346656037ull;
    for (uint64_t part : parts) hash = (hash ^ part) * 1099511628211ull;
    return hash;
}
