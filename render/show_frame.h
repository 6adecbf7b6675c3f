// show_frame.h - the show rendered headless, frame by frame, for the tool and the benchmarks.
//
//     RenderDevice dev = {};
//     if (!startHeadlessShow(dev, 1280, 720, true)) die(renderError());
//     ShowCursor cursor = {};
//     renderShowFrame(dev, cursor, 1000);   // scene 1, local frame 100: evaluates 0..100, draws 100
//     readBackBuffer(dev, pixels);
//
// Music is off and the spectrum reads zero. A frame's scene is evaluated from its local frame 0 (or
// from where the cursor stands, when it is in the same scene and not past the frame), so state that
// builds up from frame to frame (motion-blur history, persistent node values) is as in the show.
#pragma once

#include <cstdint>

#include "render/device.h"
#include "render/startup.h"

struct ShowPosition {
    int32_t scene;         // 0..10
    int32_t localFrame;    // frame minus the scene's first frame
    int32_t sceneEndFrame; // first frame after the scene
};

// The scene of a global frame; false for frames outside 0 .. 7831.
bool showPositionOf(int32_t frame, ShowPosition& out);

// Everything the show builds at start-up, on a hidden offscreen surface: work arena, director
// state, text meshes, renderer, director tables and scene data. Call once per process.
bool startHeadlessShow(RenderDevice& dev, int width, int height, bool antialias,
                       StartupTimes* times = nullptr);

struct ShowCursor {
    int32_t scene;      // scene last evaluated; meaningful when `started`
    int32_t localFrame; // its local frame last evaluated
    bool started;
};

// One director evaluation of `scene` at `local`, as the main loop runs it (no drawing).
void evaluateShowFrame(const ShowPosition& position, float aspect);

// Evaluates up to `frame` (see above) and renders it into the back buffer. `frame` must be valid.
void renderShowFrame(RenderDevice& dev, ShowCursor& cursor, int32_t frame);
