// main_loop.cpp - Escape first, then the music, then one event or one frame, then Escape again.
#include "app/main_loop.h"

ShowEnd runMainLoop(const MainLoopHooks& h, bool music, const SceneTable& scenes) {
    if (h.escapeHeld(h.user)) return ShowEnd::escape;
    for (;;) {
        if (music && !h.musicPlaying(h.user)) return ShowEnd::musicEnded;
        const LoopEvent event = h.takeEvent(h.user);
        if (event == LoopEvent::quit) return ShowEnd::quit;
        if (event == LoopEvent::escape) return ShowEnd::escape;
        if (event == LoopEvent::signal) return ShowEnd::signal;
        if (event == LoopEvent::none) {
            const DemoClock clock = demoClockAt((int32_t)h.positionMs(h.user), scenes);
            if (clock.ended) return ShowEnd::lastFrame;
            h.drawFrame(h.user, clock);
        }
        if (h.escapeHeld(h.user)) return ShowEnd::escape;
    }
}

const char* showEndName(ShowEnd end) {
    switch (end) {
    case ShowEnd::escape:
        return "Escape";
    case ShowEnd::quit:
        return "window closed";
    case ShowEnd::musicEnded:
        return "end of the music";
    case ShowEnd::lastFrame:
        return "last frame";
    case ShowEnd::signal:
        return "a signal";
    }
    return "?";
}
