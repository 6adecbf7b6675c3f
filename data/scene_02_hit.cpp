// scene_02_hit.cpp - scene 2, the hit (1 s): a white flash that drains to violet, the lattice
// zooming out and turning, the two yellow bars shooting in from both sides.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
    // clock, a flash that drains from the clear colour, a still camera
    kTime,
    kDrain,
    kDrainRgb,
    kFlashTop,
    kClearColour,
    kClear,
    kEye,
    kAt,
    kCamera,
    // the lattice: zoom from its track, a slow turn, a flicker on the hit
    kZoom,
    kZoomXY,
    kSpinTime,
    kLattice = 12, // pinned
    kLatticeSpin,
    kLatticeCentre,
    kFlicker,
    kLatticeAlpha,
    // the yellow bars: centres from their track, shared scale
    kBars,
    kBarLowX,
    kBarHighX,
    kBarLowY,
    kBarHighY,
    kBarLowCentre,
    kBarHighCentre,
    kBarScale,
    kBarTilt,
    kBarKick,
    kBarAlpha,
    kBarHigh = 28, // pinned
    kBarLow = 29,  // pinned
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kDrain] = frameTime(-0.022f);
    s[kDrainRgb] = swizzle(kDrain, kX, kX, kY, kZero);
    s[kFlashTop] = constant(1, 0.85f, 1.1f, 1);
    s[kClearColour] = node(kOpAdd, {kFlashTop, kDrainRgb}, {});
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {});
    s[kEye] = constant(0, 0, 5);
    s[kAt] = constant(0, 0, 0);
    s[kCamera] = node(kOpCamera, {kEye, kAt}, {});

    s[kZoom] = trackAt(kTime, kTrackHitZoom, 10);
    s[kZoomXY] = swizzle(kZoom, kY, kY, kZero, kZero);
    s[kSpinTime] = frameTime(0.006f, 10);
    s[kLattice] =
        sprite({kNone, kLatticeCentre, kZoomXY, kLatticeSpin, kLatticeAlpha}, kImgLattice, -0.009949f);
    s[kLatticeSpin] = swizzle(kSpinTime, kX, kZero, kZero, kZero);
    s[kLatticeCentre] = constant(0.5f, 0.5f);
    s[kFlicker] = beat(1, 0.3f);
    s[kLatticeAlpha] = node(kOpOffset4, {kFlicker}, {0.85f, 0, 0, 0});

    s[kBars] = trackAt(kTime, kTrackHitBars);
    s[kBarLowX] = swizzle(kBars, kX, kZero, kZero, kZero);
    s[kBarHighX] = swizzle(kBars, kY, kZero, kZero, kZero);
    // the bars sit high in their images: these centres put the higher bar at 0.40 of the frame's
    // height and the lower at 0.56, both well inside it
    s[kBarLowY] = constant(0, 0.92f);
    s[kBarHighY] = constant(0, 0.98f);
    s[kBarLowCentre] = node(kOpAdd, {kBarLowX, kBarLowY}, {});
    s[kBarHighCentre] = node(kOpAdd, {kBarHighX, kBarHighY}, {});
    s[kBarScale] = node(kOpOffset4, {kBarKick}, {0.6f, 0.6f, 0, 0}); // a fixed size, so they stay put
    s[kBarTilt] = constant(-0.06f);
    s[kBarKick] = beat(3, 0.1f);
    s[kBarHigh] = sprite({kNone, kBarHighCentre, kBarScale, kBarTilt, kBarAlpha}, kImgYellowBarHigh);
    s[kBarLow] = sprite({kNone, kBarLowCentre, kBarScale, kBarTilt, kBarAlpha}, kImgYellowBarLow);
    s[kBarAlpha] = constant(1);
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {kTrackHitBars, kTrackHitZoom}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene2Nodes = build();
constinit const SceneEntry scene2 = {scene2Nodes.data(), 60};
constinit const EnumNames scene2SlotNames = kSlotNames;
constinit const SceneNames scene2Names = {"hit", &scene2SlotNames, scene2Nodes.places};
