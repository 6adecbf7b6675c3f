// scene_shaders_test.cpp - what the scene shaders draw for the cases their formulas make exact.
#include <cmath>
#include <cstring>
#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "mesh/mesh_vertices.h"
#include "render/gpu_mesh.h"
#include "render/shader_library.h"
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

//-----------------------------------------------------------------------------
// Vertex stages run through transform feedback: what one entry writes for each given vertex
//-----------------------------------------------------------------------------

struct VertexOut {
    float position[4]; // gl_Position
    float col[4];      // col_
    float localPos[3];
    float normal[3];
};

GLuint compileShader(GLenum stage, const std::string& source) {
    const char* text = source.c_str();
    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    return shader;
}

// Compiles `entry` once more with its outputs captured, runs it over `vertices` as points with the
// given options and light, worldViewProj = diag(wvpScale, wvpScale, wvpScale, 1) and the other
// matrices identity, and returns what it wrote (the position as the entry computed it, before the
// flip and depth stretch every vertex stage ends with).
std::vector<VertexOut> runVertexStage(const char* entry, const std::vector<MeshVertex>& vertices,
                                      const Float4 options[5], Float4 lightDir, float wvpScale = 1.0f) {
    RenderDevice& dev = testDevice();
    const std::string prelude = glslPrelude(dev.api);
    GLuint shader =
        compileShader(GL_VERTEX_SHADER, prelude + "#define QZ_VERTEX_STAGE 1\n#define QZ_ENTRY " + entry +
                                            "\n#line 1\n" + shaderDeclarations + shaderBodies);
    // ES links no program without a pixel stage, though nothing is drawn.
    GLuint pixel =
        compileShader(GL_FRAGMENT_SHADER, prelude + "out vec4 c;\nvoid main() { c = vec4(0.0); }\n");
    GLuint program = glCreateProgram();
    glAttachShader(program, shader);
    glAttachShader(program, pixel);
    const char* captured[4] = {"gl_Position", "voCol", "voLocalPos", "voNormal"};
    glTransformFeedbackVaryings(program, 4, captured, GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked) << entry;
    setBindingPoints(dev, program);

    PerObjectData object = {};
    PerFrameData frame = {};
    for (int k = 0; k < 16; k += 5)
        object.world[k] = object.worldViewProj[k] = object.oldWorldViewProj[k] = frame.viewProj[k] = 1.0f;
    for (int k = 0; k < 15; k += 5) object.worldViewProj[k] = wvpScale;
    for (int k = 0; k < 5; ++k) std::memcpy(object.options[k], &options[k], 16);
    std::memcpy(frame.lightDirVS, &lightDir, 16);
    frame.eyePosVS[3] = 1.0f;
    uploadConstants(dev, kPerObjectSlot, &object);
    uploadConstants(dev, kPerFrameSlot, &frame);

    GpuMesh input = {};
    uploadMeshVertices(input, vertices.data(), (uint32_t)vertices.size());
    const GLsizeiptr outBytes = (GLsizeiptr)(vertices.size() * sizeof(VertexOut));
    GLuint output = 0;
    glGenBuffers(1, &output);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, output);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, outBytes, nullptr, GL_STATIC_READ);
    bindVertexArray(dev, input.vertexArray);
    glUseProgram(program);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, output);
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, (GLsizei)vertices.size());
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);
    glUseProgram(0);
    dev.boundProgram = 0;
    std::vector<VertexOut> out(vertices.size());
    const void* written = glMapBufferRange(GL_TRANSFORM_FEEDBACK_BUFFER, 0, outBytes, GL_MAP_READ_BIT);
    if (written) std::memcpy(out.data(), written, (size_t)outBytes);
    glUnmapBuffer(GL_TRANSFORM_FEEDBACK_BUFFER);
    for (VertexOut& v : out) {
        v.position[1] = -v.position[1];
        v.position[2] = (v.position[2] + v.position[3]) * 0.5f;
    }
    bindVertexArray(dev, dev.emptyLayout);
    glDeleteVertexArrays(1, &input.vertexArray);
    glDeleteBuffers(1, &input.vertexBuffer);
    glDeleteBuffers(1, &input.indexBuffer);
    glDeleteBuffers(1, &output);
    glDeleteProgram(program);
    glDeleteShader(shader);
    glDeleteShader(pixel);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    return out;
}

