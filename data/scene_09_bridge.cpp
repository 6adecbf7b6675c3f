// scene_09_bridge.cpp - scene 9, the bridge: a flight down a tunnel of 1024 floppies wound in a
// helix; the tube streams towards the camera (which turns the helix), swings round on the bar lines
// and breathes with the kick (the view narrows on each and widens over the beat), the camera swaying
// inside it. On every kick the tunnel flares with light (a wash over the picture and a glow in the
// gaps) that dies away within half a beat.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
    // clock, clear colour, camera, fade from white
    kTime,
    kClearColour,
    kClear,
    kEye,
    kCamera,
    kFade,
    kTransition,
    // the helix: one ramp gives depth and, six times as fast, the angle (48 whole turns, so the
    // wrap below meets itself)
    kRamp,
    kCoil,
    kKickClock,
    kFieldOfView,
    kSwing,
    kAngleLive,
    kRing,
    // the flight: depth runs towards the camera and wraps round to the far end
    kTravel,
    kAhead,
    kWrapped,
    kDepth,
    kPositions,
    // the floppies: spin, size, the kick
    kSpin,
    kField = 20, // pinned
    kBeat,
    kSizeLive,
    // the camera's sway
    kSway,
    // the light on the kick: a wash over the picture (with the opening's), a glow behind the tunnel
    kFlash,
    kWashDim,
    kWashFactor,
    kWash,
    kGlowTint,
    kGlowColour,
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

// Length of the tube: 1024 floppies 0.0490874 apart.
inline constexpr float kTubeLength = 50.265482f;

// How far the view narrows on a kick (radians): the tube's walls push outwards and relax over the beat.
inline constexpr float kBreath = 0.14f;
// How much light a kick washes over the picture, and the share of the beat over which it dies away.
inline constexpr float kWashLight = 0.16f;
inline constexpr float kFlashSpan = 0.4f;

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = node(kOpOffset4, {kGlowColour}, {0.01f, 0.04f, 0.09f, 1}); // a night blue
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    s[kEye] = node(kOpOffset4, {kSway}, {0, 0, 46, 0});
    s[kCamera] = node(kOpCamera, {kEye, kNone, kNone, kFieldOfView}, {}); // down the tube at the origin
    s[kFade] = trackAt(kTime, kTrackHitZoom); // x: out of a light wash in a third of a second
    s[kTransition] = node(kOpTransition, {kWash}, {2});

    s[kRamp] = node(kOpGrid, {}, {1024, 1, 0.0490874f, 0, 0}, 1024);
    s[kCoil] = node(kOpScale, {kRamp}, {6}, 1024);
    s[kSwing] = trackAt(kTime, kTrackPanelSlide); // x: swings on the bar lines of the drop's panel
    s[kAngleLive] = node(kOpAdd, {kCoil, kSwing}, {}, 1024);
    s[kRing] = node(kOpCircle, {kAngleLive}, {2.6f}, 1024);

    s[kTravel] = frameTime(0.045f, 600); // positive throughout, so the wrap keeps its sign
    s[kAhead] = node(kOpAdd, {kRamp, kTravel}, {}, 1024);
    s[kWrapped] = node(kOpModulo, {kAhead}, {kTubeLength}, 1024);
    s[kDepth] = swizzle(kWrapped, kZero, kZero, kX, kZero, 1024);
    s[kPositions] = node(kOpAdd, {kRing, kDepth}, {}, 1024);

    s[kSpin] = frameTime(0.025f);
    s[kField] = drawMesh({kPositions, kSizeLive, kSpin}, kMeshCube, 1024, kVsTexTest, kPsTexTest,
                         kImgFloppyFront, kOpaque);
    s[kKickClock] = kickClock(-kBreath, 2);
    s[kBeat] = kickPulse(kKickClock, kBreath); // 0 on the kick, up to kBreath before the next
    s[kFieldOfView] = node(kOpOffset4, {kBeat}, {1.5f, 0, 0, 0});
    s[kSizeLive] = constant(0.42f, 0.42f, 0.05f);

    s[kSway] = node(kOpCircle, {kSpin}, {0.9f});
    s[kFlash] = node(kOpRangePower, {kBeat}, {kBreath * kFlashSpan, 0, 2}); // 1 on the kick, falling fast
    s[kWashDim] = node(kOpScale, {kFlash}, {-kWashLight});
    s[kWashFactor] = node(kOpOffset4, {kWashDim}, {1, 0, 0, 0}); // 1: no wash
    s[kWash] = node(kOpMinMax, {kFade, kWashFactor}, {0});       // the stronger of the two washes
    s[kGlowTint] = constant(0.08f, 0.16f, 0.3f);
    s[kGlowColour] = node(kOpMul, {kFlash, kGlowTint}, {});
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackHitZoom, kTrackPanelSlide}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene9Nodes = build();
constinit const SceneEntry scene9 = {scene9Nodes.data(), 920};
constinit const EnumNames scene9SlotNames = kSlotNames;
constinit const SceneNames scene9Names = {"bridge", &scene9SlotNames, scene9Nodes.places};
