// scene_08_climax.cpp - scene 8, the climax: one big lit cube tumbling in front of a circling camera,
// swollen by the kick, the light wheeling round it; the zig-zag panel pops in on the bar lines.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

enum Slot : int32_t {
    // clock, clear colour, circling camera, fade from white, a wheeling light
    kTime,
    kClearColour,
    kClear,
    kOrbitTime,
    kOrbit,
    kEyeFlat,
    kEye,
    kCamera,
    kFade,
    kTransition,
    kLightTime,
    kLightCircle,
    kLightDir,
    kSetLight,
    // the panel
    kPanelPop,
    kPanelScale,
    kPanelCentre,
    kPanelTilt,
    kPanel,
    // the cube
    kTumble,
    kKick,
    kSize,
    kCube,
    kBaseSize,
    kAmbient,
    kDiffuse,
    kSpecular,
    kSlotCount,
};
static_assert(kPanel == 18 && kCube == 22 && kSlotCount == 27);

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kTime] = frameTime(1);
    s[kClearColour] = constant(0.22f, 0.04f, 0.08f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {}, 1);
    s[kOrbitTime] = frameTime(-0.006f, 100);
    s[kOrbit] = node(kOpCircle, {kOrbitTime}, {6}, 1);
    s[kEyeFlat] = swizzle(kOrbit, 0, 4, 1, 4);
    s[kEye] = node(kOpOffset4, {kEyeFlat}, {0, 1.5f, 0, 0}, 1);
    s[kCamera] = node(kOpCamera, {kEye}, {}, 1); // looking at the origin
    s[kFade] = trackAt(kTime, kTrackFadeIn);
    s[kTransition] = node(kOpTransition, {kFade}, {2}, 1);
    // the light wheels round once every two bars; it is short enough that the wrapped diffuse factor
    // stays within about -0.5..1.7 over the cube's corner normals (length 8 * sqrt(3))
    s[kLightTime] = frameTime(0.027257f);
    s[kLightCircle] = node(kOpCircle, {kLightTime}, {0.07f}, 1);
    s[kLightDir] = node(kOpOffset4, {kLightCircle}, {0, 0, -0.035f, -0.1f}, 1);
    s[kSetLight] = node(kOpSetLight, {kNone, kLightDir}, {}, 1);

    s[kPanelPop] = trackAt(kTime, kTrackPanelScale);
    s[kPanelScale] = node(kOpScale, {kPanelPop}, {0.75f}, 1);
    s[kPanelCentre] = constant(1.15f, 0.8f);
    s[kPanelTilt] = constant(0.12f);
    s[kPanel] = sprite({kNone, kPanelCentre, kPanelScale, kPanelTilt}, kImgZigzagPanelLarge);

    s[kTumble] = frameTime(0.017f);
    s[kKick] = beat(1, 0.8f);
    s[kSize] = node(kOpAdd, {kBaseSize, kKick}, {}, 1);
    s[kCube] = drawMesh({kNone, kSize, kTumble, kAmbient, kDiffuse, kSpecular}, kMeshCube, 1, kVsBaseCook,
                        kPsBaseCook, kImgCheckerCoarse, kOpaque);
    s[kBaseSize] = constant(1.6f, 1.6f, 1.6f);
    // from deep crimson on the far side to a hot orange-red towards the light, a small warm highlight
    s[kAmbient] = constant(0.33f, 0.09f, 0.07f, 1);
    s[kDiffuse] = constant(0.42f, 0.14f, 0.085f, 1);
    s[kSpecular] = constant(0.05f, 0.04f, 0.03f, 0);
    return s;
}

} // namespace

constinit const SceneNodes scene8Nodes = build();
