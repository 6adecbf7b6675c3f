// node_info.cpp - the description of every node operation, read from what value_ops.cpp,
// source_ops.cpp, output_ops.cpp, tracks.cpp and graph.cpp compute, and the reference written from it.
#include "director/node_info.h"

namespace {

constexpr NodeParamInfo number(const char* meaning) {
    return {kParamNumber, meaning};
}
constexpr NodeParamInfo whole(const char* meaning) {
    return {kParamWhole, meaning};
}
constexpr NodeParamInfo mode(const char* meaning) {
    return {kParamMode, meaning};
}
constexpr NodeParamInfo component(const char* meaning) {
    return {kParamComponent, meaning};
}

// Shared wording.
// clang-format off
#define QZ_DRAW_PARAMS                                                                                       \
    {kParamMesh, "the GPU mesh drawn"},                                                                      \
    whole("instances: one record per instance, every input read at the instance's index; 0 draws nothing"), \
    {kParamVertexShader, "the vertex shader"},                                                               \
    {kParamPixelShader, "the pixel shader"}
// clang-format on

constexpr NodeOpInfo kInfo[] = {
    {kOpEmpty, "", false, "Nothing: an empty slot. Its value stays as it is.", "", {}},
    {kOpCopy, "arithmetic", true, "in0, unchanged.", "in0: the value copied", {}},
    {kOpAdd, "arithmetic", true, "in0 + in1, component by component.", "in0, in1: the terms", {}},
    {kOpSub, "arithmetic", true, "in0 - in1, component by component.", "in0: minuend; in1: subtrahend", {}},
    {kOpDiv,
     "arithmetic",
     true,
     "in0 / in1, component by component (a zero divisor gives inf or NaN).",
     "in0: dividend; in1: divisor",
     {}},
    {kOpMul, "arithmetic", true, "in0 * in1, component by component.", "in0, in1: the factors", {}},
    {kOpMinMax,
     "arithmetic",
     true,
     "The smaller (p0 = 0) or larger (p0 not 0) of in0 and in1, component by component.",
     "in0, in1: the values compared",
     {mode("0: minimum; any other whole number: maximum")}},
    {kOpDifference,
     "arithmetic",
     false,
     "Element e is in0[e + p0] - in0[e] (past in0's end its last element is read).",
     "in0: the sequence",
     {whole("how many elements ahead the other term lies")}},
    {kOpRotateFixed,
     "rotation",
     true,
     "in0's (x, y, z) turned by the fixed rotation yaw p0, pitch p1, roll p2 (radians); w is 0.",
     "in0: the points turned",
     {number("yaw, radians"), number("pitch, radians"), number("roll, radians")}},
    {kOpRotateByInput,
     "rotation",
     true,
     "in0's (x, y, z) turned by the rotation in1 holds (x yaw, y pitch, z roll, radians); w is 0.",
     "in0: the points turned; in1: yaw, pitch, roll per element",
     {}},
    {kOpOffset3,
     "arithmetic",
     true,
     "in0 + (p0, p1, p2, 0): w passes unchanged.",
     "in0: the value offset",
     {number("added to x"), number("added to y"), number("added to z")}},
    {kOpOffset4,
     "arithmetic",
     true,
     "in0 + (p0, p1, p2, p3).",
     "in0: the value offset",
     {number("added to x"), number("added to y"), number("added to z"), number("added to w")}},
    {kOpScale,
     "arithmetic",
     true,
     "in0 * p0 in all four components.",
     "in0: the value scaled",
     {number("the factor")}},
    {kOpClamp,
     "arithmetic",
     true,
     "Each component of in0 limited to p0..p1.",
     "in0: the value limited",
     {number("lowest value"), number("highest value")}},
    {kOpSine,
     "function",
     true,
     "(sin(in0.x) * p0, 0, 0, 0).",
     "in0: x is the angle in radians",
     {number("amplitude")}},
    {kOpCosine,
     "function",
     true,
     "(cos(in0.x) * p0, 0, 0, 0).",
     "in0: x is the angle in radians",
     {number("amplitude")}},
    {kOpCircle,
     "function",
     true,
     "(cos(in0.x) * p0, sin(in0.x) * p0, 0, 0): a point on a circle of radius p0.",
     "in0: x is the angle in radians",
     {number("radius")}},
    {kOpArcTangent, "function", true, "(atan(in0.x), 0, 0, 0), in radians.", "in0: x is the tangent", {}},
    {kOpNormalize,
     "function",
     true,
     "in0 scaled to length p0 (all four components count; a zero vector stays zero).",
     "in0: the vector",
     {number("the length it gets")}},
    {kOpTangent,
     "function",
     true,
     "(tan(in0.x) * p0, 0, 0, 0).",
     "in0: x is the angle in radians",
     {number("factor")}},
    {kOpExponential,
     "function",
     true,
     "(exp(p0 * in0.x) * p1, 0, 0, 0).",
     "in0: x is the exponent's variable",
     {number("rate"), number("factor")}},
    {kOpFalloff,
     "function",
     true,
     "(exp(-p0 * in0.x ^ p1), 0, 0, 0), and 1 where in0.x is 0.",
     "in0: x is the distance",
     {number("steepness"), number("power of the distance")}},
    {kOpRangePower,
     "function",
     true,
     "Each component c of in0 becomes clamp((c - p0) / (p1 - p0), 0, 1) ^ p2.",
     "in0: the value mapped",
     {number("where the ramp starts (0)"), number("where it ends (1)"), number("power")}},
    {kOpModulo,
     "function",
     true,
     "fmod(c, p0) of each component c of in0 (the sign follows c).",
     "in0: the value wrapped",
     {number("the period")}},
    {kOpLength,
     "function",
     true,
     "(length of in0 over all four components, 0, 0, 0).",
     "in0: the vector",
     {}},
    {kOpDistance,
     "function",
     true,
     "(length of in0 - (p0, p1, p2, p3), 0, 0, 0): the distance to a fixed point.",
     "in0: the point",
     {number("x of the fixed point"), number("its y"), number("its z"), number("its w")}},
    {kOpRepeat,
     "routing",
     false,
     "Element e is in0[e mod count of in0]: in0 repeated to fill the slot.",
     "in0: the sequence repeated",
     {}},
    {kOpSmoothStep,
     "function",
     true,
     "(t * t * (3 - 2t), 0, 0, 0) with t = clamp((in0.x - p0) / (p1 - p0), 0, 1).",
     "in0: x is the value eased",
     {number("where it starts (0)"), number("where it ends (1)")}},
    {kOpConstant,
     "source",
     false,
     "(p0, p1, p2, p3) in every element.",
     "",
     {number("x"), number("y"), number("z"), number("w")}},
    {kOpCompose,
     "routing",
     true,
     "(in0.x, in1.x, in2.x, in3.x): four values' x put side by side.",
     "in0..in3: x, y, z, w of the result",
     {}},
    {kOpSwizzle3,
     "routing",
     true,
     "(in0[p0], in0[p1], in0[p2], 0): components of in0 picked by p0..p2.",
     "in0: the value picked from",
     {component("the component x gets"), component("the component y gets"),
      component("the component z gets")}},
    {kOpSwizzle4,
     "routing",
     true,
     "(in0[p0], in0[p1], in0[p2], in0[p3]): components of in0 picked by p0..p3.",
     "in0: the value picked from",
     {component("the component x gets"), component("the component y gets"), component("the component z gets"),
      component("the component w gets")}},
    {kOpStep,
     "function",
     true,
     "(1, 1, 1, 1) where in0.x > p0, else (0, 0, 0, 0).",
     "in0: x is compared",
     {number("the threshold")}},
    {kOpMix,
     "routing",
     true,
     "in0 * t + in1 * (1 - t) with t = clamp(in2.x, 0, 1).",
     "in0: the value at t = 1; in1: the value at t = 0; in2: x is t",
     {}},
    {kOpFrameCounter,
     "source",
     false,
     "p0 * the clock p1 chooses, in all four components of every element.",
     "",
     {number("factor"), mode("0: the scene's local frame; 1: frames left in the scene; any other: 0")}},
    {kOpFrameTime,
     "source",
     false,
     "(clock + p1) * p0 in all four components of every element, the clock chosen by p2.",
     "",
     {number("factor (frames to the value's unit)"), number("offset in frames, added before the factor"),
      mode("0: the scene's local frame; 1: frames left in the scene; any other: 0")}},
    {kOpGrid,
     "source",
     false,
     "A centred lattice of p0 x p1 x nz points (nz = count / (p0 * p1), rounded), x varying fastest: element "
     "e "
     "is ((2ix - p0 + 1) p2 / 2, (2iy - p1 + 1) p3 / 2, (2iz - nz + 1) p4 / 2, 0).",
     "",
     {whole("points along x (0 reads as 1)"), whole("points along y (0 reads as 1)"),
      number("spacing along x"), number("spacing along y"), number("spacing along z")}},
    {kOpShift,
     "routing",
     false,
     "Element e is in0[e + p0] (past in0's end its last element is read).",
     "in0: the sequence shifted",
     {whole("how many elements it moves")}},
    {kOpFold,
     "function",
     true,
     "Each component c of in0 brought into p0..p1: mode 0 clamps, 1 wraps (p0 + fmod(c - p0, p1 - p0)), "
     "2 mirrors about p0 (p0 + |c - p0|); any other mode leaves the value as it was.",
     "in0: the value folded",
     {number("low end"), number("high end"), mode("0 clamp, 1 wrap, 2 mirror")}},
    {kOpRandom,
     "source",
     false,
     "Four seeded pseudo-random numbers per element, evenly in p1..p2; the same seed gives the same numbers "
     "every frame.",
     "",
     {number("seed (times 8388607, rounded)"), number("lowest value"), number("highest value")}},
    {kOpTrackSample,
     "source",
     false,
     "Track p0 at the time in0.x of each element (limited to the track's length, or wrapped when p2 is set), "
     "its "
     "keys read in hundredths: (x, y, z) / 100 * p1, w 0. With p3 set, the sum of the track over frames 0 up "
     "to that time.",
     "in0: x is the time in frames, per element",
     {{kParamTrack, "the track read"},
      number("factor on the track's values"),
      mode("0: time limited to the track; not 0: wrapped around its length"),
      mode("0: the track's value; not 0: its sum up to the time")}},
    {kOpSpectrum,
     "source",
     false,
     "Bin p1 + e of the music's spectrum in all four components of element e (bins past the end read 0).",
     "",
     {whole("spectrum size asked for: 64, 128, 256 or 512 bins (rounded up to one of them)"),
      whole("the first bin")}},
    {kOpSpectrumScaled,
     "source",
     false,
     "As spectrum, times p2.",
     "",
     {whole("spectrum size asked for: 64, 128, 256 or 512 bins (rounded up to one of them)"),
      whole("the first bin"), number("the factor")}},
    {kOpSetLight,
     "output",
     false,
     "Sets the frame's light direction (view space) to in1's first element.",
     "in0: not read; in1: the light direction, (1, 1, 1, 1) when empty",
     {}},
    {kOpLineStrip,
     "output",
     false,
     "One white segment between each pair of consecutive elements of in0, into the line list.",
     "in0: the points",
     {}},
    {kOpDrawPlain,
     "output",
     false,
     "Draw records into the opaque list: position in0, scale 1 + in1, rotation in2 (yaw, pitch, roll); "
     "texture 0.",
     "in0: position; in1: scale less 1; in2: rotation",
     {QZ_DRAW_PARAMS}},
    {kOpDrawThreeOptions,
     "output",
     false,
     "As drawPlain, with the object shader's options 0..2 from in3..in5.",
     "in0: position; in1: scale less 1; in2: rotation; in3..in5: shader options 0..2",
     {QZ_DRAW_PARAMS}},
    {kOpDrawFiveOptions,
     "output",
     false,
     "Draw records into the opaque list: position in0, scale in1 ((1, 1, 1) when empty), rotation in2, "
     "shader "
     "options 0..4 from in3..in7; texture 0.",
     "in0: position; in1: scale; in2: rotation; in3..in7: shader options 0..4",
     {QZ_DRAW_PARAMS}},
    {kOpDrawMesh,
     "output",
     false,
     "As drawFiveOptions, with a texture and a choice of list.",
     "in0: position; in1: scale; in2: rotation; in3..in7: shader options 0..4",
     {QZ_DRAW_PARAMS,
      {kParamImage, "the texture"},
      {kParamDrawList, "0: the opaque list; else the blended one"}}},
    {kOpPointFrame, "output", false, "Nothing is drawn: the slot is only marked evaluated.", "", {}},
    {kOpSprite,
     "output",
     false,
     "p1 sprites (as many as the list has room for): source rectangle in0 ((0, 0, 1, 1) when empty), centre "
     "in1 "
     "(x, y), scale in2 ((1, 1) when empty), rotation in3.x, alpha in4.x (1 when empty).",
     "in0: source rectangle; in1: centre; in2: scale; in3: rotation; in4: alpha",
     {{kParamImage, "the texture"},
      whole("how many sprites, each reading its inputs at its index"),
      {kParamBlend, "0 opaque, 1 alpha, 2 additive"},
      number("sort key: sprites are drawn in key order")}},
    {kOpSetClearColor,
     "output",
     false,
     "Sets the frame's clear colour to in0's first element.",
     "in0: the colour (r, g, b, a)",
     {}},
    {kOpLookAtCamera,
     "output",
     false,
     "Sets the camera: eye in0, target in1, up in2 ((0, 1, 0) when empty); fov 90 degrees, "
     "near 0.05, far 1000.",
     "in0: eye; in1: target; in2: up",
     {}},
    {kOpCamera,
     "output",
     false,
     "Sets the camera: eye in0 ((1, 1, 1) when empty), target in1, up in2 ((0, 1, 0) when empty), field of "
     "view "
     "in3.x in radians (90 degrees when empty), near and far in4.x and in4.y (0.05 and 1000 when empty).",
     "in0: eye; in1: target; in2: up; in3: x is the field of view; in4: x near, y far",
     {}},
    {kOpSubScene,
     "output",
     false,
     "Evaluates scene block p0's whole graph with empty arguments; its outputs join this frame's (0, a block "
     "outside the table or one being evaluated does nothing).",
     "",
     {{kParamScene, "the scene block evaluated"}}},
    {kOpArgument,
     "source",
     false,
     "Without arguments (always in the show): (p1, p2, p3, p4) into element 0; else element 0 of argument "
     "p0.",
     "",
     {whole("the argument read (0..4)"), number("x without arguments"), number("y without arguments"),
      number("z without arguments"), number("w without arguments")}},
    {kOpDepthOfField,
     "output",
     false,
     "Turns depth of field on for the frame, focused at in0.x.",
     "in0: x is the focus",
     {}},
    {kOpTransition,
     "output",
     false,
     "Sets the frame's transition p0 with factor in0.x; a factor above 1 (or not a number) changes nothing.",
     "in0: x is the factor, 0..1",
     {mode("the transition type")}},
    {kOpMotionBlur,
     "output",
     false,
     "Turns motion blur on for the frame with jump threshold p0.",
     "",
     {number("the jump threshold: a move larger than it is not blurred")}},
    {kOpBloom,
     "output",
     false,
     "Turns bloom on for the frame: threshold in0.x, dispersion in1.x / 10, colour in2.x.",
     "in0: x is the threshold; in1: x is ten times the dispersion; in2: x is the colour",
     {}},
};
#undef QZ_DRAW_PARAMS

constexpr bool everyCodeInPlace() {
    if (sizeof(kInfo) / sizeof(kInfo[0]) != kNodeOpCount) return false;
    for (int op = 0; op < kNodeOpCount; ++op)
        if (kInfo[op].op != op || !kInfo[op].computes || !kInfo[op].inputs) return false;
    return true;
}
static_assert(everyCodeInPlace(), "kInfo holds every operation once, at its code");

} // namespace

