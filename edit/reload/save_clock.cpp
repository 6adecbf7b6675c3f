// save_clock.cpp - the performance counter for the looks, the system clock for the saves (file write
// times are on it).
#include "edit/reload/save_clock.h"

#include <SDL.h>
#include <chrono>
#include <cstdio>

static int64_t nowMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool timeToLook(SaveClock& clock) {
    const uint64_t now = SDL_GetPerformanceCounter();
    if ((double)(now - clock.lastLook) < 0.5 * (double)SDL_GetPerformanceFrequency()) return false;
    clock.lastLook = now;
    clock.previousLookUs = clock.lookUs;
    clock.lookUs = nowMicroseconds();
    return true;
}

void noteSave(SaveClock& clock, const std::filesystem::path& path, bool first) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    const int64_t at = error ? nowMicroseconds()
                             : std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::file_clock::to_sys(written).time_since_epoch())
                                   .count();
    if (first || at > clock.savedAtUs) {
        clock.savedAtUs = at;
        // Coarse file times and a clock stepped back by a second are still a save's time.
        clock.savedAtKnown = !error && clock.previousLookUs > 0 && at >= clock.previousLookUs - 2000000 &&
                             at <= clock.lookUs + 1000000;
        std::snprintf(clock.lastSaved, sizeof clock.lastSaved, "%s", path.string().c_str());
    }
}

bool noteFrameDrawn(SaveClock& clock) {
    if (!clock.awaitingFrame) return false;
    clock.awaitingFrame = false;
    clock.latencyKnown = clock.savedAtKnown;
    clock.latencyMs = clock.latencyKnown ? (double)(nowMicroseconds() - clock.savedAtUs) / 1000.0 : 0;
    return true;
}
