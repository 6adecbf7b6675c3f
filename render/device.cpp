// device.cpp - context, back buffer, depth buffer, fixed states, constant blocks, targets, blends.
#include "render/device.h"

#include <cfloat>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <epoxy/wgl.h>
// On Windows the GL entry points belong to a context: the launcher's were another's.
static void adoptContextEntryPoints() {
    epoxy_handle_external_wglMakeCurrent();
}
#else
static void adoptContextEntryPoints() {}
#endif

namespace {

constexpr float kZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};

uint32_t fullMipCount(uint32_t width, uint32_t height) {
    uint32_t levels = 1;
    for (uint32_t size = width > height ? width : height; size > 1; size >>= 1) ++levels;
    return levels;
}

uint32_t levelSize(uint32_t size, uint32_t level) {
    return (size >> level) > 0 ? size >> level : 1;
}

// Checks the framebuffer bound for drawing.
bool framebufferComplete(const char* name) {
    GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    if (status == GL_FRAMEBUFFER_COMPLETE) return true;
    setRenderError("render target %s is incomplete (status 0x%x)", name, status);
    return false;
}

// A colour texture of the back buffer's size (all of its mip levels defined, every texel zero) in a
// framebuffer with the shared depth buffer.
bool makeTarget(RenderDevice& dev, GLenum format, bool mipChain, const char* name, RenderTarget& t) {
    t = RenderTarget{};
    t.width = (uint32_t)dev.width;
    t.height = (uint32_t)dev.height;
    t.levels = mipChain ? fullMipCount(t.width, t.height) : 1;
    t.format = format;
    const GLenum type = format == GL_RGBA16F ? GL_HALF_FLOAT : GL_UNSIGNED_BYTE;
    glGenTextures(1, &t.texture);
    bindTextureForEdit(t.texture);
    for (uint32_t level = 0; level < t.levels; ++level)
        glTexImage2D(GL_TEXTURE_2D, (GLint)level, (GLint)format, (GLsizei)levelSize(t.width, level),
                     (GLsizei)levelSize(t.height, level), 0, GL_RGBA, type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, (GLint)t.levels - 1);
    glGenFramebuffers(1, &t.framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, t.framebuffer);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.texture, 0);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              dev.depthBuffer);
    const bool complete = framebufferComplete(name);
    if (complete) glClearBufferfv(GL_COLOR, 0, kZero);
    // The smaller levels are cleared where they lie too (generating the mips of an empty picture would
    // cost the driver the code of a mip pass, and give the same zeros), each alone in the framebuffer:
    // WebGL wants every attachment of one size, and the depth buffer is level 0's.
    if (complete && t.levels > 1) {
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
        for (uint32_t level = 1; level < t.levels; ++level) {
            glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.texture,
                                   (GLint)level);
            glClearBufferfv(GL_COLOR, 0, kZero);
        }
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.texture, 0);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  dev.depthBuffer);
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dev.boundFramebuffer);
    return complete;
}

//-----------------------------------------------------------------------------
// The stages of createDevice
//-----------------------------------------------------------------------------

bool createContext(SDL_Window* window, RenderDevice& dev) {
    dev.context = SDL_GL_CreateContext(window);
    if (!dev.context) {
        setRenderError("cannot create an %s context: %s", glApiTitle(dev.api), SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(window, dev.context);
    adoptContextEntryPoints();
    return checkGlSupport(dev.api);
}

// The RGBA8 back buffer and the one depth buffer every target shares.
bool createBackBuffer(RenderDevice& dev) {
    glGenTextures(1, &dev.backBufferTexture);
    bindTextureForEdit(dev.backBufferTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, dev.width, dev.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenRenderbuffers(1, &dev.depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, dev.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, dev.width, dev.height);
    glGenFramebuffers(1, &dev.backBufferView);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dev.backBufferView);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, dev.backBufferTexture,
                           0);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              dev.depthBuffer);
    if (!framebufferComplete("backBufferView")) return false;
    bindBackBuffer(dev);
    glViewport(0, 0, dev.width, dev.height);
    return true;
}

// Rasterizer: solid, no culling, no scissor, no stencil (depth clip and single sampling are the
// defaults of both APIs). Depth: test LESS, writes on.
void setFixedStates(RenderDevice& dev) {
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DITHER); // some drivers dither 8-bit targets by default; keep frames exact
    dev.depthEnable = true;
    dev.depthFunc = GL_LESS;
    dev.savedDepthFunc = GL_LESS;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
}

