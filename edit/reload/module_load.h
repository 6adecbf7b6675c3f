// module_load.h - a scene module the reload built, loaded beside the program: a copy of it opened (so a
// module rebuilt at the same path loads anew), its record layout and tables checked, and the scene set
// it holds handed out; and the trial body that loads and plays it in a child process first
// (module_trial.h), so that a module that crashes or hangs never reaches the edit mode's own process.
//
//     SceneModuleHandle handle = {};
//     SceneSet set = {};
//     if (!loadSceneModule(path, copy, handle, set, error, sizeof error)) show(error);
//     ...                                              // set points into the module until:
//     unloadSceneModule(handle);
//     startModuleTrial(trial, path, trySceneModule, removeModuleCopy); // the trial of a rebuilt one
//
// Desktop Linux only (dlopen); elsewhere loading says so and the rest does nothing.
#pragma once

#include <cstdint>

#include "edit/session/scene_set.h"

struct SceneModuleHandle {
    void* library;   // from dlopen; null = none (the executable's own tables)
    char path[1024]; // the copy that was loaded (removed when unloaded)
};

// Loads a copy of the module at `path` (so a module rebuilt at the same path loads anew) and checks its
// tables; false with the reason in `error`. The set points into the module until it is unloaded.
bool loadSceneModule(const char* path, uint32_t copyNumber, SceneModuleHandle& handle, SceneSet& set,
                     char* error, uint32_t errorSize);
void unloadSceneModule(SceneModuleHandle& handle);
// Where loadSceneModule copies module number `copy` of process `pid`.
void sceneModuleCopyPath(int pid, uint32_t copy, char* out, uint32_t size);

// Removes the module copies (qz001-scenes-PID-N.so in the temporary folder) of processes that ended
// without removing theirs.
void sweepModuleCopies();

// The trial a rebuilt module passes before it is taken (module_trial.h): run in a child process.
void trySceneModule(const char* path);
// Removes the module copy the trial's child `pid` made (module_trial.h's clean-up, in the parent).
void removeModuleCopy(int pid);

// True when the two sets hold the same scenes (lengths and node records) and tracks.
bool sameSceneData(const SceneSet& a, const SceneSet& b);

// What the director could not play safely: a scene without nodes or of no length, an input outside the
// scene, a slot larger than the arena should hold, a track with more keys than it has room for.
bool checkSceneSet(const SceneSet& set, char* error, uint32_t errorSize);
