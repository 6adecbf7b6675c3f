// scene_02_hit.cpp - scene 2, the hit (1 s): a white flash that drains to violet, the lattice
// zooming out and turning, the two yellow bars shooting in from both sides.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

enum Slot : int32_t {
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
    kLattice,
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
    kBarHigh,
    kBarLow,
    kSlotCount,
};
static_assert(kLattice == 12 && kBarHigh == 28 && kBarLow == 29 && kSlotCount == 30);

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kDrain] = frameTime(-0.022f);
    s[kDrainRgb] = swizzle(kDrain, 0, 0, 1, 4);
    s[kFlashTop] = constant(1, 0.85f, 1.1f, 1);
    s[kClearColour] = node(kOpAdd, {kFlashTop, kDrainRgb}, {}, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {}, 1);
    s[kEye] = constant(0, 0, 5);
    s[kAt] = constant(0, 0, 0);
    s[kCamera] = node(kOpCamera, {kEye, kAt}, {}, 1);

    s[kZoom] = trackAt(kTime, kTrackHitZoom, 10);
    s[kZoomXY] = swizzle(kZoom, 0, 1, 4, 4);
    s[kSpinTime] = frameTime(0.006f, 10);
    s[kLattice] =
        sprite({kNone, kLatticeCentre, kZoomXY, kLatticeSpin, kLatticeAlpha}, kImgLattice, -0.009949f);
    s[kLatticeSpin] = swizzle(kSpinTime, 0, 4, 4, 4);
    s[kLatticeCentre] = constant(0.5f, 0.5f);
    s[kFlicker] = beat(1, 0.3f);
    s[kLatticeAlpha] = node(kOpOffset4, {kFlicker}, {0.85f, 0, 0, 0}, 1);

    s[kBars] = trackAt(kTime, kTrackHitBars);
    s[kBarLowX] = swizzle(kBars, 0, 4, 4, 4);
    s[kBarHighX] = swizzle(kBars, 1, 4, 4, 4);
    s[kBarLowY] = constant(0, 0.62f);
    s[kBarHighY] = constant(0, 0.52f);
    s[kBarLowCentre] = node(kOpAdd, {kBarLowX, kBarLowY}, {}, 1);
    s[kBarHighCentre] = node(kOpAdd, {kBarHighX, kBarHighY}, {}, 1);
    s[kBarScale] = node(kOpAdd, {kBarKick, kZoomXY}, {}, 1);
    s[kBarTilt] = constant(-0.06f);
    s[kBarKick] = beat(3, 0.2f);
    s[kBarHigh] = sprite({kNone, kBarHighCentre, kBarScale, kBarTilt, kBarAlpha}, kImgYellowBarHigh);
    s[kBarLow] = sprite({kNone, kBarLowCentre, kBarScale, kBarTilt, kBarAlpha}, kImgYellowBarLow);
    s[kBarAlpha] = constant(1);
    return s;
}

} // namespace

constinit const SceneNodes scene2Nodes = build();
