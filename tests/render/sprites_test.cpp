// sprites_test.cpp - sprite order, orientation, placement and blend states.
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "render/sprites.h"
#include "render/textures.h"
#include "tests/render/render_fixture.h"

namespace {

constexpr int kSplitTexture = 40; // 8 x 8: top half red, bottom half blue
constexpr int kRedTexture = 41;   // 8 x 8 red
constexpr int kBlueTexture = 42;  // 8 x 8 blue
// 8 x 8, columns in pairs: opaque red, transparent green, blue at alpha 127, blue at alpha 128.
constexpr int kCoverageTexture = 43;

void makeTestTextures() {
    static bool made = false;
    if (made) return;
    testDevice();
    std::vector<uint8_t> split(8 * 8 * 4), red(8 * 8 * 4), blue(8 * 8 * 4);
    for (int i = 0; i < 64; ++i) {
        bool top = i < 32;
        uint8_t s[4] = {(uint8_t)(top ? 255 : 0), 0, (uint8_t)(top ? 0 : 255), 255};
        std::copy(s, s + 4, &split[i * 4]);
        uint8_t r[4] = {255, 0, 0, 255}, b[4] = {0, 0, 255, 255};
        std::copy(r, r + 4, &red[i * 4]);
        std::copy(b, b + 4, &blue[i * 4]);
    }
    uploadTexture(textures[kSplitTexture], 8, 8, split.data());
    uploadTexture(textures[kRedTexture], 8, 8, red.data());
    uploadTexture(textures[kBlueTexture], 8, 8, blue.data());
    std::vector<uint8_t> coverage(8 * 8 * 4);
    const uint8_t columns[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 0}, {0, 0, 255, 127}, {0, 0, 255, 128}};
    for (int i = 0; i < 64; ++i) std::copy(columns[(i % 8) / 2], columns[(i % 8) / 2] + 4, &coverage[i * 4]);
    uploadTexture(textures[kCoverageTexture], 8, 8, coverage.data());
    made = true;
}

SpriteRecord centredSprite(int texture, float rotation, int blend, float alpha, float key) {
    return SpriteRecord{{0, 0, 1, 1}, {0.5f, 0.5f}, {1, 1}, rotation, texture, blend, alpha, key};
}

std::vector<uint8_t> drawSprites(std::initializer_list<SpriteRecord> sprites) {
    makeTestTextures();
    TestFrame& f = *newTestFrame();
    for (const SpriteRecord& s : sprites) f.sprites.records[f.sprites.count++] = s;
    return renderAndRead(f);
}

} // namespace

TEST(Sprites, SortIsAscendingByKey) {
    std::mt19937 random(7);
    for (uint32_t count : {0u, 1u, 2u, 3u, 17u, 64u}) {
        SpriteRecord sprites[64];
        for (uint32_t i = 0; i < count; ++i) {
            sprites[i] = centredSprite(0, 0, 0, 1, (float)(random() % 9) - 4.0f);
            sprites[i].alpha = (float)i; // identifies the record
        }
        sortSprites(sprites, count);
        std::vector<bool> seen(count, false);
        for (uint32_t i = 0; i < count; ++i) {
            if (i > 0) {
                EXPECT_LE(sprites[i - 1].key, sprites[i].key);
            }
            seen[(size_t)sprites[i].alpha] = true;
        }
        EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool b) { return b; })) << count;
    }
    SpriteRecord two[2] = {centredSprite(0, 0, 0, 1, 1.0f), centredSprite(0, 0, 0, 2, -0.009949f)};
    sortSprites(two, 2);
    EXPECT_EQ(two[0].key, -0.009949f);
}

TEST(Sprites, RotationZeroIsUprightAndPiUpsideDown) {
    std::vector<uint8_t> upright = drawSprites({centredSprite(kSplitTexture, 0.0f, 0, 1.0f, 0)});
    EXPECT_TRUE(near(pixelAt(upright, 32, 12), Rgba{255, 0, 0, 255}, 2));
    EXPECT_TRUE(near(pixelAt(upright, 32, 24), Rgba{0, 0, 255, 255}, 2));
    std::vector<uint8_t> flipped = drawSprites({centredSprite(kSplitTexture, 3.14159265f, 0, 1.0f, 0)});
    EXPECT_TRUE(near(pixelAt(flipped, 32, 12), Rgba{0, 0, 255, 255}, 2));
    EXPECT_TRUE(near(pixelAt(flipped, 32, 24), Rgba{255, 0, 0, 255}, 2));
}

