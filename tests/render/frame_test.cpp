// frame_test.cpp - the frame's order of passes, the camera, object drawing and the settings reset.
#include "render/frame.h"

#include <cmath>
#include <glm/vec4.hpp>
#include <gtest/gtest.h>
#include <vector>

#include "render/shader_library.h"
#include "tests/render/render_fixture.h"

namespace {

constexpr int kJuliaVS = 12;
constexpr int kHogePS = 12;

// A full-screen strip (mesh -1) at the depth of `z`, filled with a flat colour.
DrawRecord flatStrip(float z, float r, float g, float b, float a) {
    DrawRecord d = cubeRecord(kJuliaVS, kHogePS, 0.0f, 0.0f, z);
    d.mesh = -1;
    d.options[0] = Float4{r, g, b, a};
    return d;
}

glm::vec4 transform(const glm::mat4& m, float x, float y, float z) {
    return m * glm::vec4(x, y, z, 1.0f);
}

} // namespace

TEST(Frame, EmptyFrameShowsTheClearColourAndSettingsReset) {
    TestFrame& f = *newTestFrame();
    std::vector<uint8_t> image = renderAndRead(f);
    Rgba expected = bytesOf(30 / 255.0f, 65 / 255.0f, 90 / 255.0f, 1.0f);
    for (int y = 0; y < kTestHeight; y += 7)
        for (int x = 0; x < kTestWidth; x += 9)
            EXPECT_TRUE(near(pixelAt(image, x, y), expected, 1)) << x << "," << y;

    f.settings.clearColor = Float4{1.0f, 0.5f, 0.0f, 1.0f};
    f.settings.isBlur = 1;
    f.settings.isRenderDof = 1;
    f.settings.dofFocus = 1.0f;
    f.settings.isRenderBloom = 1;
    f.lines.count = 12;
    image = renderAndRead(f);
    EXPECT_TRUE(near(pixelAt(image, 5, 5), bytesOf(1.0f, 0.5f, 0.0f, 1.0f), 2));
    EXPECT_FLOAT_EQ(f.settings.clearColor.x, 0.11764706f);
    EXPECT_EQ(f.settings.isBlur, 0);
    EXPECT_EQ(f.settings.isRenderDof, 0);
    EXPECT_EQ(f.settings.isRenderBloom, 0);
    EXPECT_EQ(f.settings.dofFocus, 1.0f); // never reset
    EXPECT_EQ(f.lines.count, 0u);
}

TEST(Frame, NoMeshRecordIsAFullScreenStripAndSkipsTheVelocityPass) {
    TestFrame& f = *newTestFrame();
    f.opaque.records[0] = flatStrip(0.0f, 1.0f, 0.0f, 1.0f, 1.0f);
    f.opaque.count = 1;
    f.everyPass = true; // nothing reads velocity in this frame: make the pass run anyway
    std::vector<uint8_t> image = renderAndRead(f);
    for (int y = 0; y < kTestHeight; y += 5)
        for (int x = 0; x < kTestWidth; x += 5)
            ASSERT_TRUE(near(pixelAt(image, x, y), Rgba{255, 0, 255, 255}, 1));
    std::vector<float> velocity(kTestWidth * kTestHeight * 4);
    readTarget(testDevice().velocityDepth, velocity.data());
    EXPECT_EQ(velocity[0], 0.0f);
    EXPECT_EQ(velocity[2], 1.0f);
    EXPECT_EQ(velocity[3], 1.0f); // still the far depth: nothing entered the pass
}

TEST(Frame, OpaqueDrawsInOrderAndBlendedInReverse) {
    TestFrame& f = *newTestFrame();
    // Opaque: two strips at the same depth; the first one drawn keeps the pixel (depth test LESS).
    f.opaque.records[0] = flatStrip(-10.0f, 1.0f, 0.0f, 0.0f, 1.0f);
    f.opaque.records[1] = flatStrip(-10.0f, 0.0f, 1.0f, 0.0f, 1.0f);
    f.opaque.count = 2;
    std::vector<uint8_t> image = renderAndRead(f);
    EXPECT_TRUE(near(pixelAt(image, 30, 20), Rgba{255, 0, 0, 255}, 1));

    // Blended: record 1 (farther) is drawn first, record 0 (nearer) over it. Drawn the other way
    // round the farther one would fail the depth test and leave no blue in the mix.
    f = *newTestFrame();
    f.blended.records[0] = flatStrip(-1.0f, 1.0f, 0.0f, 0.0f, 0.5f);
    f.blended.records[1] = flatStrip(-3.0f, 0.0f, 0.0f, 1.0f, 0.5f);
    f.blended.count = 2;
    image = renderAndRead(f);
    const float clear[3] = {30 / 255.0f, 65 / 255.0f, 90 / 255.0f};
    Rgba expected = bytesOf(0.5f + 0.25f * clear[0], 0.25f * clear[1], 0.25f + 0.25f * clear[2], 0.5f);
    EXPECT_TRUE(near(pixelAt(image, 30, 20), expected, 2))
        << pixelAt(image, 30, 20).r << " " << pixelAt(image, 30, 20).g << " " << pixelAt(image, 30, 20).b;
}

