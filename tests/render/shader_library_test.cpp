// shader_library_test.cpp - every entry point compiles on this machine's GLSL compiler, and the library
// reloads from its source files.
#include "render/shader_library.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

#include "data/scene_data.h"
#include "director/graph.h"
#include "tests/render/render_fixture.h"

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
        EXPECT_NE(e.shader, 0u) << renderError();
        EXPECT_NE(vertexShaders[k].shader, 0u) << vertexShaderNames[k];
    }
    for (int k = 0; pixelShaderNames[k]; ++k) {
        PixelShaderEntry e =
            compilePixelShader(dev, pixelShaderNames[k], source.c_str(), (uint32_t)source.size());
        EXPECT_NE(e.shader, 0u) << renderError();
        EXPECT_NE(pixelShaders[k].shader, 0u) << pixelShaderNames[k];
    }
    EXPECT_EQ(vertexShaders[kVertexShaderCount].shader, 0u);
    EXPECT_EQ(pixelShaders[kPixelShaderCount].shader, 0u);
    for (int effects = 0; effects < kCompositeVariantCount; ++effects)
        EXPECT_NE(compositeShaders[effects].shader, 0u) << "composite for effects " << effects;
}

TEST(ShaderLibrary, CompileErrorNamesTheEntryAndCarriesTheLog) {
    RenderDevice& dev = testDevice();
    const char* broken = "vec4 brokenPS(VO i) { return undefinedThing; }\n";
    std::string source = std::string(shaderDeclarations) + broken;
    PixelShaderEntry e = compilePixelShader(dev, "brokenPS", source.c_str(), (uint32_t)source.size());
    EXPECT_EQ(e.shader, 0u);
    EXPECT_NE(std::strstr(renderError(), "brokenPS"), nullptr) << renderError();
    EXPECT_NE(std::strstr(renderError(), "undefinedThing"), nullptr) << renderError();
}

namespace {

struct BlockField {
    const char* name;
    GLint offset;
};

// Offset of `field` inside its block in `program`; -1 when absent.
GLint fieldOffset(GLuint program, const char* field) {
    GLuint index = GL_INVALID_INDEX;
    glGetUniformIndices(program, 1, &field, &index);
    if (index == GL_INVALID_INDEX) return -1;
    GLint offset = -1;
    glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_OFFSET, &offset);
    return offset;
}

// The block's binding point (set after linking), its size and its fields' offsets.
void expectBlock(GLuint program, const char* block, GLint binding, GLint bytes,
                 std::initializer_list<BlockField> fields) {
    ASSERT_NE(program, 0u) << block;
    GLuint index = glGetUniformBlockIndex(program, block);
    ASSERT_NE(index, GL_INVALID_INDEX) << block;
    GLint values[2] = {-1, -1};
    glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_BINDING, &values[0]);
    glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_DATA_SIZE, &values[1]);
    EXPECT_EQ(values[0], binding) << block;
    EXPECT_EQ(values[1], bytes) << block;
    for (const BlockField& f : fields)
        EXPECT_EQ(fieldOffset(program, f.name), f.offset) << block << "." << f.name;
}

int entryIndex(const char* const* names, const char* name) {
    for (int k = 0; names[k]; ++k)
        if (std::strcmp(names[k], name) == 0) return k;
    return -1;
}

// The linked program of two entries named like the show names them.
GLuint programOf(const char* vertexName, const char* pixelName) {
    const int vs = entryIndex(vertexShaderNames, vertexName), ps = entryIndex(pixelShaderNames, pixelName);
    if (vs < 0 || ps < 0) return 0;
    return programFor(testDevice(), vertexShaders[vs], pixelShaders[ps]).program;
}

} // namespace

