// render_fixture.h - one headless renderer per test process (SDL offscreen driver, pinned to Mesa llvmpipe),
// small frames, and helpers to read pixels back.
#pragma once

#include <cstdint>
#include <vector>

#include "director/director_types.h"
#include "render/device.h"
#include "render/frame.h"

inline constexpr int kTestWidth = 64; // 16:9
inline constexpr int kTestHeight = 36;

struct TestFrame {
    DrawList opaque;
    DrawList blended;
    SpriteList sprites;
    CameraState camera;
    FrameSettings settings;
    LineList lines;
    bool everyPass; // run the passes nobody reads too (FrameInput::everyPass)
};

// The renderer of this process (Mesa llvmpipe), created on first use (antialiasing off) on the OpenGL
// that QZ_GL names: "es" for OpenGL ES 3.0, otherwise OpenGL 3.3 core (ctest runs every render test
// on both). Without one, it throws: the test fails with the reason instead of crashing.
RenderDevice& testDevice();
GlApi testApi();

// Level 0 of an RGBA8 texture as bytes, rows in memory order, read through a framebuffer.
void readTexture(GLuint texture, uint32_t width, uint32_t height, uint8_t* rgba);

// The first `bytes` of a uniform buffer, read through a mapping (both APIs can map; ES cannot get).
void readBuffer(GLuint buffer, size_t bytes, void* out);

// A frame with empty lists, a camera at (0, 0, 5) looking at the origin and default settings.
TestFrame* newTestFrame();
FrameInput inputOf(TestFrame& f);

// Renders and returns the back buffer as RGBA8, rows top first.
std::vector<uint8_t> renderAndRead(TestFrame& f);

// A record drawing the 2x2x2 cube (GPU mesh kTestCubeMesh) with the given shaders.
inline constexpr int kTestCubeMesh = 20;
DrawRecord cubeRecord(int vertexShader, int pixelShader, float x, float y, float z);

struct Rgba {
    int r, g, b, a;
};
Rgba pixelAt(const std::vector<uint8_t>& image, int x, int y);
// Colour as bytes (0..255, rounded) of a float colour.
Rgba bytesOf(float r, float g, float b, float a);
bool near(Rgba a, Rgba b, int tolerance);
