// png_plain.h - the quick way through a plain PNG: 8-bit RGB or RGBA, not interlaced, nothing but its
// IHDR, IDAT and IEND chunks, every CRC right (the kind the image generator writes). libdeflate
// inflates all of the image data in one call, into the end of the caller's buffer, and each row is
// unfiltered and widened to RGBA8 from there. Any other file, and any fault met on the way, is
// declined: the caller then decodes it with libpng, whose pixels and messages stand.
//
//     if (!decodePlainPng(data, size, rgba, capacity)) decodeWithLibpng(...);
#pragma once

#include <cstddef>
#include <cstdint>

// The buffer bytes decodePlainPng needs for a width x height image: the RGBA8 pixels and, for an
// RGBA file, the one filter byte each row has on top.
size_t plainPngCapacity(uint32_t width, uint32_t height);

// True with `rgba` holding the width x height x 4 bytes of the image (rows top first); false when the
// file is not plain or not sound, with `rgba` left in any state.
bool decodePlainPng(const uint8_t* data, uint32_t size, uint8_t* rgba, size_t capacity);
