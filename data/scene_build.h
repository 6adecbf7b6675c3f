// scene_build.h - shorthand for writing scene graphs as readable tables (data/scene_*.cpp).
//
// A scene is one file. It names its slots in an enum (slot order = enum order), declared with
// QZ_NAMED_ENUM so the edit mode shows each slot by its name; fills a SceneNodes array in a constexpr
// function, one line per slot, naming meshes, shaders, images and tracks by their symbols
// (data/draw_names.h, data/images.h, data/track_names.h), never by number; says which tracks it reads;
// and gives its entry in the show's tables: nodes, length in frames, name. The draw and sprite slots
// that the show's summary lists by number are pinned: they carry their number explicitly
// (`kCube = 18, // pinned`), and tests/data/show_data_test.cpp checks them there. A slot can be
// inserted without renumbering the others wherever a free number is left before the next pinned slot:
//
//     QZ_NAMED_ENUM(Slot, int32_t, kTime, kEye, kAt, kCamera, kCube = 18, kSlotCount, );
//     constexpr EnumNames kSlotNames = readEnumNames(SlotText);
//     static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount);
//     constexpr SceneNodes build() {
//         SceneNodes s{};
//         s[kTime] = frameTime(1);
//         s[kEye] = constant(0, 2, 5);
//         ...
//         return s;
//     }
//     static_assert(readsTracks(build(), {}));              // the tracks it reads: none
//     static_assert(usesSlots(build(), kSlotCount));        // slots 0..kSlotCount-1 in use, the rest empty
//     ...                                                   // after the anonymous namespace:
//     constinit const SceneNodes scene11Nodes = build();
//     constinit const SceneEntry scene11 = {scene11Nodes.data(), 240};   // 240 frames
//     constinit const EnumNames scene11SlotNames = kSlotNames;
//     constinit const SceneNames scene11Names = {"coda", &scene11SlotNames, scene11Nodes.places};
//
// and its line `X(11, coda) \` in data/scene_list.h (docs/recipes.md#add-a-scene).
//
// Slots left out stay all-zero (empty). Each builder takes the place of its call (file, line, column)
// from the compiler as a default argument, and `s[k] = ...` keeps it beside the slot: the edit mode
// writes a changed value back into the literal there (slotArgument says which argument holds it).
#pragma once

#include <initializer_list>
#if __has_include(<source_location>)
#include <source_location>
#endif

#include "base/enum_names.h"
#include "data/draw_names.h"
#include "data/images.h"
#include "data/scene_data.h"
#include "data/scene_list.h"
#include "director/director_types.h"

// The place of a call, from the compiler: std::source_location, or where the standard library has none
// (the browser build's) the same from the compiler's builtins, which both compilers take as defaults.
#if defined(__cpp_lib_source_location)
using CallPlace = std::source_location;
#else
struct CallPlace {
    const char* file;
    uint32_t line_;
    uint32_t column_;
    static constexpr CallPlace current(const char* file = __builtin_FILE(), uint32_t line = __builtin_LINE(),
                                       uint32_t column = __builtin_COLUMN()) {
        return {file, line, column};
    }
    constexpr const char* file_name() const { return file; }
    constexpr uint32_t line() const { return line_; }
    constexpr uint32_t column() const { return column_; }
};
#endif

//-----------------------------------------------------------------------------
// Slots and where they are written
//-----------------------------------------------------------------------------

// Which builder wrote a slot: it says which call argument holds each of the slot's numbers
// (slotArgument below), so the edit mode can write a changed value back into the scene file.
enum SlotForm : int32_t {
    kFormNone = 0, // not written by a builder (the slot is empty)
    kFormNode,
    kFormConstant,
    kFormFrameTime,
    kFormTrackAt,
    kFormSwizzle,
    kFormBeat,
    kFormKickClock,
    kFormKickPulse,
    kFormOrbitTime, // addOrbitingEye's four slots
    kFormOrbitCircle,
    kFormOrbitFlat,
    kFormOrbitEye,
    kFormDrawMesh,
    kFormSprite,
    kSlotFormCount,
};

// What a builder returns: the slot and the place of the call that built it.
struct PlacedNode {
    NodeSource node;
    SlotPlace place;
};

