// director_types.h - the records of the demo director: scene data, run-time graph slots, tracks and
// everything the director hands to the renderer for one frame.
//
// A scene is a graph of 256 node slots. The embedded form (`NodeSource`, 72 bytes) is converted once at
// start-up into a `GraphNode` (its first 68 bytes) and a `NodeValue` (the slot's float4 result array).
// Keyframe tracks (`Track`, 1032 bytes) are copied unchanged. Each frame the graph fills the two draw
// lists, the sprite list, the camera and the frame settings.
#pragma once

#include <cstdint>

#include "base/enum_names.h"

//-----------------------------------------------------------------------------
// Capacities
//-----------------------------------------------------------------------------

// Scenes of the show: as many as data/scene_list.h lists, counted by the build (data/scene_list.cmake).
#ifndef QZ_SCENE_COUNT
#error "QZ_SCENE_COUNT is not defined: the build counts data/scene_list.h's lines (data/scene_list.cmake)"
#endif
inline constexpr int kSceneCount = QZ_SCENE_COUNT;
inline constexpr int kSceneBlockCount = 32;      // entries of nodeBlocks / valueBlocks
inline constexpr int kSlotsPerScene = 256;       // node slots per scene graph
inline constexpr int kTrackCount = 64;           // entries of trackTable
inline constexpr int kKeysPerTrack = 64;         // keys per track
inline constexpr int kDrawListCapacity = 4096;   // records per draw list
inline constexpr int kSpriteCapacity = 64;       // sprites per frame
inline constexpr int kLineVertexCapacity = 1024; // line-list vertices per frame (512 segments)
inline constexpr int kShowFrameCount = 7832;     // the show ends when the frame index reaches this
inline constexpr int kFramePeriodCentiMs = 1666; // a frame lasts 16.66 ms: frame = ms * 100 / 1666
inline constexpr int kShowWidth = 1280;          // the show's picture; other sizes are scaled copies
inline constexpr int kShowHeight = 720;
inline constexpr float kShowAspect = (float)kShowWidth / (float)kShowHeight;
inline constexpr int kGraphArgCount = 5; // references in a GraphArgs

//-----------------------------------------------------------------------------
// Values
//-----------------------------------------------------------------------------

struct Float4 {
    float x, y, z, w;
};

// Node operation codes; 0 is an empty slot, codes outside 1..59 do nothing.
// clang-format off
QZ_NAMED_ENUM(NodeOp, int32_t,
    kOpEmpty = 0,
    kOpCopy = 1,
    kOpAdd = 2,
    kOpSub = 3,
    kOpDiv = 4,
    kOpMul = 5,
    kOpMinMax = 6,
    kOpDifference = 7,
    kOpRotateFixed = 8,
    kOpRotateByInput = 9,
    kOpOffset3 = 10,
    kOpOffset4 = 11,
    kOpScale = 12,
    kOpClamp = 13,
    kOpSine = 14,
    kOpCosine = 15,
    kOpCircle = 16,
    kOpArcTangent = 17,
    kOpNormalize = 18,
    kOpTangent = 19,
    kOpExponential = 20,
    kOpFalloff = 21,
    kOpRangePower = 22,
    kOpModulo = 23,
    kOpLength = 24,
    kOpDistance = 25,
    kOpRepeat = 26,
    kOpSmoothStep = 27,
    kOpConstant = 28,
    kOpCompose = 29,
    kOpSwizzle3 = 30,
    kOpSwizzle4 = 31,
    kOpStep = 32,
    kOpMix = 33,
    kOpFrameCounter = 34,
    kOpFrameTime = 35,
    kOpGrid = 36,
    kOpShift = 37,
    kOpFold = 38,
    kOpRandom = 39,
    kOpTrackSample = 40,
    kOpSpectrum = 41,
    kOpSpectrumScaled = 42,
    kOpSetLight = 43,
    kOpLineStrip = 44,
    kOpDrawPlain = 45,
    kOpDrawThreeOptions = 46,
    kOpDrawFiveOptions = 47,
    kOpDrawMesh = 48,
    kOpPointFrame = 49,
    kOpSprite = 50,
    kOpSetClearColor = 51,
    kOpLookAtCamera = 52,
    kOpCamera = 53,
    kOpSubScene = 54,
    kOpArgument = 55,
    kOpDepthOfField = 56,
    kOpTransition = 57,
    kOpMotionBlur = 58,
    kOpBloom = 59,
    kNodeOpCount = 60, // size of the operation table (codes 0..59)
);
// clang-format on
inline constexpr EnumNames kNodeOpNames = readEnumNames(NodeOpText); // the edit mode shows them
static_assert(kNodeOpNames.ok && kNodeOpNames.last == kNodeOpCount);

