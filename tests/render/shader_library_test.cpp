// shader_library_test.cpp - every entry point compiles on this machine's GLSL compiler.
#include "render/shader_library.h"

#include <cstddef>
#include <cstring>
#include <gtest/gtest.h>

#include "tests/render/render_fixture.h"

TEST(ShaderLibrary, NameTablesHoldEveryEntryInOrder) {
    int vertexCount = 0, pixelCount = 0;
    while (vertexShaderNames[vertexCount]) ++vertexCount;
    while (pixelShaderNames[pixelCount]) ++pixelCount;
    EXPECT_EQ(vertexCount, 19);
    EXPECT_EQ(pixelCount, 21);
    EXPECT_STREQ(vertexShaderNames[12], "juliaVS");
    EXPECT_STREQ(pixelShaderNames[13], "juliaPS");
    EXPECT_STREQ(pixelShaderNames[20], "x_cam_pos_PS");
    EXPECT_STREQ(vertexShaderNames[7], "A_8_spriteVS");
}

TEST(ShaderLibrary, EveryEntryCompilesAndLinks) {
    RenderDevice& dev = testDevice();
    // The library as the show compiles it; then each entry again, so a failure names every culprit.
    const char* failed = nullptr;
    EXPECT_TRUE(compileShaderLibrary(dev, &failed)) << "first failure: " << (failed ? failed : "?") << "\n"
                                                    << renderError();
    std::string source = std::string(shaderDeclarations) + shaderBodies;
    for (int k = 0; vertexShaderNames[k]; ++k) {
        VertexShaderEntry e =
            compileVertexShader(dev, vertexShaderNames[k], source.c_str(), (uint32_t)source.size());
        EXPECT_NE(e.program, 0u) << renderError();
        EXPECT_NE(vertexShaders[k].program, 0u) << vertexShaderNames[k];
    }
    for (int k = 0; pixelShaderNames[k]; ++k) {
        PixelShaderEntry e = compilePixelShader(pixelShaderNames[k], source.c_str(), (uint32_t)source.size());
        EXPECT_NE(e.program, 0u) << renderError();
        EXPECT_NE(pixelShaders[k].program, 0u) << pixelShaderNames[k];
    }
    EXPECT_EQ(vertexShaders[19].program, 0u);
    EXPECT_EQ(pixelShaders[21].program, 0u);
    for (int effects = 0; effects < kCompositeVariantCount; ++effects)
        EXPECT_NE(compositeShaders[effects].program, 0u) << "composite for effects " << effects;
}

TEST(ShaderLibrary, CompileErrorNamesTheEntryAndCarriesTheLog) {
    testDevice();
    const char* broken = "vec4 brokenPS(VO i) { return undefinedThing; }\n";
    std::string source = std::string(shaderDeclarations) + broken;
    PixelShaderEntry e = compilePixelShader("brokenPS", source.c_str(), (uint32_t)source.size());
    EXPECT_EQ(e.program, 0u);
    EXPECT_NE(std::strstr(renderError(), "brokenPS"), nullptr) << renderError();
    EXPECT_NE(std::strstr(renderError(), "undefinedThing"), nullptr) << renderError();
}

namespace {

struct BlockField {
    const char* name;
    GLint offset;
};

// Offset of `field` inside its block in `program`, and the block's binding and size; -1 when absent.
GLint fieldOffset(GLuint program, const char* field) {
    GLuint index = glGetProgramResourceIndex(program, GL_UNIFORM, field);
    if (index == GL_INVALID_INDEX) return -1;
    const GLenum property = GL_OFFSET;
    GLint offset = -1;
    glGetProgramResourceiv(program, GL_UNIFORM, index, 1, &property, 1, nullptr, &offset);
    return offset;
}

void expectBlock(GLuint program, const char* block, GLint binding, GLint bytes,
                 std::initializer_list<BlockField> fields) {
    GLuint index = glGetProgramResourceIndex(program, GL_UNIFORM_BLOCK, block);
    ASSERT_NE(index, GL_INVALID_INDEX) << block;
    const GLenum properties[2] = {GL_BUFFER_BINDING, GL_BUFFER_DATA_SIZE};
    GLint values[2] = {-1, -1};
    glGetProgramResourceiv(program, GL_UNIFORM_BLOCK, index, 2, properties, 2, nullptr, values);
    EXPECT_EQ(values[0], binding) << block;
    EXPECT_EQ(values[1], bytes) << block;
    for (const BlockField& f : fields)
        EXPECT_EQ(fieldOffset(program, f.name), f.offset) << block << "." << f.name;
}

GLuint vertexProgram(const char* name) {
    for (int k = 0; vertexShaderNames[k]; ++k)
        if (std::strcmp(vertexShaderNames[k], name) == 0) return vertexShaders[k].program;
    return 0;
}

GLuint pixelProgram(const char* name) {
    for (int k = 0; pixelShaderNames[k]; ++k)
        if (std::strcmp(pixelShaderNames[k], name) == 0) return pixelShaders[k].program;
    return 0;
}

} // namespace

