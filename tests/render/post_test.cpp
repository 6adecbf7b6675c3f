// post_test.cpp - transitions, motion blur, depth of field, bloom and FXAA in the composite; each post
// effect's switch against its record.
#include <cmath>
#include <cstdlib>
#include <glm/glm.hpp>
#include <gtest/gtest.h>
#include <vector>

#include "render/post.h"
#include "render/post_effects.h"
#include "tests/render/render_fixture.h"

namespace {

const float kClear[3] = {30 / 255.0f, 65 / 255.0f, 90 / 255.0f};

bool sameRgb(Rgba a, Rgba b, int tolerance) {
    return near(Rgba{a.r, a.g, a.b, 0}, Rgba{b.r, b.g, b.b, 0}, tolerance);
}

// Every 4th pixel of the image has this colour (rgb only).
void expectEverywhere(const std::vector<uint8_t>& image, Rgba colour, int tolerance) {
    for (int y = 0; y < kTestHeight; y += 4)
        for (int x = 0; x < kTestWidth; x += 4) {
            Rgba p = pixelAt(image, x, y);
            ASSERT_TRUE(sameRgb(p, colour, tolerance))
                << "at " << x << "," << y << ": " << p.r << " " << p.g << " " << p.b;
        }
}

std::vector<uint8_t> transitionFrame(int type, float factor) {
    TestFrame& f = *newTestFrame();
    f.settings.transitionType = type;
    f.settings.transitionFactor = factor;
    return renderAndRead(f);
}

// A white cube in the middle of the frame (flat shaded), as the only opaque object.
void addWhiteCube(TestFrame& f) {
    DrawRecord cube = cubeRecord(9, 9, 0, 0, 0);
    cube.options[0] = Float4{1, 1, 1, 1};
    f.opaque.records[f.opaque.count++] = cube;
}

} // namespace

TEST(Post, TransitionsFadeAndCircle) {
    Rgba clear = bytesOf(kClear[0], kClear[1], kClear[2], 1);
    expectEverywhere(transitionFrame(1, 0.0f), Rgba{0, 0, 0, 0}, 0); // fade from black
    expectEverywhere(transitionFrame(1, 0.5f), bytesOf(kClear[0] / 2, kClear[1] / 2, kClear[2] / 2, 1), 1);
    expectEverywhere(transitionFrame(2, 0.0f), Rgba{255, 255, 255, 0}, 0); // fade from white
    expectEverywhere(transitionFrame(2, 1.0f), clear, 1);
    expectEverywhere(transitionFrame(3, 1.0f), clear, 1); // the 16:9 corners lie inside 1.18
    expectEverywhere(transitionFrame(3, 0.0f), Rgba{0, 0, 0, 0}, 0);
    expectEverywhere(transitionFrame(0, 0.0f), clear, 1);
    expectEverywhere(transitionFrame(4, 0.0f), clear, 1);

    std::vector<uint8_t> half = transitionFrame(3, 0.5f); // a circle of 0.59 half-widths
    EXPECT_TRUE(sameRgb(pixelAt(half, 32, 18), clear, 1));
    EXPECT_TRUE(sameRgb(pixelAt(half, 32 + 16, 18), clear, 1));
    EXPECT_TRUE(sameRgb(pixelAt(half, 32 + 20, 18), Rgba{0, 0, 0, 0}, 0));
    EXPECT_TRUE(sameRgb(pixelAt(half, 32, 18 + 17), clear, 1));
    EXPECT_TRUE(sameRgb(pixelAt(half, 0, 0), Rgba{0, 0, 0, 0}, 0));
}

TEST(Post, MotionBlurWithNothingMovingDarkensToNinetyPercent) {
    TestFrame& f = *newTestFrame();
    addWhiteCube(f);
    f.settings.isBlur = 1;
    f.settings.blurJumpThreshold = 100.0f;
    std::vector<uint8_t> image = renderAndRead(f);
    EXPECT_TRUE(
        sameRgb(pixelAt(image, 2, 2), bytesOf(0.9f * kClear[0], 0.9f * kClear[1], 0.9f * kClear[2], 1), 1));
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 18), bytesOf(0.9f, 0.9f, 0.9f, 1), 1));
    EXPECT_EQ(pixelAt(image, 2, 2).a, 255);
}