TEST(Frame, ObjectWorldScalesThenRotatesThenTranslates) {
    const float position[3] = {0, 0, 5}, scale[3] = {2, 1, 1};
    const float yaw[3] = {1.5707964f, 0, 0}, pitch[3] = {0, 1.5707964f, 0}, roll[3] = {0, 0, 1.5707964f};
    const float all[3] = {1.5707964f, 1.5707964f, 1.5707964f}, zero[3] = {0, 0, 0}, one[3] = {1, 1, 1};
    glm::vec4 p = transform(objectWorld(position, scale, yaw), 1, 0, 0); // (2,0,0) -> (0,0,-2) -> (0,0,3)
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.z, 3, 1e-6);
    p = transform(objectWorld(zero, one, pitch), 0, 1, 0); // y turns to z
    EXPECT_NEAR(p.z, 1, 1e-6);
    p = transform(objectWorld(zero, one, roll), 1, 0, 0); // x turns to y
    EXPECT_NEAR(p.y, 1, 1e-6);
    p = transform(objectWorld(zero, one, all), 1, 0, 0); // roll, then pitch, then yaw: back to x
    EXPECT_NEAR(p.x, 1, 1e-6);
    EXPECT_NEAR(p.y, 0, 1e-6);
    EXPECT_NEAR(p.z, 0, 1e-6);
}

TEST(Frame, CameraProjectsRightHandedWithDepthZeroToOne) {
    CameraState c = {{0, 0, 5}, {0, 0, 0}, {0, 1, 0}, 1.5707964f, 2.0f, 0.05f, 1000.0f};
    updateCamera(c);
    glm::vec4 nearPoint = transform(frameCamera.viewProj, 0, 0, 5 - 0.05f);
    glm::vec4 farPoint = transform(frameCamera.viewProj, 0, 0, 5 - 1000.0f);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-5);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-5);
    glm::vec4 right = transform(frameCamera.viewProj, 1, 0, 4); // one unit right at distance 1
    EXPECT_NEAR(right.x / right.w, 0.5f, 1e-5);                 // fovy 90 degrees, aspect 2
}

TEST(Frame, CubeAtTheOriginIsCentred) {
    TestFrame& f = *newTestFrame();
    DrawRecord cube = cubeRecord(9, 9, 0, 0, 0); // baseAmbient: flat options[0]
    cube.options[0] = Float4{1, 1, 1, 1};
    f.opaque.records[0] = cube;
    f.opaque.count = 1;
    std::vector<uint8_t> image = renderAndRead(f);
    EXPECT_TRUE(near(pixelAt(image, 32, 18), Rgba{255, 255, 255, 255}, 1));
    EXPECT_FALSE(near(pixelAt(image, 2, 2), Rgba{255, 255, 255, 255}, 1));
    // The front face (half-size 1 at distance 4, 90 degree view) spans a quarter of the half-height.
    EXPECT_TRUE(near(pixelAt(image, 32, 15), Rgba{255, 255, 255, 255}, 1));
    EXPECT_FALSE(near(pixelAt(image, 32, 11), Rgba{255, 255, 255, 255}, 1));
    EXPECT_TRUE(near(pixelAt(image, 35, 18), Rgba{255, 255, 255, 255}, 1));
    EXPECT_FALSE(near(pixelAt(image, 39, 18), Rgba{255, 255, 255, 255}, 1));
}

TEST(Frame, ResetJumpedObjectsKeepsMovesUpToTheThreshold) {
    static DrawList list;
    list.count = 2;
    list.records[0] = cubeRecord(10, 10, 0, 0, 0);
    list.records[0].prevPosition[0] = 2.0f; // moved exactly the threshold
    list.records[0].prevScale[0] = 5.0f;
    list.records[1] = cubeRecord(10, 10, 0, 0, 0);
    list.records[1].prevPosition[1] = 2.001f; // moved further
    list.records[1].prevRotation[2] = 1.0f;
    resetJumpedObjects(list, 2.0f);
    EXPECT_EQ(list.records[0].prevPosition[0], 2.0f);
    EXPECT_EQ(list.records[0].prevScale[0], 5.0f);
    EXPECT_EQ(list.records[1].prevPosition[1], 0.0f);
    EXPECT_EQ(list.records[1].prevRotation[2], 0.0f);
}

