// startup_test.cpp - the GPU meshes and textures the show builds from its embedded data.
#include "render/startup.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
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

namespace {

// Image i of the embedded set decoded by libpng on its own, and what `entry`'s texture holds.
void expectTextureHolds(const TextureEntry& entry, int i) {
    DecodedImage image;
    char error[160];
    ASSERT_TRUE(decodePng(embeddedImages[i].data, embeddedImages[i].size, image, error, sizeof error))
        << error;
    ASSERT_NE(entry.view, 0u) << "embedded image " << i;
    ASSERT_EQ(entry.width, image.width) << i;
    ASSERT_EQ(entry.height, image.height) << i;
    std::vector<uint8_t> uploaded((size_t)image.width * image.height * 4);
    readTexture(entry.texture, image.width, image.height, uploaded.data());
    EXPECT_EQ(std::memcmp(uploaded.data(), image.rgba, uploaded.size()), 0) << "embedded image " << i;
    freeDecodedImage(image);
}

} // namespace

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

    // Started ahead of its step, the batch tells the bad header at the step, not before.
    TextureEntry early[3] = {};
    setRenderError("%s", "");
    prestartTextureLoads(early, files, 3, "early image");
    setRenderError("%s", "a later step's message");
    EXPECT_FALSE(startTextureLoads(early, files, 3, "early image"));
    EXPECT_NE(std::strstr(renderError(), "early image 1"), nullptr) << renderError();
    ASSERT_TRUE(finishTextureLoads()) << renderError();
    expectTextureHolds(early[0], 13);
}

// Loaded in the background, every image is whole the moment a draw asks for it, whatever the order of
// the asks, the wishes and the one-a-frame uploads between them; the sizes are known from the start.
TEST(Startup, BackgroundLoadsAreCompleteWhenAskedForInAnyOrder) {
    testDevice();
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t bound) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % bound;
    };
    for (int round = 0; round < 3; ++round) {
        if (round == 1) { // started before its step, many images wanted: they all decode ahead
            prestartEmbeddedTextures();
            bool early[kTextureTableSize] = {};
            for (int k = 0; k < 12; ++k) early[next(kEmbeddedImageCount)] = true;
            wantTextures(early);
        }
        ASSERT_TRUE(startEmbeddedTextures()) << renderError();
        EXPECT_GT(texturesLoading(), 0);
        for (int i = 0; i < kEmbeddedImageCount; ++i) {
            uint32_t w = 0, h = 0;
            char error[160];
            ASSERT_TRUE(
                readPngSize(embeddedImages[i].data, embeddedImages[i].size, w, h, error, sizeof error));
            EXPECT_EQ(textures[i].width, w) << i;
            EXPECT_EQ(textures[i].height, h) << i;
        }
        bool wanted[kTextureTableSize] = {};
        wanted[next(kEmbeddedImageCount)] = wanted[next(kEmbeddedImageCount)] = true;
        wantTextures(wanted);
        bool asked[kEmbeddedImageCount] = {};
        for (int k = 0; k < 12; ++k) {
            const int i = (int)next(kEmbeddedImageCount);
            if (next(2) == 0) uploadDecodedTextures(1 + (int)next(3));
            const TextureEntry& entry = readyTexture(i);
            if (!asked[i]) expectTextureHolds(entry, i);
            asked[i] = true;
        }
        ASSERT_TRUE(finishTextureLoads()) << renderError();
        EXPECT_EQ(texturesLoading(), 0);
        for (int i = 0; i < kEmbeddedImageCount; ++i)
            if (!asked[i]) expectTextureHolds(textures[i], i);
        EXPECT_EQ(readyTexture(31).view, 0u);
        EXPECT_EQ(readyTexture(-1).view, 0u);
    }
}

// A file whose header reads but whose pixel data is damaged fails when its turn comes: a draw gets no
// texture for it (and the rest still load), and waiting for the batch names it.
TEST(Startup, ADamagedImageFailsAtItsDecodeAndTheOthersLoad) {
    testDevice();
    std::vector<uint8_t> damaged(embeddedImages[13].data, embeddedImages[13].data + embeddedImages[13].size);
    for (size_t k = damaged.size() / 2; k < damaged.size() / 2 + 16; ++k) damaged[k] ^= 0x5a;
    PngFile files[kEmbeddedImageCount];
    for (int i = 0; i < kEmbeddedImageCount; ++i)
        files[i] = PngFile{embeddedImages[i].data, embeddedImages[i].size};
    files[13] = PngFile{damaged.data(), (uint32_t)damaged.size()};
    ASSERT_TRUE(startTextureLoads(textures, files, kEmbeddedImageCount, "test image")) << renderError();
    EXPECT_EQ(textures[13].width, 256u); // the header was fine
    testing::internal::CaptureStderr();
    EXPECT_EQ(readyTexture(13).view, 0u);
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("test image 13"), std::string::npos) << told;
    expectTextureHolds(readyTexture(14), 14);
    EXPECT_FALSE(finishTextureLoads());
    EXPECT_NE(std::strstr(renderError(), "test image 13"), nullptr) << renderError();
    for (int i = 0; i < kEmbeddedImageCount; ++i)
        if (i != 13) expectTextureHolds(textures[i], i);
}