// A scene's slots as its file writes them, and beside each the place of the call that wrote it.
struct SceneNodes {
    NodeSource nodes[kSlotsPerScene];
    SlotPlace places[kSlotsPerScene];

    struct Slot { // s[k] = builder(...): takes the node and its place
        SceneNodes* s;
        int32_t k;
        constexpr Slot& operator=(const PlacedNode& p) {
            s->nodes[k] = p.node;
            s->places[k] = p.place;
            return *this;
        }
    };
    constexpr Slot operator[](int32_t k) { return {this, k}; }
    constexpr const NodeSource& operator[](int32_t k) const { return nodes[k]; }
    constexpr const NodeSource* data() const { return nodes; }
    constexpr const NodeSource* begin() const { return nodes; }
    constexpr const NodeSource* end() const { return nodes + kSlotsPerScene; }
};

inline constexpr int32_t kNone = -1;
inline constexpr int kCountField = 8; // slotArgument's field of the element count (0..7: the parameters)

constexpr SlotPlace placeOf(CallPlace at, SlotForm form) {
    return {at.file_name(), at.line(), at.column(), form};
}

constexpr NodeSource makeNode(NodeOp op, std::initializer_list<int32_t> inputs,
                              std::initializer_list<float> params, uint32_t outputCount) {
    NodeSource n{};
    n.op = op;
    for (int i = 0; i < 8; ++i) n.inputs[i] = kNone;
    int i = 0;
    for (int32_t input : inputs) n.inputs[i++] = input;
    i = 0;
    for (float p : params) n.params[i++] = p;
    n.outputCount = outputCount;
    return n;
}

//-----------------------------------------------------------------------------
// Builders: each takes the place of its call from the compiler
//-----------------------------------------------------------------------------

// One slot: its operation, input slots, parameters and element count (most slots hold one float4).
constexpr PlacedNode node(NodeOp op, std::initializer_list<int32_t> inputs,
                          std::initializer_list<float> params, uint32_t outputCount = 1,
                          CallPlace at = CallPlace::current()) {
    return {makeNode(op, inputs, params, outputCount), placeOf(at, kFormNode)};
}

// (x, y, z, w), the same every frame.
constexpr PlacedNode constant(float x, float y = 0, float z = 0, float w = 0,
                              CallPlace at = CallPlace::current()) {
    return {makeNode(kOpConstant, {}, {x, y, z, w}, 1), placeOf(at, kFormConstant)};
}

// (localFrame + offset) * factor in all four components.
constexpr PlacedNode frameTime(float factor, float offset = 0, CallPlace at = CallPlace::current()) {
    return {makeNode(kOpFrameTime, {}, {factor, offset}, 1), placeOf(at, kFormFrameTime)};
}

// Track `track` at the time in slot `time`, limited to the track's length, keys in hundredths.
constexpr PlacedNode trackAt(int32_t time, int32_t track, float scale = 1,
                             CallPlace at = CallPlace::current()) {
    return {makeNode(kOpTrackSample, {time}, {static_cast<float>(track), scale, 0, 0}, 1),
            placeOf(at, kFormTrackAt)};
}

// The components a swizzle picks from: x, y, z, w, or a zero.
enum SwizzleComponent : int { kX, kY, kZ, kW, kZero };

// Picks components of `in`, each one of SwizzleComponent.
constexpr PlacedNode swizzle(int32_t in, int a, int b, int c, int d, uint32_t count = 1,
                             CallPlace at = CallPlace::current()) {
    return {
        makeNode(kOpSwizzle4, {in},
                 {static_cast<float>(a), static_cast<float>(b), static_cast<float>(c), static_cast<float>(d)},
                 count),
        placeOf(at, kFormSwizzle)};
}

// Spectrum bin `bin` of a 64-value spectrum, times `gain`, in all four components.
constexpr PlacedNode beat(int bin, float gain, CallPlace at = CallPlace::current()) {
    return {makeNode(kOpSpectrumScaled, {}, {64, static_cast<float>(bin), gain}, 1), placeOf(at, kFormBeat)};
}

// The music's beat: four rows of 7.2 frames (speed 6 at 125 bpm); a bar is four beats. The sections
// from scene 4 on start on a bar line, up to two frames before the scene (the lead of each scene).
inline constexpr float kBeatFrames = 28.8f;
inline constexpr float kBarFrames = 4 * kBeatFrames;

