// scene_07_rise.cpp - scene 7, the rise: a lit temple grows out of the floor bar by bar (a plinth,
// a shaft, a turning crown, wings, two rings of columns, two avenues, two arcs of floating blocks and
// three moons), the camera circling it and looking at its centre; the caption appears line by line.
// On every kick the stone and gold flare, the crown swells and the small blocks (moons, avenues,
// arcs) swell with it, all settling over the beat.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
    // clock, clear colour, circling look-at camera, fade from white, light
    kTime,
    kClearColour,
    kClear,
    kOrbitTime,
    kOrbit,
    kEyeFlat,
    kEye,
    kAt,
    kLookAt,
    kKickClock,
    kTransition,
    kLightDir,
    kSetLight,
    kRise,
    // the centre: plinth, shaft, crown
    kPlinth = 14, // pinned
    kPlinthPos,
    kShaft = 16, // pinned
    kShaftPos,
    kShaftSize,
    kCrownPos,
    kCrown = 20, // pinned
    kCrownSize,
    kKickGlow,
    kKick,
    kCrownSpin,
    kTurn,
    kPlinthSize,
    kWingSize,
    // wings and the inner ring of columns
    kWingLeft = 28, // pinned
    kWingLeftPos,
    kWingRight = 30, // pinned
    kWingRightPos,
    kColumns = 32, // pinned
    kColumnSlots,
    kColumnRing,
    kColumnFlat,
    kColumnPos,
    kColumnSize,
    // colours: stone and gold
    kStoneAmbient,
    kStoneDiffuse,
    kSpecular,
    kGoldAmbient,
    kGoldDiffuse,
    // three moons (and the rings the outer columns and the floating arc stand on)
    kMoonTime,
    kMoonCircle,
    kMoonFlat,
    kMoonPos,
    kMoonSize,
    kOuterRing,
    kHaloPos,
    kMoonA = 50, // pinned
    kMoonBPos,
    kMoonB = 52, // pinned
    kMoonCPos,
    kMoonC = 54, // pinned
    // the caption, revealed line by line
    kCaptionReveal,
    kCaptionBottom,
    kCaptionRect,
    kCaption = 58, // pinned
    kCaptionY,
    kCaptionCentre,
    kKickHalf,
    kCaptionScale,
    // the outer ring, two avenues, two arcs of blocks
    kAvenueSlots,
    kAvenueLine,
    kOuterPos,
    kOuterColumns = 66, // pinned
    kAvenueLeft = 67,   // pinned
    kAvenueRight = 68,  // pinned
    kHaloA = 69,        // pinned
    kHaloB = 70,        // pinned
    kAvenueLeftPos,
    kAvenueRightPos,
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

// How much the crown grows on a kick (the small blocks grow 0.4 of it), and how much the stone and
// gold brighten (half of it); all settle over the beat.
inline constexpr float kSwell = 0.3f;
inline constexpr float kSmallSwell = 0.4f * kSwell;
inline constexpr float kFlare = 0.5f * kSwell;

constexpr DrawInputs stone(int32_t position, int32_t size, int32_t rotation = kNone) {
    return {position, size, rotation, kStoneAmbient, kStoneDiffuse, kSpecular};
}
constexpr DrawInputs gold(int32_t position, int32_t size, int32_t rotation = kNone) {
    return {position, size, rotation, kGoldAmbient, kGoldDiffuse, kSpecular};
}
constexpr PlacedNode cubes(DrawInputs in, int instances) {
    return drawMesh(in, kMeshCube, instances, kVsBaseCook, kPsBaseCook, kImgCheckerCoarse, kOpaque);
}

static_assert(kOrbit == kOrbitTime + 1 && kEyeFlat == kOrbitTime + 2 && kEye == kOrbitTime + 3);

