// images_test.cpp - the 31 committed PNG images: headers against the image table, the embedded
// copies, decoding, a few content checks, and a byte-exact rerun of the generator.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <png.h>
#include <string>
#include <vector>

#include "data/images.h"
#include "tools/image-gen/images.h"
#include "tools/image-gen/png_write.h"

namespace {

struct Expected {
    int width, height, colorType;
};

// The image table: sizes and colour types (2 = RGB, 3 = palette, 6 = RGBA).
const Expected kTable[kEmbeddedImageCount] = {
    {1024, 1024, 2}, {1024, 1024, 2}, {1024, 1024, 2}, {1024, 1024, 6}, {1024, 1024, 6}, {1024, 1024, 6},
    {1024, 1024, 6}, {1024, 1024, 6}, {1024, 1024, 6}, {1024, 1024, 6}, {1024, 1024, 6}, {1024, 1024, 6},
    {1024, 1024, 2}, {256, 256, 6},   {1024, 1024, 6}, {1024, 1024, 2}, {1024, 1024, 2}, {1024, 1024, 2},
    {1024, 1024, 2}, {1024, 1024, 6}, {1024, 1024, 6}, {512, 512, 3},   {1024, 1024, 6}, {256, 256, 6},
    {256, 256, 6},   {256, 256, 6},   {256, 256, 6},   {1024, 1024, 6}, {1024, 1024, 6}, {1024, 1024, 6},
    {1024, 1024, 6},
};

std::vector<uint8_t> readFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return bytes;
}

std::string imagePath(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "/data/images/%02d.png", i);
    return std::string(QZ_SOURCE_DIR) + name;
}

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Decodes a PNG in memory to straight RGBA8 with libpng's simplified reader.
bool decodeRgba(const uint8_t* data, size_t size, std::vector<uint8_t>& rgba, int& w, int& h) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&img, data, size)) return false;
    img.format = PNG_FORMAT_RGBA;
    rgba.resize(PNG_IMAGE_SIZE(img));
    w = img.width, h = img.height;
    return png_image_finish_read(&img, nullptr, rgba.data(), 0, nullptr) != 0;
}

const uint8_t* pixelAt(const std::vector<uint8_t>& rgba, int w, int x, int y) {
    return &rgba[(size_t(y) * w + x) * 4];
}

} // namespace

TEST(Images, CommittedFilesMatchTheTable) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (int i = 0; i < kEmbeddedImageCount; i++) {
        SCOPED_TRACE(imagePath(i));
        std::vector<uint8_t> f = readFile(imagePath(i));
        ASSERT_GT(f.size(), 33u);
        EXPECT_EQ(std::memcmp(f.data(), kSignature, 8), 0);
        ASSERT_EQ(std::memcmp(f.data() + 12, "IHDR", 4), 0);
        EXPECT_EQ(int(be32(&f[16])), kTable[i].width);
        EXPECT_EQ(int(be32(&f[20])), kTable[i].height);
        EXPECT_EQ(f[24], 8) << "bit depth";
        EXPECT_EQ(f[25], kTable[i].colorType) << "colour type";
        EXPECT_EQ(f[28], 0) << "interlace";
        EXPECT_EQ(std::memcmp(f.data() + f.size() - 8, "IEND", 4), 0) << "does not end with IEND";
    }
}

TEST(Images, EmbeddedTableHoldsTheCommittedBytesAndDecodes) {
    for (int i = 0; i < kEmbeddedImageCount; i++) {
        SCOPED_TRACE(imagePath(i));
        const EmbeddedImage& e = embeddedImages[i];
        std::vector<uint8_t> f = readFile(imagePath(i));
        EXPECT_EQ(e.reserved, 0u);
        ASSERT_EQ(e.size, f.size());
        EXPECT_EQ(std::memcmp(e.data, f.data(), f.size()), 0);
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        ASSERT_TRUE(decodeRgba(e.data, e.size, rgba, w, h));
        EXPECT_EQ(w, kTable[i].width);
        EXPECT_EQ(h, kTable[i].height);
    }
}

TEST(Images, ContentFollowsTheDescriptions) {
    std::vector<uint8_t> px;
    int w, h;
    auto load = [&](int i) {
        ASSERT_TRUE(decodeRgba(embeddedImages[i].data, embeddedImages[i].size, px, w, h));
    };
    auto reddish = [](const uint8_t* p) { return p[0] > 150 && p[1] < 80 && p[2] < 90; };
    auto whitish = [](const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; };

    load(0); // 2 x 2 squares: diagonal neighbours alike, side neighbours differ
    EXPECT_TRUE(whitish(pixelAt(px, w, 256, 256)));
    EXPECT_TRUE(reddish(pixelAt(px, w, 768, 256)));
    EXPECT_TRUE(whitish(pixelAt(px, w, 768, 768)));
    load(1); // 8 x 8 squares of 128 pixels
    for (int j = 0; j < 8; j++)
        for (int i = 0; i < 8; i++)
            EXPECT_EQ(reddish(pixelAt(px, w, i * 128 + 64, j * 128 + 64)), ((i + j) & 1) == 1)
                << i << "," << j;

    load(3); // magenta lines on transparent: a line pixel is opaque magenta, a cell centre clear
    EXPECT_EQ(pixelAt(px, w, 512, 512 + 28)[3], 0xff);
    EXPECT_GT(pixelAt(px, w, 512, 540)[0], 200);
    EXPECT_GT(pixelAt(px, w, 512, 540)[2], 150);
    EXPECT_EQ(pixelAt(px, w, 28, 28)[3], 0);

    // Sprites on transparent leave their corners clear.
    for (int i : {4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 19, 20, 22, 23, 24, 25, 26, 27, 29, 30}) {
        load(i);
        EXPECT_EQ(pixelAt(px, w, 0, h - 1)[3], 0) << "image " << i;
        EXPECT_EQ(pixelAt(px, w, w - 1, h - 1)[3], 0) << "image " << i;
    }
    load(29); // the bar of 30 sits higher than that of 29
    int top29 = -1;
    for (int y = 0; y < h && top29 < 0; y++)
        if (pixelAt(px, w, 300, y)[3] > 128) top29 = y;
    load(30);
    int top30 = -1;
    for (int y = 0; y < h && top30 < 0; y++)
        if (pixelAt(px, w, 300, y)[3] > 128) top30 = y;
    EXPECT_GE(top29, 0);
    EXPECT_GE(top30, 0);
    EXPECT_LT(top30, top29);
    EXPECT_LT(top29, h / 2);
}

TEST(Images, GeneratorRerunGivesIdenticalBytes) {
    for (int i = 0; i < kImageCount; i++) {
        SCOPED_TRACE(imagePath(i));
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(encodePng(generateImage(i), bytes, error)) << error;
        std::vector<uint8_t> f = readFile(imagePath(i));
        ASSERT_EQ(bytes.size(), f.size()) << "regenerate with `cmake --build BUILD --target images`";
        EXPECT_TRUE(bytes == f);
    }
}
