// scene_08_climax.cpp - scene 8, the climax: one big lit cube tumbling while the camera swoops round
// it on a tilted orbit once every four bars, swollen and brightened by the kick, the light wheeling
// round with the camera; the zig-zag panel pops in on the bar lines and rocks.
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
    kFlash,
    kLightCircle,
    kLightDir,
    kSetLight,
    // the panel
    kPanelPop,
    kPanelScale,
    kPanelCentre,
    kAmbientLive,
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
    s[kClearColour] = constant(0.1f, 0.02f, 0.07f, 1);
    s[kClear] = node(kOpSetClearColor, {kClearColour}, {}, 1);
    s[kOrbitTime] = frameTime(-0.0136293f, 100); // one turn per four bars
    s[kOrbit] = node(kOpCircle, {kOrbitTime}, {6}, 1);
    s[kEyeFlat] = swizzle(kOrbit, 0, 1, 1, 4); // a tilted orbit: over the cube and under it
    s[kEye] = node(kOpOffset4, {kEyeFlat}, {0, 1.5f, 0, 0}, 1);
    s[kCamera] = node(kOpCamera, {kEye}, {}, 1); // looking at the origin
    s[kFade] = trackAt(kTime, kTrackFadeIn);
    s[kTransition] = node(kOpTransition, {kFade}, {2}, 1);
    // the light wheels round with the camera; it is short enough that the wrapped diffuse factor
    // stays within about -0.5..1.7 over the cube's corner normals (length 8 * sqrt(3))
    s[kLightCircle] = node(kOpCircle, {kOrbitTime}, {0.07f}, 1);
    s[kLightDir] = node(kOpOffset4, {kLightCircle}, {0, 0, -0.035f, -0.1f}, 1);
    s[kSetLight] = node(kOpSetLight, {kNone, kLightDir}, {}, 1);

    s[kPanelPop] = trackAt(kTime, kTrackPanelScale);
    s[kPanelScale] = node(kOpScale, {kPanelPop}, {0.75f}, 1);
    s[kPanelCentre] = constant(1.15f, 0.8f);
    s[kPanel] = sprite({kNone, kPanelCentre, kPanelScale, kLightCircle}, kImgZigzagPanelLarge); // rocks

    s[kTumble] = frameTime(0.017f);
    s[kKick] = beat(1, 0.8f);
    s[kSize] = node(kOpAdd, {kBaseSize, kKick}, {}, 1);
    s[kFlash] = beat(1, 0.2f);
    s[kAmbientLive] = node(kOpAdd, {kAmbient, kFlash}, {}, 1);
    s[kCube] = drawMesh({kNone, kSize, kTumble, kAmbientLive, kDiffuse, kSpecular}, kMeshCube, 1, kVsBaseCook,
                        kPsBaseCook, kImgCheckerCoarse, kOpaque);
    s[kBaseSize] = constant(1.6f, 1.6f, 1.6f);
    // from deep crimson on the far side to a hot orange-red towards the light; no specular, whose
    // highlight flares white along the edges at grazing angles
    s[kAmbient] = constant(0.33f, 0.09f, 0.07f, 1);
    s[kDiffuse] = constant(0.42f, 0.14f, 0.085f, 1);
    s[kSpecular] = constant(0, 0, 0, 0);
    return s;
}

} // namespace

constinit const SceneNodes scene8Nodes = build();
