// show_loop.cpp - Escape first, then the music, then one event or one frame, then Escape again.
#include "show/show_loop.h"

static bool over(ShowEnd reason, ShowEnd& end) {
    end = reason;
    return false;
}

bool runShowTurn(const MainLoopHooks& h, bool music, const SceneTable& scenes, ShowEnd& end) {
    if (music && !h.musicPlaying(h.user)) return over(ShowEnd::musicEnded, end);
    const LoopEvent event = h.takeEvent(h.user);
    if (event == LoopEvent::quit) return over(ShowEnd::quit, end);
    if (event == LoopEvent::escape) return over(ShowEnd::escape, end);
    if (event == LoopEvent::signal) return over(ShowEnd::signal, end);
    if (event == LoopEvent::none) {
        const DemoClock clock = demoClockAt((int32_t)h.positionMs(h.user), scenes);
        if (clock.ended) return over(ShowEnd::lastFrame, end);
        h.drawFrame(h.user, clock);
    }
    if (h.escapeHeld(h.user)) return over(ShowEnd::escape, end);
    return true;
}

ShowEnd runMainLoop(const MainLoopHooks& h, bool music, const SceneTable& scenes) {
    if (h.escapeHeld(h.user)) return ShowEnd::escape;
    ShowEnd end = ShowEnd::quit;
    while (runShowTurn(h, music, scenes, end)) {
    }
    return end;
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
