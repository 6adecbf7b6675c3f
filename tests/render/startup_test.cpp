// startup_test.cpp - the GPU meshes and textures the show builds from its embedded data.
#include "render/startup.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "data/images.h"
#include "data/text_lines.h"

#include "mesh/text_mesh.h"
#include "render/gpu_mesh.h"
#include "render/png_io.h"
#include "render/textures.h"
#include "tests/render/render_fixture.h"

TEST(Startup, GpuMeshesAndTexturesFromTheEmbeddedData) {
    testDevice();
    TextMeshStatus text = createTextMeshes(textStrings, kTextLineCount);
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

// The images decoded on worker threads land in table order with the pixels that one plain decode of
// each file gives; a file that does not decode fails the batch with its label and index.
TEST(Startup, ParallelDecodeGivesTheSequentialPixelsInTableOrder) {
    testDevice();
    ASSERT_TRUE(loadEmbeddedTextures()) << renderError();
    std::vector<uint8_t> uploaded;
    for (int i = 0; i < kEmbeddedImageCount; ++i) {
        DecodedImage image;
        char error[160];
        ASSERT_TRUE(decodePng(embeddedImages[i].data, embeddedImages[i].size, image, error, sizeof error))
            << error;
        ASSERT_EQ(textures[i].width, image.width) << i;
        ASSERT_EQ(textures[i].height, image.height) << i;
        const size_t bytes = (size_t)image.width * image.height * 4;
        uploaded.assign(bytes, 0);
        readTexture(textures[i].texture, image.width, image.height, uploaded.data());
        EXPECT_EQ(std::memcmp(uploaded.data(), image.rgba, bytes), 0) << "embedded image " << i;
        freeDecodedImage(image);
    }

    const uint8_t notPng[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    PngFile files[3] = {{embeddedImages[13].data, embeddedImages[13].size},
                        {notPng, sizeof notPng},
                        {embeddedImages[23].data, embeddedImages[23].size}};
    TextureEntry entries[3] = {};
    EXPECT_FALSE(loadTextureBatch(entries, files, 3, "test image"));
    EXPECT_NE(std::strstr(renderError(), "test image 1"), nullptr) << renderError();
    EXPECT_EQ(entries[0].width, 256u); // files before the bad one are loaded
}
