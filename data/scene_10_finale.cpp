// scene_10_finale.cpp - scene 10, the ending: a block of 1024 translucent green cubes rolling like a
// sea that swells on every kick, lit from behind by a green glow that flares with the kick and dims
// evenly over the beat, filling the frame under a slowly circling camera; the closing panel
// pops up in the corner halfway and the picture fades towards white with the last chord, ending on
// the sea washed in light.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
    // clock, clear colour, circling camera, fades, light
    kTime,
    kClearColour,
    kClear,
    kOrbitTime,
    kOrbit,
    kEyeFlat,
    kEye,
    kAt,
    kCamera,
    kFade,
    kTransition,
    kLightDir,
    kSetLight,
    // the sea: a 16 x 8 x 8 block, jittered, a wave along x
    kBlock,
    kWaveTime,
    kWavePhase,
    kWave,
    kWaveUp,
    kCloud = 18, // pinned
    kJitter,
    kJittered,
    kPositions,
    // cube size and turn
    kKickClock,
    kBeat,
    kSizeLive,
    kTurnTime,
    kTurnPhase,
    kTurn,
    // the closing panel
    kClosingPop,
    kClosingScale,
    kClosingCentre,
    kRockTime,
    kRock,
    kClosingAlpha,
    kClosing = 34, // pinned
    kRockAngle,
    // the light on the kick: a glow behind the sea, a faint wash over it (with the closing fade's)
    kGlow,
    kGlowTint,
    kGlowColour,
    kWashDim,
    kWashFactor,
    kWash,
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

// How much the cubes grow on a kick; they settle over the beat.
inline constexpr float kSwell = 0.07f;
// How much light a kick washes over the sea; like the glow behind it, it dims evenly over the beat (a
// quicker fall would change the still sea visibly in every frame, not only on the kick).
inline constexpr float kWashLight = 0.06f;

static_assert(kOrbit == kOrbitTime + 1 && kEyeFlat == kOrbitTime + 2 && kEye == kOrbitTime + 3);

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = node(kOpOffset4, {kGlowColour}, {0.02f, 0.06f, 0.05f, 1}); // a deep sea green
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    addOrbitingEye(s, kOrbitTime, 0.003f, 400, 7.6f, 4.2f);
    s[kAt] = constant(0, -0.5f, 0);
    s[kCamera] = node(kOpCamera, {kEye, kAt}, {});
    s[kFade] = trackAt(kTime, kTrackFinaleFade);
    s[kTransition] = node(kOpTransition, {kWash}, {2});
    s[kLightDir] = constant(0.3f, -1, 0.2f);
    s[kSetLight] = node(kOpSetLight, {kNone, kLightDir}, {});

    s[kBlock] = node(kOpGrid, {}, {16, 8, 0.75f, 0.5f, 0.75f}, 1024);
    s[kWaveTime] = frameTime(0.045f);
    s[kWavePhase] = node(kOpAdd, {kBlock, kWaveTime}, {}, 1024);
    s[kWave] = node(kOpSine, {kWavePhase}, {0.6f}, 1024);
    s[kWaveUp] = swizzle(kWave, kZero, kX, kZero, kZero, 1024);
    s[kCloud] = drawMesh({kPositions, kSizeLive, kTurn}, kMeshCube, 1024, kVsTexTest, kPsTexTest,
                         kImgGreenSquare, kBlended);
    s[kJitter] = node(kOpRandom, {}, {0.77f, -0.15f, 0.15f}, 1024);
    s[kJittered] = node(kOpAdd, {kBlock, kJitter}, {}, 1024);
    s[kPositions] = node(kOpAdd, {kJittered, kWaveUp}, {}, 1024);

    s[kKickClock] = kickClock(kSwell, 1);
    s[kBeat] = kickPulse(kKickClock, kSwell);
    s[kSizeLive] = node(kOpOffset4, {kBeat}, {0.2f + kSwell, 0.2f + kSwell, 0.2f + kSwell, 0});
    s[kTurnTime] = frameTime(0.012f);
    s[kTurnPhase] = node(kOpRandom, {}, {0.13f, 0, 6.2831853f}, 1024);
    s[kTurn] = node(kOpAdd, {kTurnTime, kTurnPhase}, {}, 1024);

    s[kClosingPop] = trackAt(kTime, kTrackClosingPanel);
    s[kClosingScale] = node(kOpScale, {kClosingPop}, {0.55f}); // the track has no z
    s[kClosingCentre] = constant(0.8f, 0.78f);                 // in the corner, the sea stays in view
    s[kRockTime] = frameTime(0.02f);
    s[kRock] = node(kOpSine, {kRockTime}, {0.04f});
    s[kClosingAlpha] = constant(0.95f);
    s[kClosing] = sprite({kNone, kClosingCentre, kClosingScale, kRockAngle, kClosingAlpha}, kImgZigzagPanel);
    s[kRockAngle] = swizzle(kRock, kX, kZero, kZero, kZero);
    s[kGlow] = node(kOpRangePower, {kBeat}, {-kSwell, 0, 1}); // 1 on the kick, 0 at the next
    s[kGlowTint] = constant(0.06f, 0.2f, 0.12f);
    s[kGlowColour] = node(kOpMul, {kGlow, kGlowTint}, {});
    s[kWashDim] = node(kOpScale, {kGlow}, {-kWashLight});
    s[kWashFactor] = node(kOpOffset4, {kWashDim}, {1, 0, 0, 0}); // 1: no wash
    s[kWash] = node(kOpMinMax, {kFade, kWashFactor}, {0});       // the stronger of the two washes
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackClosingPanel, kTrackFinaleFade}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene10Nodes = build();
constinit const SceneEntry scene10 = {scene10Nodes.data(), 922};
constinit const EnumNames scene10SlotNames = kSlotNames;
constinit const SceneNames scene10Names = {"finale", &scene10SlotNames, scene10Nodes.places};
