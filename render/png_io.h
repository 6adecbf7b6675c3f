// png_io.h - PNG decoding (every colour type, to RGBA8) and writing (RGBA8). Plain 8-bit RGB and RGBA
// files decode the quick way (png_plain.h), everything else, and every error message, through libpng.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct DecodedImage {
    uint32_t width;
    uint32_t height;
    uint8_t* rgba; // width x height x 4 bytes, rows top first; release with freeDecodedImage
};

// Decodes a PNG file held in memory. On failure returns false with the reason in `error`.
bool decodePng(const uint8_t* data, uint32_t size, DecodedImage& out, char* error, size_t errorSize);
void freeDecodedImage(DecodedImage& image);

// Reads only the header: the image's size.
bool readPngSize(const uint8_t* data, uint32_t size, uint32_t& width, uint32_t& height, char* error,
                 size_t errorSize);
// Decodes into `rgba`, a buffer of `capacity` bytes that must hold width x height x 4 of them;
// plainPngCapacity(width, height) bytes let a plain file take the quick way.
bool decodePngInto(const uint8_t* data, uint32_t size, uint8_t* rgba, size_t capacity, char* error,
                   size_t errorSize);

// Writes an RGBA8 image (rows top first) as a PNG to an open file; false on a libpng or write error.
bool writePng(FILE* file, uint32_t width, uint32_t height, const uint8_t* rgba);
