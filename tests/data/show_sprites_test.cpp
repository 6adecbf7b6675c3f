// show_sprites_test.cpp - the show's sprites, frame by frame through every scene: what a sprite draws
// (the part of its image that is not transparent) never sits still across an edge of the frame. A
// sprite may slide in or out over an edge, but one that rests there reads as a fault: a sliver of a
// panel, a line of text cut off.
//
// The oracle is the sprite's placement worked out here from the record alone, as the renderer draws
// it: half sizes from the image's pixel size, the scale and the source rectangle, x scaled by the
// screen's height / width, the picture turned about its centre, and the image's own opaque box
// found by decoding the embedded PNG.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "data/images.h"
#include "data/scene_data.h"
#include "director/demo_clock.h"
#include "director/show_step.h"
#include "render/png_io.h"
#include "tests/director/graph_fixture.h"

namespace {

constexpr float kAspect = 1280.0f / 720.0f;
constexpr float kAlphaSeen = 32.0f / 255.0f; // texels fainter than this (glows, soft edges) don't count
constexpr int kRestFrames = 12;              // still this long across an edge: parked

struct Box {
    float x0, y0, x1, y1;
};

struct ImageBox {
    float width = 0, height = 0;
    Box opaque = {1, 1, 0, 0}; // in texture coordinates; empty when x0 > x1
};

// The pixel size of every embedded image and the box around its texels that are seen.
const ImageBox* imageBoxes() {
    static ImageBox boxes[kEmbeddedImageCount];
    static bool ready = false;
    if (ready) return boxes;
    for (int i = 0; i < kEmbeddedImageCount; ++i) {
        DecodedImage image = {};
        char error[256];
        if (!decodePng(embeddedImages[i].data, embeddedImages[i].size, image, error, sizeof error)) {
            ADD_FAILURE() << "image " << i << ": " << error;
            continue;
        }
        ImageBox& b = boxes[i];
        b.width = static_cast<float>(image.width);
        b.height = static_cast<float>(image.height);
        for (uint32_t y = 0; y < image.height; ++y) {
            for (uint32_t x = 0; x < image.width; ++x) {
                if (image.rgba[(y * image.width + x) * 4 + 3] < kAlphaSeen * 255) continue;
                b.opaque.x0 = std::min(b.opaque.x0, x / b.width);
                b.opaque.y0 = std::min(b.opaque.y0, y / b.height);
                b.opaque.x1 = std::max(b.opaque.x1, (x + 1) / b.width);
                b.opaque.y1 = std::max(b.opaque.y1, (y + 1) / b.height);
            }
        }
        freeDecodedImage(image);
    }
    ready = true;
    return boxes;
}

// The box, in clip space (x and y in -1..1 across the frame, y up), around what sprite `s` draws;
// false when it draws nothing that is seen.
bool drawnBox(const SpriteRecord& s, Box& out) {
    if (s.texture < 0 || s.texture >= kEmbeddedImageCount || s.alpha < kAlphaSeen) return false;
    const ImageBox& image = imageBoxes()[s.texture];
    const float uA = s.srcRect[0], vA = s.srcRect[1], uB = s.srcRect[2], vB = s.srcRect[3];
    const float u0 = std::max(image.opaque.x0, std::min(uA, uB)),
                u1 = std::min(image.opaque.x1, std::max(uA, uB));
    const float v0 = std::max(image.opaque.y0, std::min(vA, vB)),
                v1 = std::min(image.opaque.y1, std::max(vA, vB));
    if (u0 >= u1 || v0 >= v1 || uA == uB || vA == vB) return false;
    // half sizes in screen fractions, then in clip space (x in units of the height)
    const float a = image.width * s.scale[0] * (uB - uA) / 1280.0f;
    const float b = image.height * s.scale[1] * (vB - vA) / 720.0f;
    const float k = 1.0f / kAspect;
    const float cx = (2 * s.centre[0] - 1) * k, cy = -(2 * s.centre[1] - 1);
    const float hw = 2 * a * k, hh = 2 * b;
    const float c = std::cos(s.rotation), sn = std::sin(s.rotation);
    out = {1e9f, 1e9f, -1e9f, -1e9f};
    for (float u : {u0, u1}) {
        for (float v : {v0, v1}) {
            const float px = hw * (2 * (u - uA) / (uB - uA) - 1), py = -hh * (2 * (v - vA) / (vB - vA) - 1);
            const float x = cx + px * c - py * sn, y = cy + px * sn + py * c;
            out = {std::min(out.x0, x), std::min(out.y0, y), std::max(out.x1, x), std::max(out.y1, y)};
        }
    }
    return true;
}

// Partly inside the frame and partly outside it.
bool acrossAnEdge(const Box& b) {
    const bool inside = b.x0 >= -1 && b.x1 <= 1 && b.y0 >= -1 && b.y1 <= 1;
    const bool outside = b.x1 <= -1 || b.x0 >= 1 || b.y1 <= -1 || b.y0 >= 1;
    return !inside && !outside;
}

bool samePlace(const SpriteRecord& a, const SpriteRecord& b) {
    return a.texture == b.texture && a.centre[0] == b.centre[0] && a.centre[1] == b.centre[1] &&
           a.scale[0] == b.scale[0] && a.scale[1] == b.scale[1] && a.rotation == b.rotation &&
           std::equal(a.srcRect, a.srcRect + 4, b.srcRect);
}

} // namespace

