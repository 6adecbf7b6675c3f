// data_build.h - the data watch's build of the scene module: cmake run in the background in a process
// group of its own (so ending it ends its compilers), its output collected without waiting; the files
// whose content changed but whose time would not make make compile them given the current time; and the
// record, beside the module, of the hashes it was built from. The watch (data_reload.h) drives these.
//
//     if (startBuild(watch)) ...                 // cmake --build <build> --target qz_scene_module
//     readOutput(watch);                         // once per look: what it printed so far, into watch.log
//     firstErrors(watch.log, text, sizeof text); // when it failed: the lines to show
//     writeBuiltHashes(watch);                   // when it built: what it was built from
//     endBuild(watch);                           // past its limit, or when the edit mode ends
//
// Desktop Linux only (posix_spawn), as the reload it serves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "edit/reload/module_load.h"
#include "edit/reload/module_trial.h"
#include "edit/reload/save_clock.h"

inline constexpr double kBuildLimitSeconds = 300.0; // a build that takes longer is ended

inline constexpr int kDataFileCapacity = 64;

// The watch of data/ and its build (data_reload.h): what the two share.
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

// A file's status in one number: any write, touch, rename or copy over it changes its change time.
// -1 where it cannot be read.
int64_t statusStamp(const std::filesystem::path& path);

// Starts `cmake --build <build> --target qz_scene_module`, its output into a pipe read without waiting;
// first gives the current time to each file whose content differs from what the module was built from
// and whose time is not after the module's, so that it is compiled. False when cmake cannot be started.
bool startBuild(DataWatch& w);
// Appends what the build printed since the last call to w.log (as much as it holds).
void readOutput(DataWatch& w);
// Ends a build that has run past its limit, and its compilers with it.
void endBuild(DataWatch& w);

// The first error of a build's output and the lines after it ("data/scene_04_drop.cpp:30:5: error: ...").
void firstErrors(const char* log, char* out, size_t size);

// The hashes the module was built from, one "HASH NAME" line a file, kept beside it between runs:
// read at start (a file not in the record: as make decides), written after each build that took.
void readBuiltHashes(DataWatch& w);
void writeBuiltHashes(DataWatch& w);
