// launcher.h - the small window that asks for the display options before the show.
//
//     LaunchSettings s;
//     if (!runLauncher(s, error)) die(error);   // no window or OpenGL context for the launcher
//     if (!s.start) return 0;        // "Ulk", or closed any other way: no window, no device, no music
//
// Borderless, always on top, centred on the desktop, dragged by a press on its own surface. SDL's video
// subsystem must be running.
#pragma once

#include <string>

#include "app/launch_settings.h"

bool runLauncher(LaunchSettings& settings, std::string& error);
