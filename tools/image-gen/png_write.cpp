// png_write.cpp - libpng encoding into memory and atomic file output.
#include "tools/image-gen/png_write.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

static void appendBytes(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

static void noFlush(png_structp) {}

bool encodePng(const GeneratedImage& img, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        error = "libpng could not start an encoder";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "libpng failed while encoding";
        return false;
    }
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, img.width, img.height, 8, img.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    if (img.colorType == kPngPalette) {
        for (size_t k = 0; k + 2 < img.palette.size(); k += 3)
            palette.push_back({img.palette[k], img.palette[k + 1], img.palette[k + 2]});
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    png_write_info(png, info);
    size_t stride = img.pixels.size() / img.height;
    for (int y = 0; y < img.height; y++)
        png_write_row(png, const_cast<png_bytep>(img.pixels.data() + y * stride));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