// The clock of a kick pulse (see kickPulse): a ramp that falls by `amount` over every `period` frames,
// starting from a whole multiple of `amount` at each kick, `lead` frames after the scene's start.
constexpr PlacedNode kickClock(float amount, float lead = 0, float period = kBeatFrames,
                               CallPlace at = CallPlace::current()) {
    return {makeNode(kOpFrameTime, {}, {-amount / period, lead}, 1), placeOf(at, kFormKickClock)};
}

// (v, v, v, v): v is 0 on every kick (or bar line, after the clock's period) and falls evenly to
// -amount just before the next one. Offset by `amount`, it is a swell that jumps up on the beat and
// settles over the whole beat, the same in every frame of every run.
constexpr PlacedNode kickPulse(int32_t clock, float amount, CallPlace at = CallPlace::current()) {
    return {makeNode(kOpModulo, {clock}, {amount}, 1), placeOf(at, kFormKickPulse)};
}

// The orbiting eye: four slots from `time` on (time, circle, eye on the ground, eye) put the eye on a
// circle of `radius` around the y axis, `height` above the ground, at the angle
// (localFrame + offset) * factor. The scene names the four slots in this order.
constexpr void addOrbitingEye(SceneNodes& s, int32_t time, float factor, float offset, float radius,
                              float height, CallPlace at = CallPlace::current()) {
    s[time] = {makeNode(kOpFrameTime, {}, {factor, offset}, 1), placeOf(at, kFormOrbitTime)};
    s[time + 1] = {makeNode(kOpCircle, {time}, {radius}, 1), placeOf(at, kFormOrbitCircle)};
    s[time + 2] = {makeNode(kOpSwizzle4, {time + 1}, {kX, kZero, kY, kZero}, 1), placeOf(at, kFormOrbitFlat)};
    s[time + 3] = {makeNode(kOpOffset4, {time + 2}, {0, height, 0, 0}, 1), placeOf(at, kFormOrbitEye)};
}

// The slots a drawMesh reads, each one instance's value at a time (kNone: left out): where, how large,
// how turned, and up to three of the shader's options (colours, for the Cook-Torrance pair).
struct DrawInputs {
    int32_t position = kNone, scale = kNone, rotation = kNone, option0 = kNone, option1 = kNone,
            option2 = kNone;
};

// The draw list a drawMesh goes into: opaque (depth-tested and written) or blended (drawn after).
enum ListChoice : int { kOpaque = 0, kBlended = 1 };

// `instances` draws of GPU mesh `mesh` (data/draw_names.h) each frame, with the shader pair `vs`/`ps`
// and the image `texture`, into the opaque or blended list; instance i reads element i of each input.
constexpr PlacedNode drawMesh(DrawInputs in, GpuMeshId mesh, int instances, VertexShaderId vs,
                              PixelShaderId ps, ImageId texture, ListChoice list,
                              CallPlace at = CallPlace::current()) {
    return {makeNode(kOpDrawMesh, {in.position, in.scale, in.rotation, in.option0, in.option1, in.option2},
                     {static_cast<float>(mesh), static_cast<float>(instances), static_cast<float>(vs),
                      static_cast<float>(ps), static_cast<float>(texture), static_cast<float>(list)},
                     1),
            placeOf(at, kFormDrawMesh)};
}

// The slots a sprite reads (kNone: left out): the part of the image (0, 0, 1, 1 when left out), its
// centre on the screen, its scale, its rotation and its alpha.
struct SpriteInputs {
    int32_t srcRect = kNone, centre = kNone, scale = kNone, rotation = kNone, alpha = kNone;
};

// The sprite's blend: alpha blending.
inline constexpr int kBlendAlpha = 1;

// One sprite each frame: the image `texture` drawn over the frame, alpha blended, in the order of
// `key` among the frame's sprites.
constexpr PlacedNode sprite(SpriteInputs in, ImageId texture, float key = 0,
                            CallPlace at = CallPlace::current()) {
    return {makeNode(kOpSprite, {in.srcRect, in.centre, in.scale, in.rotation, in.alpha},
                     {static_cast<float>(texture), 1, static_cast<float>(kBlendAlpha), key}, 1),
            placeOf(at, kFormSprite)};
}

