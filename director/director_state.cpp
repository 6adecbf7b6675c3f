// director_state.cpp - the director's tables, their start-up reservation and conversion, and the
// per-frame resets of the frame outputs.
#include "director/director_state.h"

#include <cstring>

#include "base/arena.h"

int32_t localFrame;
int32_t sceneEndFrame;

GraphNode** nodeBlocks;
NodeValue** valueBlocks;
NodeValue* emptyValue;
Track trackTable[kTrackCount];

DrawList drawListOpaque;
DrawList drawListBlended;
SpriteList spriteList;
LineList lineList;
uint32_t pointFrameCount;
CameraState cameraState;
FrameSettings frameSettings;

//-----------------------------------------------------------------------------
// Internals
//-----------------------------------------------------------------------------

// The arena hands out unaligned memory (reservations are not padded). Pointers and floats must be
// naturally aligned here, so any gap up to the alignment is reserved first; the reservation order
// stays the one the start-up sequence fixes.
static void* reserveAligned(uint32_t size, uint32_t align) {
    uintptr_t at = reinterpret_cast<uintptr_t>(arenaReserve(0));
    uint32_t gap = static_cast<uint32_t>((align - at % align) % align);
    if (gap) arenaReserve(gap);
    return arenaReserve(size);
}

template <class T> static T* reserveArray(uint32_t count) {
    return static_cast<T*>(reserveAligned(static_cast<uint32_t>(sizeof(T)) * count, alignof(T)));
}

//-----------------------------------------------------------------------------
// Start-up
//-----------------------------------------------------------------------------

void resetDirectorState() {
    localFrame = 0;
    sceneEndFrame = 0;
    emptyValue = reserveArray<NodeValue>(1); // zero-filled: count 0, no data
    resetFrameOutputs();
}

void resetFrameOutputs() {
    drawListOpaque.count = 0;
    drawListBlended.count = 0;
    spriteList.count = 0;
    lineList.count = 0;
    pointFrameCount = 0;
    std::memset(drawListOpaque.records, 0, sizeof(drawListOpaque.records));
    std::memset(drawListBlended.records, 0, sizeof(drawListBlended.records));
    std::memset(spriteList.records, 0, sizeof(spriteList.records));
    cameraState = CameraState{};
    frameSettings = defaultFrameSettings();
}

void restartDirectorState(int32_t scene) {
    resetFrameOutputs();
    NodeValue* values = valueBlocks[scene];
    for (int k = 0; k < kSlotsPerScene; ++k) {
        if (values[k].data) std::memset(values[k].data, 0, sizeof(Float4) * values[k].count);
        values[k].evaluated = 0;
    }
}

FrameSettings defaultFrameSettings() {
    FrameSettings settings = {};
    settings.clearColor = kDefaultClearColor;
    settings.lightDirVS = kDefaultLightDirVS;
    return settings;
}

void allocDirectorTables() {
    nodeBlocks = reserveArray<GraphNode*>(kSceneBlockCount);
    for (int s = 0; s < kSceneBlockCount; ++s) nodeBlocks[s] = reserveArray<GraphNode>(kSlotsPerScene);
    valueBlocks = reserveArray<NodeValue*>(kSceneBlockCount);
    for (int s = 0; s < kSceneBlockCount; ++s) {
        valueBlocks[s] = reserveArray<NodeValue>(kSlotsPerScene);
        for (int k = 0; k < kSlotsPerScene; ++k) valueBlocks[s][k].evaluated = 0;
    }
}

void convertSceneData(const SceneTable& scenes, const Track* tracks) {
    for (int s = 0; s < kSceneCount; ++s) {
        const NodeSource* source = scenes.scenes[s].nodes;
        for (int k = 0; k < kSlotsPerScene; ++k) {
            GraphNode& node = nodeBlocks[s][k];
            NodeValue& value = valueBlocks[s][k];
            if (!source) { // a scene without data converts as 256 empty slots
                node = GraphNode{};
                value.count = 0;
                value.data = reserveArray<Float4>(0);
                continue;
            }
            std::memcpy(&node, &source[k], sizeof(GraphNode));
            value.count = source[k].outputCount;
            value.data = reserveArray<Float4>(value.count);
        }
    }
    std::memcpy(trackTable, tracks, sizeof(trackTable));
}

//-----------------------------------------------------------------------------
// Per frame
//-----------------------------------------------------------------------------

void beginDirectorFrame() {
    frameSettings.transitionFactor = 0.0f;
    drawListOpaque.count = 0;
    drawListBlended.count = 0;
    pointFrameCount = 0;
    spriteList.count = 0;
    frameSettings.transitionType = 0;
}

void endFrameOutputs(FrameSettings& settings, LineList* lines) {
    settings.clearColor = kDefaultClearColor;
    settings.isBlur = 0;
    settings.isRenderDof = 0;
    settings.isRenderBloom = 0;
    if (lines) lines->count = 0;
}

DirectorRenderer directorRenderer(float aspect) {
    return DirectorRenderer{aspect, trackTable};
}
