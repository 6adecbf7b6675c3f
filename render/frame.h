// frame.h - one rendered frame: camera, per-frame constants, velocity and depth, the scene pass
// (opaque list in order, blended list in reverse, sprites after a depth clear), the depth-of-field
// blur, bloom, the composite, FXAA and present; then the per-frame settings go back to their defaults.
//
//     FrameInput in = {&opaque, &blended, &sprites, &camera, &settings, &lines};
//     renderFrame(dev, in);
//
// The renderer reads what the director left in the lists and settings; it overrides the previous
// transform of opaque records that jumped (motion blur), sorts the sprites in place, and resets the
// settings of the frame at the end.
//
// A pass whose result the frame does not read is skipped: velocity and depth only with motion blur or
// depth of field, the depth-of-field blur only with depth of field, bloom only with bloom, the scene's
// mip chain only when motion blur samples it or the next bloom highlight does (it reads the chain of
// the frame before); the composite runs a program without the code of the effects that are off.
// `everyPass` runs every pass and the composite's all-effects program, as a check that skipping
// changes no pixel; `passTimes` (benchmarks) waits for each pass with glFinish and adds up its time;
// `gpuTimer` (the edit mode) times the passes with timer queries instead, without waiting.
#pragma once

#include <glm/mat4x4.hpp>

#include "director/director_types.h"
#include "render/device.h"
#include "render/frame_passes.h"

struct GpuPassTimer; // render/pass_timer.h

struct FrameInput {
    DrawList* opaque;    // drawn in order; its jumped records are reset for motion blur
    DrawList* blended;   // drawn last to first with alpha blending
    SpriteList* sprites; // sorted in place by key
    const CameraState* camera;
    FrameSettings* settings;             // read, then reset after present (endFrameOutputs)
    LineList* lines;                     // the director's line list: its count is set to 0 (may be null)
    bool everyPass = false;              // also run the passes whose results nobody reads
    FramePassTimes* passTimes = nullptr; // when set: glFinish after each pass, times added here
    GpuPassTimer* gpuTimer = nullptr;    // when set: a GPU timestamp after each pass (no waiting)
};

// View, projection and their product for the frame being drawn (column-vector glm matrices whose
// memory equals the row-vector matrices of the constant blocks).
struct FrameCamera {
    glm::mat4 view;
    glm::mat4 projection;
    glm::mat4 viewProj;
};

extern FrameCamera frameCamera;

void renderFrame(RenderDevice& dev, const FrameInput& in);

// Forgets what the frame before left for this one (the scene's mip chain the bloom highlight reads),
// as before the first frame: for a frame that does not follow the last one drawn (a seek).
void forgetPreviousFrame(RenderDevice& dev);

// The frame's steps, in the order renderFrame runs them.
void updateCamera(const CameraState& camera);
void resetJumpedObjects(DrawList& list, float threshold);
void uploadFrameConstants(RenderDevice& dev, const CameraState& camera, const FrameSettings& settings);
void velocityPass(RenderDevice& dev, const DrawList& opaque);
void scenePass(RenderDevice& dev, const FrameInput& in);

// world = scaling x rotation(yaw, pitch, roll) x translation, in the row-vector convention.
glm::mat4 objectWorld(const float position[3], const float scale[3], const float rotation[3]);
void drawObject(RenderDevice& dev, const DrawRecord& record);
