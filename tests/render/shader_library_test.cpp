// shader_library_test.cpp - every entry point compiles on this machine's GLSL compiler.
#include "render/shader_library.h"

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
