// scene_08_climax.cpp - scene 8, the climax: one big lit cube filling the frame, tumbling and swelling
// on every kick while the camera circles it on a tilted orbit; on every bar line a white flash, the
// camera swings on and punches in, then eases back out over the bar. The background glows on every
// kick and dims over the beat; the zig-zag panel rocks in the corner.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
    // clock, the kick, a clear colour that glows with it
    kTime,
    kKickClock,
    kKick,
    kKickTint,
    kClearColour,
    kClear,
    // the bar lines (x: flash, y: camera swing, z: field of view), the circling camera, the light
    kBars,
    kTransition,
    kOrbitTime,
    kSwing,
    kAngle,
    kOrbit,
    kEye,
    kFieldOfView,
    kCamera,
    kLightCircle,
    kLightDir,
    kSetLight,
    // the panel
    kPanel = 18, // pinned
    kPanelPop,
    kPanelScale,
    kPanelCentre,
    // the cube
    kCube = 22, // pinned
    kTumble,
    kSize,
    kAmbient,
    kDiffuse,
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

// How much the cube grows and the picture glows on a kick; both settle over the beat.
inline constexpr float kSwell = 0.2f;

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kKickClock] = kickClock(kSwell, 1.6f);
    s[kKick] = kickPulse(kKickClock, kSwell);
    s[kKickTint] = swizzle(kKick, kX, kZero, kX, kZero); // a magenta glow
    s[kClearColour] = node(kOpOffset4, {kKickTint}, {0.12f + kSwell, 0.025f, 0.1f + kSwell, 1});
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});

    s[kBars] = trackAt(kTime, kTrackHitBars);
    s[kTransition] = node(kOpTransition, {kBars}, {2});
    s[kOrbitTime] = frameTime(-0.0136293f, 100); // one turn per four bars, plus the swings
    s[kSwing] = swizzle(kBars, kY, kZero, kZero, kZero);
    s[kAngle] = node(kOpAdd, {kOrbitTime, kSwing}, {});
    s[kOrbit] = node(kOpCircle, {kAngle}, {5.0f});
    s[kEye] = swizzle(kOrbit, kX, kY, kY, kZero); // a tilted orbit: over the cube and under it
    s[kFieldOfView] = swizzle(kBars, kZ, kZero, kZero, kZero);
    s[kCamera] = node(kOpCamera, {kEye, kNone, kNone, kFieldOfView}, {}); // looking at the origin
    // the light wheels round with the camera; it is short enough that the wrapped diffuse factor
    // stays within about -0.5..1.6 over the cube's corner normals (length 8 * sqrt(3))
    s[kLightCircle] = node(kOpCircle, {kAngle}, {0.07f});
    s[kLightDir] = node(kOpOffset4, {kLightCircle}, {0, 0, -0.035f, -0.1f});
    s[kSetLight] = node(kOpSetLight, {kNone, kLightDir}, {});

    s[kPanel] = sprite({kNone, kPanelCentre, kPanelScale, kLightCircle}, kImgZigzagPanelLarge); // rocks
    s[kPanelPop] = trackAt(kTime, kTrackPanelScale);
    s[kPanelScale] = node(kOpScale, {kPanelPop}, {0.75f});
    s[kPanelCentre] = constant(1.15f, 0.8f);

    s[kCube] = drawMesh({kNone, kSize, kTumble, kAmbient, kDiffuse}, kMeshCube, 1, kVsBaseCook, kPsBaseCook,
                        kImgCheckerCoarse, kOpaque);
    s[kTumble] = frameTime(0.017f);
    s[kSize] = node(kOpOffset4, {kKick}, {1.6f + kSwell, 1.6f + kSwell, 1.6f + kSwell, 0});
    // from deep crimson on the far side to a hot orange-red towards the light, lifted by the kick;
    // no specular, whose highlight flares white along the edges at grazing angles
    s[kAmbient] = node(kOpOffset4, {kKickTint}, {0.36f + kSwell, 0.11f, 0.05f + kSwell, 1});
    s[kDiffuse] = constant(0.42f, 0.16f, 0.09f, 1);
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackHitBars, kTrackPanelScale}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene8Nodes = build();
constinit const SceneEntry scene8 = {scene8Nodes.data(), 922};
constinit const EnumNames scene8SlotNames = kSlotNames;
constinit const SceneNames scene8Names = {"climax", &scene8SlotNames, scene8Nodes.places};
