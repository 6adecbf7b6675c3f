// png_io.cpp - decoding to RGBA8 (plain files the quick way, the rest with libpng's simplified API) and
// writing RGBA8 with libpng.
#include "render/png_io.h"

#include <cstdlib>
#include <cstring>
#include <png.h>

#include "render/png_plain.h"

namespace {

bool beginRead(png_image& image, const uint8_t* data, uint32_t size, char* error, size_t errorSize) {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, data, size)) return true;
    std::snprintf(error, errorSize, "%s", image.message);
    return false;
}

bool finishRead(png_image& image, uint8_t* pixels, char* error, size_t errorSize) {
    if (png_image_finish_read(&image, nullptr, pixels, 0, nullptr)) return true;
    std::snprintf(error, errorSize, "%s", image.message);
    return false;
}

} // namespace

bool decodePng(const uint8_t* data, uint32_t size, DecodedImage& out, char* error, size_t errorSize) {
    out = DecodedImage{};
    uint32_t width = 0, height = 0;
    if (!readPngSize(data, size, width, height, error, errorSize)) return false;
    const size_t capacity = plainPngCapacity(width, height);
    uint8_t* pixels = (uint8_t*)std::malloc(capacity);
    if (!pixels) {
        std::snprintf(error, errorSize, "out of memory for a %ux%u image", width, height);
        return false;
    }
    if (!decodePngInto(data, size, pixels, capacity, error, errorSize)) {
        std::free(pixels);
        return false;
    }
    out.width = width;
    out.height = height;
    out.rgba = pixels;
    return true;
}

void freeDecodedImage(DecodedImage& image) {
    std::free(image.rgba);
    image = DecodedImage{};
}

bool readPngSize(const uint8_t* data, uint32_t size, uint32_t& width, uint32_t& height, char* error,
                 size_t errorSize) {
    png_image image;
    if (!beginRead(image, data, size, error, errorSize)) return false;
    width = image.width;
    height = image.height;
    png_image_free(&image);
    return true;
}

bool decodePngInto(const uint8_t* data, uint32_t size, uint8_t* rgba, size_t capacity, char* error,
                   size_t errorSize) {
    if (decodePlainPng(data, size, rgba, capacity)) return true;
    png_image image;
    if (!beginRead(image, data, size, error, errorSize)) return false;
    image.format = PNG_FORMAT_RGBA;
    if (PNG_IMAGE_SIZE(image) > capacity) {
        png_image_free(&image);
        std::snprintf(error, errorSize, "a %ux%u image does not fit its %zu-byte buffer", image.width,
                      image.height, capacity);
        return false;
    }
    return finishRead(image, rgba, error, errorSize);
}

bool writePng(FILE* file, uint32_t width, uint32_t height, const uint8_t* rgba) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_stdio(&image, file, 0, rgba, 0, nullptr) != 0;
}
