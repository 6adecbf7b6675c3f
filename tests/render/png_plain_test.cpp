// The quick PNG path against libpng: every embedded image, random images under every filter, the files
// it must leave to libpng, damaged files, and the files writePng makes.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstring>
#include <png.h>
#include <random>
#include <vector>

#include "data/images.h"
#include "render/png_io.h"
#include "render/png_plain.h"

namespace {

using Bytes = std::vector<uint8_t>;

// libpng's own decode, the oracle: RGBA8, or empty when libpng refuses the file.
Bytes libpngDecode(const Bytes& file) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
    image.format = PNG_FORMAT_RGBA;
    Bytes rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return {};
    return rgba;
}

// The quick path alone: the pixels, or empty when it declines.
Bytes plainDecode(const Bytes& file, uint32_t width, uint32_t height) {
    Bytes buffer(plainPngCapacity(width, height));
    if (!decodePlainPng(file.data(), (uint32_t)file.size(), buffer.data(), buffer.size())) return {};
    buffer.resize((size_t)width * height * 4);
    return buffer;
}

void appendBytes(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

struct Encoding {
    int colorType = PNG_COLOR_TYPE_RGB;
    int filters = PNG_ALL_FILTERS;
    size_t idatBytes = 8192; // zlib's buffer: each fill is one IDAT chunk
    bool transparentKey = false, gamma = false, interlaced = false;
};

Bytes encode(const Bytes& pixels, uint32_t width, uint32_t height, const Encoding& e) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendBytes, nullptr);
    png_set_filter(png, 0, e.filters);
    png_set_compression_buffer_size(png, e.idatBytes);
    png_set_IHDR(png, info, width, height, 8, e.colorType,
                 e.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color_16 key = {0, pixels[0], pixels[1], pixels[2], 0};
    if (e.transparentKey) png_set_tRNS(png, info, nullptr, 0, &key);
    if (e.gamma) png_set_gAMA(png, info, 1.0 / 1.8);
    png_write_info(png, info);
    const size_t stride = (size_t)width * (e.colorType == PNG_COLOR_TYPE_RGBA ? 4 : 3);
    std::vector<png_bytep> rows(height);
    for (uint32_t y = 0; y < height; ++y) rows[y] = const_cast<png_bytep>(pixels.data() + y * stride);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Gradients with noise, so that every filter has something to predict.
Bytes randomPixels(std::mt19937& rng, uint32_t width, uint32_t height, int channels) {
    Bytes pixels((size_t)width * height * channels);
    std::uniform_int_distribution<int> noise(0, 40);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels[((size_t)y * width + x) * channels + c] =
                    (uint8_t)(x * (c + 3) + y * (7 - c) + noise(rng));
    return pixels;
}

Bytes withOpaqueAlpha(const Bytes& rgb) {
    Bytes rgba;
    for (size_t i = 0; i < rgb.size(); i += 3) rgba.insert(rgba.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 255});
    return rgba;
}

} // namespace

TEST(PlainPng, EveryEmbeddedImageDecodesAsLibpngDoes) {
    int quick = 0;
    for (int i = 0; i < kEmbeddedImageCount; ++i) {
        const Bytes file(embeddedImages[i].data, embeddedImages[i].data + embeddedImages[i].size);
        const Bytes expected = libpngDecode(file);
        ASSERT_FALSE(expected.empty()) << "image " << i;
        DecodedImage image = {};
        char error[160] = "";
        ASSERT_TRUE(decodePng(file.data(), (uint32_t)file.size(), image, error, sizeof error)) << error;
        EXPECT_EQ(0, std::memcmp(image.rgba, expected.data(), expected.size())) << "image " << i;
        const Bytes plain = plainDecode(file, image.width, image.height);
        if (!plain.empty()) {
            ++quick;
            EXPECT_EQ(plain, expected) << "image " << i;
        }
        freeDecodedImage(image);
    }
    EXPECT_EQ(quick, kEmbeddedImageCount - 1); // all but the palette image take the quick way
}

