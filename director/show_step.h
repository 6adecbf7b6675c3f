// show_step.h - the director's half of one frame of the show, the same for the window show, the tool,
// the tests and the benchmarks. Two verbs: evaluateFrame evaluates the one frame a clock names (the main
// loop); catchUpAndEvaluateFrame first evaluates the frames of its scene before it (tools that jump to a
// frame). show/show.h pairs each with drawing: evaluateAndRenderFrame, catchUpAndRenderFrame.
//
//     DemoClock clock = demoClockAt(positionMs, sceneTable);
//     evaluateFrame(clock, aspect);   // publish the clock, reset, evaluate: outputs ready to draw
//     renderFrame(dev, directorFrameInput());   // draws, then calls endFrameOutputs
//
// A frame's outputs can depend on the frames before it (values persist from frame to frame, draw records
// remember last frame's transform). A tool that wants frame F as the show draws it after playing every
// frame before it keeps a ShowCursor:
//
//     ShowCursor cursor = {};
//     DemoClock clock = catchUpAndEvaluateFrame(cursor, 1000, sceneTable, aspect);  // scene 1: local frames
//     0..100
#pragma once

#include "director/demo_clock.h"

// One evaluation as the main loop makes it: publishes localFrame and sceneEndFrame, sets the frame
// arena back, empties the frame outputs and evaluates the clock's scene with empty arguments.
void evaluateFrame(const DemoClock& clock, float aspect);

// Called before each evaluation catchUpAndEvaluateFrame makes, with its global frame (the capture moves its
// music there, so every frame hears the music at its own position).
struct ShowFrameHook {
    void (*beforeFrame)(int32_t frame, void* user); // nullptr: nothing
    void* user;
};

struct ShowCursor {
    int32_t scene;      // scene last evaluated; meaningful when `started`
    int32_t localFrame; // its local frame last evaluated
    bool started;
    bool restarted; // the last call started its scene afresh (restartDirectorState): a jump, not play
};

// Evaluates global frame `frame` (0..7831) with the frames of its scene before it. Moving onward from
// the cursor (later in the same scene, or into the next) it goes on from there with what the frames
// before left, as the show plays; any other move starts the scene afresh (restartDirectorState) from
// local frame 0, so the frame is the one a fresh start draws there, whatever was evaluated before.
// The frames before `frame` are ended as the renderer ends a frame; `frame`'s outputs are left to draw.
DemoClock catchUpAndEvaluateFrame(ShowCursor& cursor, int32_t frame, const SceneTable& scenes, float aspect,
                                  ShowFrameHook hook = {});
