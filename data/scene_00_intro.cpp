// scene_00_intro.cpp - scene 0, the intro (15 s): the lit cube turning alone in the dark while the
// highlight marks of a page appear one after another, each sliding in on a phrase of the pads.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
enum Slot : int32_t {
    // clock, clear colour, orbiting camera
    kTime,
    kClearColour,
    kClear,
    kOrbitTime,
    kOrbit,
    kEyeFlat,
    kEye,
    kAt,
    kFov,
    kCamera,
    // the cube: tumble, beat-driven size, Cook-Torrance colours
    kSpin,
    kTumble,
    kPulse,
    kBaseSize,
    kSize,
    kAmbient,
    kDiffuse,
    kSpecular,
    kCube = 18, // pinned
    kCubePos,
    // the page of marks: shared centre and scale, the tracks that bring each mark in
    kMark0 = 20, // pinned
    kMarksA,
    kMarksB,
    kMarksC,
    kPageCentre,
    kPageScale,
    kBobTime,
    kMark1 = 27, // pinned
    kBob,
    kMark2 = 29, // pinned
    kBobY,
    kMark3 = 31, // pinned
    kPageBase,
    kSlideLength,
    kMark4 = 34, // pinned
    kMarkGain,
    kMark5 = 36, // pinned
    kCubeHome,
    kMark6 = 38, // pinned
    // per mark: alpha from its track, slide from the left while it appears, beat on its size
    kAlpha0,
    kSlide0,
    kCentre0,
    kBeat0,
    kScale0,
    kAlpha1,
    kSlide1,
    kCentre1,
    kBeat1,
    kScale1,
    kAlpha2,
    kSlide2,
    kCentre2,
    kBeat2,
    kScale2,
    kAlpha3,
    kSlide3,
    kCentre3,
    kBeat3,
    kScale3,
    kAlpha4,
    kSlide4,
    kCentre4,
    kBeat4,
    kScale4,
    kAlpha5,
    kSlide5,
    kCentre5,
    kBeat5,
    kScale5,
    kAlpha6,
    kSlide6,
    kCentre6,
    kBeat6,
    kScale6,
    kAlpha7,
    kSlide7,
    kCentre7,
    kBeat7,
    kScale7,
    // the cube's colour shimmer and its hover
    kShimmerTime,
    kShimmer,
    kHoverTime,
    kMark7 = 82, // pinned
    kShimmerRgb,
    kAmbientLive,
    kHover,
    kCubeBob,
    kKick,
    kSlotCount,
};
static_assert(kSlotCount == 88); // slots in use

constexpr void addMark(SceneNodes& s, int k, int32_t markSlot, ImageId image) {
    const int32_t base = kAlpha0 + 5 * k; // alpha, slide, centre, beat, scale
    const int32_t tracks[3] = {kMarksA, kMarksB, kMarksC};
    s[base] = swizzle(tracks[k / 3], k % 3, kZero, kZero, kZero);
    s[base + 1] = node(kOpScale, {base}, {0.08f});
    s[base + 2] = node(kOpAdd, {kPageCentre, base + 1}, {});
    s[base + 3] = beat(4 + k, 0.05f);
    s[base + 4] = node(kOpAdd, {kPageScale, base + 3}, {});
    s[markSlot] = sprite({kNone, base + 2, base + 4, kNone, base}, image);
}

static_assert(kOrbit == kOrbitTime + 1 && kEyeFlat == kOrbitTime + 2 && kEye == kOrbitTime + 3);

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = constant(0.015f, 0.02f, 0.05f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    addOrbitingEye(s, kOrbitTime, 0.0035f, 300, 7, 1.8f);
    s[kAt] = constant(0.6f, 0, 0);
    s[kFov] = constant(0.75f);
    s[kCamera] = node(kOpCamera, {kEye, kAt, kNone, kFov}, {});

    s[kSpin] = frameTime(0.011f);
    s[kTumble] = node(kOpOffset4, {kSpin}, {0, 0.6f, 0.3f, 0});
    s[kPulse] = beat(2, 0.3f);
    s[kBaseSize] = constant(1, 1, 1);
    s[kSize] = node(kOpAdd, {kBaseSize, kPulse}, {});
    // no light is set yet, so the default (1, 1, 1, 0) is current: against this cube's corner normals
    // (length 8 * sqrt(3)) the wrapped diffuse factor runs from -23.5 to 24.5, so the diffuse colour is
    // that much smaller than the ambient; the cube spans deep blue to pale blue, never black or white
    s[kAmbient] = constant(0.21f, 0.29f, 0.5f, 1);
    s[kDiffuse] = constant(0.0077f, 0.0104f, 0.0162f, 1);
    s[kSpecular] = constant(0, 0, 0, 0);
    s[kCube] = drawMesh({kCubePos, kSize, kTumble, kAmbientLive, kDiffuse, kSpecular}, kMeshCube, 1,
                        kVsBaseCook, kPsBaseCook, kImgCheckerCoarse, kOpaque);
    s[kCubePos] = node(kOpAdd, {kCubeHome, kKick}, {});

    s[kMarksA] = trackAt(kTime, kTrackMarksA);
    s[kMarksB] = trackAt(kTime, kTrackMarksB);
    s[kMarksC] = trackAt(kTime, kTrackMarksC);
    s[kPageCentre] = node(kOpAdd, {kPageBase, kBobY}, {});
    s[kPageScale] = constant(0.5f, 0.32f);
    s[kBobTime] = frameTime(0.021f);
    s[kBob] = node(kOpSine, {kBobTime}, {0.02f});
    s[kBobY] = swizzle(kBob, kZero, kX, kZero, kZero);
    s[kPageBase] = constant(-0.05f, 0.5f);
    s[kSlideLength] = constant(0.08f);
    s[kMarkGain] = beat(6, 0.15f);
    s[kCubeHome] = constant(1.3f, 0, 0.4f);

    const ImageId images[8] = {kImgHighlightPage,    kImgHighlightBar,    kImgHighlightMark,
                               kImgHighlightTwoBars, kImgHighlightLinesA, kImgHighlightLinesC,
                               kImgHighlightMarkLow, kImgHighlightLinesB};
    const int32_t marks[8] = {kMark0, kMark1, kMark2, kMark3, kMark4, kMark5, kMark6, kMark7};
    for (int k = 0; k < 8; ++k) addMark(s, k, marks[k], images[k]);

    s[kShimmerTime] = frameTime(0.017f);
    s[kShimmer] = node(kOpSine, {kShimmerTime}, {0.04f});
    s[kShimmerRgb] = swizzle(kShimmer, kZero, kX, kX, kZero);
    s[kAmbientLive] = node(kOpAdd, {kAmbient, kShimmerRgb}, {});
    s[kHoverTime] = frameTime(0.013f);
    s[kHover] = node(kOpSine, {kHoverTime}, {0.25f});
    s[kCubeBob] = swizzle(kHover, kZero, kX, kZero, kZero);
    s[kKick] = node(kOpAdd, {kCubeBob, kMarkGain}, {});
    return s;
}

} // namespace

constinit const SceneNodes scene0Nodes = build();