TEST(Post, MotionBlurSmearsAMovingObject) {
    TestFrame& f = *newTestFrame();
    addWhiteCube(f);
    f.opaque.records[0].prevPosition[0] = -1.0f; // moved one unit to the right since the last frame
    f.settings.isBlur = 1;
    f.settings.blurJumpThreshold = 100.0f;
    std::vector<uint8_t> image = renderAndRead(f);
    std::vector<float> velocity(kTestWidth * kTestHeight * 4);
    readTarget(testDevice().velocityDepth, velocity.data());
    float vx = velocity[(18 * kTestWidth + 32) * 4];
    EXPECT_GT(vx, 0.0f); // moving right in texture units
    // Left of the cube the trailing faces stay behind: the swept area is covered and smeared.
    Rgba left = pixelAt(image, 26, 18);
    EXPECT_GT(left.r, (int)(0.9f * 255 * kClear[0]) + 5);
}

TEST(Post, DepthOfFieldAtTheFocusDepthStaysSharp) {
    TestFrame& f = *newTestFrame();
    addWhiteCube(f);
    f.settings.isRenderDof = 1;
    f.settings.dofFocus = 1.0f; // the background's depth
    std::vector<uint8_t> sharp = renderAndRead(f);
    Rgba clear = bytesOf(kClear[0], kClear[1], kClear[2], 1);
    EXPECT_TRUE(sameRgb(pixelAt(sharp, 38, 18), clear, 1)); // just right of the cube
    EXPECT_TRUE(sameRgb(pixelAt(sharp, 2, 2), clear, 1));

    f = *newTestFrame();
    addWhiteCube(f);
    f.settings.isRenderDof = 1;
    f.settings.dofFocus = 0.0f; // far from every depth: the blurred scene
    std::vector<uint8_t> blurred = renderAndRead(f);
    EXPECT_GT(pixelAt(blurred, 38, 18).r, clear.r + 20); // the white cube bleeds over the edge
    EXPECT_TRUE(sameRgb(pixelAt(blurred, 2, 2), clear, 2));
}

TEST(Post, BloomAddsTheBloomColourWhereTheSceneIsBright) {
    TestFrame& f = *newTestFrame();
    f.settings.clearColor = Float4{0.8f, 0.8f, 0.8f, 1.0f};
    // The highlight pass reads the scene's mip chain, which the composite refreshes: two frames.
    for (int frame = 0; frame < 2; ++frame) {
        f.settings.clearColor = Float4{0.8f, 0.8f, 0.8f, 1.0f};
        f.settings.isRenderBloom = 1;
        f.settings.bloomThrethold = 0.5f;
        f.settings.bloomColor = 0.1f;
        f.settings.bloomDispersion = 0.1f;
        renderAndRead(f);
    }
    f.settings.clearColor = Float4{0.8f, 0.8f, 0.8f, 1.0f};
    f.settings.isRenderBloom = 1;
    std::vector<uint8_t> image = renderAndRead(f);
    expectEverywhere(image, bytesOf(0.9f, 0.9f, 0.9f, 1), 2);

    f.settings.clearColor = Float4{0.8f, 0.8f, 0.8f, 1.0f};
    f.settings.isRenderBloom = 1;
    f.settings.bloomThrethold = 0.85f; // nothing passes
    renderAndRead(f);
    f.settings.clearColor = Float4{0.8f, 0.8f, 0.8f, 1.0f};
    f.settings.isRenderBloom = 1;
    image = renderAndRead(f);
    expectEverywhere(image, bytesOf(0.8f, 0.8f, 0.8f, 1), 2);
}

TEST(Post, FxaaLeavesFlatAreasAlone) {
    RenderDevice& dev = testDevice();
    dev.antialias = true;
    TestFrame& f = *newTestFrame();
    addWhiteCube(f);
    std::vector<uint8_t> image = renderAndRead(f);
    dev.antialias = false;
    EXPECT_TRUE(sameRgb(pixelAt(image, 2, 2), bytesOf(kClear[0], kClear[1], kClear[2], 1), 1));
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 18), Rgba{255, 255, 255, 255}, 1));
    EXPECT_EQ(pixelAt(image, 2, 2).a, 255);

    // The pass keeps the image the right way up: a cube raised above the centre stays at the top.
    dev.antialias = true;
    f = *newTestFrame();
    addWhiteCube(f);
    f.opaque.records[0].position[1] = f.opaque.records[0].prevPosition[1] = 2.0f;
    image = renderAndRead(f);
    dev.antialias = false;
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 9), Rgba{255, 255, 255, 255}, 1));
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 27), bytesOf(kClear[0], kClear[1], kClear[2], 1), 1));
}

