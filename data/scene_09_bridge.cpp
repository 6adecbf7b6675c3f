// scene_09_bridge.cpp - scene 9, the bridge: 1024 floppies on a turning helix, rising out of the
// dark bar by bar, the camera swaying inside the tube they make.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

enum Slot : int32_t {
    // clock, clear colour, camera, fade from white
    kTime,
    kClearColour,
    kClear,
    kEyeBase,
    kAt,
    kCamera,
    kFade,
    kTransition,
    // the helix: one ramp gives angle and depth
    kRamp,
    kTwist,
    kAngle,
    kRing,
    kDepth,
    kPositions,
    kLift,
    kPlaced,
    // the floppies: spin and beat-driven size
    kSpin,
    kSize,
    kBeat,
    kSizeLive,
    kField,
    // the camera's sway
    kSwayTime,
    kSway,
    kEye,
    kSlotCount,
};
static_assert(kField == 20 && kSlotCount == 24);

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = constant(0.01f, 0.04f, 0.09f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {}, 1);
    s[kEyeBase] = constant(0, 0, 16);
    s[kAt] = constant(0, 0, -10);
    s[kCamera] = node(kOpCamera, {kEye, kAt}, {}, 1);
    s[kFade] = trackAt(kTime, kTrackFadeIn);
    s[kTransition] = node(kOpTransition, {kFade}, {2}, 1);

    s[kRamp] = node(kOpGrid, {}, {1024, 1, 0.05f, 0, 0}, 1024);
    s[kTwist] = frameTime(0.008f);
    s[kAngle] = node(kOpAdd, {kRamp, kTwist}, {}, 1024);
    s[kRing] = node(kOpCircle, {kAngle}, {2.6f}, 1024);
    s[kDepth] = swizzle(kRamp, 4, 4, 0, 4, 1024);
    s[kPositions] = node(kOpAdd, {kRing, kDepth}, {}, 1024);
    s[kLift] = trackAt(kTime, kTrackTowerRise);
    s[kPlaced] = node(kOpAdd, {kPositions, kLift}, {}, 1024);

    s[kSpin] = frameTime(0.025f);
    s[kSize] = constant(0.42f, 0.42f, 0.05f);
    s[kBeat] = beat(2, 0.2f);
    s[kSizeLive] = node(kOpAdd, {kSize, kBeat}, {}, 1);
    s[kField] = drawMesh({kPlaced, kSizeLive, kSpin}, kMeshCube, 1024, kVsTexTest, kPsTexTest,
                         kImgFloppyFront, kOpaque);

    s[kSwayTime] = frameTime(0.011f);
    s[kSway] = node(kOpCircle, {kSwayTime}, {1.1f}, 1);
    s[kEye] = node(kOpAdd, {kEyeBase, kSway}, {}, 1);
    return s;
}

} // namespace

constinit const SceneNodes scene9Nodes = build();
