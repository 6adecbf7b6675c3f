// web_main.cpp - the show in a browser: the page's driver of the show layer.
//
// The page (web/page.js) loads the music with the show's files and writes it into the virtual file
// system, then calls
//
//     qzStart(antialias, music, sound, startMs, stillFrame) // stillFrame -1: play; else render that frame
//
// With `sound` 0 (the browser refused it) the music still sets the clock, silently, on the wall clock.
// qzStart starts once: while the show starts or plays a second call does nothing; after the show has
// ended it plays it again ("Play again") with what was built and the settings it was built with.
//
// Each animation frame of the browser is one turn: first the start-up steps, one per turn, so the
// page can draw its progress bar (Module.qzProgress(done, total)); then one frame of the show at the
// music position, as the desktop's main loop makes it. The show ends at its last frame, when the music
// has played, or when the page calls qzStop() (Escape): Module.qzEnded(reason). A failure at start-up
// goes to Module.qzFailed(message). No threads, no blocking calls.
#include <SDL.h>
#include <cstdint>
#include <cstdio>
#include <emscripten.h>

#include "audio/music.h"
#include "data/scene_data.h"
#include "director/demo_clock.h"
#include "show/show.h"
#include "show/show_loop.h"

namespace {

struct WebShow {
    RenderDevice dev;
    ShowDesc desc;
    int step; // next start-up step; showStartStepCount() once started
    int32_t startMs;
    int32_t still; // global frame to render once and stop; -1 to play
    uint64_t frames;
    bool running;
};

WebShow web;

void finish(const char* reason) {
    if (!web.running) return;
    web.running = false;
    emscripten_cancel_main_loop();
    if (web.desc.music) closeMusic();
    EM_ASM({ Module.qzEnded(UTF8ToString($0), $1); }, reason, (double)web.frames);
}

void fail(const char* message) {
    web.running = false;
    emscripten_cancel_main_loop();
    EM_ASM({ Module.qzFailed(UTF8ToString($0)); }, message);
}

// The still frame's pixels as qz001-tool render writes them (RGBA8, rows top first), for the page.
uint8_t stillPixels[kShowWidth * kShowHeight * 4];

void renderStill() {
    ShowCursor cursor = {};
    catchUpAndRenderFrame(web.dev, cursor, web.still);
    readBackBuffer(web.dev, stillPixels);
    web.frames = 1;
    finish("still frame");
}

bool musicPlaying(void*) {
    return musicIsPlaying();
}

// The first frame is the one asked for; later ones follow the music.
uint32_t positionMs(void*) {
    return web.desc.music && web.frames > 0 ? musicPositionMs() : (uint32_t)web.startMs;
}

bool escapeHeld(void*) {
    return false; // the page calls qzStop for Escape
}

LoopEvent noEvent(void*) {
    return LoopEvent::none; // the page handles its own events: every turn makes a frame
}

void drawFrame(void*, const DemoClock& clock) {
    evaluateAndRenderFrame(web.dev, clock);
    ++web.frames;
}

// One frame of the show, the same turn as the desktop's main loop.
void playTurn() {
    static const MainLoopHooks hooks = {nullptr, escapeHeld, musicPlaying, positionMs, noEvent, drawFrame};
    ShowEnd end = ShowEnd::quit;
    if (!runShowTurn(hooks, web.desc.music, sceneTable, end)) finish(showEndName(end));
}

void turn() {
    const int steps = showStartStepCount();
    if (web.step < steps) {
        if (!runShowStartStep(web.dev, web.desc, web.step)) return fail(showError());
        ++web.step;
        EM_ASM({ Module.qzProgress($0, $1); }, web.step, steps);
        return;
    }
    if (web.still >= 0) return renderStill();
    playTurn();
}

// The show again from startMs, as built: the music reopened there, the frames counted anew.
int playAgain(int sound, int32_t startMs) {
    web.startMs = startMs;
    web.frames = 0;
    if (web.desc.music) {
        setMusicSilent(sound == 0);
        if (!openMusic(kMusicPath, startMs) || !startMusic()) {
            fail(musicError());
            return 0;
        }
    }
    web.running = true;
    emscripten_set_main_loop(turn, 0, 0);
    const int steps = showStartStepCount();
    EM_ASM({ Module.qzProgress($0, $1); }, steps, steps);
    return 1;
}

} // namespace

extern "C" {

// antialias, music: 0 or 1; startMs: where the music (and so the show) starts.
EMSCRIPTEN_KEEPALIVE int qzStart(int antialias, int music, int sound, int startMs, int stillFrame) {
    if (web.running) return 0; // a second click while the show starts or plays
    if (web.step > 0 && web.step == showStartStepCount() && web.still < 0 && stillFrame < 0)
        return playAgain(sound, startMs);
    web = WebShow{};
    web.desc.window = SDL_CreateWindow("qz001", 0, 0, kShowWidth, kShowHeight, SDL_WINDOW_OPENGL);
    web.desc.noAntialias = antialias == 0;
    web.desc.music = music != 0 && stillFrame < 0;
    web.desc.api = kGlEs;
    web.startMs = startMs;
    web.still = stillFrame;
    if (!web.desc.window) {
        fail(SDL_GetError());
        return 0;
    }
    setMusicSilent(sound == 0);
    if (web.desc.music && !openMusic(kMusicPath, startMs)) {
        fail(musicError());
        return 0;
    }
    web.running = true;
    emscripten_set_main_loop(turn, 0, 0);
    return 1;
}

EMSCRIPTEN_KEEPALIVE uint8_t* qzStillPixels() {
    return stillPixels;
}

EMSCRIPTEN_KEEPALIVE void qzStop() {
    finish("Escape");
}

EMSCRIPTEN_KEEPALIVE double qzFrameCount() {
    return (double)web.frames;
}

EMSCRIPTEN_KEEPALIVE double qzMusicPositionMs() {
    return web.desc.music ? (double)musicPositionMs() : (double)web.startMs;
}

// The bounds the page checks its parameters against, as the desktop checks its options: scenes
// 0..qzSceneCount()-1, frames 0..qzShowFrameCount()-1, starts before qzShowEndMs().
EMSCRIPTEN_KEEPALIVE int qzSceneCount() {
    return kSceneCount;
}

EMSCRIPTEN_KEEPALIVE int qzShowFrameCount() {
    return kShowFrameCount;
}

EMSCRIPTEN_KEEPALIVE int qzShowEndMs() {
    return demoPositionOfFrame(kShowFrameCount);
}

// "1.0.0", as `qz001 --version` prints it.
EMSCRIPTEN_KEEPALIVE const char* qzVersion() {
    return QZ_VERSION;
}

// The start of scene S, for ?scene=S.
EMSCRIPTEN_KEEPALIVE int qzSceneStartMs(int scene) {
    if (scene < 0 || scene >= kSceneCount) return -1;
    return demoPositionOfFrame(sceneFirstFrame(scene, sceneTable));
}

} // extern "C"

int main() {
    showInit();
    // The canvas is the window; the music opens the audio itself, with the driver the page chose. The
    // keyboard is the canvas's alone, so that the page's own controls (Tab, "Play again") keep it.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) std::fprintf(stderr, "qz001: %s\n", SDL_GetError());
    requestGlAttributes(kGlEs);
    EM_ASM({ Module.qzReady(); });
    return 0;
}
