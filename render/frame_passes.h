// frame_passes.h - the steps of a rendered frame, as the frame's timers book them (FrameInput::passTimes
// with glFinish, render/pass_timer.h with timer queries).
#pragma once

#include <cstdint>

// The steps of a frame, as timed through FrameInput::passTimes.
enum FramePass : int {
    kFrameSetupPass, // arena, camera, constants, clears
    kVelocityPass,
    kScenePass,
    kDofBlurPass,
    kBloomPass,
    kSceneMipsPass, // the scene's mip chain, for motion blur and the next frame's bloom
    kCompositePass,
    kFxaaPass,
    kPresentPass,
    kFramePassCount
};

struct FramePassTimes {
    double seconds[kFramePassCount]; // summed over the frames rendered with this record
    uint32_t runs[kFramePassCount];
};