// The GLSL blocks, the CPU records and the byte layouts of the constant blocks agree field by field.
TEST(ShaderLibrary, ConstantBlocksHaveTheByteLayoutsTheCpuWrites) {
    testDevice();
    GLuint julia = pixelProgram("juliaPS"); // b0, b1, b5
    expectBlock(julia, "PerFrameData", 0, 112,
                {{"viewProj", (GLint)offsetof(PerFrameData, viewProj)},
                 {"eyePosVS", (GLint)offsetof(PerFrameData, eyePosVS)},
                 {"lightDirVS", (GLint)offsetof(PerFrameData, lightDirVS)},
                 {"isBlur", (GLint)offsetof(PerFrameData, isBlur)},
                 {"isRenderDof", (GLint)offsetof(PerFrameData, isRenderDof)},
                 {"isRenderBloom", (GLint)offsetof(PerFrameData, isRenderBloom)},
                 {"pfdDum0", (GLint)offsetof(PerFrameData, pfdDum0)}});
    EXPECT_EQ(offsetof(PerFrameData, eyePosVS), 64u);
    EXPECT_EQ(offsetof(PerFrameData, isBlur), 96u);
    EXPECT_EQ(offsetof(PerFrameData, pfdDum0), 108u);

    expectBlock(julia, "PerObjectData", 1, 320,
                {{"world", 0}, {"worldViewProj", 64}, {"oldWorldViewProj", 128}, {"options[0]", 192}});
    EXPECT_EQ(offsetof(PerObjectData, worldViewProj), 64u);
    EXPECT_EQ(offsetof(PerObjectData, oldWorldViewProj), 128u);
    EXPECT_EQ(offsetof(PerObjectData, options), 192u);

    expectBlock(
        julia, "OneTimeData", 5, 144,
        {{"g_60", 0}, {"g_61", 64}, {"w_width", 128}, {"w_height", 132}, {"g_b60", 136}, {"g_b61", 140}});
    EXPECT_EQ(offsetof(OneTimeData, w_width), 128u);
    EXPECT_EQ(offsetof(OneTimeData, w_height), 132u);

    expectBlock(pixelProgram("A_5_bloomHighlightPS"), "PostEffectData", 2, 16,
                {{"bloomColor", 0}, {"bloomThrethold", 4}, {"bloomPadding0", 8}, {"bloomPadding1", 12}});
    EXPECT_EQ(offsetof(BloomData, bloomThrethold), 4u);

    GLuint gauss = pixelProgram("A_6_gauss1PS");
    expectBlock(gauss, "GaussFilterData", 3, 48,
                {{"gasWeight0", 0},
                 {"gasWeight1", 4},
                 {"gasWeight2", 8},
                 {"gasWeight3", 12},
                 {"gasWeight4", 16},
                 {"gasWeight5", 20},
                 {"gasWeight6", 24},
                 {"gasWeight7", 28},
                 {"gasScale", 32},
                 {"gasPad0", 36},
                 {"gasPad1", 40},
                 {"gasPad2", 44}});
    EXPECT_EQ(offsetof(GaussFilterData, gasScale), 32u);

    expectBlock(pixelProgram("A_3_postprocessPS"), "PostEffectData4", 4, 16,
                {{"dofFocus", 0}, {"transitionType", 4}, {"transitionFactor", 8}, {"pedPadding0", 12}});
    EXPECT_EQ(offsetof(CompositeData, transitionType), 4u);
    EXPECT_EQ(offsetof(CompositeData, transitionFactor), 8u);

    expectBlock(vertexProgram("A_8_spriteVS"), "OneTimeData6", 6, 80,
                {{"spritesrcRect", 0},
                 {"spriteDstRect", 16},
                 {"spriteZ", 32},
                 {"spriteRot", 48},
                 {"spriteAlpha", 64}});
    EXPECT_EQ(offsetof(SpriteData, spriteDstRect), 16u);
    EXPECT_EQ(offsetof(SpriteData, spriteRot), 48u);
    EXPECT_EQ(offsetof(SpriteData, spriteAlpha), 64u);
}
