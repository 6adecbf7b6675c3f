// window.cpp - placement, the show window, dragging by hit test, message boxes.
#include "app/window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/device.h"

WindowPlacement centredPlacement(int screenWidth, int screenHeight, int width, int height) {
    return WindowPlacement{(screenWidth - width) >> 1, (screenHeight - height) >> 1};
}

void desktopSize(int& width, int& height) {
    SDL_DisplayMode mode = {};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
        width = mode.w;
        height = mode.h;
    } else {
        width = kShowWidth;
        height = kShowHeight;
    }
}

//-----------------------------------------------------------------------------
// Dragging
//-----------------------------------------------------------------------------

static SDL_HitTestResult hitTest(SDL_Window*, const SDL_Point* point, void* data) {
    const WindowDragAreas* areas = static_cast<const WindowDragAreas*>(data);
    for (int i = 0; i < areas->keepCount; ++i)
        if (SDL_PointInRect(point, &areas->keep[i])) return SDL_HITTEST_NORMAL;
    return SDL_HITTEST_DRAGGABLE;
}

void makeWindowDraggable(SDL_Window* window, const WindowDragAreas* areas) {
    SDL_SetWindowHitTest(window, hitTest, const_cast<WindowDragAreas*>(areas));
}

//-----------------------------------------------------------------------------
// Show window
//-----------------------------------------------------------------------------

// On Windows an OpenGL ES context comes through the driver's WGL extension for it, or else from a
// libEGL.dll; most drivers have the first, Wine has neither.
static const char* esHint(GlApi api) {
#ifdef _WIN32
    if (api == kGlEs) return " (this driver offers no OpenGL ES; --gl core draws the same)";
#else
    (void)api;
#endif
    return "";
}

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#include <unistd.h>

// Xlib ends the program when the X server goes away (killed, or its connection lost), printing only
// its own "X connection to :0 broken"; the show says what happened first.
static int onDisplayLost(void*) {
    static const char text[] = "qz001: the display went away\n";
    if (write(STDERR_FILENO, text, sizeof text - 1) < 0) {
        // Nothing more to say it with.
    }
    _exit(1);
}

// A request on a window another X client destroyed (xkill, a window manager's kill) fails; Xlib's own
// handler would print the raw request and end the program. The show says what happened instead.
static int onWindowLost(void*, void*) {
    static const char text[] = "qz001: the display went away (the window was destroyed by another program)\n";
    if (write(STDERR_FILENO, text, sizeof text - 1) < 0) {
        // Nothing more to say it with.
    }
    _exit(1);
}

// Installs onDisplayLost as Xlib's handler for a lost connection and, with `failedRequests`,
// onWindowLost for a failed request, through the libX11 SDL has loaded.
void sayWhenTheDisplayGoesAway(bool failedRequests) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return;
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!x11) return;
    using Handler = int (*)(void*);
    using SetHandler = Handler (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(x11, "XSetIOErrorHandler"))) set(onDisplayLost);
    using ErrorHandler = int (*)(void*, void*);
    using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
    auto setError = reinterpret_cast<SetErrorHandler>(dlsym(x11, "XSetErrorHandler"));
    if (failedRequests && setError) setError(onWindowLost);
    dlclose(x11); // SDL keeps it loaded
}
#else
void sayWhenTheDisplayGoesAway(bool) {}
#endif

SDL_Window* openShowWindow(const LaunchSettings& settings, GlApi api, std::string& error) {
    requestGlAttributes(api);
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN;
    SDL_Window* window = nullptr;
    if (settings.fullScreen) {
        window =
            SDL_CreateWindow("qz001", 0, 0, settings.width, settings.height, flags | SDL_WINDOW_FULLSCREEN);
        if (window)
            SDL_ShowCursor(SDL_DISABLE);
        else
            std::fprintf(stderr, "qz001: full screen at %dx%d is not available (%s): playing in a window\n",
                         settings.width, settings.height, SDL_GetError());
    }
    if (!window) {
        int screenWidth = 0, screenHeight = 0;
        desktopSize(screenWidth, screenHeight);
        WindowPlacement at = centredPlacement(screenWidth, screenHeight, settings.width, settings.height);
        window = SDL_CreateWindow("qz001", at.x, at.y, settings.width, settings.height, flags);
    }
    // A press anywhere drags the window, full screen too (where the window system lets it move).
    static const WindowDragAreas everywhere = {nullptr, 0};
    if (window) makeWindowDraggable(window, &everywhere);
    if (window) sayWhenTheDisplayGoesAway(false); // SDL's own handler puts a full-screen mode back
    if (!window) error = std::string("cannot open the show window: ") + SDL_GetError() + esHint(api);
    return window;
}

// Where a message box can appear: on Windows always; elsewhere when an X11 or Wayland display is named.
static bool displayPresent() {
#ifdef _WIN32
    return true;
#else
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && x11[0]) || (wayland && wayland[0]);
#endif
}

// SDL's X11 box opens a display connection of its own in a child process, and on a busy machine
// that connection now and then fails to open although the display is there: try it a few times.
static bool showErrorBox(SDL_Window* owner, const char* text, const volatile sig_atomic_t* ended) {
    const int kTries = 3;
    for (int attempt = 0; attempt < kTries && !(ended && *ended); ++attempt) {
        if (attempt > 0) SDL_Delay(200);
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "", text, owner) == 0) return true;
    }
    return ended && *ended;
}

void reportError(SDL_Window* owner, const char* text, const volatile sig_atomic_t* ended) {
    std::fprintf(stderr, "qz001: %s\n", text);
    if (displayPresent() && !showErrorBox(owner, text, ended))
        std::fprintf(stderr, "qz001: (the message box could not be shown: %s)\n", SDL_GetError());
}

ShowDesc showDescFor(const LaunchSettings& settings, SDL_Window* window, GlApi api) {
    ShowDesc desc = {};
    desc.window = window;
    desc.width = settings.width;
    desc.height = settings.height;
    desc.fullScreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    desc.noVsync = !settings.vsync;
    desc.noAntialias = !settings.antialias;
    desc.music = settings.music;
    desc.api = api;
    return desc;
}