TEST(PlainPng, RandomImagesUnderEveryFilter) {
    std::mt19937 rng(20261209);
    const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB,   PNG_FILTER_UP,
                           PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
    for (int round = 0; round < 60; ++round) {
        const uint32_t width = 1 + rng() % 40, height = 1 + rng() % 40;
        Encoding e;
        e.colorType = round % 2 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
        e.filters = filters[round % 6];
        e.idatBytes = round % 3 ? 8192 : 64; // many small IDAT chunks now and then
        const Bytes pixels = randomPixels(rng, width, height, round % 2 ? 4 : 3);
        const Bytes file = encode(pixels, width, height, e);
        const Bytes plain = plainDecode(file, width, height);
        ASSERT_FALSE(plain.empty()) << "round " << round;
        EXPECT_EQ(plain, round % 2 ? pixels : withOpaqueAlpha(pixels)) << "round " << round;
    }
}

TEST(PlainPng, LeavesToLibpngWhatItDoesNotCover) {
    std::mt19937 rng(7);
    const Bytes pixels = randomPixels(rng, 23, 17, 3);
    Encoding key, gamma, interlaced, gray;
    key.transparentKey = true; // libpng turns the key colour transparent
    gamma.gamma = true;        // libpng converts to sRGB
    interlaced.interlaced = true;
    gray.colorType = PNG_COLOR_TYPE_GRAY;
    for (const Encoding& e : {key, gamma, interlaced, gray}) {
        const Bytes file = encode(pixels, 23, 17, e);
        ASSERT_FALSE(file.empty());
        EXPECT_TRUE(plainDecode(file, 23, 17).empty());
        Bytes rgba(plainPngCapacity(23, 17));
        char error[160] = "";
        ASSERT_TRUE(
            decodePngInto(file.data(), (uint32_t)file.size(), rgba.data(), rgba.size(), error, sizeof error))
            << error;
        rgba.resize(23 * 17 * 4);
        EXPECT_EQ(rgba, libpngDecode(file));
    }
    // An RGBA buffer without room for the filter bytes is declined too, and libpng fills it.
    Encoding rgbaFile;
    rgbaFile.colorType = PNG_COLOR_TYPE_RGBA;
    const Bytes rgbaPixels = randomPixels(rng, 9, 5, 4);
    const Bytes file = encode(rgbaPixels, 9, 5, rgbaFile);
    Bytes exact(9 * 5 * 4);
    EXPECT_FALSE(decodePlainPng(file.data(), (uint32_t)file.size(), exact.data(), exact.size()));
    char error[160] = "";
    ASSERT_TRUE(
        decodePngInto(file.data(), (uint32_t)file.size(), exact.data(), exact.size(), error, sizeof error));
    EXPECT_EQ(exact, rgbaPixels);
}

TEST(PlainPng, DamagedFilesAreDeclinedOrDecodeAsLibpngDoes) {
    std::mt19937 rng(99);
    for (int i : {kImgCheckerCoarse, kImgGreyGrid, kImgHighlightBar}) {
        const Bytes original(embeddedImages[i].data, embeddedImages[i].data + embeddedImages[i].size);
        for (int round = 0; round < 150; ++round) {
            Bytes file = original;
            switch (round % 3) {
            case 0:
                file[rng() % file.size()] ^= (uint8_t)(1 + rng() % 255);
                break;
            case 1:
                file.resize(rng() % file.size());
                break;
            case 2:
                file[8 + rng() % 32] = (uint8_t)rng();
                break; // the header and the first chunk's length
            }
            const Bytes plain = plainDecode(file, 1024, 1024);
            if (!plain.empty()) {
                EXPECT_EQ(plain, libpngDecode(file)) << "image " << i << " round " << round;
            }
        }
    }
}

TEST(PlainPng, WrittenFilesReadBackAndAFullDiskIsAFailure) {
    std::mt19937 rng(5);
    const Bytes pixels = randomPixels(rng, 37, 21, 4);
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(writePng(file, 37, 21, pixels.data()));
    Bytes written((size_t)std::ftell(file));
    std::rewind(file);
    ASSERT_EQ(std::fread(written.data(), 1, written.size(), file), written.size());
    std::fclose(file);
    EXPECT_EQ(plainDecode(written, 37, 21), pixels); // what the show writes it reads the quick way
    EXPECT_EQ(libpngDecode(written), pixels);
    FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    EXPECT_FALSE(writePng(full, 37, 21, pixels.data()));
    std::fclose(full);
}
