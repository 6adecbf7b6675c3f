// scene_04_drop.cpp - scene 4, the drop (one pattern): the sphere-mapped smooth cube inside two
// transparent magenta grid cubes that turn against each other and swell on every kick (the inner one
// twice as much) and settle over the beat, the camera circling; the panel pieces slide in and out on the bar
// lines.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
    // clock, clear colour, circling camera, fade from white
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
    // two grid cubes turning against each other, sized by the kick
    kInnerSpin,
    kInnerGrid = 12, // pinned
    kInnerSize,
    kOuterGrid = 14, // pinned
    kOuterSpin,
    kKickClock,
    kInnerKick,
    kKick,
    kOuterSize,
    // the panel pieces
    kPanel = 20, // pinned
    kPanelSlide,
    kPanelCentre,
    kPanelPop,
    kPanelScale,
    // the smooth checkered cube at the centre
    kBallSpin,
    kBall = 26, // pinned
    kBallSize,
    kOuterTime,
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

// How much the grid cubes grow on a kick.
inline constexpr float kSwell = 0.22f;

static_assert(kOrbit == kOrbitTime + 1 && kEyeFlat == kOrbitTime + 2 && kEye == kOrbitTime + 3);

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = constant(0.1f, 0.03f, 0.16f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    addOrbitingEye(s, kOrbitTime, 0.005f, 0, 6.5f, 2.2f);
    s[kAt] = constant(0, 0, 0);
    s[kCamera] = node(kOpCamera, {kEye, kAt}, {});
    s[kFade] = trackAt(kTime, kTrackDropIntro); // a white punch on the downbeat
    s[kTransition] = node(kOpTransition, {kFade}, {2});

    s[kInnerSpin] = frameTime(0.009f);
    s[kInnerGrid] = drawMesh({kNone, kInnerSize, kInnerSpin}, kMeshCube, 1, kVsTexTest, kPsTexTest,
                             kImgMagentaGrid, kBlended);
    s[kInnerSize] =
        node(kOpOffset4, {kInnerKick}, {1.5f + 2 * kSwell, 1.5f + 2 * kSwell, 1.5f + 2 * kSwell, 0});
    s[kOuterGrid] = drawMesh({kNone, kOuterSize, kOuterSpin}, kMeshCube, 1, kVsTexTest, kPsTexTest,
                             kImgMagentaGrid, kBlended);
    s[kOuterSpin] = node(kOpOffset4, {kOuterTime}, {0, 0.7f, 0.3f, 0});
    s[kKickClock] = kickClock(kSwell);
    s[kInnerKick] = node(kOpScale, {kKick}, {2});
    s[kKick] = kickPulse(kKickClock, kSwell);
    s[kOuterSize] = node(kOpOffset4, {kKick}, {2.5f + kSwell, 2.5f + kSwell, 2.5f + kSwell, 0});

    s[kPanel] = sprite({kNone, kPanelCentre, kPanelScale}, kImgPanelPieces);
    s[kPanelSlide] = trackAt(kTime, kTrackPanelSlide);
    s[kPanelCentre] = swizzle(kPanelSlide, kX, kY, kZero, kZero);
    s[kPanelPop] = trackAt(kTime, kTrackPanelScale);
    s[kPanelScale] = swizzle(kPanelPop, kX, kY, kZero, kZero);

    s[kBallSpin] = frameTime(-0.013f);
    s[kBall] = drawMesh({kNone, kBallSize, kBallSpin}, kMeshSmoothCube, 1, kVsTexTest, kPsTexTest,
                        kImgCheckerFine, kBlended);
    s[kBallSize] = node(kOpOffset4, {kKick}, {1 + kSwell, 1 + kSwell, 1 + kSwell, 0});
    s[kOuterTime] = frameTime(-0.006f);
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackDropIntro, kTrackPanelScale, kTrackPanelSlide}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene4Nodes = build();
constinit const SceneEntry scene4 = {scene4Nodes.data(), 922};
constinit const EnumNames scene4SlotNames = kSlotNames;
constinit const SceneNames scene4Names = {"drop", &scene4SlotNames, scene4Nodes.places};
