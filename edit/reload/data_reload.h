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
#include "edit/reload/module_load.h"
#include "edit/reload/module_trial.h"
#include "edit/reload/save_clock.h"
#include "edit/session/scene_set.h"

inline constexpr int kDataFileCapacity = 64;

struct DataWatch {
    char folder[1024]; // <source>/data
    char build[1024];  // the build folder the module is built in
    char module[1024]; // the module the build makes
    bool found;        // folder and build are there: changes are taken
    int fileCount;
    char names[kDataFileCapacity][64];
    int64_t stamps[kDataFileCapacity];          // each file's status (times, size, inode) as last read
    uint64_t hashes[kDataFileCapacity];         // each file's content as last read (0: missing)
    uint64_t builtHashes[kDataFileCapacity];    // what the module was built from, as far as known
    uint64_t buildingHashes[kDataFileCapacity]; // what the running build builds
    char record[1100];                          // where builtHashes are kept between runs
    int builder;                                // the running build's process id; 0 = none
    uint64_t buildStart;                        // performance counter when it started
    double buildMs;                             // how long the last build took
    int output;                                 // the read end of its output; -1 = none
    char log[16384];                            // its output so far
    uint32_t logLength;
    bool again;               // a file changed while it built: build once more
    bool atStart;             // the build at start: the tree may hold data saved after the program was built
    ModuleTrial trial;        // the built module tried in a child before it is taken
    SceneModuleHandle loaded; // the module in use
    uint32_t loads;           // modules loaded (names the copies)
    bool failed;              // the last build or load did not take
    char message[8192];       // the outcome of the last one
    uint32_t reloads;         // reloads of saved data that took (not the tree's taken at start)
    SaveClock clock;          // when to look, the last save, how long it took to reach the screen
};

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

inline constexpr double kBuildLimitSeconds = 300.0; // a build that takes longer is ended
