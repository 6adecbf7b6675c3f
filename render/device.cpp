// device.cpp - context, back buffer, depth buffer, fixed states, constant blocks, targets, blends.
#include "render/device.h"

#include <cfloat>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

char errorText[16384];

constexpr float kZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};

uint32_t fullMipCount(uint32_t width, uint32_t height) {
    uint32_t levels = 1;
    for (uint32_t size = width > height ? width : height; size > 1; size >>= 1) ++levels;
    return levels;
}

RenderTarget makeTarget(RenderDevice& dev, GLenum format, bool mipChain) {
    RenderTarget t = {};
    t.width = (uint32_t)dev.width;
    t.height = (uint32_t)dev.height;
    t.levels = mipChain ? fullMipCount(t.width, t.height) : 1;
    glCreateTextures(GL_TEXTURE_2D, 1, &t.texture);
    glTextureStorage2D(t.texture, (GLsizei)t.levels, format, (GLsizei)t.width, (GLsizei)t.height);
    for (uint32_t level = 0; level < t.levels; ++level)
        glClearTexImage(t.texture, (GLint)level, GL_RGBA, GL_FLOAT, kZero);
    glCreateFramebuffers(1, &t.framebuffer);
    glNamedFramebufferTexture(t.framebuffer, GL_COLOR_ATTACHMENT0, t.texture, 0);
    glNamedFramebufferRenderbuffer(t.framebuffer, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                   dev.depthBuffer);
    if (mipChain) glGenerateTextureMipmap(t.texture);
    return t;
}

bool framebufferComplete(GLuint framebuffer, const char* name) {
    GLenum status = glCheckNamedFramebufferStatus(framebuffer, GL_DRAW_FRAMEBUFFER);
    if (status == GL_FRAMEBUFFER_COMPLETE) return true;
    setRenderError("render target %s is incomplete (status 0x%x)", name, status);
    return false;
}

} // namespace

//-----------------------------------------------------------------------------
// Errors
//-----------------------------------------------------------------------------

const char* renderError() {
    return errorText;
}

void setRenderError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(errorText, sizeof errorText, format, args);
    va_end(args);
}

//-----------------------------------------------------------------------------
// Creation
//-----------------------------------------------------------------------------

void requestGlAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

SDL_Window* openHeadlessWindow(int width, int height) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        setRenderError("cannot start SDL's offscreen video driver: %s", SDL_GetError());
        return nullptr;
    }
    requestGlAttributes();
    SDL_Window* window =
        SDL_CreateWindow("qz001", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) setRenderError("cannot open an offscreen OpenGL surface: %s", SDL_GetError());
    return window;
}