// The oracle itself, on records whose placement is known by hand.
TEST(ShowSprites, DrawnBoxFollowsTheRenderersPlacement) {
    // the zig-zag band (opaque to its edges) at the centre, unscaled: 2 x 1024 px across a 1280 x 720
    // frame in clip units of the height
    SpriteRecord s = {{0, 0, 1, 1}, {0.5f, 0.5f}, {0.2f, 0.115f}, 0, kImgZigzagBand, 1, 1, 0};
    Box b;
    ASSERT_TRUE(drawnBox(s, b));
    const ImageBox& image = imageBoxes()[kImgZigzagBand];
    EXPECT_NEAR(b.x1 - b.x0, 4 * image.width * 0.2f / 1280 / kAspect * (image.opaque.x1 - image.opaque.x0),
                1e-4);
    EXPECT_NEAR(b.y1 - b.y0, 4 * image.height * 0.115f / 720 * (image.opaque.y1 - image.opaque.y0), 1e-4);
    EXPECT_FALSE(acrossAnEdge(b));
    s.centre[0] = 1.5f; // parked at the right edge, as the band once was
    ASSERT_TRUE(drawnBox(s, b));
    EXPECT_TRUE(acrossAnEdge(b));
    s.rotation = 1.5707964f; // a quarter turn swaps the box's sides
    Box turned;
    ASSERT_TRUE(drawnBox(s, turned));
    EXPECT_NEAR(turned.x1 - turned.x0, b.y1 - b.y0, 1e-4);
    s.alpha = 0; // faded out: draws nothing
    EXPECT_FALSE(drawnBox(s, b));
}

TEST(ShowSprites, NothingRestsAcrossAnEdgeOfTheFrame) {
    resetDirectorForTest();
    allocDirectorTables();
    convertSceneData(sceneTable, embeddedTracks);
    int32_t start = 0;
    for (int scene = 0; scene < kSceneCount; ++scene) {
        const int32_t duration = sceneTable.scenes[scene].duration;
        SpriteRecord before[kSpriteCapacity] = {};
        int resting[kSpriteCapacity] = {};
        uint32_t countBefore = 0;
        for (int32_t f = 0; f < duration; ++f) {
            evaluateFrame(demoClockAtFrame(start + f, sceneTable), kAspect);
            for (uint32_t i = 0; i < spriteList.count; ++i) {
                const SpriteRecord& s = spriteList.records[i];
                Box b;
                const bool still = i < countBefore && samePlace(s, before[i]);
                resting[i] = drawnBox(s, b) && acrossAnEdge(b) && still ? resting[i] + 1 : 0;
                EXPECT_LT(resting[i], kRestFrames)
                    << "scene " << scene << " frame " << f << " sprite " << i << " (image " << s.texture
                    << ") rests across an edge: x " << b.x0 << ".." << b.x1 << ", y " << b.y0 << ".." << b.y1;
                if (resting[i] >= kRestFrames) resting[i] = -duration; // one report per rest
                before[i] = s;
            }
            countBefore = spriteList.count;
            endFrameOutputs(frameSettings, &lineList);
        }
        start += duration;
    }
}
