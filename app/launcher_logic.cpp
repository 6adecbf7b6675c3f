// launcher_logic.cpp - start, cancel, option toggles and the size set on close.
#include "app/launcher_logic.h"

#include "director/director_types.h"

LaunchSettings launcherCreated() {
    LaunchSettings s = {};
    s.fullScreen = s.vsync = s.antialias = s.music = 1;
    return s;
}

bool launcherClick(LaunchSettings& settings, int control) {
    switch (control) {
    case kControlStart:
        settings.start = 1;
        return true;
    case kControlCancel:
        settings.start = 0;
        return true;
    case kControlFullScreen:
        settings.fullScreen = !settings.fullScreen;
        return false;
    case kControlVSync:
        settings.vsync = !settings.vsync;
        return false;
    case kControlAA:
        settings.antialias = !settings.antialias;
        return false;
    case kControlMusic:
        settings.music = !settings.music;
        return false;
    default:
        return false;
    }
}

void launcherDestroyed(LaunchSettings& settings) {
    settings.width = kShowWidth;
    settings.height = kShowHeight;
}
