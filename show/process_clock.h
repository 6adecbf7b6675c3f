// process_clock.h - how long the process has run: the seconds since it started (on Linux the start time
// in /proc/self/stat, on Windows the process's creation time, in a browser the page's navigation
// start), so that a start-up time counts the loader and everything before main too.
//
//     const double atFirstFrame = secondsSinceExec();   // 0.21: the process started 0.21 s ago
//
// Where the start time cannot be read, the clock counts from the first call instead (and says so in
// processClockOrigin()).
#pragma once

double secondsSinceExec();
// "exec" when the clock counts from the process's start, "first call" when it fell back.
const char* processClockOrigin();
