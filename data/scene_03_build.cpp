// scene_03_build.cpp - scene 3, the build (3 s): out of a pale wash, the camera comes down over a
// field of 1024 floppy-faced tiles rolling in a wave, each tile rocking on its own phase; on every
// kick and every snare of the roll the tiles jump up thick and the background flares, both settling
// before the next hit.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
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
    // tile size, swelling on the kicks and snares
    kSize,
    kKickClock,
    kKick,
    kSizeLive,
    kSpinYaw,
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

// How much the tiles grow and the background brightens on a hit; both settle before the next.
inline constexpr float kSwell = 0.16f;

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = node(kOpOffset4, {kKick}, {0.05f + kSwell, 0.08f + kSwell, 0.2f + kSwell, 1});
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

    s[kSize] = constant(0.62f + kSwell, 0.08f + kSwell, 0.62f + kSwell);
    // the kick falls on every beat (four rows) until the roll, then on every second row: a pulse
    // every two rows meets both, and the snares in between; it lands two and a half frames after
    // each, where the kick's low end is heard
    s[kKickClock] = kickClock(kSwell, kBeatFrames / 2 - 2.5f, kBeatFrames / 2);
    s[kKick] = kickPulse(kKickClock, kSwell);
    s[kSizeLive] = node(kOpAdd, {kSize, kKick}, {});
    s[kSpinYaw] = swizzle(kSpin, kX, kZero, kZero, kZero);
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackBuildFade, kTrackFieldEye}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene3Nodes = build();
constinit const SceneEntry scene3 = {scene3Nodes.data(), 180};
constinit const EnumNames scene3SlotNames = kSlotNames;
constinit const SceneNames scene3Names = {"build", &scene3SlotNames, scene3Nodes.places};
