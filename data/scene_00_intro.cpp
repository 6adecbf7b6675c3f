// scene_00_intro.cpp - scene 0, the intro (15 s): a page builds up around a lit cube. The highlight
// marks arrive one by one on the phrases of the pads, each sliding into its own place, until they
// fill the frame from corner to corner; the cube grows closer as the camera rises and narrows its
// view, the background lightens, and on every bar line (where the pads change chord and the bass
// enters) the cube swells and glows and the marks swell with it, settling over the bar.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
    // clock, a background that lightens as the page fills, the camera rising and closing in
    kTime,
    kClearBase,
    kDawn,
    kClearColour,
    kClear,
    kOrbitTime,
    kOrbit,
    kEyeFlat,
    kCamPath,
    kLift,
    kEye,
    kZoom,
    kCamera,
    // the cube: tumble, the bar-line swell and glow, Cook-Torrance colours
    kSpin,
    kTumble,
    kBarClock,
    kBar,
    kSize,
    kCube = 18, // pinned
    kCubePos,
    kMark0 = 20, // pinned
    kCubeHome,
    kDrift,
    kGlow,
    kAmbient,
    kDiffuse,
    kSpecular,
    kMark1 = 27, // pinned
    kShimmerTime,
    kMark2 = 29, // pinned
    kShimmer,
    kMark3 = 31, // pinned
    kShimmerRgb,
    kAmbientLive,
    kMark4 = 34, // pinned
    kMarkSwell,
    kMark5 = 36, // pinned
    kMarksA,
    kMark6 = 38, // pinned
    kMarksB,
    kMarksC,
    kFloatTime,
    kFloat,
    // per mark: alpha from its track, slide from the left while it appears, drift, place, size
    kAlpha0,
    // the cube's hover (the camera looks at where it hovers from)
    kHoverTime = kAlpha0 + 5 * 7, // after the first seven marks' five slots each
    kHover,
    kCubeBob,
    kCubeAt,
    kMark7 = 82, // pinned
    kAlpha7,     // the last mark's five slots
    kSlotCount = kAlpha7 + 5,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

// The show's screen is 16:9; a sprite's x runs 0..1 across the centre square only.
inline constexpr float kScreenSquare = (float)kShowHeight / (float)kShowWidth;

// Where a mark sits: the screen point (fractions across and down the whole frame) that the centre
// of its drawn part lands on, the drawn part's centre in its image (u, v), and its width factor;
// the height factor keeps the page's flat look (0.64 of the width's).
struct MarkPlace {
    ImageId image;
    float x, y, u, v, size;
};
inline constexpr MarkPlace kPlaces[8] = {
    {kImgHighlightPage, 0.2f, 0.52f, 0.49f, 0.475f, 0.4f},     // the page, left
    {kImgHighlightBar, 0.7f, 0.13f, 0.435f, 0.39f, 0.38f},     // a bar across the top right
    {kImgHighlightMark, 0.9f, 0.32f, 0.18f, 0.56f, 0.5f},      // a short mark, right
    {kImgHighlightTwoBars, 0.74f, 0.86f, 0.41f, 0.39f, 0.36f}, // two bars, bottom right
    {kImgHighlightLinesA, 0.33f, 0.19f, 0.44f, 0.39f, 0.3f},   // three lines, top left
    {kImgHighlightLinesC, 0.86f, 0.6f, 0.465f, 0.605f, 0.28f}, // lines, right
    {kImgHighlightMarkLow, 0.42f, 0.88f, 0.62f, 0.73f, 0.55f}, // a short mark, bottom
    {kImgHighlightLinesB, 0.1f, 0.82f, 0.48f, 0.477f, 0.26f},  // lines, bottom left
};
inline constexpr float kSlide = 0.08f;       // how far a mark slides while it fades in
inline constexpr float kFlatness = 0.64f;    // height factor / width factor of every mark
inline constexpr float kMarkSwellBy = 0.03f; // how much a mark grows on a bar line

// The sprite centre that puts the drawn part of the image at the place's screen point, for a
// 1024 x 1024 image on the 1280 x 720 screen; the mark slides in from kSlide to the left of it.
constexpr float centreX(const MarkPlace& p) {
    const float across = 0.5f + (p.x - 0.5f) / kScreenSquare;
    return across - 1024.0f * p.size / (float)kShowWidth * (2 * p.u - 1) - kSlide;
}
constexpr float centreY(const MarkPlace& p) {
    return p.y - 1024.0f * p.size * kFlatness / (float)kShowHeight * (2 * p.v - 1);
}

// How much the cube swells and glows on a bar line; both settle over the bar.
inline constexpr float kSwell = 0.25f;
inline constexpr float kGlowBy = 0.6f; // the glow is this share of the swell

