// show.h - the show's start-up sequence and its per-frame step: one of each, used by the window show
// (app/), qz001-tool, the tests and the benchmarks.
//
//     showInit();                               // work arena and director state, first of all
//     startShowImages(startFrame);              // optional: the images decode while the window opens
//     ...                                       // launcher, show window (none when headless)
//     ShowDesc desc = {};
//     desc.window = window;                     // nullptr: a hidden offscreen surface of width x height
//     RenderDevice dev = {};
//     if (!showStart(dev, desc)) die(showError());
//     ...
//     evaluateAndRenderFrame(dev, demoClockAt(positionMs, sceneTable));   // once per frame of the main loop
//
// showStart runs the start-up steps after the window in their fixed order: text meshes, device, shader
// library (with a program for every shader pair the scenes draw with), GPU meshes, textures, render
// resources, director tables, scene data, and the music when asked for (the module must have been
// opened with openMusic first).
#pragma once

#include "director/show_step.h"
#include "render/device.h"
#include "render/startup.h"

struct ShowDesc {
    SDL_Window* window; // made with SDL_WINDOW_OPENGL after requestGlAttributes(api); nullptr = headless
    int width;          // back-buffer size; 0 = kShowWidth x kShowHeight (1280 x 720)
    int height;
    bool fullScreen;
    bool noVsync;       // zero: the window waits for vertical sync
    bool noAntialias;   // zero: the FXAA pass runs
    bool music;         // start the opened module as the last step
    GlApi api;          // OpenGL 3.3 core (the zero value) or OpenGL ES 3.0
    int32_t startFrame; // the first frame to be drawn: its scene's images are decoded before the others
};

// The first two start-up steps: the work arena, then the director's state. Once per process.
void showInit();

// Optional, after showInit and before the window: the embedded images start decoding in the
// background, the scene of `startFrame`'s first, while the window and the steps before the textures
// run (nothing here needs OpenGL). The textures step keeps that start and reports its errors.
void startShowImages(int32_t startFrame);

// The director's part of start-up alone (its tables and the scene data), for what evaluates scenes
// without drawing them; showStart runs it in its place in the sequence.
void showStartDirector();

// The edit mode's reload: the director's scene data and tracks converted again from `scenes` and
// `tracks`, in the arena region the start-up's took (the values the scenes keep start from zero again).
// False, with a message in showError(), when anything was reserved after the scene data.
bool replaceSceneData(const SceneTable& scenes, const Track* tracks);

// What converting `scenes` reserves from the work arena (their slots' elements, each aligned), and the
// room replaceSceneData has for it before the arena's warning mark.
uint32_t sceneDataBytes(const SceneTable& scenes);
uint32_t sceneDataRoom();

// Everything else the show builds before its first frame. False with a message in showError().
bool showStart(RenderDevice& dev, const ShowDesc& desc, StartupTimes* times = nullptr);
// The same, one step at a time (0..showStartStepCount()-1, in order), for a caller that shows
// progress between the steps.
int showStartStepCount();
bool runShowStartStep(RenderDevice& dev, const ShowDesc& desc, int step, StartupTimes* times = nullptr);
// The seconds the last run of a step took, and its name ("text meshes", "device", ..., "music").
double showStartStepSeconds(int step);
const char* showStartStepName(int step);
const char* showError();

// One frame of the main loop: evaluate the clock's scene (evaluateFrame), render and present it.
void evaluateAndRenderFrame(RenderDevice& dev, const DemoClock& clock);

// Global frame `frame` (0..7831) rendered as the show draws it after playing the frames of its scene
// before it (catchUpAndEvaluateFrame), then drawn; for the tool, which steps through frames rather than the
// music.
DemoClock catchUpAndRenderFrame(RenderDevice& dev, ShowCursor& cursor, int32_t frame,
                                ShowFrameHook hook = {});