// The GLSL blocks, the CPU records and the byte layouts of the constant blocks agree field by field.
TEST(ShaderLibrary, ConstantBlocksHaveTheByteLayoutsTheCpuWrites) {
    testDevice();
    GLuint julia = programOf("juliaVS", "juliaPS"); // b0, b1, b5
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

    expectBlock(programOf("A_5_bloomHighlightVS", "A_5_bloomHighlightPS"), "PostEffectData", 2, 16,
                {{"bloomColor", 0}, {"bloomThrethold", 4}, {"bloomPadding0", 8}, {"bloomPadding1", 12}});
    EXPECT_EQ(offsetof(BloomData, bloomThrethold), 4u);

    GLuint gauss = programOf("A_6_gauss1VS", "A_6_gauss1PS");
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

    expectBlock(programOf("A_3_postprocessVS", "A_3_postprocessPS"), "PostEffectData4", 4, 16,
                {{"dofFocus", 0}, {"transitionType", 4}, {"transitionFactor", 8}, {"pedPadding0", 12}});
    EXPECT_EQ(offsetof(CompositeData, transitionType), 4u);
    EXPECT_EQ(offsetof(CompositeData, transitionFactor), 8u);

    expectBlock(programOf("A_8_spriteVS", "A_8_spritePS"), "OneTimeData6", 6, 80,
                {{"spritesrcRect", 0},
                 {"spriteDstRect", 16},
                 {"spriteZ", 32},
                 {"spriteRot", 48},
                 {"spriteAlpha", 64}});
    EXPECT_EQ(offsetof(SpriteData, spriteDstRect), 16u);
    EXPECT_EQ(offsetof(SpriteData, spriteRot), 48u);
    EXPECT_EQ(offsetof(SpriteData, spriteAlpha), 64u);
}

