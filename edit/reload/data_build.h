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

#include "edit/reload/data_reload.h"

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
