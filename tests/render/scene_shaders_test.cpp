// scene_shaders_test.cpp - what the scene shaders draw for the cases their formulas make exact.
#include <cmath>
#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>
#include <gtest/gtest.h>
#include <vector>

#include "tests/render/render_fixture.h"

namespace {

constexpr int kBaseCookVS = 10, kBaseCookPS = 10;
constexpr int kCrashVS = 11, kCrashPS = 11;
constexpr int kJuliaVS = 12, kJuliaPS = 13;
constexpr int kSpikeVS = 14, kSpikePS = 15;

const Rgba kClear = {30, 65, 90, 255};

bool sameRgb(Rgba a, Rgba b, int tolerance) {
    return near(Rgba{a.r, a.g, a.b, 0}, Rgba{b.r, b.g, b.b, 0}, tolerance);
}

// The Cook-Torrance term as the pixel stage computes it, for the interpolated normal and position.
float cookTorranceTerm(glm::vec3 normal, glm::vec3 localPos, glm::vec3 eye, glm::vec3 lightDir) {
    const float m = 0.35f;
    glm::vec3 L = -lightDir;
    glm::vec3 n = glm::normalize(normal), v = glm::normalize(eye - localPos), h = glm::normalize(L + v);
    float NV = glm::dot(n, v), NH = glm::dot(n, h), VH = glm::dot(v, h), NL = glm::dot(n, L),
          LH = glm::dot(L, h);
    float D = std::exp(-(1 - NH * NH) / (NH * NH * m * m)) / (4 * m * m * NH * NH * NH * NH);
    float G = std::fmin(1.0f, std::fmin(2 * NH * NV / VH, 2 * NH * NL / VH));
    float g = std::sqrt(400 + LH * LH - 1);
    float a = LH * (g + LH) - 1, b = LH * (g - LH) + 1;
    float F = 0.5f * (g - LH) * (g - LH) / ((g + LH) * (g + LH)) * (1 + a * a / (b * b));
    return std::fmax(0.0f, F * D * G / NV);
}

} // namespace

TEST(SceneShaders, SpikeAtTimeZeroShrinksToFortyPercentInGreen) {
    TestFrame& f = *newTestFrame();
    f.camera.eye[2] = 1.5f; // the unscaled cube's front face would fill the screen
    f.opaque.records[f.opaque.count++] = cubeRecord(kSpikeVS, kSpikePS, 0, 0, 0);
    std::vector<uint8_t> image = renderAndRead(f);
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 18), Rgba{0, 128, 0, 255}, 1));
    // Front face at z = 0.4, 1.1 away: half-size 0.4 / 1.1 of the half-height, about 6.5 pixels.
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 18 - 5), Rgba{0, 128, 0, 255}, 1));
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 18 - 9), kClear, 1));
}

TEST(SceneShaders, CrashAtTimeZeroRaisesEverythingBelowTheFloor) {
    TestFrame& f = *newTestFrame();
    DrawRecord cube = cubeRecord(kCrashVS, kCrashPS, 0, 0, 0);
    cube.options[2] = Float4{1.0f, 1.0f, 1.0f, 0.0f}; // speeds and gravity
    cube.options[3] = Float4{0.5f, 0.5f, 0.5f, 1.0f}; // colour
    f.opaque.records[f.opaque.count++] = cube;
    std::vector<uint8_t> image = renderAndRead(f);
    EXPECT_FALSE(sameRgb(pixelAt(image, 32, 15), kClear, 2)); // the upper half stays
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 21), kClear, 1));  // the lower half is squashed onto y = 0
}

TEST(SceneShaders, CookTorranceWithoutDiffuseOrSpecularIsTheAmbientColour) {
    TestFrame& f = *newTestFrame();
    DrawRecord cube = cubeRecord(kBaseCookVS, kBaseCookPS, 0, 0, 0);
    cube.options[0] = Float4{0.2f, 0.0f, 0.6f, 1.0f};
    f.opaque.records[f.opaque.count++] = cube;
    std::vector<uint8_t> image = renderAndRead(f);
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 18), bytesOf(0.2f, 0.0f, 0.6f, 1.0f), 1));

    // The default light (1, 1, 1) leaves the front face in the dark: the wrapped diffuse is negative.
    cube.options[1] = Float4{0.0f, 0.4f, 0.0f, 0.0f};
    f.opaque.records[0] = cube;
    image = renderAndRead(f);
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 18), bytesOf(0.2f, 0.0f, 0.6f, 1.0f), 1));
    // Lit from the front: N.(-L) = 8 at every corner, (2 x 8 + 1) / 2 x 0.04 = 0.34 more green.
    cube.options[1] = Float4{0.0f, 0.04f, 0.0f, 0.0f};
    f.opaque.records[0] = cube;
    f.settings.lightDirVS = Float4{0.0f, 0.0f, -1.0f, 0.0f};
    image = renderAndRead(f);
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 18), bytesOf(0.2f, 0.34f, 0.6f, 1.0f), 1));
}

