// scene_06_breakdown.cpp - scene 6, the breakdown (no beat): a tall lit block on a dusk-violet slab,
// three small cubes orbiting it, the camera circling the block once over the section and framing it
// whole. On every bar line, where the bass plays the next chord, the block and its moons swell and
// glow and settle over the bar; the zig-zag band moves round the corners of the frame, landing on
// every second bar line, and never crosses the block.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
    // clock, clear colour, circling camera, the band's track (x: the fade), the bar pulse
    kTime,
    kClearColour,
    kClear,
    kOrbitTime,
    kOrbit,
    kEyeFlat,
    kEye,
    kFieldOfView,
    kCamera,
    kTransition,
    kBarClock,
    kBar,
    kBlockSize,
    // the block, standing on the origin the camera looks at
    kBlock = 13, // pinned
    kLightDir,
    kSetLight,
    kTurnTime,
    kMoonSize,
    // three moons on a ring
    kMoonSlots,
    kMoons = 19, // pinned
    kMoonAngle,
    kMoonRing,
    kMoonPos,
    kFloorSize,
    // the floor slab
    kFloor = 24, // pinned
    kFloorPos,
    // the band sprite, and the shared Cook-Torrance colours (no specular: it runs away to white)
    kBand = 26, // pinned
    kBandSlide,
    kBandCentre,
    kBandScale,
    kAmbient,
    kDiffuse,
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

// How much the block grows and the colours brighten on a bar line; both settle over the bar.
inline constexpr float kSwell = 0.14f;

static_assert(kOrbit == kOrbitTime + 1 && kEyeFlat == kOrbitTime + 2 && kEye == kOrbitTime + 3);

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = constant(0.1f, 0.08f, 0.15f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    // one turn over the section, a little above the block's middle, close enough to fill the height
    addOrbitingEye(s, kOrbitTime, -0.0068148f, -120, 7.2f, 1.6f); // against the moons
    s[kFieldOfView] = constant(0.95f);
    s[kCamera] = node(kOpCamera, {kEye, kNone, kNone, kFieldOfView}, {}); // looking at the origin
    s[kTransition] = node(kOpTransition, {kBandSlide}, {2});              // x of the band's track
    // the bass plays each chord on the bar line (the section starts 0.8 frames before the scene);
    // its slow attack is heard three frames later, where the pulse lands
    s[kBarClock] = kickClock(kSwell, kBarFrames + 0.8f - 3, kBarFrames);
    s[kBar] = kickPulse(kBarClock, kSwell);
    s[kBlockSize] = node(kOpOffset4, {kBar}, {0.7f + kSwell, 2 + kSwell, 0.7f + kSwell, 0});

    // the block's centre is the origin, where the camera looks
    s[kBlock] = drawMesh({kNone, kBlockSize, kNone, kAmbient, kDiffuse}, kMeshCube, 1, kVsBaseCook,
                         kPsBaseCook, kImgCheckerCoarse, kOpaque);
    // a light from above and to one side, short enough that the wrapped diffuse factor stays within
    // about -0.6..1.8 over the cube's corner normals (length 8 * sqrt(3))
    s[kLightDir] = constant(-0.03f, -0.055f, -0.03f, -0.1f);
    s[kSetLight] = node(kOpSetLight, {kNone, kLightDir}, {});
    s[kTurnTime] = frameTime(0.006f);
    s[kMoonSize] = node(kOpOffset4, {kBar}, {0.35f + kSwell, 0.35f + kSwell, 0.35f + kSwell, 0});

    s[kMoonSlots] = node(kOpGrid, {}, {3, 1, 2.0943951f, 0, 0}, 3);
    s[kMoons] = drawMesh({kMoonPos, kMoonSize, kTurnTime, kAmbient, kDiffuse}, kMeshCube, 3, kVsBaseCook,
                         kPsBaseCook, kImgCheckerCoarse, kOpaque);
    s[kMoonAngle] = node(kOpAdd, {kMoonSlots, kTurnTime}, {}, 3);
    s[kMoonRing] = node(kOpCircle, {kMoonAngle}, {2.6f}, 3);
    s[kMoonPos] = swizzle(kMoonRing, kX, kZero, kY, kZero, 3);
    s[kFloorSize] = constant(4.5f, 0.15f, 4.5f);

    s[kFloor] = drawMesh({kFloorPos, kFloorSize, kNone, kClearColour, kClearColour}, kMeshCube, 1,
                         kVsBaseCook, kPsBaseCook, kImgCheckerCoarse, kOpaque);
    s[kFloorPos] = constant(0, -2.15f, 0, 0); // its top under the block's foot

    s[kBand] = sprite({kNone, kBandCentre, kBandScale}, kImgZigzagBand);
    s[kBandSlide] = trackAt(kTime, kTrackBandSlide);
    s[kBandCentre] = swizzle(kBandSlide, kY, kZ, kZero, kZero);
    s[kBandScale] = constant(0.2f, 0.115f);
    s[kAmbient] = node(kOpOffset4, {kBar}, {0.29f + kSwell, 0.235f + kSwell, 0.21f + kSwell, 1});
    s[kDiffuse] = constant(0.375f, 0.31f, 0.225f, 1);
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackBandSlide}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene6Nodes = build();
constinit const SceneEntry scene6 = {scene6Nodes.data(), 922};
constinit const EnumNames scene6SlotNames = kSlotNames;
constinit const SceneNames scene6Names = {"breakdown", &scene6SlotNames, scene6Nodes.places};
