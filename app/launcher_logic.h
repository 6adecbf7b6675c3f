// launcher_logic.h - what each control of the launcher does to its settings, without any window.
//
//     LaunchSettings s = launcherCreated();          // options all on, start 0, size not set yet
//     bool close = launcherClick(s, kControlMusic);  // music 0; the launcher stays open
//     close = launcherClick(s, kControlStart);       // start 1; the launcher closes
//     launcherDestroyed(s);                          // whatever closed it: size 1280 x 720
//
// The launcher window (launcher.cpp) only turns clicks into these calls.
#pragma once

#include "app/launch_settings.h"

// The launcher's controls, by identifier.
enum LauncherControl {
    kControlStart = 1,      // "Zarn"
    kControlCancel = 2,     // "Ulk"
    kControlFullScreen = 3, // "FullScreen"
    kControlVSync = 4,      // "VSync"
    kControlAA = 5,         // "AA"
    kControlMusic = 6,      // "Music"
    kControlResolution = 7, // the "Resolution" list: its one entry changes nothing
};

LaunchSettings launcherCreated();

// A click on `control`; true when the launcher must close.
bool launcherClick(LaunchSettings& settings, int control);

// The launcher window is gone (by either button or any other way): the size is set.
void launcherDestroyed(LaunchSettings& settings);
