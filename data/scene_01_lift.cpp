// scene_01_lift.cpp - scene 1, the lift (4 s): a row of 64 cubes seen from above, swaying along x and
// wrapped into a 20-unit band, each with its own colour and size.
#include "data/scene_build.h"
#include "data/track_names.h"

namespace {

// Pinned slots carry their numbers: the draw and sprite slots the show's summary lists by number.
// clang-format off
QZ_NAMED_ENUM(Slot, int32_t,
    // camera straight above the row
    kEye,
    kAt,
    // the row: base scale, 64 places along x, per-instance colour and size
    kBaseScale,
    kRow,
    kColour,
    kSize,
    kTime,
    kCamera,
    kScale,
    // the sway: 9 sin(time), moved into 0..20 and added to the row, wrapped by 20 and centred
    kSway,
    kRowShifted,
    kSwayShifted,
    kSwayWrapped,
    kRowMoved,
    kRowWrapped,
    kRowCentred,
    kCubes = 16, // pinned
    kSlotCount,
);
// clang-format on
constexpr EnumNames kSlotNames = readEnumNames(SlotText);
static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount); // the edit mode names every slot

constexpr SceneNodes build() {
    SceneNodes s{};
    s[kEye] = constant(0, 10);
    s[kAt] = constant(0.000999f, 1);
    s[kBaseScale] = constant(0.328125f, 0.099609f, 20);
    s[kRow] = node(kOpGrid, {}, {64, 0, 0.597656f, 0, 0.099609f}, 64);
    s[kColour] = node(kOpRandom, {}, {0, 0, 1}, 32);
    s[kSize] = node(kOpRandom, {}, {0, 0.07959f, 0.15918f}, 64);
    s[kTime] = frameTime(1.296875f);
    s[kCamera] = node(kOpCamera, {kEye, kAt}, {});
    s[kScale] = node(kOpAdd, {kSize, kBaseScale}, {}, 32);
    s[kSway] = node(kOpSine, {kTime}, {9});
    s[kRowShifted] = node(kOpOffset4, {kRow}, {18}, 64);
    s[kSwayShifted] = node(kOpOffset4, {kSway}, {20});
    s[kSwayWrapped] = node(kOpModulo, {kSwayShifted}, {20});
    s[kRowMoved] = node(kOpAdd, {kSwayWrapped, kRowShifted}, {}, 64);
    s[kRowWrapped] = node(kOpModulo, {kRowMoved}, {20}, 64);
    s[kRowCentred] = node(kOpOffset4, {kRowWrapped}, {-10.3125f}, 128);
    s[kCubes] = drawMesh({kRowCentred, kScale, kNone, kColour}, kMeshCube, 64, kVsBaseCook, kPsBaseCook,
                         kImgCheckerCoarse, kOpaque);
    return s;
}

// The tracks the scene reads, checked against its slots: each one read, no other.
static_assert(readsTracks(build(), {}));
static_assert(usesSlots(build(), kSlotCount)); // slots 0..kSlotCount-1 in use, the rest empty

} // namespace

// The scene as the show's tables hold it: its nodes and length in frames, its name and its slots' names.
constinit const SceneNodes scene1Nodes = build();
constinit const SceneEntry scene1 = {scene1Nodes.data(), 240};
constinit const EnumNames scene1SlotNames = kSlotNames;
constinit const SceneNames scene1Names = {"lift", &scene1SlotNames, scene1Nodes.places};
