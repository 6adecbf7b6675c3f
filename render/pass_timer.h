// pass_timer.h - what each pass of a frame costs on the GPU, measured with timer queries without
// stalling the frame: a timestamp after each pass, read back a few frames later.
//
//     GpuPassTimer timer = {};
//     if (startGpuPassTimer(dev, timer)) in.gpuTimer = &timer;   // else: FrameInput::passTimes (glFinish)
//     renderFrame(dev, in);                                       // marks each pass it runs
//     timer.milliseconds[kScenePass]                              // the latest frame read back
//
// Timer queries come from GL_ARB_timer_query on OpenGL 3.3 core and GL_EXT_disjoint_timer_query on
// OpenGL ES 3.0; a driver with neither gets false from startGpuPassTimer.
#pragma once

#include "render/device.h"
#include "render/frame_passes.h"

inline constexpr int kPassTimerFrames = 4;                  // frames in flight before a read-back
inline constexpr int kPassTimerMarks = kFramePassCount + 4; // timestamps a frame can take

struct GpuPassTimer {
    bool es; // the EXT entry points
    GLuint queries[kPassTimerFrames][kPassTimerMarks];
    FramePass passes[kPassTimerFrames][kPassTimerMarks]; // the pass that each timestamp ends
    int marks[kPassTimerFrames];                         // timestamps taken; 0 = nothing to read
    int frame;                                           // the ring entry being written
    double milliseconds[kFramePassCount];                // per pass, of the latest frame read back
    uint64_t framesRead;
};

// False where the driver has no timer queries.
bool startGpuPassTimer(const RenderDevice& dev, GpuPassTimer& timer);
void stopGpuPassTimer(GpuPassTimer& timer);

// Called by renderFrame: the frame's first timestamp, one after each pass, and the frame's end (which
// reads back the oldest frame in the ring when its results are there).
void beginTimedFrame(GpuPassTimer& timer);
void markTimedPass(GpuPassTimer& timer, FramePass pass);
void endTimedFrame(GpuPassTimer& timer);
