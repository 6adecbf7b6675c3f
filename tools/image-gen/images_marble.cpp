// images_marble.cpp - image 21: dark brown marble tiles, a 512 x 512 palette image.
//
// Every pixel is a shade along one brown ramp (dark ground, warm clouds, pale veins), so a
// 256-colour palette of that ramp holds the image without loss of character.
#include <cmath>

#include "tools/image-gen/images.h"

static Color rampColor(float t) {
    static const Color stops[5] = {rgb8(20, 11, 7), rgb8(58, 33, 20), rgb8(96, 60, 38), rgb8(170, 128, 88),
                                   rgb8(236, 212, 176)};
    static const float at[5] = {0.0f, 0.3f, 0.58f, 0.82f, 1.0f};
    for (int k = 0; k < 4; k++)
        if (t <= at[k + 1]) return mixColor(stops[k], stops[k + 1], (t - at[k]) / (at[k + 1] - at[k]));
    return stops[4];
}

// Brightness 0..1 of the marble at (x, y) within tile (i, j).
static float marbleValue(float x, float y, int i, int j) {
    uint32_t seed = 100 + i * 4 + j;
    float angle = 0.5f + 2.4f * hash2(i, j, 21);
    float u = x * std::cos(angle) + y * std::sin(angle);
    float turb = fbm(x / 70.0f, y / 70.0f, 5, seed);
    float vein = 1.0f - std::fabs(std::sin(u / 23.0f + turb * 9.0f));
    vein = std::pow(vein, 10.0f);
    float fine = std::pow(1.0f - std::fabs(std::sin(u / 9.0f + turb * 15.0f + 1.7f)), 24.0f);
    float cloud = fbm(x / 38.0f + 9, y / 38.0f, 4, seed + 50);
    return 0.2f + 0.32f * cloud + 0.55f * vein + 0.2f * fine;
}

GeneratedImage drawMarble() {
    const int size = 512, tiles = 4, tile = size / tiles, grout = 3;
    GeneratedImage img{size, size, kPngPalette, {}, {}};
    for (int k = 0; k < 256; k++) {
        Color c = rampColor(k / 255.0f);
        img.palette.push_back(static_cast<uint8_t>(std::lround(c.r * 255)));
        img.palette.push_back(static_cast<uint8_t>(std::lround(c.g * 255)));
        img.palette.push_back(static_cast<uint8_t>(std::lround(c.b * 255)));
    }
    img.pixels.resize(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            int i = x / tile, j = y / tile, lx = x % tile, ly = y % tile;
            float v;
            if (lx < grout || ly < grout) {
                v = 0.04f + 0.03f * hash2(x, y, 7);
            } else {
                v = marbleValue(static_cast<float>(x), static_cast<float>(y), i, j);
                // polished tile edges: lit along the top and left, shaded along the bottom and right
                if (lx < grout + 3 || ly < grout + 3) v += 0.1f;
                if (lx >= tile - 3 || ly >= tile - 3) v -= 0.08f;
            }
            v = std::fmin(std::fmax(v, 0.0f), 1.0f);
            img.pixels[static_cast<size_t>(y) * size + x] = static_cast<uint8_t>(std::lround(v * 255.0f));
        }
    return img;
}