TEST(Sprites, PlacementScalesAcrossByHeightOverWidth) {
    // 8 x 8 texture at scale 1 on 64 x 36: half-extents a = 8/64, b = 8/36 of the screen, and the
    // width is scaled by 36/64: 2 * 36 * 8 / 64 = 9 pixels across, 16 pixels down.
    std::vector<uint8_t> image = drawSprites({centredSprite(kRedTexture, 0.0f, 0, 1.0f, 0)});
    int across = 0, down = 0;
    for (int x = 0; x < kTestWidth; ++x) across += near(pixelAt(image, x, 18), Rgba{255, 0, 0, 255}, 2);
    for (int y = 0; y < kTestHeight; ++y) down += near(pixelAt(image, 32, y), Rgba{255, 0, 0, 255}, 2);
    EXPECT_NEAR(across, 9, 1);
    EXPECT_NEAR(down, 16, 1);

    // Measured against a picture twice the size (a small render standing in for the show's), the
    // sprite keeps its share of the picture: half as many pixels each way.
    RenderDevice& dev = testDevice();
    dev.spriteWidth = 2 * kTestWidth;
    dev.spriteHeight = 2 * kTestHeight;
    image = drawSprites({centredSprite(kRedTexture, 0.0f, 0, 1.0f, 0)});
    dev.spriteWidth = dev.spriteHeight = 0;
    across = down = 0;
    for (int x = 0; x < kTestWidth; ++x) across += near(pixelAt(image, x, 18), Rgba{255, 0, 0, 255}, 2);
    for (int y = 0; y < kTestHeight; ++y) down += near(pixelAt(image, 32, y), Rgba{255, 0, 0, 255}, 2);
    EXPECT_NEAR(across, 4.5, 1);
    EXPECT_NEAR(down, 8, 1);
}

TEST(Sprites, LaterKeysCoverEarlierOnesAndUnknownBlendIsOpaque) {
    // Red has the larger key, so it is drawn last and covers blue whatever the list order.
    std::vector<uint8_t> image = drawSprites(
        {centredSprite(kRedTexture, 0.0f, 0, 1.0f, 1.0f), centredSprite(kBlueTexture, 0.0f, 0, 1.0f, 0.0f)});
    EXPECT_TRUE(near(pixelAt(image, 32, 18), Rgba{255, 0, 0, 255}, 2));

    std::vector<uint8_t> opaque = drawSprites({centredSprite(kRedTexture, 0.0f, 0, 0.5f, 0)});
    std::vector<uint8_t> unknown = drawSprites({centredSprite(kRedTexture, 0.0f, 5, 0.5f, 0)});
    std::vector<uint8_t> alpha = drawSprites({centredSprite(kRedTexture, 0.0f, 1, 0.5f, 0)});
    EXPECT_TRUE(near(pixelAt(opaque, 32, 18), Rgba{128, 0, 0, 128}, 2));
    EXPECT_TRUE(near(pixelAt(unknown, 32, 18), pixelAt(opaque, 32, 18), 0));
    EXPECT_TRUE(near(pixelAt(alpha, 32, 18),
                     bytesOf(0.25f + 0.5f * 30 / 255, 0.5f * 65 / 255, 0.5f * 90 / 255, 0.5f), 2));
}

TEST(Sprites, SpritesCoverTheScene) {
    makeTestTextures();
    TestFrame& f = *newTestFrame();
    DrawRecord near_strip = cubeRecord(12, 12, 0, 0, 4.9f); // julia strip at a very near depth
    near_strip.mesh = -1;
    near_strip.options[0] = Float4{0, 1, 0, 1};
    f.opaque.records[f.opaque.count++] = near_strip;
    f.sprites.records[f.sprites.count++] = centredSprite(kRedTexture, 0.0f, 0, 1.0f, 0);
    std::vector<uint8_t> image = renderAndRead(f);
    EXPECT_TRUE(near(pixelAt(image, 32, 18), Rgba{255, 0, 0, 255}, 2));
    EXPECT_TRUE(near(pixelAt(image, 2, 2), Rgba{0, 255, 0, 255}, 2));
}