//-----------------------------------------------------------------------------
// Where each builder's values are written, and the scene's check of its tracks
//-----------------------------------------------------------------------------

// Where a builder's call writes field `field` of its slot (0..7: the parameters, kCountField: the
// element count): which argument of the call, and which element of that argument's braces (-1: the
// argument itself). A negative argument: the builder computes the field, no literal of the call is it.
struct SlotArgument {
    int8_t argument;
    int8_t element;
};

constexpr SlotArgument slotArgument(SlotForm form, int field) {
    constexpr SlotArgument none = {-1, -1};
    auto plain = [](int argument) { return SlotArgument{static_cast<int8_t>(argument), -1}; };
    switch (form) {
    case kFormNode:
        return field == kCountField ? plain(3) : SlotArgument{2, static_cast<int8_t>(field)};
    case kFormConstant:
        return field < 4 ? plain(field) : none;
    case kFormFrameTime:
        return field < 2 ? plain(field) : none;
    case kFormTrackAt:
        return field < 2 ? plain(field + 1) : none;
    case kFormSwizzle:
        return field < 4 ? plain(field + 1) : field == kCountField ? plain(5) : none;
    case kFormBeat:
        return field == 1 || field == 2 ? plain(field - 1) : none;
    case kFormKickClock:
        return field == 1 ? plain(1) : none;
    case kFormKickPulse:
        return field == 0 ? plain(1) : none;
    case kFormOrbitTime:
        return field < 2 ? plain(field + 2) : none;
    case kFormOrbitCircle:
        return field == 0 ? plain(4) : none;
    case kFormOrbitEye:
        return field == 1 ? plain(5) : none;
    case kFormDrawMesh:
        return field < 6 ? plain(field + 1) : none;
    case kFormSprite:
        return field == 0 ? plain(1) : field == 3 ? plain(2) : none;
    default:
        return none;
    }
}

// The name of the builder a form comes from, as a scene file calls it.
constexpr const char* slotFormBuilder(SlotForm form) {
    constexpr const char* names[kSlotFormCount] = {"",
                                                   "node",
                                                   "constant",
                                                   "frameTime",
                                                   "trackAt",
                                                   "swizzle",
                                                   "beat",
                                                   "kickClock",
                                                   "kickPulse",
                                                   "addOrbitingEye",
                                                   "addOrbitingEye",
                                                   "addOrbitingEye",
                                                   "addOrbitingEye",
                                                   "drawMesh",
                                                   "sprite"};
    return form >= 0 && form < kSlotFormCount ? names[form] : "";
}

// True when the slots read exactly `tracks`, each of them and no other: how a scene file says which
// tracks it reads (a static_assert keeps the saying true).
constexpr bool readsTracks(const SceneNodes& s, std::initializer_list<int> tracks) {
    auto reads = [&](int track) {
        for (const NodeSource& n : s)
            if (n.op == kOpTrackSample && n.params[0] == static_cast<float>(track)) return true;
        return false;
    };
    for (const NodeSource& n : s) {
        if (n.op != kOpTrackSample) continue;
        bool listed = false;
        for (int track : tracks) listed = listed || n.params[0] == static_cast<float>(track);
        if (!listed) return false;
    }
    for (int track : tracks)
        if (!reads(track)) return false;
    return true;
}

// True when the scene's slots in use are exactly slots 0..count-1 (the rest empty): how a scene file
// checks that its slot enum names every slot it writes and writes every slot it names.
constexpr bool usesSlots(const SceneNodes& s, int32_t count) {
    for (int32_t k = 0; k < kSlotsPerScene; ++k)
        if ((s.nodes[k].op != kOpEmpty) != (k < count)) return false;
    return true;
}

// Each scene file's tables, for every scene of data/scene_list.h (data/scenes.cpp puts them in order).
#define QZ_DECLARE_SCENE(n, name)                                                                            \
    extern const SceneEntry scene##n;                                                                        \
    extern const SceneNames scene##n##Names;                                                                 \
    extern const SceneNodes scene##n##Nodes;                                                                 \
    extern const EnumNames scene##n##SlotNames;
QZ_SCENES(QZ_DECLARE_SCENE)
#undef QZ_DECLARE_SCENE