bool createDevice(SDL_Window* window, bool fullScreen, RenderDevice& dev) {
    dev.window = window;
    if (!window) {
        if (!errorText[0]) setRenderError("no window to render into");
        return false;
    }
    // Full screen differs from windowed only in the window's mode; the targets are the same.
    if (fullScreen && !(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN))
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    dev.context = SDL_GL_CreateContext(window);
    if (!dev.context) {
        setRenderError("cannot create an OpenGL 4.5 core context: %s", SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(window, dev.context);
    if (epoxy_gl_version() < 45) {
        setRenderError("OpenGL 4.5 is required, the driver offers %d.%d (%s)", epoxy_gl_version() / 10,
                       epoxy_gl_version() % 10, (const char*)glGetString(GL_RENDERER));
        return false;
    }
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);

    // Back buffer and the one depth buffer.
    glCreateTextures(GL_TEXTURE_2D, 1, &dev.backBufferTexture);
    glTextureStorage2D(dev.backBufferTexture, 1, GL_RGBA8, dev.width, dev.height);
    glCreateRenderbuffers(1, &dev.depthBuffer);
    glNamedRenderbufferStorage(dev.depthBuffer, GL_DEPTH24_STENCIL8, dev.width, dev.height);
    glCreateFramebuffers(1, &dev.backBufferView);
    glNamedFramebufferTexture(dev.backBufferView, GL_COLOR_ATTACHMENT0, dev.backBufferTexture, 0);
    glNamedFramebufferRenderbuffer(dev.backBufferView, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                   dev.depthBuffer);
    if (!framebufferComplete(dev.backBufferView, "backBufferView")) return false;
    bindFramebuffer(dev, dev.backBufferView);
    glViewport(0, 0, dev.width, dev.height);
    glDepthRangef(0.0f, 1.0f);

    // Rasterizer: solid, no culling, depth clip on, no scissor, no multisampling.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_CLAMP);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_MULTISAMPLE);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DITHER); // some drivers dither 8-bit targets by default; keep frames exact

    // Depth: test LESS, writes on.
    dev.depthEnable = true;
    dev.depthFunc = GL_LESS;
    dev.savedDepthFunc = GL_LESS;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);

    // The one sampler: linear, mip-linear, wrapping, every mip level allowed.
    glCreateSamplers(1, &dev.sampler);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glSamplerParameteri(dev.sampler, GL_TEXTURE_WRAP_R, GL_REPEAT);
    glSamplerParameterf(dev.sampler, GL_TEXTURE_LOD_BIAS, 0.0f);
    glSamplerParameterf(dev.sampler, GL_TEXTURE_MIN_LOD, 0.0f);
    glSamplerParameterf(dev.sampler, GL_TEXTURE_MAX_LOD, FLT_MAX);
    glSamplerParameterfv(dev.sampler, GL_TEXTURE_BORDER_COLOR, kZero);
    for (int unit = 0; unit < kTextureUnitCount; ++unit) glBindSampler((GLuint)unit, dev.sampler);

    // Shaders are bound stage by stage through one program pipeline.
    glUseProgram(0);
    glCreateProgramPipelines(1, &dev.pipeline);
    glBindProgramPipeline(dev.pipeline);

    // The 68-byte vertex: P, N, T (4 floats), C (4 normalised bytes), G (4 floats) at locations 0..4.
    glCreateVertexArrays(1, &dev.meshLayout);
    const GLuint offsets[5] = {0, 16, 32, 48, 52};
    for (GLuint a = 0; a < 5; ++a) {
        glEnableVertexArrayAttrib(dev.meshLayout, a);
        if (a == 3)
            glVertexArrayAttribFormat(dev.meshLayout, a, 4, GL_UNSIGNED_BYTE, GL_TRUE, offsets[a]);
        else
            glVertexArrayAttribFormat(dev.meshLayout, a, 4, GL_FLOAT, GL_FALSE, offsets[a]);
        glVertexArrayAttribBinding(dev.meshLayout, a, 0);
    }
    glCreateVertexArrays(1, &dev.emptyLayout);
    glBindVertexArray(dev.emptyLayout);
    if (glGetError() != GL_NO_ERROR) {
        setRenderError("OpenGL reported an error while creating the device");
        return false;
    }
    return true;
}