// Equal keys come out in the order the first-element-pivot partition leaves them, worked by hand.
TEST(Sprites, SortPartitionsAroundTheFirstKey) {
    auto order = [](std::initializer_list<float> keys) {
        SpriteRecord sprites[8];
        uint32_t n = 0;
        for (float key : keys) {
            sprites[n] = centredSprite(0, 0, 0, (float)n, key);
            ++n;
        }
        sortSprites(sprites, n);
        std::vector<int> ids;
        for (uint32_t i = 0; i < n; ++i) ids.push_back((int)sprites[i].alpha);
        return ids;
    };
    EXPECT_EQ(order({2, 1, 2}), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(order({3, 3, 1, 3}), (std::vector<int>{2, 1, 3, 0}));
    EXPECT_EQ(order({2, 3, 1, 2}), (std::vector<int>{2, 3, 0, 1}));
}

// A quarter turn is counter-clockwise on screen: the texture's top (red) goes to the left. The turn
// happens in clip space, so the 9 x 16 pixel sprite becomes a bar about 28 x 5 pixels.
TEST(Sprites, PositiveRotationTurnsCounterClockwise) {
    std::vector<uint8_t> left = drawSprites({centredSprite(kSplitTexture, 1.5707964f, 0, 1.0f, 0)});
    EXPECT_TRUE(near(pixelAt(left, 32 - 8, 18), Rgba{255, 0, 0, 255}, 2));
    EXPECT_TRUE(near(pixelAt(left, 32 + 8, 18), Rgba{0, 0, 255, 255}, 2));
    EXPECT_FALSE(near(pixelAt(left, 32, 18 - 6), Rgba{255, 0, 0, 255}, 2)); // only 5 pixels high
    std::vector<uint8_t> right = drawSprites({centredSprite(kSplitTexture, -1.5707964f, 0, 1.0f, 0)});
    EXPECT_TRUE(near(pixelAt(right, 32 - 8, 18), Rgba{0, 0, 255, 255}, 2));
    EXPECT_TRUE(near(pixelAt(right, 32 + 8, 18), Rgba{255, 0, 0, 255}, 2));
}

// The additive blend asks for alpha to coverage, which on a one-sample target draws nothing where
// alpha is below one half: those texels leave the scene untouched even when they carry a colour,
// the others add. Opaque and alpha-blended sprites still draw every texel.
TEST(Sprites, AdditiveSpritesSkipTexelsBelowHalfAlpha) {
    // Scale (4, 2): 36 x 32 pixels from x = 14, each pair of texel columns 9 pixels wide.
    SpriteRecord sprite = centredSprite(kCoverageTexture, 0.0f, 2, 1.0f, 0);
    sprite.scale[0] = 4.0f;
    sprite.scale[1] = 2.0f;
    const int columnX[4] = {18, 27, 36, 45};
    const Rgba clear = bytesOf(30 / 255.0f, 65 / 255.0f, 90 / 255.0f, 1);
    std::vector<uint8_t> additive = drawSprites({sprite});
    auto rgb = [&](const std::vector<uint8_t>& image, int column) {
        Rgba p = pixelAt(image, columnX[column], 18);
        return Rgba{p.r, p.g, p.b, 0};
    };
    EXPECT_TRUE(near(rgb(additive, 0), Rgba{255, clear.g, clear.b, 0}, 1));     // red added
    EXPECT_TRUE(near(rgb(additive, 1), Rgba{clear.r, clear.g, clear.b, 0}, 0)); // green alpha 0: nothing
    EXPECT_TRUE(near(rgb(additive, 2), Rgba{clear.r, clear.g, clear.b, 0}, 0)); // alpha 127: nothing
    EXPECT_TRUE(near(rgb(additive, 3), Rgba{clear.r, clear.g, 255, 0}, 1));     // alpha 128: blue added
    EXPECT_TRUE(near(pixelAt(additive, 8, 18), clear, 0));                      // outside the sprite

    sprite.blend = 0; // opaque: the transparent texels' colour shows
    std::vector<uint8_t> opaque = drawSprites({sprite});
    EXPECT_TRUE(near(rgb(opaque, 1), Rgba{0, 255, 0, 0}, 1));
    EXPECT_TRUE(near(rgb(opaque, 2), Rgba{0, 0, 255, 0}, 1));
    sprite.blend = 1; // alpha blending: alpha 127 mixes half and half
    std::vector<uint8_t> alpha = drawSprites({sprite});
    const float a = 127 / 255.0f;
    EXPECT_TRUE(near(
        rgb(alpha, 2),
        bytesOf((1 - a) * clear.r / 255.0f, (1 - a) * clear.g / 255.0f, a + (1 - a) * clear.b / 255.0f, 0),
        1));
}
