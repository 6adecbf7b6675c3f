// main.cpp - qz001: the launcher, the show window, start-up in its fixed order, the main loop; or, with
// --edit, the edit mode (edit/).
//
// Exit status: 0 at a normal end (the music ended, the last frame, Escape, the window closed, or the
// launcher cancelled); 1 when the show cannot start (missing music file, no display, no OpenGL 3.3 or ES 3.0,
// a shader that does not compile), with the reason on stderr and in a message box; 2 for a bad option;
// 128 + the signal's number when SIGINT, SIGTERM or SIGHUP (not on Windows) ends the show.
#define SDL_MAIN_HANDLED // main is the entry on every platform; SDL_SetMainReady says so
#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#ifndef _WIN32
#include <dirent.h>
#include <unistd.h>
#endif

#include "app/command_line.h"
#include "app/console.h"
#include "app/launcher.h"
#include "app/window.h"
#include "audio/music.h"
#include "data/scene_data.h"
#include "edit/edit_mode.h"
#include "show/process_clock.h"
#include "show/show.h"
#include "show/show_loop.h"

namespace {

using Clock = std::chrono::steady_clock;

struct App {
    RenderDevice dev;
    LaunchSettings settings;
    int32_t startMs; // where the music starts: the first frame drawn is this one
    bool stats;
    double atMain, launcherClosed, musicOpened, windowOpened, started; // seconds since exec, for --stats
    double toFirstFrame; // seconds since exec when the first frame was on screen
    Clock::time_point firstFrame;
    uint64_t frames;
};

bool escapeHeld(void*) {
    return SDL_GetKeyboardState(nullptr)[SDL_SCANCODE_ESCAPE] != 0;
}

bool musicPlaying(void*) {
    return musicIsPlaying();
}

// The first frame is the one asked for, however long the turns before it took.
uint32_t positionMs(void* user) {
    const App& app = *static_cast<App*>(user);
    return app.settings.music && app.frames > 0 ? musicPositionMs() : (uint32_t)app.startMs;
}

volatile sig_atomic_t caughtSignal;

void onSignal(int signal) {
    caughtSignal = signal;
}

const char* signalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
#ifdef SIGHUP
    case SIGHUP:
        return "SIGHUP";
#endif
    }
    return "signal";
}