//-----------------------------------------------------------------------------
// Scene data
//-----------------------------------------------------------------------------

// One embedded node slot (little-endian, 72 bytes, 256 per scene).
struct NodeSource {
    int32_t op;           // NodeOp 1..59; 0 = empty slot
    int32_t inputs[8];    // slot indices within the scene; -1 = no input
    float params[8];      // integer parameters are stored as floats and rounded when used
    uint32_t outputCount; // float4 elements in the slot's result
};
static_assert(sizeof(NodeSource) == 72);

// One run-time node slot: the first 68 bytes of its NodeSource.
struct GraphNode {
    int32_t op;
    int32_t inputs[8];
    float params[8];
};
static_assert(sizeof(GraphNode) == 68);

// One slot's result: `count` float4 elements that persist from frame to frame. With 64-bit pointers
// the record is 24 bytes (count, padding, data, evaluated, padding), not the packed 12 of a 32-bit build.
struct NodeValue {
    uint32_t count;    // equal to the slot's outputCount
    Float4* data;      // `count` elements, zero-filled at start-up
    uint8_t evaluated; // 0 = not yet computed in this evaluation, 1 = computed (2 = being computed)
};

// Five argument references handed to an evaluation; in the show always all null.
struct GraphArgs {
    const NodeValue* refs[kGraphArgCount];
};

// One scene: its embedded node array and its length in 60 Hz frames.
struct SceneEntry {
    const NodeSource* nodes; // kSlotsPerScene records
    int32_t duration;        // frames
};

struct SceneTable {
    SceneEntry scenes[kSceneCount];
};

//-----------------------------------------------------------------------------
// Keyframe tracks
//-----------------------------------------------------------------------------

struct TrackKey {
    int32_t frame; // compared as unsigned
    float x, y, z; // hundredths of a unit
};
static_assert(sizeof(TrackKey) == 16);

struct Track {
    uint32_t interpolation; // 0 = linear, 1 = Catmull-Rom
    uint32_t keyCount;      // keys in use, 0..64
    TrackKey keys[kKeysPerTrack];
};
static_assert(sizeof(Track) == 1032);

//-----------------------------------------------------------------------------
// Frame output
//-----------------------------------------------------------------------------

struct DrawRecord {
    int32_t mesh;         // index into the GPU mesh table; -1 = no mesh
    int32_t vertexShader; // index into the vertex-shader table
    int32_t pixelShader;  // index into the pixel-shader table
    int32_t texture;      // index into the texture table
    float position[3];
    float scale[3];
    float rotation[3];     // yaw, pitch, roll in radians
    float prevPosition[3]; // the transform this list slot held in the previous frame
    float prevScale[3];
    float prevRotation[3];
    Float4 options[5]; // the object shader's first five option vectors
};
static_assert(sizeof(DrawRecord) == 168);

struct DrawList {
    uint32_t count;
    DrawRecord records[kDrawListCapacity];
};

// A vertex and a pixel shader that draw records name together (the renderer links each pair once).
struct DrawShaderPair {
    int32_t vertexShader;
    int32_t pixelShader;
};

struct SpriteRecord {
    float srcRect[4]; // left, top, right, bottom as fractions of the texture size
    float centre[2];
    float scale[2]; // factors on the texture's pixel size
    float rotation;
    int32_t texture;
    int32_t blend; // 0, 1 or 2
    float alpha;
    float key; // sort key
};
static_assert(sizeof(SpriteRecord) == 52);

struct SpriteList {
    uint32_t count;
    SpriteRecord records[kSpriteCapacity];
};

// One vertex of the renderer's line list (68 bytes, the mesh vertex layout).
struct LineVertex {
    float position[4]; // x, y, z, 1
    float zeros[8];
    uint32_t colour;
    uint8_t unused[16];
};
static_assert(sizeof(LineVertex) == 68);

struct LineList {
    uint32_t count; // vertices, two per segment
    LineVertex vertices[kLineVertexCapacity];
};

struct CameraState {
    float eye[3];
    float at[3];
    float up[3];
    float fovy; // radians
    float aspect;
    float near;
    float far;
};
static_assert(sizeof(CameraState) == 13 * sizeof(float));

struct FrameSettings {
    Float4 clearColor;
    Float4 lightDirVS;
    uint8_t isBlur;
    float blurJumpThreshold;
    uint8_t isRenderDof;
    float dofFocus;
    uint8_t isRenderBloom;
    float bloomThrethold;
    float bloomColor;
    float bloomDispersion;
    int32_t transitionType;
    float transitionFactor;
};

// What an evaluation needs from the renderer: its aspect ratio and the track table.
struct DirectorRenderer {
    float aspect;        // window width / height
    const Track* tracks; // kTrackCount records
};
