// png_io.cpp - libpng's simplified API, decoding to RGBA8 and writing RGBA8.
#include "render/png_io.h"

#include <cstdlib>
#include <cstring>
#include <png.h>

bool decodePng(const uint8_t* data, uint32_t size, DecodedImage& out, char* error, size_t errorSize) {
    out = DecodedImage{};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        std::snprintf(error, errorSize, "%s", image.message);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    uint8_t* pixels = (uint8_t*)std::malloc(PNG_IMAGE_SIZE(image));
    if (!pixels) {
        png_image_free(&image);
        std::snprintf(error, errorSize, "out of memory for a %ux%u image", image.width, image.height);
        return false;
    }
    if (!png_image_finish_read(&image, nullptr, pixels, 0, nullptr)) {
        std::snprintf(error, errorSize, "%s", image.message);
        std::free(pixels);
        return false;
    }
    out.width = image.width;
    out.height = image.height;
    out.rgba = pixels;
    return true;
}

void freeDecodedImage(DecodedImage& image) {
    std::free(image.rgba);
    image = DecodedImage{};
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
