// png_write.h - PNG encoding for the image generator: 8 bits per channel, not interlaced, no time or
// text chunks, fixed compression settings, so the same pixels always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/image-gen/images.h"

// Encodes `img` into `out`; returns false with a reason in `error` on failure.
bool encodePng(const GeneratedImage& img, std::vector<uint8_t>& out, std::string& error);
