// images.h - the show's 31 PNG images, embedded in the executable at build time.
//
// `embeddedImages[i]` points at the complete PNG file of image i (signature to IEND chunk) in
// read-only data. The renderer decodes them once at start-up; nothing reads them from disk.
//
//     const EmbeddedImage& img = embeddedImages[12];
//     decodePng(img.data, img.size);
#pragma once

#include <cstdint>

inline constexpr int kEmbeddedImageCount = 31;

struct EmbeddedImage {
    uint32_t reserved;   // always 0, not read
    uint32_t size;       // byte length of the PNG file
    const uint8_t* data; // first byte of the PNG file
};

extern const EmbeddedImage embeddedImages[kEmbeddedImageCount];