// The clock, the clear colour, the orbiting camera, the fade in, the light and the rise.
constexpr void addStage(SceneNodes& s) {
    s[kTime] = frameTime(1);
    s[kClearColour] = constant(0.05f, 0.06f, 0.12f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    addOrbitingEye(s, kOrbitTime, 0.0035f, 150, 10, 4.5f);
    s[kAt] = constant(0, 3.4f, 0); // above the crown: the temple low, the caption on the dark sky
    s[kLookAt] = node(kOpLookAtCamera, {kEye, kAt}, {});
    s[kTransition] = node(kOpTransition, {kCaptionReveal}, {2}); // x of the caption's track
    // the section starts 1.2 frames before the scene; the pulse lands two and a half frames after
    // each beat, where the kick's low end is heard
    s[kKickClock] = kickClock(kSwell, kBeatFrames + 1.2f - 2.5f);
    s[kKick] = kickPulse(kKickClock, kSwell);
    s[kKickHalf] = node(kOpScale, {kKick}, {kSmallSwell / kSwell});
    s[kKickGlow] = node(kOpScale, {kKick}, {kFlare / kSwell});
    // a key light from above and to one side, short enough that the wrapped diffuse factor stays
    // within about -0.4..1.6 over the cube's corner normals (length 8 * sqrt(3)); w lifts it by 0.1
    s[kLightDir] = constant(-0.035f, -0.065f, -0.03f, -0.1f);
    s[kSetLight] = node(kOpSetLight, {kNone, kLightDir}, {});
    s[kRise] = trackAt(kTime, kTrackTowerRise);
}

// The tower in the centre: plinth, shaft, golden crown, wings, the ring of columns, and its materials.
constexpr void addCentre(SceneNodes& s) {
    s[kPlinth] = cubes(stone(kPlinthPos, kPlinthSize), 1);
    s[kPlinthPos] = constant(0, -0.5f, 0);
    s[kShaft] = cubes(stone(kShaftPos, kShaftSize, kTurn), 1);
    s[kShaftPos] = node(kOpOffset4, {kRise}, {0, 1.6f, 0, 0});
    s[kShaftSize] = constant(0.6f, 1.8f, 0.6f);
    s[kCrown] = cubes(gold(kCrownPos, kCrownSize, kCrownSpin), 1);
    s[kCrownPos] = node(kOpOffset4, {kRise}, {0, 4.2f, 0, 0});
    s[kCrownSize] = node(kOpOffset4, {kKick}, {0.55f + kSwell, 0.55f + kSwell, 0.55f + kSwell, 0});
    s[kCrownSpin] = frameTime(0.021f);

    s[kWingLeft] = cubes(stone(kWingLeftPos, kWingSize), 1);
    s[kWingLeftPos] = constant(-3.2f, 0.2f, 0);
    s[kWingRight] = cubes(stone(kWingRightPos, kWingSize), 1);
    s[kWingRightPos] = constant(3.2f, 0.2f, 0);
    s[kColumns] = cubes(stone(kColumnPos, kColumnSize), 20);
    s[kColumnSlots] = node(kOpGrid, {}, {20, 1, 0.31415927f, 0, 0}, 20);
    s[kColumnRing] = node(kOpCircle, {kColumnSlots}, {5.5f}, 20);
    s[kColumnFlat] = swizzle(kColumnRing, kX, kZero, kY, kZero, 20);
    s[kColumnPos] = node(kOpAdd, {kColumnFlat, kRise}, {}, 20);
    s[kColumnSize] = constant(0.22f, 1.3f, 0.22f);
    s[kWingSize] = constant(0.9f, 0.5f, 1.8f);

    // ambient + diffuse x (-0.4 .. 1.6): stone from slate to pale blue-grey, gold from bronze to amber
    s[kStoneAmbient] = node(kOpOffset4, {kKickGlow}, {0.19f + kFlare, 0.2f + kFlare, 0.25f + kFlare, 1});
    s[kStoneDiffuse] = constant(0.24f, 0.25f, 0.3f, 1);
    s[kSpecular] = constant(0.03f, 0.03f, 0.03f, 0);
    s[kGoldAmbient] = node(kOpOffset4, {kKickGlow}, {0.3f + kFlare, 0.19f + kFlare, 0.04f + kFlare, 1});
    s[kGoldDiffuse] = constant(0.38f, 0.26f, 0.07f, 1);
    s[kPlinthSize] = constant(2.4f, 0.5f, 2.4f);
    s[kTurn] = swizzle(kMoonTime, kX, kZero, kZero, kZero);
}

// Three golden moons circling the shaft.
constexpr void addMoons(SceneNodes& s) {
    s[kMoonTime] = frameTime(0.017f);
    s[kMoonCircle] = node(kOpCircle, {kMoonTime}, {2.2f});
    s[kMoonFlat] = swizzle(kMoonCircle, kX, kZero, kY, kZero);
    s[kMoonPos] = node(kOpOffset4, {kMoonFlat}, {0, 2.6f, 0, 0});
    s[kMoonA] = cubes(gold(kMoonPos, kMoonSize, kCrownSpin), 1);
    s[kMoonSize] =
        node(kOpOffset4, {kKickHalf}, {0.22f + kSmallSwell, 0.22f + kSmallSwell, 0.22f + kSmallSwell, 0});
    s[kMoonB] = cubes(gold(kMoonBPos, kMoonSize, kCrownSpin), 1);
    s[kMoonBPos] = swizzle(kMoonPos, kZ, kY, kX, kZero);
    s[kMoonC] = cubes(gold(kMoonCPos, kMoonSize, kCrownSpin), 1);
    s[kMoonCPos] = node(kOpScale, {kMoonPos}, {-1});
}

// The caption, revealed from its bottom edge by its track (y: the bottom, z: the centre's height).
constexpr void addCaption(SceneNodes& s) {
    s[kCaptionReveal] = trackAt(kTime, kTrackCaptionReveal);
    s[kCaptionBottom] = swizzle(kCaptionReveal, kZero, kZero, kZero, kY);
    s[kCaption] = sprite({kCaptionRect, kCaptionCentre, kCaptionScale}, kImgCaption);
    s[kCaptionRect] = node(kOpOffset4, {kCaptionBottom}, {0, 0, 1, 0});
    s[kCaptionY] = swizzle(kCaptionReveal, kZero, kZ, kZero, kZero);
    s[kCaptionCentre] = node(kOpOffset4, {kCaptionY}, {1.0f, 0, 0, 0});
    s[kCaptionScale] = constant(0.5f, 0.28f);
}

// The avenues, the outer ring of columns and the golden halo.
constexpr void addSurroundings(SceneNodes& s) {
    s[kAvenueSlots] = node(kOpGrid, {}, {15, 1, 1.1f, 0, 0}, 15);
    s[kAvenueLine] = swizzle(kAvenueSlots, kZero, kZero, kX, kZero, 15);
    s[kOuterRing] = node(kOpCircle, {kColumnSlots}, {8}, 20);
    s[kHaloPos] = node(kOpOffset4, {kColumnFlat}, {0, 5, 0, 0}, 8);
    s[kOuterColumns] = cubes(stone(kOuterPos, kColumnSize), 20);
    s[kAvenueLeft] = cubes(stone(kAvenueLeftPos, kMoonSize), 15);
    s[kAvenueRight] = cubes(stone(kAvenueRightPos, kMoonSize), 15);
    s[kHaloA] = cubes(gold(kHaloPos, kMoonSize, kCrownSpin), 8);
    s[kHaloB] = cubes(gold(kOuterPos, kMoonSize, kCrownSpin), 8); // an arc on the floor

    s[kOuterPos] = swizzle(kOuterRing, kX, kZero, kY, kZero, 20);
    s[kAvenueLeftPos] = node(kOpOffset4, {kAvenueLine}, {-1.8f, -0.7f, 0, 0}, 15);
    s[kAvenueRightPos] = node(kOpOffset4, {kAvenueLine}, {1.8f, -0.7f, 0, 0}, 15);
}

constexpr SceneNodes build() {
    SceneNodes s{};
    addStage(s);
    addCentre(s);
    addMoons(s);
    addCaption(s);
    addSurroundings(s);
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackCaptionReveal, kTrackTowerRise}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene7Nodes = build();
constinit const SceneEntry scene7 = {scene7Nodes.data(), 922};
constinit const EnumNames scene7SlotNames = kSlotNames;
constinit const SceneNames scene7Names = {"rise", &scene7SlotNames, scene7Nodes.places};