// Mark k: its alpha from component k % 3 of its track, slid from the left as it appears, drifting
// with the page, placed and sized by kPlaces[k], swelling on the bar lines.
constexpr void addMark(SceneNodes& s, int k, int32_t markSlot, int32_t base) {
    const int32_t tracks[3] = {kMarksA, kMarksB, kMarksC};
    const MarkPlace& p = kPlaces[k];
    s[base] = swizzle(tracks[k / 3], k % 3, kZero, kZero, kZero); // alpha
    s[base + 1] = node(kOpScale, {base}, {kSlide});               // slide
    s[base + 2] = node(kOpAdd, {base + 1, kFloat}, {});           // slide and drift
    s[base + 3] = node(kOpOffset4, {base + 2}, {centreX(p), centreY(p), 0, 0});
    s[base + 4] =
        node(kOpOffset4, {kMarkSwell}, {p.size + kMarkSwellBy, p.size * kFlatness + kMarkSwellBy, 0, 0});
    s[markSlot] = sprite({kNone, base + 3, base + 4, kNone, base}, p.image);
}

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearBase] = constant(0.012f, 0.016f, 0.04f, 1);
    s[kDawn] = swizzle(kMarksC, kZero, kZ, kZ, kZero); // z of the third marks track: up to 0.05
    s[kClearColour] = node(kOpAdd, {kClearBase, kDawn}, {});
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    s[kOrbitTime] = frameTime(0.0035f, 300);
    s[kOrbit] = node(kOpCircle, {kOrbitTime}, {7});
    s[kEyeFlat] = swizzle(kOrbit, kX, kZero, kY, kZero);
    s[kCamPath] = trackAt(kTime, kTrackDropIntro); // y: the eye's height, z: the field of view
    s[kLift] = swizzle(kCamPath, kZero, kY, kZero, kZero);
    s[kEye] = node(kOpAdd, {kEyeFlat, kLift}, {});
    s[kZoom] = swizzle(kCamPath, kZ, kZero, kZero, kZero);
    s[kCamera] = node(kOpCamera, {kEye, kCubeAt, kNone, kZoom}, {}); // looking at the cube

    s[kSpin] = frameTime(0.011f);
    s[kTumble] = node(kOpOffset4, {kSpin}, {0, 0.6f, 0.3f, 0});
    // the bar lines: the pads change chord 13 rows in and every 16 rows after; the pulse lands three
    // frames after each, where the slow attack of the bass is heard
    s[kBarClock] = kickClock(kSwell, kBarFrames - (13 * 7.2f + 3), kBarFrames);
    s[kBar] = kickPulse(kBarClock, kSwell);
    s[kSize] = node(kOpOffset4, {kBar}, {1 + kSwell, 1 + kSwell, 1 + kSwell, 0});
    // no light is set yet, so the default (1, 1, 1, 0) is current: against this cube's corner normals
    // (length 8 * sqrt(3)) the wrapped diffuse factor runs from -23.5 to 24.5, so the diffuse colour is
    // that much smaller than the ambient; the cube spans deep blue to pale blue, never black or white
    s[kCube] = drawMesh({kCubePos, kSize, kTumble, kAmbientLive, kDiffuse, kSpecular}, kMeshCube, 1,
                        kVsBaseCook, kPsBaseCook, kImgCheckerCoarse, kOpaque);
    s[kCubePos] = node(kOpAdd, {kCubeAt, kCubeBob}, {});
    s[kCubeAt] = node(kOpAdd, {kCubeHome, kDrift}, {});
    s[kHoverTime] = frameTime(0.013f);
    s[kHover] = node(kOpSine, {kHoverTime}, {0.2f});
    s[kCubeBob] = swizzle(kHover, kZero, kX, kZero, kZero);
    s[kCubeHome] = constant(-0.3f, -0.1f, 0);
    s[kDrift] = trackAt(kTime, kTrackGiven); // drifts 0.5 to the right over the first 400 frames
    s[kGlow] = node(kOpScale, {kBar}, {kGlowBy});
    s[kAmbient] = node(kOpOffset4, {kGlow},
                       {0.21f + kGlowBy * kSwell, 0.29f + kGlowBy * kSwell, 0.5f + kGlowBy * kSwell, 1});
    s[kDiffuse] = constant(0.0077f, 0.0104f, 0.0162f, 1);
    s[kSpecular] = constant(0, 0, 0, 0);
    s[kShimmerTime] = frameTime(0.017f);
    s[kShimmer] = node(kOpSine, {kShimmerTime}, {0.04f});
    s[kShimmerRgb] = swizzle(kShimmer, kZero, kX, kX, kZero);
    s[kAmbientLive] = node(kOpAdd, {kAmbient, kShimmerRgb}, {});

    s[kMarkSwell] = node(kOpScale, {kBar}, {kMarkSwellBy / kSwell});
    s[kMarksA] = trackAt(kTime, kTrackMarksA);
    s[kMarksB] = trackAt(kTime, kTrackMarksB);
    s[kMarksC] = trackAt(kTime, kTrackMarksC);
    s[kFloatTime] = frameTime(0.021f);
    s[kFloat] = node(kOpCircle, {kFloatTime}, {0.012f}); // the page drifts on a small circle

    const int32_t marks[8] = {kMark0, kMark1, kMark2, kMark3, kMark4, kMark5, kMark6, kMark7};
    for (int k = 0; k < 7; ++k) addMark(s, k, marks[k], kAlpha0 + 5 * k);
    addMark(s, 7, kMark7, kAlpha7);
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackDropIntro, kTrackGiven, kTrackMarksA, kTrackMarksB, kTrackMarksC}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene0Nodes = build();
constinit const SceneEntry scene0 = {scene0Nodes.data(), 900};
constinit const EnumNames scene0SlotNames = kSlotNames;
constinit const SceneNames scene0Names = {"intro", &scene0SlotNames, scene0Nodes.places};