// From the main loop on, a signal ends the show through the loop, so that SDL gives the display back.
// Before it, the signal's default action ends the process.
#ifdef _WIN32
void catchSignals() {
    for (int signal : {SIGINT, SIGTERM}) std::signal(signal, onSignal);
}
// The message box is modal in this process: the signals' own action ends it while the box is up.
void watchSignalsDuringBox() {
    for (int signal : {SIGINT, SIGTERM}) std::signal(signal, SIG_DFL);
}
#else
void catchSignals() {
    struct sigaction action = {};
    action.sa_handler = onSignal;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

// Ends this process's children: SDL shows a message box from a child process of its own and waits
// for it, so ending the box ends the wait.
void endChildren() {
    DIR* proc = opendir("/proc");
    if (!proc) return;
    const pid_t self = getpid();
    while (const dirent* entry = readdir(proc)) {
        char path[300], stat[512] = "";
        std::snprintf(path, sizeof path, "/proc/%s/stat", entry->d_name);
        FILE* file = entry->d_name[0] >= '1' && entry->d_name[0] <= '9' ? std::fopen(path, "r") : nullptr;
        if (!file) continue;
        const size_t n = std::fread(stat, 1, sizeof stat - 1, file);
        std::fclose(file);
        stat[n] = 0;
        const char* afterName = std::strrchr(stat, ')'); // "PID (name) STATE PPID ..."
        int parent = 0;
        if (afterName && std::sscanf(afterName + 1, " %*c %d", &parent) == 1 && parent == self)
            kill((pid_t)std::atoi(entry->d_name), SIGKILL);
    }
    closedir(proc);
}

// No loop looks at a caught signal while the message box waits for its OK: from here on the signals
// are caught (on whichever thread they land) and a thread that sees one ends the box, so that the
// caller ends with 128 + the signal.
void watchSignalsDuringBox() {
    catchSignals();
    std::thread([] {
        while (!caughtSignal) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (;;) { // until the process ends: a box shown again after an ended one ends too
            endChildren();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }).detach();
}
#endif

LoopEvent takeEvent(void*) {
    if (caughtSignal) return LoopEvent::signal;
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return LoopEvent::none;
    if (e.type == SDL_QUIT) return LoopEvent::quit;
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) return LoopEvent::quit;
    if (e.type == SDL_KEYDOWN && e.key.keysym.scancode == SDL_SCANCODE_ESCAPE) return LoopEvent::escape;
    return LoopEvent::other;
}

// --stats at the first frame: the time since exec and where it went, step by step.
void printStartup(const App& app, const DemoClock& clock) {
    std::fprintf(stderr, "qz001: first frame %d on screen %.3f s after %s (to main %.3f", clock.frame,
                 app.toFirstFrame, processClockOrigin(), app.atMain);
    const double beforeMusic = std::max(app.atMain, app.launcherClosed);
    if (app.launcherClosed > 0) std::fprintf(stderr, ", launcher %.3f", app.launcherClosed - app.atMain);
    std::fprintf(stderr, ", music file %.3f, window %.3f", app.musicOpened - beforeMusic,
                 app.windowOpened - app.musicOpened);
    for (int step = 0; step < showStartStepCount(); ++step)
        std::fprintf(stderr, ", %s %.3f", showStartStepName(step), showStartStepSeconds(step));
    std::fprintf(stderr, ", first frame %.3f)\n", app.toFirstFrame - app.started);
    std::fflush(stderr);
}

void drawFrame(void* user, const DemoClock& clock) {
    App& app = *static_cast<App*>(user);
    evaluateAndRenderFrame(app.dev, clock);
    if (app.frames++ == 0) {
        app.firstFrame = Clock::now();
        app.toFirstFrame = secondsSinceExec();
        if (app.stats) printStartup(app, clock);
    }
}

// Ends the process without releasing the show's tables. SDL is shut down first: that gives a
// full-screen display mode back to the desktop (X11 keeps a changed mode after its client is gone).
[[noreturn]] void endProcess(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
#ifndef _WIN32
    // Closing the display can wait forever on the GL driver's own threads (llvmpipe's teardown, seen
    // after a signal at a message box): the process ends two seconds on, whatever SDL_Quit does.
    std::thread([status] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        std::_Exit(status);
    }).detach();
#endif
    if (SDL_WasInit(0)) SDL_Quit();
    releaseParentConsole();
    std::_Exit(status);
}

// A signal before or while the message box is up ends the process with 128 + the signal, as the
// loop would.
[[noreturn]] void fail(SDL_Window* window, const std::string& text) {
    watchSignalsDuringBox();
    reportError(window, text.c_str(), &caughtSignal);
    endProcess(caughtSignal ? 128 + caughtSignal : 1);
}

// A video driver that shows something: SDL falls back to drivers that draw nowhere when there is no
// display, and the show would then play unseen.
void startVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return;
    const char* hint = "; without a display, ./run.sh renders the show into a video";
    std::string tried; // ": DISPLAY=:55 cannot be opened"
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && value[0])
            tried += std::string(tried.empty() ? ": " : " and ") + name + "=" + value;
    if (!tried.empty()) tried += " cannot be opened";
    // A display named but busy (an X server under load refuses a connection now and then) is tried
    // again for two seconds before the show gives up on it.
    const int attempts = tried.empty() ? 1 : 8;
    for (int attempt = 1;; ++attempt) {
        const bool last = attempt == attempts;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            if (last)
                fail(nullptr, "no display to show the show on" + tried + " (" + SDL_GetError() + ")" + hint);
        } else {
            const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
            if (driver != "offscreen" && driver != "dummy" && driver != "evdev") return;
            if (last)
                fail(nullptr, "no display to show the show on" + tried + " (SDL found only its \"" + driver +
                                  "\" video driver)" + hint);
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        SDL_Delay(250);
    }
}