// Live reload from the source files: the same files give the same picture through all new programs
// (the old ones deleted, nothing leaked); a file with an error changes nothing and the error names the
// file and line, not the joined source's.
TEST(ShaderLibrary, ReloadReplacesEveryProgramOrNothing) {
    RenderDevice& dev = testDevice();
    TestFrame* frame = newTestFrame();
    frame->opaque.records[0] = cubeRecord(10, 10, 0, 0, 0); // baseCookVS / baseCookPS
    frame->opaque.count = 1;
    const std::vector<uint8_t> before = renderAndRead(*frame);

    std::string texts[16];
    ShaderFileText files[16];
    int count = 0;
    for (; shaderFileNames[count]; ++count) {
        std::ifstream in(std::string(QZ_SOURCE_DIR) + "/render/shaders/" + shaderFileNames[count]);
        ASSERT_TRUE(in) << shaderFileNames[count];
        std::ostringstream text;
        text << in.rdbuf();
        texts[count] = text.str();
        files[count] = {shaderFileNames[count], texts[count].data(), (uint32_t)texts[count].size()};
    }
    const GLuint oldProgram = programFor(dev, vertexShaders[10], pixelShaders[10]).program;
    const GLuint oldShader = pixelShaders[kCompositeShader].shader;
    for (int round = 0; round < 3; ++round)
        ASSERT_TRUE(reloadShaderLibrary(dev, files, count)) << renderError();
    const GLuint newProgram = programFor(dev, vertexShaders[10], pixelShaders[10]).program;
    EXPECT_NE(newProgram, oldProgram);
    EXPECT_FALSE(glIsProgram(oldProgram));
    EXPECT_FALSE(glIsShader(oldShader));
    EXPECT_EQ(renderAndRead(*frame), before);
    const uint32_t lateLinks = lateLinkCount();

    int post = 0;
    while (std::strcmp(shaderFileNames[post], "post.glsl") != 0) ++post;
    std::string broken = texts[post];
    size_t fifth = 0;
    for (int line = 1; line < 5; ++line) fifth = broken.find('\n', fifth) + 1;
    broken.insert(fifth, "this is not glsl;\n");
    files[post].text = broken.data();
    files[post].length = (uint32_t)broken.size();
    EXPECT_FALSE(reloadShaderLibrary(dev, files, count));
    EXPECT_NE(std::strstr(renderError(), "post.glsl:5"), nullptr) << renderError();
    EXPECT_NE(std::strstr(renderError(), "outside any function, post.glsl:5"), nullptr) << renderError();
    EXPECT_EQ(programFor(dev, vertexShaders[10], pixelShaders[10]).program, newProgram);
    EXPECT_TRUE(glIsProgram(newProgram));
    EXPECT_EQ(renderAndRead(*frame), before);
    EXPECT_EQ(lateLinkCount(), lateLinks); // the pairs in use were linked again with the rest
    files[post] = {shaderFileNames[post], texts[post].data(), (uint32_t)texts[post].size()};

    // Errors the makers met: each names the file and line edited, and a uniform block whose fields
    // no longer match what the renderer uploads is refused with the block and field named.
    int sceneFile = 0, common = 0;
    while (std::strcmp(shaderFileNames[sceneFile], "scene.glsl") != 0) ++sceneFile;
    while (std::strcmp(shaderFileNames[common], "common.glsl") != 0) ++common;
    struct Edit {
        int file;
        const char* from;
        const char* to;
        const char* expected;
        bool atLine; // the expected text is followed by the edited line's number
    } edits[] = {
        {sceneFile, "return cookTorrance(i, options[2]);", "return cookTorrance(i, optoins[2]);",
         "scene.glsl:", true},
        {sceneFile, "vec4 baseCookPS(VO i) {", "vec4 baseCookkPS(VO i) {", "defines the entry baseCookPS",
         false},
        {sceneFile, "vec4 baseCookPS(VO i) {", "vec4 baseCookPS(VO i) {{", "do not compile", false},
        {common, "mat4 world;", "vec4 world0, world1, world2, world3;", "block PerObjectData: field world",
         false},
        // Every entry compiles every file: the heading names the function the error lies in, not the
        // first entry compiled.
        {post, "    return c;\n}", "    return c +;\n}", "error lies in A_3_postprocessPS, post.glsl:", true},
        {post, "    return dot(rgb,", "    return dot(rgb,,", "error lies in fxaaLuma, post.glsl:", true},
    };
    for (const Edit& e : edits) {
        std::string text = texts[e.file];
        const size_t at = text.find(e.from);
        ASSERT_NE(at, std::string::npos) << e.from;
        text.replace(at, std::strlen(e.from), e.to);
        const int line = 1 + (int)std::count(text.begin(), text.begin() + (long)at, '\n');
        files[e.file] = {shaderFileNames[e.file], text.data(), (uint32_t)text.size()};
        EXPECT_FALSE(reloadShaderLibrary(dev, files, count)) << e.to;
        const std::string error = renderError();
        const std::string where = std::string(e.expected) + (e.atLine ? std::to_string(line) : "");
        EXPECT_NE(error.find(where), std::string::npos) << e.to << ": expected " << where << " in\n" << error;
        EXPECT_EQ(error.find("common.glsl"), std::string::npos) << e.to << ": blames common.glsl:\n" << error;
        EXPECT_EQ(error.find("A_0_debugline"), std::string::npos) << e.to << ": blames the first entry:\n"
                                                                  << error;
        files[e.file] = {shaderFileNames[e.file], texts[e.file].data(), (uint32_t)texts[e.file].size()};
    }
    EXPECT_EQ(renderAndRead(*frame), before);
}

// Every vertex and pixel shader pair the scenes' draws name exists in the tables and links.
TEST(ShaderLibrary, EveryPairTheScenesDrawWithLinks) {
    RenderDevice& dev = testDevice();
    DrawShaderPair pairs[256];
    const uint32_t count = collectShaderPairs(sceneTable, pairs, 256);
    ASSERT_GT(count, 0u);
    for (uint32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(testing::Message() << "pair " << pairs[i].vertexShader << "/" << pairs[i].pixelShader);
        ASSERT_GE(pairs[i].vertexShader, 0);
        ASSERT_LT(pairs[i].vertexShader, kVertexShaderCount);
        ASSERT_GE(pairs[i].pixelShader, 0);
        ASSERT_LT(pairs[i].pixelShader, kPixelShaderCount);
        EXPECT_NE(
            programFor(dev, vertexShaders[pairs[i].vertexShader], pixelShaders[pairs[i].pixelShader]).program,
            0u)
            << renderError();
    }
}
