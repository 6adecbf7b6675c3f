// startup_floor.cpp - the least a program of ours can do before its first frame: start SDL, make a
// 1280x720 window (or, headless, a hidden offscreen surface) with an OpenGL 3.3 core context, clear it
// and swap (headless: read the picture back). The start-up benchmark (bench/startup.sh) sets the show's
// and the tool's start-up against it.
//
//     qz_startup_floor window      # in an X session: prints "first frame on screen S s after exec"
//     qz_startup_floor headless    # SDL's offscreen driver, the picture read back instead of swapped
//
// It links only SDL2, libepoxy and the process clock, as an empty OpenGL program would.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <epoxy/gl.h>

#include "show/process_clock.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
unsigned char pixels[kWidth * kHeight * 4];

int fail(const char* what) {
    std::fprintf(stderr, "qz_startup_floor: %s: %s\n", what, SDL_GetError());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const double atMain = secondsSinceExec();
    SDL_SetMainReady();
    const bool headless = argc > 1 && std::strcmp(argv[1], "headless") == 0;
    if (argc != 2 || (!headless && std::strcmp(argv[1], "window") != 0)) {
        std::fprintf(stderr, "usage: qz_startup_floor window|headless\n");
        return 2;
    }
    if (headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail("cannot start SDL's video");
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const Uint32 flags =
        SDL_WINDOW_OPENGL | (headless ? SDL_WINDOW_HIDDEN : SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
    SDL_Window* window = SDL_CreateWindow("qz001 floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          kWidth, kHeight, flags);
    if (!window) return fail("cannot open a window");
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) return fail("cannot create an OpenGL 3.3 core context");
    const double windowReady = secondsSinceExec();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (headless) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    } else {
        SDL_GL_SwapWindow(window);
    }
    const double firstFrame = secondsSinceExec();
    std::fprintf(stderr,
                 "qz_startup_floor: first frame on screen %.3f s after %s (to main %.3f, window and context "
                 "%.3f, first frame %.3f)\n",
                 firstFrame, processClockOrigin(), atMain, windowReady - atMain, firstFrame - windowReady);
    std::fflush(stderr);
    SDL_Quit();
    std::_Exit(pixels[0]); // the cleared picture's first byte: 0
}