// One bright texel through the depth-of-field blur: 16 taps at odd offsets in each direction, so the
// texel itself and every even offset stay dark, and each odd (dx, dy) receives w(dx) x w(dy).
TEST(Post, GaussianBlurTapsOddOffsetsWithNormalisedWeights) {
    RenderDevice& dev = testDevice();
    const float zero[4] = {0, 0, 0, 0};
    const uint8_t white[4] = {255, 255, 255, 255};
    clearColor(dev, dev.sceneColor.framebuffer, zero);
    bindTextureForEdit(dev.sceneColor.texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 32, 18, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, white);
    gaussianBlur(dev, dev.sceneColor, dev.dofBlur, 0.1f);

    GaussFilterData b3 = {};
    readBuffer(dev.constantBuffers[kGaussSlot], sizeof b3, &b3);
    const float unnormalised[8] = {1, 0.670f, 0.202f, 0.0273f, 0.00166f, 4.5e-5f, 5.6e-7f, 3.1e-9f};
    float taps = 0.0f;
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(b3.gasWeight[i] / b3.gasWeight[0], unnormalised[i], unnormalised[i] * 0.01f) << i;
        taps += 2.0f * b3.gasWeight[i];
    }
    EXPECT_NEAR(taps, 1.0f, 1e-6f);
    EXPECT_EQ(b3.gasScale, 1.0f);

    std::vector<float> out(kTestWidth * kTestHeight * 4);
    readTarget(dev.dofBlur, out.data());
    auto at = [&](int dx, int dy) { return out[((18 + dy) * kTestWidth + 32 + dx) * 4]; };
    auto weight = [&](int d) { return d % 2 == 0 ? 0.0f : b3.gasWeight[(std::abs(d) - 1) / 2]; };
    for (int dy = -6; dy <= 6; ++dy)
        for (int dx = -6; dx <= 6; ++dx)
            EXPECT_NEAR(at(dx, dy), weight(dx) * weight(dy), 2e-3f) << dx << "," << dy;
    EXPECT_NEAR(at(1, 1), 0.0692f, 2e-3f);
}

namespace {

// Bilinear read of a wrapping RGBA float image at texture coordinate (u, v).
glm::vec3 bilinear(const std::vector<float>& image, float u, float v) {
    float x = u * kTestWidth - 0.5f, y = v * kTestHeight - 0.5f;
    int x0 = (int)std::floor(x), y0 = (int)std::floor(y);
    float fx = x - (float)x0, fy = y - (float)y0;
    auto texel = [&](int tx, int ty) {
        tx = ((tx % kTestWidth) + kTestWidth) % kTestWidth;
        ty = ((ty % kTestHeight) + kTestHeight) % kTestHeight;
        const float* p = &image[((size_t)ty * kTestWidth + tx) * 4];
        return glm::vec3(p[0], p[1], p[2]);
    };
    glm::vec3 top = glm::mix(texel(x0, y0), texel(x0 + 1, y0), fx);
    glm::vec3 bottom = glm::mix(texel(x0, y0 + 1), texel(x0 + 1, y0 + 1), fx);
    return glm::mix(top, bottom, fy);
}

float luma(glm::vec3 c) {
    return glm::dot(c, glm::vec3(0.299f, 0.587f, 0.114f));
}

// The antialiasing filter at pixel (px, py) of the composite image.
glm::vec3 fxaaAt(const std::vector<float>& in, int px, int py) {
    const float tw = 1.0f / kTestWidth, th = 1.0f / kTestHeight;
    glm::vec2 xy((px + 0.5f) * tw, (py + 0.5f) * th), zw = xy - glm::vec2(0.75f * tw, 0.75f * th);
    float nw = luma(bilinear(in, zw.x, zw.y)), ne = luma(bilinear(in, zw.x + tw, zw.y));
    float sw = luma(bilinear(in, zw.x, zw.y + th)), se = luma(bilinear(in, zw.x + tw, zw.y + th));
    float m = luma(bilinear(in, xy.x, xy.y));
    float lumaMin = std::fmin(m, std::fmin(std::fmin(nw, ne), std::fmin(sw, se)));
    float lumaMax = std::fmax(m, std::fmax(std::fmax(nw, ne), std::fmax(sw, se)));
    glm::vec2 dir(-((nw + ne) - (sw + se)), (nw + sw) - (ne + se));
    float reduce = std::fmax((nw + ne + sw + se) * 0.25f * (1.0f / 8.0f), 1.0f / 128.0f);
    dir = glm::clamp(dir / (std::fmin(std::fabs(dir.x), std::fabs(dir.y)) + reduce), -8.0f, 8.0f) *
          glm::vec2(tw, th);
    auto read = [&](glm::vec2 p) { return bilinear(in, p.x, p.y); };
    glm::vec3 a = 0.5f * (read(xy + dir * (1.0f / 3.0f - 0.5f)) + read(xy + dir * (2.0f / 3.0f - 0.5f)));
    glm::vec3 b = 0.5f * a + 0.25f * (read(xy - 0.5f * dir) + read(xy + 0.5f * dir));
    return (luma(b) < lumaMin || luma(b) > lumaMax) ? a : b;
}

} // namespace

