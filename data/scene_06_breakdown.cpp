// scene_06_breakdown.cpp - scene 6, the breakdown (no beat): a tall lit block on a dusk-violet slab,
// three small cubes orbiting it once every six bars, the light and the camera swaying over four bars;
// the zig-zag band glides across, landing on the bar lines.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
enum Slot : int32_t {
    // clock, clear colour, swaying camera, fade from white, a light that swings round
    kTime,
    kClearColour,
    kClear,
    kEye,
    kCamera,
    kFade,
    kTransition,
    kSwayTime,
    kLightCircle,
    kLightDir,
    kSetLight,
    kFloorSize,
    kMoonSize,
    // the block
    kBlock = 13, // pinned
    kBlockPos,
    kBlockSize,
    kTurnTime,
    kSway,
    // three moons on a ring
    kMoonSlots,
    kMoons = 19, // pinned
    kMoonAngle,
    kMoonRing,
    kMoonPos,
    // the floor slab
    kOrbitTime,
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
};
static_assert(kSlotCount == 32); // slots in use

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = constant(0.1f, 0.08f, 0.15f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    s[kEye] = node(kOpOffset4, {kSway}, {2, 2.6f, 8, 0});
    s[kCamera] = node(kOpCamera, {kEye}, {}); // looking at the origin
    s[kFade] = trackAt(kTime, kTrackFadeIn);
    s[kTransition] = node(kOpTransition, {kFade}, {2});
    s[kSwayTime] = frameTime(0.0136293f);          // a quarter turn per bar
    s[kSway] = node(kOpSine, {kSwayTime}, {1.6f}); // the eye sideways, the block's yaw
    // a light from above swinging slowly from side to side, short enough that the wrapped diffuse
    // factor stays within about -0.6..1.8 over the cube's corner normals (length 8 * sqrt(3))
    s[kLightCircle] = node(kOpCircle, {kSwayTime}, {0.045f});
    s[kLightDir] = node(kOpOffset4, {kLightCircle}, {0, -0.055f, -0.03f, -0.1f});
    s[kSetLight] = node(kOpSetLight, {kNone, kLightDir}, {});
    s[kFloorSize] = constant(5, 0.15f, 5);
    s[kMoonSize] = constant(0.35f, 0.35f, 0.35f);

    s[kBlock] = drawMesh({kBlockPos, kBlockSize, kSway, kAmbient, kDiffuse}, kMeshCube, 1, kVsBaseCook,
                         kPsBaseCook, kImgCheckerCoarse, kOpaque);
    s[kBlockPos] = constant(0, 0.4f, 0);
    s[kBlockSize] = constant(0.7f, 2, 0.7f);
    s[kTurnTime] = frameTime(0.004f);

    s[kMoonSlots] = node(kOpGrid, {}, {3, 1, 2.0943951f, 0, 0}, 3);
    s[kMoons] = drawMesh({kMoonPos, kMoonSize, kTurnTime, kAmbient, kDiffuse}, kMeshCube, 3, kVsBaseCook,
                         kPsBaseCook, kImgCheckerCoarse, kOpaque);
    s[kMoonAngle] = node(kOpAdd, {kMoonSlots, kOrbitTime}, {}, 3);
    s[kMoonRing] = node(kOpCircle, {kMoonAngle}, {3}, 3);
    s[kMoonPos] = swizzle(kMoonRing, kX, kZero, kY, kZero, 3);

    s[kOrbitTime] = frameTime(0.0090863f); // one turn per six bars: a moon passes every second bar
    s[kFloor] = drawMesh({kFloorPos, kFloorSize, kNone, kClearColour, kClearColour}, kMeshCube, 1,
                         kVsBaseCook, kPsBaseCook, kImgCheckerCoarse, kOpaque);
    s[kFloorPos] = constant(0, -1.7f, 0, 0);

    s[kBand] = sprite({kNone, kBandCentre, kBandScale}, kImgZigzagBand);
    s[kBandSlide] = trackAt(kTime, kTrackBandSlide);
    s[kBandCentre] = swizzle(kBandSlide, kX, kY, kZero, kZero);
    s[kBandScale] = constant(0.2f, 0.115f);
    s[kAmbient] = constant(0.29f, 0.235f, 0.21f, 1);
    s[kDiffuse] = constant(0.375f, 0.31f, 0.225f, 1);
    return s;
}

} // namespace

constinit const SceneNodes scene6Nodes = build();
