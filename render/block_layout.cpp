// block_layout.cpp - one table of the blocks' fields and offsets, taken from the CPU's own records.
#include "render/block_layout.h"

#include <cstdio>

#include "render/constants.h"

namespace {

struct BlockField {
    const char* name; // as the shader source declares it (the first element of an array)
    GLint offset;
};

struct BlockLayout {
    const char* name;
    GLint size;
    BlockField fields[13];
};

#define QZ_FIELD(record, field, glsl)                                                                        \
    { glsl, (GLint)offsetof(record, field) }

const BlockLayout kBlockLayouts[] = {
    {"PerFrameData",
     sizeof(PerFrameData),
     {QZ_FIELD(PerFrameData, viewProj, "viewProj"), QZ_FIELD(PerFrameData, eyePosVS, "eyePosVS"),
      QZ_FIELD(PerFrameData, lightDirVS, "lightDirVS"), QZ_FIELD(PerFrameData, isBlur, "isBlur"),
      QZ_FIELD(PerFrameData, isRenderDof, "isRenderDof"),
      QZ_FIELD(PerFrameData, isRenderBloom, "isRenderBloom"), QZ_FIELD(PerFrameData, pfdDum0, "pfdDum0")}},
    {"PerObjectData",
     sizeof(PerObjectData),
     {QZ_FIELD(PerObjectData, world, "world"), QZ_FIELD(PerObjectData, worldViewProj, "worldViewProj"),
      QZ_FIELD(PerObjectData, oldWorldViewProj, "oldWorldViewProj"),
      QZ_FIELD(PerObjectData, options, "options[0]")}},
    {"PostEffectData",
     sizeof(BloomData),
     {QZ_FIELD(BloomData, bloomColor, "bloomColor"), QZ_FIELD(BloomData, bloomThrethold, "bloomThrethold"),
      QZ_FIELD(BloomData, bloomPadding0, "bloomPadding0"),
      QZ_FIELD(BloomData, bloomPadding1, "bloomPadding1")}},
    {"GaussFilterData",
     sizeof(GaussFilterData),
     {QZ_FIELD(GaussFilterData, gasWeight[0], "gasWeight0"),
      QZ_FIELD(GaussFilterData, gasWeight[1], "gasWeight1"),
      QZ_FIELD(GaussFilterData, gasWeight[2], "gasWeight2"),
      QZ_FIELD(GaussFilterData, gasWeight[3], "gasWeight3"),
      QZ_FIELD(GaussFilterData, gasWeight[4], "gasWeight4"),
      QZ_FIELD(GaussFilterData, gasWeight[5], "gasWeight5"),
      QZ_FIELD(GaussFilterData, gasWeight[6], "gasWeight6"),
      QZ_FIELD(GaussFilterData, gasWeight[7], "gasWeight7"), QZ_FIELD(GaussFilterData, gasScale, "gasScale"),
      QZ_FIELD(GaussFilterData, gasPad[0], "gasPad0"), QZ_FIELD(GaussFilterData, gasPad[1], "gasPad1"),
      QZ_FIELD(GaussFilterData, gasPad[2], "gasPad2")}},
    {"PostEffectData4",
     sizeof(CompositeData),
     {QZ_FIELD(CompositeData, dofFocus, "dofFocus"),
      QZ_FIELD(CompositeData, transitionType, "transitionType"),
      QZ_FIELD(CompositeData, transitionFactor, "transitionFactor"),
      QZ_FIELD(CompositeData, pedPadding0, "pedPadding0")}},
    {"OneTimeData",
     sizeof(OneTimeData),
     {QZ_FIELD(OneTimeData, g_60, "g_60"), QZ_FIELD(OneTimeData, g_61, "g_61"),
      QZ_FIELD(OneTimeData, w_width, "w_width"), QZ_FIELD(OneTimeData, w_height, "w_height"),
      QZ_FIELD(OneTimeData, g_b60, "g_b60"), QZ_FIELD(OneTimeData, g_b61, "g_b61")}},
    {"OneTimeData6",
     sizeof(SpriteData),
     {QZ_FIELD(SpriteData, spritesrcRect, "spritesrcRect"),
      QZ_FIELD(SpriteData, spriteDstRect, "spriteDstRect"), QZ_FIELD(SpriteData, spriteZ, "spriteZ"),
      QZ_FIELD(SpriteData, spriteRot, "spriteRot"), QZ_FIELD(SpriteData, spriteAlpha, "spriteAlpha")}},
};

#undef QZ_FIELD

// The offset of `name` in `program`'s blocks, -1 when the program has no such uniform.
GLint fieldOffset(GLuint program, const char* name) {
    GLuint index = GL_INVALID_INDEX;
    glGetUniformIndices(program, 1, &name, &index);
    if (index == GL_INVALID_INDEX) return -1;
    GLint offset = -1;
    glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_OFFSET, &offset);
    return offset;
}

} // namespace

bool checkBlockLayouts(GLuint program, char* error, size_t errorSize) {
    for (const BlockLayout& block : kBlockLayouts) {
        const GLuint index = glGetUniformBlockIndex(program, block.name);
        if (index == GL_INVALID_INDEX) continue; // not used by this pair
        GLint size = 0;
        glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
        for (const BlockField& field : block.fields) {
            if (!field.name) break;
            const GLint offset = fieldOffset(program, field.name);
            if (offset == field.offset) continue;
            if (offset < 0)
                std::snprintf(error, errorSize,
                              "block %s: field %s is gone (the renderer writes it at byte %d of %d)",
                              block.name, field.name, field.offset, (int)block.size);
            else
                std::snprintf(error, errorSize,
                              "block %s: field %s lies at byte %d; the renderer writes it at %d", block.name,
                              field.name, offset, field.offset);
            return false;
        }
        if (size != block.size) {
            std::snprintf(error, errorSize, "block %s holds %d bytes; the renderer uploads %d", block.name,
                          size, (int)block.size);
            return false;
        }
    }
    return true;
}