MeshVertex vertexAt(glm::vec3 p, glm::vec3 n, glm::vec3 g) {
    return MeshVertex{
        {p.x, p.y, p.z, 1}, {n.x, n.y, n.z, 1}, {0, 0, 0, 0}, {0x80, 0x80, 0x80, 0x80}, {g.x, g.y, g.z, 1}};
}

void expectVec(const float* got, glm::vec3 want, const char* what, int vertex) {
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(got[k], want[k], 1e-4f + 1e-4f * std::fabs(want[k])) << what << " " << vertex << "." << k;
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

// Each face of the crash flies as a projectile: the vertices below against the stated steps.
TEST(SceneShaders, CrashMovesSpinsDriftsAndLandsEveryFace) {
    const glm::vec3 normal(0.3f, -0.5f, 0.8f);
    const std::vector<MeshVertex> vertices = {
        vertexAt({1.2f, 0.9f, 0.3f}, normal, {1.0f, 1.0f, 0.5f}),    // flies up and out
        vertexAt({-0.4f, 2.1f, 0.9f}, normal, {-0.5f, 2.0f, 1.0f}),  // steeper: still flying
        vertexAt({0.6f, -0.7f, -0.2f}, normal, {0.5f, -1.0f, 0.0f}), // downwards: negative landing time
        vertexAt({2.0f, 0.1f, -1.5f}, normal, {2.0f, 0.2f, -1.4f}),  // flat: lands before tau
    };
    const Float4 options[5] = {
        {0.7f, 0.4f, 0.9f, 0.2f}, {0.5f, -0.25f, 1.5f, 0}, {1.3f, 2.2f, 1.7f, 0}, {0.4f, 0.5f, 0.6f, 1}, {}};
    const Float4 light = {0.2f, -0.6f, -0.4f, 0.3f};
    std::vector<VertexOut> out = runVertexStage("crashVS", vertices, options, light);
    for (size_t i = 0; i < vertices.size(); ++i) {
        const MeshVertex& v = vertices[i];
        glm::vec3 P(v.P[0], v.P[1], v.P[2]), G(v.G[0], v.G[1], v.G[2]);
        float tau = options[0].x, vh = options[2].x, vv = options[2].y, grav = options[2].z;
        glm::vec3 dir = glm::normalize(G);
        float u = vv * dir.y, tl = u / grav * 2.0f, flight = std::fmin(tau, tl);
        glm::vec2 horizontal = glm::vec2(dir.x, dir.z) * vh * flight;
        float vertical = u * tau - grav * tau * tau;
        glm::vec3 axis = glm::normalize(glm::cross(G, glm::vec3(0, 1, 0))), offset = P - G;
        float angle = -flight;
        glm::vec3 spun = offset * std::cos(angle) + glm::cross(axis, offset) * std::sin(angle) +
                         axis * glm::dot(axis, offset) * (1.0f - std::cos(angle));
        glm::vec3 drift(options[1].x * std::fmin(options[0].x, tl),
                        options[1].y * std::fmin(options[0].y, tl),
                        options[1].z * std::fmin(options[0].z, tl));
        glm::vec3 moved = G + spun + glm::vec3(horizontal.x, vertical, horizontal.y) + drift;
        moved.y = std::fmax(moved.y, 0.0f);
        expectVec(out[i].position, moved, "position", (int)i);
        expectVec(out[i].localPos, moved, "localPos", (int)i);
        EXPECT_EQ(out[i].position[3], 1.0f);
        float lit =
            std::fmax(-light.w, -(v.N[0] * light.x + v.N[1] * light.y + v.N[2] * light.z + v.N[3] * light.w));
        expectVec(out[i].col, glm::vec3(options[3].x, options[3].y, options[3].z) * (1.0f + lit), "col_",
                  (int)i);
    }
    EXPECT_GT(out[2].position[1], 0.0f - 1e-6f);
}

// Twist by sin(s) x the distance from the Y axis plus 2 cos(s), squash y by 1 - |w|.
TEST(SceneShaders, NeuronTwistsAndSquashes) {
    const std::vector<MeshVertex> vertices = {
        vertexAt({1.0f, 0.5f, 0.0f}, {1, 0, 0}, {}), vertexAt({-0.3f, 1.2f, 0.8f}, {0, 1, 0}, {}),
        vertexAt({0.2f, -0.9f, -0.6f}, {0, 0, 1}, {}), vertexAt({0.0f, 0.7f, 0.0f}, {0, 1, 0}, {})};
    for (float s : {0.0f, 0.8f, 2.5f}) {
        const Float4 options[5] = {{s, 0, 0, 0}, {}, {}, {}, {}};
        std::vector<VertexOut> out = runVertexStage("neuronVS", vertices, options, Float4{1, 1, 1, 0});
        for (size_t i = 0; i < vertices.size(); ++i) {
            glm::vec3 p(vertices[i].P[0], vertices[i].P[1], vertices[i].P[2]);
            float w = std::sqrt(p.x * p.x + p.z * p.z) * std::sin(s), a = w + 2.0f * std::cos(s);
            glm::vec3 moved(std::cos(a) * p.x + std::sin(a) * p.z, p.y * (1.0f - std::fabs(w)),
                            -std::sin(a) * p.x + std::cos(a) * p.z);
            expectVec(out[i].position, moved, "position", (int)i);
            expectVec(out[i].localPos, moved, "localPos", (int)i);
        }
    }
}

// Ten by ten angular cells, each scaled by m g / 2 + 0.4 and coloured (m, g, m g) / 2.
TEST(SceneShaders, SpikeScalesAndColoursItsAngularCells) {
    const float pi = 3.1415926535f;
    auto cart2sph = [&](glm::vec3 p) {
        float elevation = std::atan2(p.z, std::sqrt(p.x * p.x + p.y * p.y)), azimuth = 0.0f;
        if (p.x > 0 && p.y > 0)
            azimuth = std::atan2(p.y, p.x);
        else if (p.x <= 0 && p.y > 0)
            azimuth = std::atan2(-p.x, p.y) + pi / 2;
        else if (p.x <= 0 && p.y <= 0)
            azimuth = std::atan2(-p.y, -p.x) + pi;
        else if (p.x > 0 && p.y <= 0)
            azimuth = std::atan2(p.x, -p.y) + 1.5f * pi;
        return glm::vec2((elevation + pi / 2) / pi, azimuth / (2 * pi));
    };
    const std::vector<MeshVertex> vertices = {
        vertexAt({0.9f, 0.3f, 0.2f}, {}, {}), vertexAt({-0.5f, 0.7f, -0.4f}, {}, {}),
        vertexAt({-0.6f, -0.2f, 0.7f}, {}, {}), vertexAt({0.4f, -0.8f, -0.1f}, {}, {}),
        vertexAt({0.1f, 0.1f, 0.98f}, {}, {})};
    const Float4 options[5] = {{137.0f, 0, 0, 0}, {}, {}, {}, {}};
    std::vector<VertexOut> out = runVertexStage("spikeVS", vertices, options, Float4{1, 1, 1, 0});
    for (size_t i = 0; i < vertices.size(); ++i) {
        glm::vec3 p(vertices[i].P[0], vertices[i].P[1], vertices[i].P[2]);
        glm::vec2 angles = cart2sph(p);
        float t = options[0].x * 0.005f;
        float m = std::sin(std::trunc(angles.x * 10) * 5 * t),
              g = std::cos(std::trunc(angles.y * 10) * 5 * t);
        expectVec(out[i].position, p * (m * g * 0.5f + 0.4f), "position", (int)i);
        expectVec(out[i].col, glm::vec3(m * 0.5f, g * 0.5f, m * g * 0.5f), "col_", (int)i);
    }
}

namespace {

// The ray march as stated, on the CPU: (rgb, alpha) of the quaternion Julia set at pixel (px, py).
glm::vec4 juliaAt(int px, int py, glm::vec3 eye, glm::vec3 lightPoint, glm::vec4 c, glm::vec3 colour) {
    auto mul = [](glm::vec4 a, glm::vec4 b) {
        glm::vec3 av(a.y, a.z, a.w), bv(b.y, b.z, b.w);
        glm::vec3 v = a.x * bv + b.x * av + glm::cross(av, bv);
        return glm::vec4(a.x * b.x - glm::dot(av, bv), v.x, v.y, v.z);
    };
    auto distance = [&](glm::vec3 o) {
        glm::vec4 z(o, 0.0f), dz(1, 0, 0, 0);
        for (int n = 0; n < 10 && glm::dot(z, z) < 10.0f; ++n) {
            dz = 2.0f * mul(z, dz);
            z = mul(z, z) + c;
        }
        return 0.5f * glm::length(z) * std::log(glm::length(z)) / glm::length(dz);
    };
    auto march = [&](glm::vec3& o, glm::vec3 d) {
        float dist = 0.003f, r2 = 0.0f;
        for (int step = 0; dist >= 0.003f && r2 < 3.0f && step < 4096; ++step) {
            dist = distance(o);
            o += d * dist;
            r2 = glm::dot(o, o);
        }
        return dist < 0.003f;
    };
    auto magnitude = [&](glm::vec3 p) {
        glm::vec4 z(p, 0.0f);
        for (int n = 0; n < 10; ++n) z = mul(z, z) + c;
        return glm::length(z);
    };
    float x = px + 0.5f, y = py + 0.5f, w = kTestWidth, h = kTestHeight;
    glm::vec3 d = glm::vec3((x - w / 2) / (h / 2) * 3, -((y - h / 2) / (w / 2) * 3), 1) *
                  glm::mat3(frameCamera.viewProj);
    glm::vec3 o = eye * 0.5f;
    if (!march(o, d)) return glm::vec4(0.0f);
    const float e = 1e-6f;
    glm::vec3 n =
        glm::normalize(glm::vec3(magnitude(o + glm::vec3(e, 0, 0)) - magnitude(o - glm::vec3(e, 0, 0)),
                                 magnitude(o + glm::vec3(0, e, 0)) - magnitude(o - glm::vec3(0, e, 0)),
                                 magnitude(o + glm::vec3(0, 0, e)) - magnitude(o - glm::vec3(0, 0, e))));
    glm::vec3 toLight = glm::normalize(lightPoint - o);
    glm::vec3 rgb = colour * (glm::dot(n, toLight) + 0.5f);
    glm::vec3 shadow = o + n * 0.006f;
    if (march(shadow, toLight)) rgb *= 0.5f;
    return glm::vec4(rgb, 1.0f);
}

} // namespace

// With c = 0 the set is the unit ball. Seen from (0, 0, 5) it covers a round disc of about 4 pixels'
// radius (x is scaled by half the height, y by half the width); seen from off the axis, every pixel
// away from the silhouette matches the march, its lighting and its shadow.
TEST(SceneShaders, JuliaMarchMatchesTheStatedMarchPixelByPixel) {
    const glm::vec3 colour(0.8f, 0.5f, 0.3f), light(1.5f, 2.0f, 1.0f);
    auto render = [&](glm::vec3 eye) {
        TestFrame& f = *newTestFrame();
        f.camera.eye[0] = eye.x, f.camera.eye[1] = eye.y, f.camera.eye[2] = eye.z;
        DrawRecord julia = cubeRecord(kJuliaVS, kJuliaPS, 0, 0, 0);
        julia.mesh = -1;
        julia.options[1] = Float4{colour.r, colour.g, colour.b, 1.0f};
        julia.options[2] = Float4{0, 0, 0, 0};
        f.opaque.records[f.opaque.count++] = julia;
        f.settings.lightDirVS = Float4{light.x, light.y, light.z, 0.0f}; // the light point
        return renderAndRead(f);
    };
    std::vector<uint8_t> image = render(glm::vec3(0, 0, 5));
    EXPECT_EQ(pixelAt(image, 32 + 6, 18).a, 0);
    EXPECT_EQ(pixelAt(image, 32, 18 + 6).a, 0);
    EXPECT_EQ(pixelAt(image, 32 + 3, 18).a, 255);
    EXPECT_EQ(pixelAt(image, 32, 18 + 3).a, 255);

    const glm::vec3 eye(1.5f, 1.0f, 4.5f);
    image = render(eye);
    std::vector<glm::vec4> want(kTestWidth * kTestHeight);
    for (int py = 0; py < kTestHeight; ++py)
        for (int px = 0; px < kTestWidth; ++px)
            want[py * kTestWidth + px] = juliaAt(px, py, eye, light, glm::vec4(0), colour);
    int hits = 0, shadowed = 0;
    for (int py = 1; py + 1 < kTestHeight; ++py)
        for (int px = 1; px + 1 < kTestWidth; ++px) {
            const glm::vec4& w = want[py * kTestWidth + px];
            bool edge = false; // the silhouette may fall either way
            for (int d : {-1, 1}) {
                edge |= (want[py * kTestWidth + px + d].a > 0) != (w.a > 0);
                edge |= (want[(py + d) * kTestWidth + px].a > 0) != (w.a > 0);
            }
            if (edge) continue;
            Rgba got = pixelAt(image, px, py);
            EXPECT_EQ(got.a, w.a > 0 ? 255 : 0) << px << "," << py;
            if (w.a > 0) { // the normal comes from differences over 1e-6: a little noise
                EXPECT_TRUE(near(got, bytesOf(w.r, w.g, w.b, 1), 6))
                    << px << "," << py << ": " << got.r << " " << got.g << " " << got.b << " for "
                    << w.r * 255;
            }
            hits += w.a > 0;
            shadowed += w.a > 0 && w.r < colour.r * 0.25f;
        }
    EXPECT_GT(hits, 20);
    EXPECT_GT(shadowed, 3);
}

// The lit and flat shaders: the simple light term, the debug line placed by viewProj alone, and the
// wrapped diffuse of Cook-Torrance with its normal through the upper-left 3 x 3 of worldViewProj.
TEST(SceneShaders, SimpleLitDebugLineAndCookVertexStages) {
    const std::vector<MeshVertex> vertices = {vertexAt({0.5f, -1.0f, 2.0f}, {0.2f, 0.9f, -0.4f}, {}),
                                              vertexAt({-1.5f, 0.3f, 0.7f}, {-8.0f, 8.0f, 8.0f}, {})};
    const Float4 light = {0.3f, -0.5f, 0.8f, 0.4f};
    const Float4 options[5] = {{0.1f, 0.2f, 0.3f, 1.0f}, {0.4f, 0.5f, 0.6f, 0.5f}, {}, {}, {}};
    auto dot4 = [](const float* a, const Float4& b) {
        return a[0] * b.x + a[1] * b.y + a[2] * b.z + a[3] * b.w;
    };
    const float lightLength =
        std::sqrt(light.x * light.x + light.y * light.y + light.z * light.z + light.w * light.w);

    std::vector<VertexOut> lit = runVertexStage("A_backcubeVS", vertices, options, light, 2.0f);
    std::vector<VertexOut> line = runVertexStage("A_0_debuglineVS", vertices, options, light, 2.0f);
    std::vector<VertexOut> cook = runVertexStage("baseCookVS", vertices, options, light, 2.0f);
    for (size_t i = 0; i < vertices.size(); ++i) {
        const MeshVertex& v = vertices[i];
        glm::vec3 p(v.P[0], v.P[1], v.P[2]), n(v.N[0], v.N[1], v.N[2]);
        float s = std::fmin(std::fmax(dot4(v.N, light) / lightLength, 0.0f), 1.0f);
        expectVec(lit[i].col, glm::vec3(0.3f + 0.3f * s), "lit col_", (int)i);
        EXPECT_EQ(lit[i].col[3], 1.0f);
        expectVec(lit[i].position, 2.0f * p, "lit position", (int)i);
        expectVec(line[i].position, p, "line position", (int)i);
        expectVec(line[i].col, glm::vec3(128.0f / 255.0f), "line col_", (int)i);
        float g = -dot4(v.N, light);
        glm::vec3 diffuse = glm::vec3(0.1f, 0.2f, 0.3f) + glm::vec3(0.4f, 0.5f, 0.6f) * (g * 2 + 1) * 0.5f;
        expectVec(cook[i].col, diffuse, "cook col_", (int)i);
        EXPECT_NEAR(cook[i].col[3], 1.0f + 0.5f * (g * 2 + 1) * 0.5f, 1e-4f);
        expectVec(cook[i].normal, 2.0f * n, "cook normal", (int)i);
        expectVec(cook[i].localPos, p, "cook localPos", (int)i);
    }
}
