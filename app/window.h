// window.h - the show window and the error message box.
//
//     SDL_Window* w = openShowWindow(settings, error);   // borderless, centred, dragged by a press
//     if (!w) reportError(nullptr, error.c_str());        // message box (when there is a display) + stderr
#pragma once

#include <SDL.h>
#include <csignal>
#include <string>

#include "app/launch_settings.h"
#include "render/gl_dialect.h"
#include "show/show.h"

struct WindowPlacement {
    int x;
    int y;
};

// Centred on a screen: half of (screen size - window size), as a signed shift, so a screen smaller
// than the window gives a negative position (1024 x 768 puts 1280 x 720 at (-128, 24)).
WindowPlacement centredPlacement(int screenWidth, int screenHeight, int width, int height);

// The desktop's size, or 1280 x 720 when it cannot be asked.
void desktopSize(int& width, int& height);

// Where a press on a window goes to its own controls; a press anywhere else drags the window.
struct WindowDragAreas {
    const SDL_Rect* keep;
    int keepCount;
};

// `areas` must live as long as the window.
void makeWindowDraggable(SDL_Window* window, const WindowDragAreas* areas);

// "qz001": borderless, not resizable, with an OpenGL surface for `api`; full screen at the show's size with
// the mouse pointer hidden, or centred on the desktop. Full screen that cannot be set falls back to the
// window.
SDL_Window* openShowWindow(const LaunchSettings& settings, GlApi api, std::string& error);

// Once SDL's video is up on X11: the display going away (and, with `failedRequests`, the window
// destroyed by another program) is said as such on stderr before the program ends with status 1.
// openShowWindow calls it without `failedRequests`: SDL's own handler for those puts a full-screen
// mode back; the edit mode, always windowed, with.
void sayWhenTheDisplayGoesAway(bool failedRequests);

// The show's start-up description for the launch settings and the window opened for them. Full screen is
// what the window got, not what was asked for (openShowWindow falls back to a window).
ShowDesc showDescFor(const LaunchSettings& settings, SDL_Window* window, GlApi api);

// "qz001: <text>" on stderr, and in a message box with an empty caption where a display exists.
// With `ended` (a caught signal's number, may be null): once it is non-zero the box is not shown
// again, nor its failure told (the signal ended it).
void reportError(SDL_Window* owner, const char* text, const volatile sig_atomic_t* ended = nullptr);