void printStats(const App& app, ShowEnd end) {
    char ending[64];
    if (end == ShowEnd::signal)
        std::snprintf(ending, sizeof ending, "signal %s", signalName(caughtSignal));
    else
        std::snprintf(ending, sizeof ending, "%s", showEndName(end));
    if (app.frames == 0) {
        std::fprintf(stderr, "qz001: ended by %s; no frame drawn\n", ending);
        return;
    }
    const double toFirst = app.toFirstFrame;
    const double playing = std::chrono::duration<double>(Clock::now() - app.firstFrame).count();
    std::fprintf(stderr, "qz001: ended by %s; first frame %d, %.2f s after start; ", ending,
                 demoFrameAt(app.startMs), toFirst);
    if (app.frames == 1)
        std::fprintf(stderr, "1 frame\n");
    else
        std::fprintf(stderr, "%llu frames in %.1f s (%.1f fps)\n", (unsigned long long)app.frames, playing,
                     playing > 0 ? (double)(app.frames - 1) / playing : 0.0);
}

App app;

// qz001 --edit: the music opens as for the player (a missing file is fatal), then the edit mode runs
// until Escape, the window closed or a signal.
[[noreturn]] void runEdit(const CommandLine& options) {
    if (!openMusic(kMusicPath, options.startMs)) fail(nullptr, musicError());
    const double musicOpened = secondsSinceExec();
    startVideo();
    sayWhenTheDisplayGoesAway(true);
    EditDesc desc = {};
    desc.atMain = app.atMain;
    desc.musicOpened = musicOpened;
    desc.startMs = options.startMs;
    desc.silent = !options.settings.music;
    desc.noAntialias = !options.settings.antialias;
    desc.noVsync = !options.settings.vsync;
    desc.api = options.api;
    desc.stats = options.stats;
    desc.signal = &caughtSignal;
    desc.sync = options.sync;
    desc.syncHost = options.syncHost.c_str();
    desc.syncPort = options.syncPort;
    catchSignals();
    char error[2048] = "";
    const EditEnd end = runEditMode(desc, error, sizeof error);
    if (end.failed) fail(nullptr, error);
    endProcess(end.end == ShowEnd::signal ? 128 + caughtSignal : 0);
}

} // namespace

int main(int argc, char** argv) {
    app.atMain = secondsSinceExec();
    attachParentConsole();
    SDL_SetMainReady();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); // SDL would turn SIGINT and SIGTERM into a normal quit
    CommandLine options = {};
    std::string message;
    switch (parseCommandLine(argc, argv, options, message)) {
    case CommandLineResult::done:
        return 0;
    case CommandLineResult::error:
        reportWithoutConsole(message.c_str()); // a shortcut with a typo gets a message box
        return 2;
    case CommandLineResult::run:
        break;
    }

    showInit();
    if (options.edit) runEdit(options);
    startShowImages(demoFrameAt(options.startMs));
    app.settings = options.settings;
    app.stats = options.stats;
    if (options.launcher) {
        startVideo();
        std::string error;
        if (!runLauncher(app.settings, error)) fail(nullptr, error);
        if (!app.settings.start) endProcess(0);
        app.launcherClosed = secondsSinceExec();
    }
    if (app.settings.music && !openMusic(kMusicPath, options.startMs)) fail(nullptr, musicError());
    app.startMs = app.settings.music ? musicStartMs() : options.startMs;
    app.musicOpened = secondsSinceExec();
    startVideo();
    std::string error;
    SDL_Window* window = openShowWindow(app.settings, options.api, error);
    if (!window) fail(nullptr, error);
    app.windowOpened = secondsSinceExec();

    ShowDesc desc = showDescFor(app.settings, window, options.api);
    desc.startFrame = demoFrameAt(app.startMs);
    if (!showStart(app.dev, desc)) fail(window, showError());
    app.started = secondsSinceExec();

    const MainLoopHooks hooks = {&app, escapeHeld, musicPlaying, positionMs, takeEvent, drawFrame};
    catchSignals();
    const ShowEnd end = runMainLoop(hooks, app.settings.music, sceneTable);
    if (options.stats) printStats(app, end);
    endProcess(end == ShowEnd::signal ? 128 + caughtSignal : 0);
}