// The one sampler: linear, mip-linear, wrapping, every mip level allowed; bound to every unit.
void createSampler(RenderDevice& dev) {
    glGenSamplers(1, &dev.sampler);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_WRAP_R, GL_REPEAT);
    glSamplerParameterf(dev.sampler, GL_TEXTURE_MIN_LOD, 0.0f);
    glSamplerParameterf(dev.sampler, GL_TEXTURE_MAX_LOD, FLT_MAX);
    for (int unit = 0; unit < kTextureUnitCount; ++unit) glBindSampler((GLuint)unit, dev.sampler);
}

// Full-screen strips read no vertex buffer; each mesh brings its own vertex array (render/gpu_mesh).
void createEmptyLayout(RenderDevice& dev) {
    glGenVertexArrays(1, &dev.emptyLayout);
    bindVertexArray(dev, dev.emptyLayout);
}

bool noGlError(const char* what) {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR) return true;
    setRenderError("OpenGL reported error 0x%x while creating %s", error, what);
    return false;
}

} // namespace

//-----------------------------------------------------------------------------
// Creation
//-----------------------------------------------------------------------------

SDL_Window* openHeadlessWindow(int width, int height, GlApi api) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        setRenderError("cannot start SDL's offscreen video driver: %s", SDL_GetError());
        return nullptr;
    }
    requestGlAttributes(api);
    SDL_Window* window =
        SDL_CreateWindow("qz001", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) setRenderError("cannot open an offscreen OpenGL surface: %s", SDL_GetError());
    return window;
}

bool createDevice(SDL_Window* window, bool fullScreen, RenderDevice& dev) {
    dev.window = window;
    if (!window) {
        if (!renderError()[0]) setRenderError("no window to render into");
        return false;
    }
    // Full screen differs from windowed only in the window's mode; the targets are the same.
    if (fullScreen && !(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN))
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    if (!createContext(window, dev)) return false;
    if (!createBackBuffer(dev)) return false;
    setFixedStates(dev);
    createSampler(dev);
    createEmptyLayout(dev);
    return noGlError("the device");
}

bool createRenderResources(bool vsync, bool antialias, RenderDevice& dev) {
    dev.vsync = vsync;
    dev.antialias = antialias;
    SDL_GL_SetSwapInterval(vsync ? 1 : 0);

    glGenBuffers(kConstantSlotCount, dev.constantBuffers);
    for (uint32_t slot = 0; slot < kConstantSlotCount; ++slot) {
        glBindBuffer(GL_UNIFORM_BUFFER, dev.constantBuffers[slot]);
        glBufferData(GL_UNIFORM_BUFFER, kConstantBlockBytes[slot], nullptr, GL_DYNAMIC_DRAW);
        glBindBufferBase(GL_UNIFORM_BUFFER, slot, dev.constantBuffers[slot]);
    }

    if (!makeTarget(dev, GL_RGBA8, true, "sceneColor", dev.sceneColor) ||
        !makeTarget(dev, GL_RGBA8, true, "bloomHighlight", dev.bloomHighlight) ||
        !makeTarget(dev, GL_RGBA8, true, "bloomBlur", dev.bloomBlur) ||
        !makeTarget(dev, GL_RGBA8, true, "compositeColor", dev.compositeColor) ||
        !makeTarget(dev, GL_RGBA16F, false, "velocityDepth", dev.velocityDepth) ||
        !makeTarget(dev, GL_RGBA16F, false, "dofBlur", dev.dofBlur) ||
        !makeTarget(dev, GL_RGBA16F, false, "blurTemp", dev.blurTemp))
        return false;

    OneTimeData oneTime = {};
    oneTime.w_width = (float)dev.width;
    oneTime.w_height = (float)dev.height;
    uploadConstants(dev, kOneTimeSlot, &oneTime);

    dev.blendOpaque = {false, false, GL_ONE, GL_ZERO, GL_FUNC_ADD, GL_ONE, GL_ZERO, GL_FUNC_ADD};
    dev.blendAlpha = {false,       true,   GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                      GL_FUNC_ADD, GL_ONE, GL_ZERO,      GL_FUNC_ADD};
    dev.blendAdditive = {true, true, GL_ONE, GL_ONE, GL_FUNC_ADD, GL_ZERO, GL_ZERO, GL_FUNC_ADD};
    bindBlend(dev, dev.blendOpaque);
    if (!noGlError("the render resources")) return false;
    dev.resourcesReady = true;
    return true;
}

//-----------------------------------------------------------------------------
// State and binding
//-----------------------------------------------------------------------------

void setDepthTest(RenderDevice& dev, bool on) {
    if (on) {
        dev.depthFunc = dev.savedDepthFunc;
        dev.depthEnable = true;
        glEnable(GL_DEPTH_TEST);
    } else {
        // Only an enabled state is remembered: the bloom pass turns depth off around a blur that turns
        // it off again, and remembering ALWAYS there would leave depth testing broken afterwards.
        if (dev.depthEnable) dev.savedDepthFunc = dev.depthFunc;
        dev.depthFunc = GL_ALWAYS;
        dev.depthEnable = false;
        glDisable(GL_DEPTH_TEST); // also stops depth writes
    }
    glDepthFunc(dev.depthFunc);
}