TEST(SceneShaders, JuliaMissIsTransparentInTheBlendedList) {
    // From 50 away the first distance estimate (about 40) carries every ray through and out of the
    // r2 < 3 ball in one step: a miss everywhere.
    TestFrame& f = *newTestFrame();
    f.camera.eye[2] = 50.0f;
    DrawRecord julia = cubeRecord(kJuliaVS, kJuliaPS, 0, 0, 0);
    julia.mesh = -1;
    julia.options[1] = Float4{1, 1, 1, 1};
    julia.options[2] = Float4{-0.2f, 0.6f, 0.2f, 0.0f};
    f.blended.records[f.blended.count++] = julia;
    std::vector<uint8_t> image = renderAndRead(f);
    // The colour behind stays (the blend writes the source alpha, 0, into the alpha channel).
    EXPECT_TRUE(sameRgb(pixelAt(image, 32, 18), kClear, 1));
    EXPECT_TRUE(sameRgb(pixelAt(image, 3, 3), kClear, 1));

    f = *newTestFrame();
    f.camera.eye[2] = 50.0f;
    f.opaque.records[f.opaque.count++] = julia; // opaque: the miss writes (0, 0, 0, 0)
    f.opaque.records[0].mesh = -1;
    image = renderAndRead(f);
    EXPECT_TRUE(near(pixelAt(image, 32, 18), Rgba{0, 0, 0, 0}, 0));
}

TEST(SceneShaders, JuliaSetSeenFromCloseByIsHitAndLit) {
    TestFrame& f = *newTestFrame(); // eye at 5: rays start at 2.5 and march into the set
    DrawRecord julia = cubeRecord(kJuliaVS, kJuliaPS, 0, 0, 0);
    julia.mesh = -1;
    julia.options[1] = Float4{1, 1, 1, 1};
    julia.options[2] = Float4{-0.2f, 0.6f, 0.2f, 0.0f};
    f.opaque.records[f.opaque.count++] = julia;
    std::vector<uint8_t> image = renderAndRead(f);
    EXPECT_EQ(pixelAt(image, 32, 18).a, 255); // a hit writes alpha 1
}

// The specular term at pixels of the cube's front face (z = 1, seen straight on from z = 5), against
// the formulas evaluated for the position and the cube's corner normals (8x, 8y, 8) interpolated there.
TEST(SceneShaders, CookTorranceSpecularMatchesTheFormulasPixelByPixel) {
    TestFrame& f = *newTestFrame();
    DrawRecord cube = cubeRecord(kBaseCookVS, kBaseCookPS, 0, 0, 0);
    cube.options[0] = Float4{0.0f, 0.0f, 0.0f, 1.0f};
    cube.options[2] = Float4{0.1f, 0.05f, 0.02f, 0.0f}; // specular colour
    f.opaque.records[f.opaque.count++] = cube;
    f.settings.lightDirVS = Float4{0.0f, 0.0f, 2.0f, 0.0f}; // not unit: L is used as it stands
    std::vector<uint8_t> image = renderAndRead(f);

    const glm::mat3 m3 = glm::mat3(frameCamera.viewProj);
    const float aspect = (float)kTestWidth / kTestHeight, depth = 4.0f;
    for (int py = 16; py <= 19; ++py)
        for (int px = 30; px <= 33; ++px) {
            float ndcX = (px + 0.5f) / kTestWidth * 2 - 1, ndcY = 1 - (py + 0.5f) / kTestHeight * 2;
            glm::vec3 local(ndcX * depth * aspect, ndcY * depth, 1.0f);
            glm::vec3 normal = m3 * glm::vec3(8 * local.x, 8 * local.y, 8);
            float term = cookTorranceTerm(normal, local, glm::vec3(0, 0, 5), glm::vec3(0, 0, 2));
            EXPECT_TRUE(
                sameRgb(pixelAt(image, px, py), bytesOf(0.1f * term, 0.05f * term, 0.02f * term, 1), 2))
                << px << "," << py << ": " << pixelAt(image, px, py).r << " for " << 0.1f * term * 255;
        }
    EXPECT_GT(pixelAt(image, 32, 18).r, 100); // a highlight, not a dark face
}