TEST(Frame, DepthTestIsBackOnAfterTheScreenPasses) {
    TestFrame& f = *newTestFrame();
    f.settings.isRenderBloom = 1;
    f.sprites.count = 0;
    renderAndRead(f);
    RenderDevice& dev = testDevice();
    EXPECT_TRUE(dev.depthEnable);
    EXPECT_EQ(dev.depthFunc, (GLenum)GL_LESS);
    GLint func = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    EXPECT_EQ(func, GL_LESS);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

namespace {

struct Effects {
    bool blur, dof, bloom;
    uint32_t transition;
};

// Frame `step` of a short sequence: three flat cubes that move and change colour from step to step
// over a clear colour that changes too, so every frame's scene (and its mip chain) differs.
void effectFrame(TestFrame& f, int step, Effects e) {
    f = *newTestFrame();
    for (int k = 0; k < 3; ++k) {
        DrawRecord cube = cubeRecord(9, 9, -2.5f + 2.5f * k + 0.3f * step, 0.4f * k - 0.5f, -1.0f * k);
        cube.prevPosition[0] -= 0.2f * (k + 1);
        cube.rotation[0] = 0.3f * step + k;
        cube.options[0] = Float4{0.2f + 0.4f * k, 1.0f - 0.1f * step, 0.1f * (step % 5), 1};
        f.opaque.records[f.opaque.count++] = cube;
    }
    f.settings.clearColor = Float4{0.05f * step, 0.3f, 0.6f - 0.04f * step, 1};
    f.settings.isBlur = e.blur;
    f.settings.blurJumpThreshold = 100.0f;
    f.settings.isRenderDof = e.dof;
    f.settings.dofFocus = 0.99f;
    f.settings.isRenderBloom = e.bloom;
    f.settings.bloomThrethold = 0.5f;
    f.settings.bloomColor = 0.3f;
    f.settings.bloomDispersion = 0.05f;
    f.settings.transitionType = e.transition;
    f.settings.transitionFactor = 0.7f;
}

// The sequence rendered with or without the passes nobody reads. It opens with a motion-blur frame,
// which rebuilds the scene's mip chain in both modes, so both runs start from the same state.
std::vector<std::vector<uint8_t>> renderSequence(bool everyPass) {
    const Effects steps[] = {
        {true, false, false, 0}, {false, false, false, 0}, {false, false, true, 0}, {false, false, true, 0},
        {false, true, false, 0}, {false, false, false, 1}, {true, true, false, 0},  {true, false, false, 3},
        {false, true, true, 0},  {false, false, false, 2}, {true, true, true, 3},   {false, false, false, 0},
        {false, false, true, 0}, {true, false, true, 0},   {false, false, true, 0},
    };
    std::vector<std::vector<uint8_t>> images;
    int step = 0;
    for (const Effects& e : steps) {
        TestFrame& f = *newTestFrame();
        effectFrame(f, step++, e);
        f.everyPass = everyPass;
        images.push_back(renderAndRead(f));
    }
    return images;
}

} // namespace

// Skipping the passes whose results a frame does not read (velocity, the depth-of-field blur, the
// scene's mip chain, the back-buffer clear) changes no pixel of any frame, whichever effects are on
// in it and in the frames before it, with and without FXAA.
TEST(Frame, SkippedPassesChangeNoPixel) {
    RenderDevice& dev = testDevice();
    for (bool antialias : {false, true}) {
        dev.antialias = antialias;
        std::vector<std::vector<uint8_t>> every = renderSequence(true);
        std::vector<std::vector<uint8_t>> needed = renderSequence(false);
        for (size_t i = 0; i < every.size(); ++i)
            for (int y = 0; y < kTestHeight; ++y)
                for (int x = 0; x < kTestWidth; ++x) {
                    Rgba a = pixelAt(every[i], x, y), b = pixelAt(needed[i], x, y);
                    ASSERT_TRUE(near(a, b, 0))
                        << "frame " << i << " antialias " << antialias << " at " << x << "," << y << ": "
                        << a.r << " " << a.g << " " << a.b << " against " << b.r << " " << b.g << " " << b.b;
                }
    }
    dev.antialias = false;
}