// The antialiased frame against the filter computed from the composite image, at every pixel.
TEST(Post, FxaaMatchesTheFilterAtEveryPixel) {
    RenderDevice& dev = testDevice();
    dev.antialias = true;
    TestFrame& f = *newTestFrame();
    addWhiteCube(f);
    f.opaque.records[0].rotation[0] = f.opaque.records[0].prevRotation[0] = 0.5f; // slanted edges
    f.opaque.records[0].rotation[2] = f.opaque.records[0].prevRotation[2] = 0.3f;
    std::vector<uint8_t> image = renderAndRead(f);
    dev.antialias = false;
    std::vector<float> composite(kTestWidth * kTestHeight * 4);
    readTarget(dev.compositeColor, composite.data());

    int smoothed = 0;
    for (int y = 0; y < kTestHeight; ++y)
        for (int x = 0; x < kTestWidth; ++x) {
            glm::vec3 c = fxaaAt(composite, x, y);
            Rgba expected = bytesOf(c.r, c.g, c.b, 1.0f);
            ASSERT_TRUE(near(pixelAt(image, x, y), expected, 3))
                << x << "," << y << ": " << pixelAt(image, x, y).r << " for " << expected.r;
            const float* in = &composite[((size_t)y * kTestWidth + x) * 4];
            smoothed += !near(expected, bytesOf(in[0], in[1], in[2], 1.0f), 3);
        }
    EXPECT_GT(smoothed, 10); // the edges did change
}

// A grey cube on the right of a dark frame: the highlight pass halves the scene into the top-left
// quarter and the composite reads that quarter at uv / 2, so the bloom lands on the cube itself.
TEST(Post, BloomLandsWhereTheBrightPixelsAre) {
    TestFrame& f = *newTestFrame();
    std::vector<uint8_t> image;
    for (int frame = 0; frame < 2; ++frame) { // the highlight reads the mip chain of the last composite
        f.opaque.count = 0;
        DrawRecord cube = cubeRecord(9, 9, 2.5f, 0, 0); // pixels 39..47 across, 14..22 down
        cube.options[0] = Float4{0.6f, 0.6f, 0.6f, 1.0f};
        f.opaque.records[f.opaque.count++] = cube;
        f.settings.clearColor = Float4{0.1f, 0.1f, 0.1f, 1.0f};
        f.settings.isRenderBloom = 1;
        f.settings.bloomThrethold = 0.5f;
        f.settings.bloomColor = 0.2f;
        f.settings.bloomDispersion = 5.0f; // only the nearest taps (+-1 texel) carry weight
        image = renderAndRead(f);
    }
    EXPECT_TRUE(sameRgb(pixelAt(image, 43, 18), bytesOf(0.8f, 0.8f, 0.8f, 1), 2));
    EXPECT_TRUE(sameRgb(pixelAt(image, 20, 18), bytesOf(0.1f, 0.1f, 0.1f, 1), 2));
    EXPECT_TRUE(sameRgb(pixelAt(image, 43, 5), bytesOf(0.1f, 0.1f, 0.1f, 1), 2));
    EXPECT_TRUE(sameRgb(pixelAt(image, 60, 30), bytesOf(0.1f, 0.1f, 0.1f, 1), 2));
}

