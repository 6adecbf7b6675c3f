// constants.h - the seven constant blocks as the CPU writes them (std140, bindings 0..6).
//
// Every block is uploaded whole with `uploadConstants(device, slot, &block)`; the shader library
// declares the same fields in render/shaders/common.glsl. Matrices are 16 floats in the row-vector
// convention, copied unchanged.
#pragma once

#include <cstdint>

struct PerFrameData { // b0, every frame
    float viewProj[16];
    float eyePosVS[4];
    float lightDirVS[4];
    int32_t isBlur;
    int32_t isRenderDof;
    int32_t isRenderBloom;
    int32_t pfdDum0;
};
static_assert(sizeof(PerFrameData) == 112);

struct PerObjectData { // b1, every drawn object
    float world[16];
    float worldViewProj[16];
    float oldWorldViewProj[16];
    float options[8][4];
};
static_assert(sizeof(PerObjectData) == 320);

struct BloomData { // b2 (PostEffectData), frames with bloom
    float bloomColor;
    float bloomThrethold;
    float bloomPadding0;
    float bloomPadding1;
};
static_assert(sizeof(BloomData) == 16);

struct GaussFilterData { // b3, every blur pass
    float gasWeight[8];
    float gasScale;
    float gasPad[3];
};
static_assert(sizeof(GaussFilterData) == 48);

struct CompositeData { // b4 (PostEffectData), the composite
    float dofFocus;
    uint32_t transitionType;
    float transitionFactor;
    float pedPadding0;
};
static_assert(sizeof(CompositeData) == 16);

struct OneTimeData { // b5, once at start-up
    float g_60[16];
    float g_61[16];
    float w_width;
    float w_height;
    float g_b60;
    float g_b61;
};
static_assert(sizeof(OneTimeData) == 144);

struct SpriteData { // b6 (OneTimeData), every sprite
    float spritesrcRect[4];
    float spriteDstRect[4];
    float spriteZ[4];
    float spriteRot[4];
    float spriteAlpha[4];
};
static_assert(sizeof(SpriteData) == 80);

enum ConstantSlot : uint32_t {
    kPerFrameSlot = 0,
    kPerObjectSlot = 1,
    kBloomSlot = 2,
    kGaussSlot = 3,
    kCompositeSlot = 4,
    kOneTimeSlot = 5,
    kSpriteSlot = 6,
    kConstantSlotCount = 7
};

inline constexpr uint32_t kConstantBlockBytes[kConstantSlotCount] = {112, 320, 16, 48, 16, 144, 80};
