// save_clock.h - what both live reloads (shaders, scene data) keep of time: when to look at the files
// again (twice a second), when the newest changed file was saved, and how long after that save its
// change reached the screen. A file's write time is a save's time only when it lies between the look
// before and now: a copy that keeps its time (cp -p, tar, rsync -a, mv of a kept file) or a touch -d
// gives no latency to tell.
//
//     if (!timeToLook(clock)) return;                 // once per refresh
//     noteSave(clock, path, firstOfThisLook);         // for each changed file
//     clock.awaitingFrame = true;                     // when a reload took
//     if (noteFrameDrawn(clock)) print(clock.latencyMs);   // after each frame drawn
#pragma once

#include <cstdint>
#include <filesystem>

struct SaveClock {
    uint64_t lastLook; // performance counter at the last look at the files
    int64_t lookUs;    // system clock at the last look (µs)
    int64_t previousLookUs;
    int64_t savedAtUs;   // the newest changed file's write time (system clock, µs)
    bool savedAtKnown;   // that write time lies between the look before and the look that saw it
    bool awaitingFrame;  // a reload took: the next frame drawn is the first with it
    double latencyMs;    // from the save to that frame, for the last reload that took
    bool latencyKnown;   // latencyMs is one (the save's time was known); else it is not told
    char lastSaved[512]; // the newest changed file's path; empty until a file is saved after the start
};

// True, and the look counted, when half a second has passed since the last look.
bool timeToLook(SaveClock& clock);

// Keeps the write time of `path` if it is the newest of this look (`first`: the look's first changed file).
void noteSave(SaveClock& clock, const std::filesystem::path& path, bool first);

// After each frame drawn: true once, on the first frame after a reload took, with latencyMs set when
// latencyKnown.
bool noteFrameDrawn(SaveClock& clock);
