// scene_05_drop_two.cpp - scene 5, the second drop: two floppy disks put together from their faces
// (front and back, two labels) turn inside a storm of 500 lattice cubes blowing through, which swell on
// every kick while the sky behind them lights up and dims over half a beat; the credits panel rises
// beside them before halfway and stays there to be read.
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
    kKickClock,
    kCamera,
    kFade,
    kTransition,
    // the faces of the two disks fly together along their track
    kHalves,
    kKick,
    kGapBack,
    kDiskSpin,
    kDiskTurn,
    kDiskSize,
    kDiskA,
    kDiskB,
    kFrontA,
    kBackA,
    kFrontB,
    kBackB,
    kFaceFrontA = 20, // pinned
    kStormSize,
    kFaceBackA = 22, // pinned
    kStormSeed,
    kFaceBackB = 24,  // pinned
    kFaceFrontB = 25, // pinned
    // the storm, and the credits panel
    kStorm = 26, // pinned
    kStormPos,
    kCredits = 28, // pinned
    kWind,
    kStormDrift,
    kStormWrap,
    kCreditsPos,
    kCreditsSize,
    // the sky's light on the kick
    kGlow,
    kGlowTint,
    kGlowColour,
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

// How much the lattice cubes of the storm grow on a kick; they settle over the beat.
inline constexpr float kSwell = 0.3f;
// The share of the beat over which the sky's light dies away after a kick.
inline constexpr float kGlowSpan = 0.5f;

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = node(kOpOffset4, {kGlowColour}, {0.02f, 0.1f, 0.16f, 1}); // a deep teal sky
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    s[kEye] = constant(0.5f, 1.2f, 7.5f);
    s[kCamera] = node(kOpCamera, {kEye}, {});     // looking at the origin
    s[kFade] = trackAt(kTime, kTrackCreditsRise); // x stays above 1: a hard cut on the crash
    s[kTransition] = node(kOpTransition, {kFade}, {2});

    s[kHalves] = trackAt(kTime, kTrackDiskHalves); // (0, height, half the gap) of the front faces
    s[kGapBack] = node(kOpScale, {kHalves}, {-1});
    s[kDiskSpin] = frameTime(0.012f);
    s[kDiskTurn] = node(kOpSine, {kDiskSpin}, {0.9f});
    s[kDiskSize] = constant(1.3f, 1.3f, 0.04f);
    s[kDiskA] = constant(-1.9f, 0.7f, 0);
    s[kDiskB] = constant(0.6f, -0.6f, -1);
    s[kFrontA] = node(kOpAdd, {kDiskA, kHalves}, {});
    s[kBackA] = node(kOpAdd, {kDiskA, kGapBack}, {});
    s[kFrontB] = node(kOpAdd, {kDiskB, kHalves}, {});
    s[kBackB] = node(kOpAdd, {kDiskB, kGapBack}, {});
    s[kFaceFrontA] = drawMesh({kFrontA, kDiskSize, kDiskTurn}, kMeshCube, 1, kVsTexTest, kPsTexTest,
                              kImgFloppyFront, kOpaque);
    s[kStormSize] = node(kOpOffset4, {kKick}, {0.9f + kSwell, 0.9f + kSwell, 0.03f, 0});
    s[kFaceBackA] = drawMesh({kBackA, kDiskSize, kDiskTurn}, kMeshCube, 1, kVsTexTest, kPsTexTest,
                             kImgFloppyBack, kOpaque);
    s[kStormSeed] = node(kOpRandom, {}, {0.61f, 0, 20}, 500); // a 20-unit box, sparse enough to see through
    s[kFaceBackB] = drawMesh({kBackB, kDiskSize, kDiskTurn}, kMeshCube, 1, kVsTexTest, kPsTexTest,
                             kImgFloppyBackMirrored, kOpaque);
    s[kFaceFrontB] = drawMesh({kFrontB, kDiskSize, kDiskTurn}, kMeshCube, 1, kVsTexTest, kPsTexTest,
                              kImgFloppyFrontMirrored, kOpaque);

    s[kStorm] = drawMesh({kStormPos, kStormSize, kWind}, kMeshCube, 500, kVsTexTest, kPsTexTest, kImgLattice,
                         kBlended);
    s[kStormPos] = node(kOpOffset4, {kStormWrap}, {-10, -10, -16, 0}, 500);
    s[kCredits] =
        drawMesh({kCreditsPos, kCreditsSize}, kMeshCube, 1, kVsTexTest, kPsTexTest, kImgCredits, kBlended);
    s[kWind] = frameTime(0.022f);
    s[kStormDrift] = node(kOpAdd, {kStormSeed, kWind}, {}, 500);
    s[kStormWrap] = node(kOpModulo, {kStormDrift}, {20}, 500);
    s[kCreditsPos] = trackAt(kTime, kTrackCreditsRise);
    s[kCreditsSize] = constant(1, 1, 0.03f);
    s[kKickClock] = kickClock(kSwell, 0.4f);
    s[kKick] = kickPulse(kKickClock, kSwell);
    s[kGlow] = node(kOpRangePower, {kKick}, {-kSwell * kGlowSpan, 0, 2}); // 1 on the kick, falling fast
    s[kGlowTint] = constant(0.12f, 0.2f, 0.2f);                           // to a pale blue-green sky
    s[kGlowColour] = node(kOpMul, {kGlow, kGlowTint}, {});
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackCreditsRise, kTrackDiskHalves}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene5Nodes = build();
constinit const SceneEntry scene5 = {scene5Nodes.data(), 922};
constinit const EnumNames scene5SlotNames = kSlotNames;
constinit const SceneNames scene5Names = {"drop two", &scene5SlotNames, scene5Nodes.places};