bool createRenderResources(bool vsync, bool antialias, RenderDevice& dev) {
    dev.vsync = vsync;
    dev.antialias = antialias;
    SDL_GL_SetSwapInterval(vsync ? 1 : 0);

    glCreateBuffers(kConstantSlotCount, dev.constantBuffers);
    for (uint32_t slot = 0; slot < kConstantSlotCount; ++slot) {
        glNamedBufferData(dev.constantBuffers[slot], kConstantBlockBytes[slot], nullptr, GL_DYNAMIC_DRAW);
        glBindBufferBase(GL_UNIFORM_BUFFER, slot, dev.constantBuffers[slot]);
    }

    dev.sceneColor = makeTarget(dev, GL_RGBA8, true);
    dev.bloomHighlight = makeTarget(dev, GL_RGBA8, true);
    dev.bloomBlur = makeTarget(dev, GL_RGBA8, true);
    dev.compositeColor = makeTarget(dev, GL_RGBA8, true);
    dev.velocityDepth = makeTarget(dev, GL_RGBA16F, false);
    dev.dofBlur = makeTarget(dev, GL_RGBA16F, false);
    dev.blurTemp = makeTarget(dev, GL_RGBA16F, false);
    const RenderTarget* targets[] = {&dev.sceneColor,     &dev.bloomHighlight, &dev.bloomBlur,
                                     &dev.compositeColor, &dev.velocityDepth,  &dev.dofBlur,
                                     &dev.blurTemp};
    const char* names[] = {"sceneColor",    "bloomHighlight", "bloomBlur", "compositeColor",
                           "velocityDepth", "dofBlur",        "blurTemp"};
    for (int i = 0; i < 7; ++i)
        if (!framebufferComplete(targets[i]->framebuffer, names[i])) return false;

    OneTimeData oneTime = {};
    oneTime.w_width = (float)dev.width;
    oneTime.w_height = (float)dev.height;
    uploadConstants(dev, kOneTimeSlot, &oneTime);

    dev.blendOpaque = {false, false, GL_ONE, GL_ZERO, GL_FUNC_ADD, GL_ONE, GL_ZERO, GL_FUNC_ADD};
    dev.blendAlpha = {false,       true,   GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                      GL_FUNC_ADD, GL_ONE, GL_ZERO,      GL_FUNC_ADD};
    dev.blendAdditive = {true, true, GL_ONE, GL_ONE, GL_FUNC_ADD, GL_ZERO, GL_ZERO, GL_FUNC_ADD};
    bindBlend(dev, dev.blendOpaque);
    if (glGetError() != GL_NO_ERROR) {
        setRenderError("OpenGL reported an error while creating the render resources");
        return false;
    }
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
    glNamedBufferData(dev.constantBuffers[slot], kConstantBlockBytes[slot], data, GL_DYNAMIC_DRAW);
}

void bindFramebuffer(RenderDevice& dev, GLuint framebuffer) {
    GLint attached = 0;
    if (framebuffer) {
        GLint type = 0;
        glGetNamedFramebufferAttachmentParameteriv(framebuffer, GL_COLOR_ATTACHMENT0,
                                                   GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
        if (type == GL_TEXTURE)
            glGetNamedFramebufferAttachmentParameteriv(framebuffer, GL_COLOR_ATTACHMENT0,
                                                       GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
    }
    // A texture that becomes the output is taken off every unit, so no pass reads what it writes.
    for (int unit = 0; unit < kTextureUnitCount; ++unit)
        if (attached && dev.boundTextures[unit] == (GLuint)attached) bindTexture(dev, unit, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    dev.boundFramebuffer = framebuffer;
}

void bindTarget(RenderDevice& dev, const RenderTarget& target) {
    bindFramebuffer(dev, target.framebuffer);
}

void bindTexture(RenderDevice& dev, int unit, GLuint texture) {
    if (dev.boundTextures[unit] == texture) return;
    glBindTextureUnit((GLuint)unit, texture);
    dev.boundTextures[unit] = texture;
}

void clearColor(GLuint framebuffer, const float rgba[4]) {
    glClearNamedFramebufferfv(framebuffer, GL_COLOR, 0, rgba);
}

void clearDepth(GLuint framebuffer) {
    glClearNamedFramebufferfi(framebuffer, GL_DEPTH_STENCIL, 0, 1.0f, 0);
}

void drawStrip(RenderDevice& dev) {
    glBindVertexArray(dev.emptyLayout);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

//-----------------------------------------------------------------------------
// Output
//-----------------------------------------------------------------------------

void present(RenderDevice& dev) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(dev.window, &w, &h);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Row 0 of the back buffer is the top of the image; the window's row 0 is its bottom.
    glBlitNamedFramebuffer(dev.backBufferView, 0, 0, 0, dev.width, dev.height, 0, h, w, 0,
                           GL_COLOR_BUFFER_BIT, GL_LINEAR);
    SDL_GL_SwapWindow(dev.window);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dev.boundFramebuffer);
}

void readBackBuffer(RenderDevice& dev, uint8_t* rgba) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, dev.backBufferView);
    glNamedFramebufferReadBuffer(dev.backBufferView, GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, dev.width, dev.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void readTarget(const RenderTarget& target, float* rgba) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTextureImage(target.texture, 0, GL_RGBA, GL_FLOAT, (GLsizei)(target.width * target.height * 16),
                      rgba);
}
