// live_reload.h - the edit mode reads the show's shaders from the source tree it was built from and
// compiles them again each time one is saved: the new programs replace the old ones before the next
// frame, or, when one does not compile, the old ones keep drawing and the error names the file and line.
//
//     ShaderWatch watch = {};
//     startShaderWatch(watch, sourceDir);       // sourceDir/render/shaders/*.glsl, in the library's order
//     pollShaderWatch(watch, dev);              // once per refresh: looks at the files twice a second
//     watch.failed, watch.message               // what the panels show
//
// The files are looked at, not waited on (their time and size, twice a second): the same on every
// platform, whatever way an editor saves.
#pragma once

#include <cstdint>

#include "edit/reload/save_clock.h"
#include "render/device.h"

inline constexpr int kWatchedFileCapacity = 16;

struct ShaderWatch {
    char folder[1024];                    // <source>/render/shaders
    bool found;                           // the folder is there: changes are taken
    int fileCount;                        // shaderFileNames, in order
    int64_t stamps[kWatchedFileCapacity]; // last write time of each file as last read
    uint64_t sizes[kWatchedFileCapacity];
    bool failed;         // the last reload did not compile or link
    char message[16384]; // the result of the last reload (or why nothing is watched)
    uint32_t reloads;    // reloads of saved files that took (not the one at start)
    bool changedAtStart; // the files differed from what was built and were taken at start
    double lastMs;       // how long the last one took
    SaveClock clock;     // when to look, the last save, how long it took to reach the screen
};

// Where the source tree is: QZ_SOURCE_DIR in the environment, else the folder the program was built from.
const char* editSourceFolder();

// Reads the files once at once (so the show draws what the source tree holds now). False, with a message,
// when the folder is not there.
bool startShaderWatch(ShaderWatch& watch, const char* sourceDir, RenderDevice& dev);

// Looks at the files (at most twice a second) and reloads when one changed. True when it reloaded
// (whether or not the new shaders compiled).
bool pollShaderWatch(ShaderWatch& watch, RenderDevice& dev);

// After each frame drawn: the first after a reload that took says how long after the save it came.
void noteShaderFrameDrawn(ShaderWatch& watch);