// A cube that moved by (1, 1) parallel to the screen at depth 4: every vertex of its front face moves
// by the same screen distance, so the pass writes one velocity there, half the clip-space move with y
// turned downwards, and the depth z / w of the face.
TEST(Post, VelocityIsHalfTheScreenMoveWithYDownAndDepthZOverW) {
    TestFrame& f = *newTestFrame();
    addWhiteCube(f);
    f.opaque.records[0].prevPosition[0] = -1.0f;
    f.opaque.records[0].prevPosition[1] = -1.0f;
    f.settings.isBlur = 1;
    f.settings.blurJumpThreshold = 100.0f;
    renderAndRead(f);
    std::vector<float> v(kTestWidth * kTestHeight * 4);
    readTarget(testDevice().velocityDepth, v.data());
    const float* centre = &v[(18 * kTestWidth + 32) * 4];
    const float aspect = (float)kTestWidth / kTestHeight;
    EXPECT_NEAR(centre[0], 0.5f * (1.0f / aspect) / 4.0f, 1e-3f);
    EXPECT_NEAR(centre[1], -0.5f * 1.0f / 4.0f, 1e-3f);
    EXPECT_EQ(centre[2], 1.0f);
    const float zClip = 1000.0f / (0.05f - 1000.0f) * -4.0f + 0.05f * 1000.0f / (0.05f - 1000.0f);
    EXPECT_NEAR(centre[3], zClip / 4.0f, 1e-3f);

    f = *newTestFrame(); // without motion blur the same move leaves no velocity
    addWhiteCube(f);
    f.opaque.records[0].prevPosition[0] = -1.0f;
    f.everyPass = true; // nothing reads velocity in this frame: make the pass run anyway
    renderAndRead(f);
    readTarget(testDevice().velocityDepth, v.data());
    EXPECT_EQ(v[(18 * kTestWidth + 32) * 4], 0.0f);
    EXPECT_NEAR(v[(18 * kTestWidth + 32) * 4 + 3], zClip / 4.0f, 1e-3f);
}

// Depth of field mixes the sharp and the blurred scene by the distance of the depth from the focus,
// unclamped, at every pixel.
TEST(Post, DepthOfFieldMixesByTheDistanceFromTheFocus) {
    RenderDevice& dev = testDevice();
    TestFrame& f = *newTestFrame();
    addWhiteCube(f);
    f.settings.isRenderDof = 1;
    f.settings.dofFocus = 0.6f; // background (depth 1) mixes by 0.4, the cube's face (0.988) by 0.388
    std::vector<uint8_t> image = renderAndRead(f);
    std::vector<float> scene(kTestWidth * kTestHeight * 4), blurred(scene.size()), depth(scene.size());
    readTarget(dev.sceneColor, scene.data());
    readTarget(dev.dofBlur, blurred.data());
    readTarget(dev.velocityDepth, depth.data());
    for (int y = 0; y < kTestHeight; ++y)
        for (int x = 0; x < kTestWidth; ++x) {
            size_t i = ((size_t)y * kTestWidth + x) * 4;
            float t = std::fabs(depth[i + 3] - 0.6f);
            float c[3];
            for (int k = 0; k < 3; ++k) c[k] = scene[i + k] + (blurred[i + k] - scene[i + k]) * t;
            ASSERT_TRUE(sameRgb(pixelAt(image, x, y), bytesOf(c[0], c[1], c[2], 1), 1)) << x << "," << y;
        }
}

// Each post effect's switch, set alone, runs the pass its record names and reaches the shaders as its
// b0 switch and no other; with every switch off, none of the effects' passes runs.
TEST(RenderPostEffects, EachSwitchRunsItsPassAndReachesTheShaders) {
    RenderDevice& dev = testDevice();
    for (int k = -1; k < kPostEffectCount; ++k) {
        const char* on = k >= 0 ? kPostEffects[k].name : "none";
        TestFrame& f = *newTestFrame();
        addWhiteCube(f);
        if (k >= 0) f.settings.*kPostEffects[k].on = 1;
        FramePassTimes times = {};
        FrameInput in = inputOf(f);
        in.passTimes = &times;
        renderFrame(dev, in);
        PerFrameData b0 = {};
        readBuffer(dev.constantBuffers[kPerFrameSlot], sizeof b0, &b0);
        for (int j = 0; j < kPostEffectCount; ++j) {
            const PostEffect& e = kPostEffects[j];
            EXPECT_EQ(b0.*e.onInBlock, j == k ? 1 : 0) << e.setting << " with " << on;
            if (j == k) {
                EXPECT_GT(times.runs[e.pass], 0u) << framePassName(e.pass) << " with " << on;
            }
            if (k < 0) {
                EXPECT_EQ(times.runs[e.pass], 0u) << framePassName(e.pass) << " with " << on;
            }
        }
    }
}
