// node_info.h - what each node operation does, in words: what it computes, what its inputs are and
// what each parameter means, with the kind of value each parameter takes. One table, read by the edit
// mode's inspector (its tooltips and which list a parameter is picked from) and by the generator of
// the operation reference (docs/operations.md: `qz001-tool operations --out FILE`).
//
//     const NodeOpInfo& info = nodeOpInfo(kOpCircle);
//     info.computes;       // "(cos(in0.x) * p0, sin(in0.x) * p0, 0, 0) ..."
//     info.params[0].kind; // kParamNumber
//     writeOperationsDoc(stdout);
#pragma once

#include <cstdint>
#include <cstdio>

#include "director/director_types.h"

inline constexpr int kNodeInfoParams = 6; // parameters described (p0..p5; no operation reads p6 or p7)

// What a parameter holds; the edit mode offers a list of names for the kinds that are names.
enum ParamKind : uint8_t {
    kParamUnused = 0,   // the operation does not read it
    kParamNumber,       // any number
    kParamWhole,        // rounded to the nearest whole number when read
    kParamMode,         // a whole number choosing a behaviour
    kParamComponent,    // 0..3 picks x, y, z, w; 4 and above a zero
    kParamMesh,         // a GPU mesh (data/draw_names.h)
    kParamVertexShader, // a vertex shader entry
    kParamPixelShader,  // a pixel shader entry
    kParamImage,        // an image (data/images.h)
    kParamTrack,        // a keyframe track (data/track_names.h)
    kParamDrawList,     // 0: the opaque list, else the blended one
    kParamBlend,        // 0 opaque, 1 alpha, 2 additive
    kParamScene,        // a scene block
    kParamKindCount,
};

struct NodeParamInfo {
    ParamKind kind;
    const char* meaning; // null when unused
};

struct NodeOpInfo {
    NodeOp op;
    const char* family;   // "arithmetic", "output", ...
    bool perElement;      // element e of the value from element e of each input (the last one when shorter)
    const char* computes; // what the slot's value becomes, or what the operation sets
    const char* inputs;   // what each input is; "" when it reads none
    NodeParamInfo params[kNodeInfoParams];
};

// The entry of `op`; codes outside 1..59 get the empty slot's entry.
const NodeOpInfo& nodeOpInfo(int32_t op);

// The kind's name as the reference writes it ("number", "mesh", ...).
const char* paramKindName(ParamKind kind);

// The operation reference in Markdown, every operation once in code order. False on a write error.
bool writeOperationsDoc(FILE* out);
