// startup_test.cpp - the GPU meshes and textures the show builds from its embedded data.
#include "render/startup.h"

#include <gtest/gtest.h>

#include "mesh/text_mesh.h"
#include "render/gpu_mesh.h"
#include "render/textures.h"
#include "tests/render/render_fixture.h"

TEST(Startup, GpuMeshesAndTexturesFromTheEmbeddedData) {
    testDevice();
    TextMeshStatus text = createTextMeshes();
    ASSERT_TRUE(text.ok) << text.message;
    ASSERT_TRUE(buildGpuMeshes()) << renderError();
    for (int i = 0; i < kTextMeshCount; ++i) {
        EXPECT_NE(gpuMeshes[i].vertexBuffer, 0u) << i;
        EXPECT_EQ(gpuMeshes[i].indexCount, textMeshes[i].indexCount) << i;
        EXPECT_EQ(gpuMeshes[i].fromProgram, 0u);
    }
    for (int i = kTextMeshCount; i < kGpuMeshCount; ++i) {
        EXPECT_NE(gpuMeshes[i].vertexBuffer, 0u) << i;
        EXPECT_EQ(gpuMeshes[i].fromProgram, 1u);
        EXPECT_EQ(gpuMeshes[i].indexCount % 6, 0u);
    }
    EXPECT_EQ(gpuMeshes[20].indexCount, 36u); // program 2: the bare cube

    ASSERT_TRUE(loadEmbeddedTextures()) << renderError();
    EXPECT_EQ(textures[0].width, 1024u);
    EXPECT_EQ(textures[0].height, 1024u);
    EXPECT_EQ(textures[13].width, 256u);
    EXPECT_EQ(textures[21].width, 512u); // the palette image
    EXPECT_EQ(textures[21].height, 512u);
    for (int i = 0; i < 31; ++i) EXPECT_NE(textures[i].view, 0u) << i;
    EXPECT_EQ(textures[31].view, 0u);
}
