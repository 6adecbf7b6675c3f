// scene_05_drop_two.cpp - scene 5, the second drop: two floppy disks put together from their faces
// (front and back, two labels) turn inside a storm of 500 lattice cubes blowing through, which swell on
// every kick; the credits panel rises beside them before halfway and stays there to be read.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

enum Slot : int32_t {
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
    kFaceFrontA,
    kStormSize,
    kFaceBackA,
    kStormSeed,
    kFaceBackB,
    kFaceFrontB,
    // the storm, and the credits panel
    kStorm,
    kStormPos,
    kCredits,
    kWind,
    kStormDrift,
    kStormWrap,
    kCreditsPos,
    kCreditsSize,
    kSlotCount,
};
static_assert(kFaceFrontA == 20 && kFaceBackA == 22 && kFaceBackB == 24 && kFaceFrontB == 25 &&
              kStorm == 26 && kCredits == 28 && kSlotCount == 34);

// How much the lattice cubes of the storm grow on a kick; they settle over the beat.
inline constexpr float kSwell = 0.3f;

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = constant(0.02f, 0.1f, 0.16f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {}, 1);
    s[kEye] = constant(0.5f, 1.2f, 7.5f);
    s[kCamera] = node(kOpCamera, {kEye}, {}, 1); // looking at the origin
    s[kFade] = trackAt(kTime, kTrackFadeIn);
    s[kTransition] = node(kOpTransition, {kFade}, {2}, 1);

    s[kHalves] = trackAt(kTime, kTrackDiskHalves); // (0, height, half the gap) of the front faces
    s[kGapBack] = node(kOpScale, {kHalves}, {-1}, 1);
    s[kDiskSpin] = frameTime(0.012f);
    s[kDiskTurn] = node(kOpSine, {kDiskSpin}, {0.9f}, 1);
    s[kDiskSize] = constant(1.3f, 1.3f, 0.04f);
    s[kDiskA] = constant(-1.9f, 0.7f, 0);
    s[kDiskB] = constant(0.6f, -0.6f, -1);
    s[kFrontA] = node(kOpAdd, {kDiskA, kHalves}, {}, 1);
    s[kBackA] = node(kOpAdd, {kDiskA, kGapBack}, {}, 1);
    s[kFrontB] = node(kOpAdd, {kDiskB, kHalves}, {}, 1);
    s[kBackB] = node(kOpAdd, {kDiskB, kGapBack}, {}, 1);
    s[kFaceFrontA] = drawMesh({kFrontA, kDiskSize, kDiskTurn}, kMeshCube, 1, kVsTexTest, kPsTexTest,
                              kImgFloppyFront, kOpaque);
    s[kStormSize] = node(kOpOffset4, {kKick}, {0.9f + kSwell, 0.9f + kSwell, 0.03f, 0}, 1);
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
    return s;
}

} // namespace

constinit const SceneNodes scene5Nodes = build();
