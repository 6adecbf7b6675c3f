// scene_03_build.cpp - scene 3, the build (3 s): out of a slow white fade, the camera comes down
// over a field of 1024 floppy-faced tiles rolling in a wave, each tile rocking on its own phase.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
enum Slot : int32_t {
    // clock, clear colour, camera from its track, the fade from white
    kTime,
    kClearColour,
    kClear,
    kEye,
    kAt,
    kCamera,
    kFade,
    kTransition,
    // the field: a 32 x 32 lattice on the floor, a wave running along x
    kLattice,
    kFloor,
    kWaveTime,
    kWavePhase,
    kWave,
    kWaveUp,
    kPositions,
    // each tile rocks on its own phase and the field turns slowly
    kPhase,
    kSpin,
    kRockTime,
    kRockPhase,
    kField = 19, // pinned
    kRock,
    kRockPitch,
    kRotation,
    // tile size, bumped by the snare
    kSize,
    kSnare,
    kSnareY,
    kSizeLive,
    kSpinYaw,
    kSlotCount,
};
static_assert(kSlotCount == 28); // slots in use

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = constant(0.05f, 0.08f, 0.2f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    s[kEye] = trackAt(kTime, kTrackFieldEye);
    s[kAt] = constant(0, -2, 0);
    s[kCamera] = node(kOpCamera, {kEye, kAt}, {});
    s[kFade] = trackAt(kTime, kTrackBuildFade);
    s[kTransition] = node(kOpTransition, {kFade}, {2});

    s[kLattice] = node(kOpGrid, {}, {32, 32, 1.7f, 1.7f, 0}, 1024);
    s[kFloor] = swizzle(kLattice, kX, kZero, kY, kZero, 1024);
    s[kWaveTime] = frameTime(0.09f);
    s[kWavePhase] = node(kOpAdd, {kFloor, kWaveTime}, {}, 1024);
    s[kWave] = node(kOpSine, {kWavePhase}, {0.9f}, 1024);
    s[kWaveUp] = swizzle(kWave, kZero, kX, kZero, kZero, 1024);
    s[kPositions] = node(kOpAdd, {kFloor, kWaveUp}, {}, 1024);

    s[kPhase] = node(kOpRandom, {}, {0.37f, 0, 6.2831853f}, 1024);
    s[kSpin] = frameTime(0.004f);
    s[kRockTime] = frameTime(0.07f);
    s[kRockPhase] = node(kOpAdd, {kPhase, kRockTime}, {}, 1024);
    s[kField] = drawMesh({kPositions, kSizeLive, kRotation}, kMeshCube, 1024, kVsTexTest, kPsTexTest,
                         kImgFloppyFront, kOpaque);
    s[kRock] = node(kOpSine, {kRockPhase}, {0.35f}, 1024);
    s[kRockPitch] = swizzle(kRock, kZero, kX, kZero, kZero, 1024);
    s[kRotation] = node(kOpAdd, {kRockPitch, kSpinYaw}, {}, 1024);

    s[kSize] = constant(0.75f, 0.08f, 0.75f);
    s[kSnare] = beat(12, 0.4f);
    s[kSnareY] = swizzle(kSnare, kZero, kX, kZero, kZero);
    s[kSizeLive] = node(kOpAdd, {kSize, kSnareY}, {});
    s[kSpinYaw] = swizzle(kSpin, kX, kZero, kZero, kZero);
    return s;
}

} // namespace

constinit const SceneNodes scene3Nodes = build();
