// show_loop.h - the show's turn and its main loop: one window event or one frame per turn, the clock
// taken from the music, and the ways the show ends. The player's loop, the edit mode's and the browser's
// driver all run this same turn; they differ only in their hooks. Written against hooks so tests can
// drive it without a window.
//
//     MainLoopHooks hooks = {&app, escapeHeld, musicPlaying, positionMs, takeEvent, drawFrame};
//     ShowEnd end = runMainLoop(hooks, settings.music, sceneTable);   // the player
//
//     ShowEnd end;                                                    // a driver that owns its loop
//     if (!runShowTurn(hooks, music, sceneTable, end)) stop(showEndName(end));
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

// One turn: the music's end, then one event, or with the queue empty one frame at the music position,
// then Escape. False when the show is over, with `end` saying why.
bool runShowTurn(const MainLoopHooks& hooks, bool music, const SceneTable& scenes, ShowEnd& end);

// Escape first, then turns until the show is over.
ShowEnd runMainLoop(const MainLoopHooks& hooks, bool music, const SceneTable& scenes);

const char* showEndName(ShowEnd end);
