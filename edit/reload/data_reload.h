// data_reload.h - the edit mode takes a saved change to the scene data without stopping: when a file of
// data/ changes, it builds the scene module (qz_scene_module: the scene graphs and tracks, through the
// project's own build and flags) in the background while the show plays, loads it, checks it and
// swaps it in; a build error or bad data leaves the last good data playing and says why.
//
// A change is a change of content (each file's hash), not of time: a file saved with an older time
// than the module's (cp -p, tar x, rsync -a, mv of a kept copy, touch -d) is given the current time
// so that the build compiles it, and the hashes the module was last built from are kept beside it
// (<build>/data/scene_sources.hash) so that a start after such a save builds it too.
//
//     DataWatch watch = {};
//     SceneSet scenes = embeddedSceneSet();        // what the program was built with
//     startDataWatch(watch, sourceDir, buildDir);
//     if (pollDataWatch(watch, scenes)) ...        // once per refresh: true when `scenes` changed
//
// Desktop Linux only (the module is loaded with dlopen); elsewhere startDataWatch says so.
#pragma once

#include <cstdint>

#include "data/scene_data.h"
#include "edit/reload/data_build.h"
#include "edit/session/scene_set.h"

// Where the build folder is: QZ_BUILD_DIR in the environment, else the one this program was built in.
const char* editBuildFolder();

bool startDataWatch(DataWatch& watch, const char* sourceDir, const char* buildDir);
// Looks at data/ (at most twice a second), starts a build when a file changed, collects a finished
// build's outcome and swaps a good module in. True when `scenes` now holds new data.
bool pollDataWatch(DataWatch& watch, SceneSet& scenes);
// After each frame drawn: the first after a swap says how long after the save it came.
void noteDataFrameDrawn(DataWatch& watch);
void stopDataWatch(DataWatch& watch);

// The content hash the watch compares (FNV-1a, 64 bits) of the file at `path`; 0 when it cannot be read.
uint64_t hashFileContent(const char* path);