const NodeOpInfo& nodeOpInfo(int32_t op) {
    return kInfo[op > kOpEmpty && op < kNodeOpCount ? op : kOpEmpty];
}

const char* paramKindName(ParamKind kind) {
    static const char* const names[kParamKindCount] = {
        "unused",       "number", "whole number", "mode",      "component", "mesh",       "vertex shader",
        "pixel shader", "image",  "track",        "draw list", "blend",     "scene block"};
    return kind < kParamKindCount ? names[kind] : "?";
}

bool writeOperationsDoc(FILE* out) {
    std::fprintf(out,
                 "# Node operations\n\n"
                 "What each of the %d node operations computes, its inputs and what each parameter means. "
                 "This page is generated from `director/node_info.cpp` (`qz001-tool operations --out "
                 "docs/operations.md`); the edit mode's inspector shows the same text when the mouse rests "
                 "on an operation's name.\n\n"
                 "A slot's value is `count` float4 elements (its element count). Inputs are other slots "
                 "of the scene (in0..in7); parameters are p0..p7, stored as floats, rounded to the "
                 "nearest whole number (halves to even) where the operation reads a whole number. An "
                 "operation *per element* computes each element e of the slot's value from element e of "
                 "its inputs: an input with fewer elements repeats its last one, an empty input reads "
                 "(0, 0, 0, 0).\n",
                 kNodeOpCount - 1);
    for (int op = 1; op < kNodeOpCount; ++op) {
        const NodeOpInfo& info = kInfo[op];
        const char* name = enumName(kNodeOpNames, op);
        std::fprintf(out, "\n## %d %s\n\n*%s%s.* %s\n", op, name + 3, info.family,
                     info.perElement ? ", per element" : "", info.computes);
        if (info.inputs[0]) std::fprintf(out, "\n- Inputs: %s.\n", info.inputs);
        if (!info.inputs[0]) std::fprintf(out, "\n- Inputs: none.\n");
        bool any = false;
        for (int p = 0; p < kNodeInfoParams; ++p) {
            const NodeParamInfo& param = info.params[p];
            if (param.kind == kParamUnused) continue;
            std::fprintf(out, "- p%d (%s): %s.\n", p, paramKindName(param.kind), param.meaning);
            any = true;
        }
        if (!any) std::fprintf(out, "- Parameters: none.\n");
    }
    return !std::ferror(out);
}
