// render_fixture.cpp - the shared headless renderer of the render tests.
#include "tests/render/render_fixture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

#include "base/arena.h"
#include "director/director_state.h"
#include "mesh/mesh_ops.h"
#include "render/gpu_mesh.h"
#include "render/shader_library.h"

namespace {

RenderDevice device;
bool ready = false;

} // namespace

// The pixel tests are worked out for Mesa's software rasterizer: pin it (its EGL vendor, llvmpipe),
// so that a machine with a hardware GPU runs them on the same rasterizer. The smoke test of the show
// (tests/show) runs on whatever device is the default.
void pinSoftwareRasterizer() {
    const char* mesa = "/usr/share/glvnd/egl_vendor.d/50_mesa.json";
    if (FILE* f = std::fopen(mesa, "r")) {
        std::fclose(f);
        setenv("__EGL_VENDOR_LIBRARY_FILENAMES", mesa, 0);
    }
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("GALLIUM_DRIVER", "llvmpipe", 0);
}

// Thrown by testDevice when there is no renderer: each test that needs one fails with the reason
// instead of calling into a missing context.
struct NoRenderer : std::runtime_error {
    using std::runtime_error::runtime_error;
};

GlApi testApi() {
    const char* name = std::getenv("QZ_GL");
    return name && std::strcmp(name, "es") == 0 ? kGlEs : kGlCore;
}

RenderDevice& testDevice() {
    static std::string failure;
    if (ready) return device;
    if (!failure.empty()) throw NoRenderer(failure);
    pinSoftwareRasterizer();
    arenaInit();
    device.width = kTestWidth;
    device.height = kTestHeight;
    device.aspect = (float)kTestWidth / (float)kTestHeight;
    device.api = testApi();
    SDL_Window* window = openHeadlessWindow(kTestWidth, kTestHeight, device.api);
    const char* failed = nullptr;
    if (!createDevice(window, false, device) || !compileShaderLibrary(device, &failed) ||
        !linkShaderPrograms(device, nullptr, 0)) {
        failure = std::string("no renderer for the tests: ") + renderError();
        throw NoRenderer(failure);
    }
    clearMesh(quadMesh);
    addcube(quadMesh, 0.0f);
    setnorm(quadMesh);
    uploadQuadMesh(gpuMeshes[kTestCubeMesh], quadMesh, 0);
    if (!createRenderResources(false, false, device)) {
        failure = std::string("no renderer for the tests: ") + renderError();
        throw NoRenderer(failure);
    }
    ready = true;
    return device;
}

void readTexture(GLuint texture, uint32_t width, uint32_t height, uint8_t* rgba) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, (GLsizei)width, (GLsizei)height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
}

void readBuffer(GLuint buffer, size_t bytes, void* out) {
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    const void* data = glMapBufferRange(GL_UNIFORM_BUFFER, 0, (GLsizeiptr)bytes, GL_MAP_READ_BIT);
    if (data) std::memcpy(out, data, bytes);
    glUnmapBuffer(GL_UNIFORM_BUFFER);
}

TestFrame* newTestFrame() {
    static TestFrame frame; // large lists: kept out of the stack
    std::memset(&frame, 0, sizeof frame);
    frame.camera = CameraState{{0, 0, 5}, {0, 0, 0}, {0, 1, 0}, 1.5707964f, (float)kTestWidth / kTestHeight,
                               0.05f,     1000.0f};
    frame.settings = defaultFrameSettings();
    return &frame;
}

FrameInput inputOf(TestFrame& f) {
    return FrameInput{&f.opaque,   &f.blended, &f.sprites,  &f.camera,
                      &f.settings, &f.lines,   f.everyPass, nullptr};
}

std::vector<uint8_t> renderAndRead(TestFrame& f) {
    RenderDevice& dev = testDevice();
    renderFrame(dev, inputOf(f));
    std::vector<uint8_t> image((size_t)dev.width * dev.height * 4);
    readBackBuffer(dev, image.data());
    GLenum error = glGetError();
    if (error != GL_NO_ERROR) ADD_FAILURE() << "OpenGL error 0x" << std::hex << error << " in the frame";
    return image;
}

DrawRecord cubeRecord(int vertexShader, int pixelShader, float x, float y, float z) {
    DrawRecord r = {};
    r.mesh = kTestCubeMesh;
    r.vertexShader = vertexShader;
    r.pixelShader = pixelShader;
    r.texture = 0;
    r.position[0] = r.prevPosition[0] = x;
    r.position[1] = r.prevPosition[1] = y;
    r.position[2] = r.prevPosition[2] = z;
    for (int k = 0; k < 3; ++k) r.scale[k] = r.prevScale[k] = 1.0f;
    return r;
}

Rgba pixelAt(const std::vector<uint8_t>& image, int x, int y) {
    const uint8_t* p = &image[((size_t)y * kTestWidth + x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}

Rgba bytesOf(float r, float g, float b, float a) {
    auto byte = [](float v) { return (int)std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f); };
    return Rgba{byte(r), byte(g), byte(b), byte(a)};
}

bool near(Rgba a, Rgba b, int t) {
    return std::abs(a.r - b.r) <= t && std::abs(a.g - b.g) <= t && std::abs(a.b - b.b) <= t &&
           std::abs(a.a - b.a) <= t;
}