void bindBlend(RenderDevice&, const BlendState& blend) {
    if (blend.enable)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    if (blend.alphaToCoverage)
        glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    else
        glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    glBlendFuncSeparate(blend.srcColor, blend.dstColor, blend.srcAlpha, blend.dstAlpha);
    glBlendEquationSeparate(blend.opColor, blend.opAlpha);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// Orphans and refills the whole block, like a discard-mapped write.
void uploadConstants(RenderDevice& dev, ConstantSlot slot, const void* data) {
    glBindBuffer(GL_UNIFORM_BUFFER, dev.constantBuffers[slot]);
    glBufferData(GL_UNIFORM_BUFFER, kConstantBlockBytes[slot], data, GL_DYNAMIC_DRAW);
}

void bindFramebuffer(RenderDevice& dev, GLuint framebuffer, GLuint colorTexture) {
    // A texture that becomes the output is taken off every unit, so no pass reads what it writes.
    for (int unit = 0; unit < kTextureUnitCount; ++unit)
        if (colorTexture && dev.boundTextures[unit] == colorTexture) bindTexture(dev, unit, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    dev.boundFramebuffer = framebuffer;
}

void bindTarget(RenderDevice& dev, const RenderTarget& target) {
    bindFramebuffer(dev, target.framebuffer, target.texture);
}

void bindBackBuffer(RenderDevice& dev) {
    bindFramebuffer(dev, dev.backBufferView, dev.backBufferTexture);
}

void bindTexture(RenderDevice& dev, int unit, GLuint texture) {
    if (dev.boundTextures[unit] == texture) return;
    glActiveTexture(GL_TEXTURE0 + (GLenum)unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    dev.boundTextures[unit] = texture;
}

void bindTextureForEdit(GLuint texture) {
    glActiveTexture(GL_TEXTURE0 + kEditUnit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void bindVertexArray(RenderDevice& dev, GLuint vertexArray) {
    if (dev.boundVertexArray == vertexArray) return;
    glBindVertexArray(vertexArray);
    dev.boundVertexArray = vertexArray;
}

void clearColor(RenderDevice& dev, GLuint framebuffer, const float rgba[4]) {
    if (framebuffer != dev.boundFramebuffer) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glClearBufferfv(GL_COLOR, 0, rgba);
    if (framebuffer != dev.boundFramebuffer) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dev.boundFramebuffer);
}

void clearDepth(RenderDevice& dev, GLuint framebuffer) {
    if (framebuffer != dev.boundFramebuffer) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glClearBufferfi(GL_DEPTH_STENCIL, 0, 1.0f, 0);
    if (framebuffer != dev.boundFramebuffer) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dev.boundFramebuffer);
}

void drawStrip(RenderDevice& dev) {
    bindVertexArray(dev, dev.emptyLayout);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

//-----------------------------------------------------------------------------
// Output
//-----------------------------------------------------------------------------

void present(RenderDevice& dev) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(dev.window, &w, &h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, dev.backBufferView);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    SDL_Rect to = {0, 0, w, h};
    if (dev.presentRect.w > 0) {
        to = dev.presentRect;
        const float rest[4] = {0.1f, 0.1f, 0.11f, 1.0f};
        glClearBufferfv(GL_COLOR, 0, rest);
    }
    // Row 0 of the back buffer is the top of the image; the window's row 0 is its bottom.
    glBlitFramebuffer(0, 0, dev.width, dev.height, to.x, h - to.y, to.x + to.w, h - to.y - to.h,
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
    if (dev.overlay) dev.overlay(dev.overlayUser);
    SDL_GL_SwapWindow(dev.window);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dev.boundFramebuffer);
}

void readBackBuffer(RenderDevice& dev, uint8_t* rgba) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, dev.backBufferView);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, dev.width, dev.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void readTarget(const RenderTarget& target, float* rgba) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    const GLsizei w = (GLsizei)target.width, h = (GLsizei)target.height;
    if (target.format != GL_RGBA8) {
        glReadPixels(0, 0, w, h, GL_RGBA, GL_FLOAT, rgba);
        return;
    }
    // ES reads 8-bit targets only as bytes: read them into the front of the buffer and widen them in
    // place from the last one down (float i lies at or after byte i, which is read before it is hit).
    uint8_t* bytes = (uint8_t*)rgba;
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bytes);
    for (size_t i = (size_t)w * (size_t)h * 4; i-- > 0;) rgba[i] = (float)bytes[i] / 255.0f;
}
