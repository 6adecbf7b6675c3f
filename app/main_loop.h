// main_loop.h - the show's main loop: one window event or one frame per turn, the clock taken from
// the music, and the four ways it ends. Written against hooks so tests can drive it without a window.
//
//     MainLoopHooks hooks = {&app, escapeHeld, musicPlaying, positionMs, takeEvent, drawFrame};
//     ShowEnd end = runMainLoop(hooks, settings.music, sceneTable);
#pragma once

#include <cstdint>

#include "director/demo_clock.h"

enum class LoopEvent {
    none,   // the queue is empty: this turn makes a frame
    quit,   // the window was closed
    escape, // Escape was pressed
    other,  // any other event, handled
    signal, // SIGINT, SIGTERM or SIGHUP arrived
};

enum class ShowEnd { escape, quit, musicEnded, lastFrame, signal };

struct MainLoopHooks {
    void* user;
    bool (*escapeHeld)(void* user);     // the Escape key is down now
    bool (*musicPlaying)(void* user);   // asked only when the music is on
    uint32_t (*positionMs)(void* user); // the music position (fixed when the music is off)
    LoopEvent (*takeEvent)(void* user); // takes one event from the queue and handles it
    void (*drawFrame)(void* user, const DemoClock& clock);
};

ShowEnd runMainLoop(const MainLoopHooks& hooks, bool music, const SceneTable& scenes);

const char* showEndName(ShowEnd end);
