// device.h - the OpenGL 4.5 device: context, back buffer, depth buffer, fixed states, the seven
// constant blocks, the seven off-screen targets and the three blend states.
//
// Start-up, in this order (nothing is ever released while the show runs):
//
//     SDL_Window* w = openHeadlessWindow(1280, 720);  // or a show window made with SDL_WINDOW_OPENGL
//     RenderDevice dev = {};
//     dev.width = 1280; dev.height = 720; dev.aspect = 1280.0f / 720.0f;
//     if (!createDevice(w, false, dev)) die(renderError());
//     ... shader library, meshes, textures ...
//     createRenderResources(vsync, antialias, dev);
//
// Conventions: glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE), so row 0 of every target is the top of
// the image and depth runs 0..1. `backBufferView` is an RGBA8 framebuffer of our own; `present` blits
// it to the window flipped, `readBackBuffer` returns its rows top first.
#pragma once

#include <SDL.h>
#include <cstdint>
#include <epoxy/gl.h>

#include "render/constants.h"

struct RenderTarget {
    GLuint texture;     // colour texture (shader-resource view)
    GLuint framebuffer; // the texture with the shared depth buffer (render-target view)
    uint32_t width;
    uint32_t height;
    uint32_t levels; // mip levels of the texture
};

struct BlendState {
    bool alphaToCoverage;
    bool enable;
    GLenum srcColor, dstColor, opColor;
    GLenum srcAlpha, dstAlpha, opAlpha;
};

inline constexpr int kTextureUnitCount = 8;

struct RenderDevice {
    SDL_Window* window;
    SDL_GLContext context;
    int32_t width; // back-buffer size in pixels
    int32_t height;
    float aspect;         // width / height, set by the caller before createDevice
    int32_t spriteWidth;  // the picture size sprite sizes are measured against (texture pixels on it);
    int32_t spriteHeight; // the back-buffer size unless a smaller render stands in for the show's
    bool ownsWindow;      // opened by openHeadlessWindow

    GLuint backBufferTexture;
    GLuint backBufferView; // framebuffer: backBufferTexture + depthBuffer
    GLuint depthBuffer;    // D24S8 renderbuffer
    bool depthEnable;      // the current depth state
    GLenum depthFunc;
    GLenum savedDepthFunc; // remembered by setDepthTest(false)
    GLuint sampler;        // linear, mip-linear, wrap: bound to every unit
    GLuint pipeline;       // program pipeline holding the bound vertex and pixel shader
    GLuint meshLayout;     // vertex array of the 68-byte mesh vertex
    GLuint emptyLayout;    // vertex array with no attributes, for strips made from the vertex id
    GLuint boundTextures[kTextureUnitCount];
    GLuint boundFramebuffer;
    GLuint boundVertexProgram; // what the pipeline holds, so unchanged stages are not rebound
    GLuint boundPixelProgram;

    // Created by createRenderResources.
    bool vsync;
    bool antialias;
    GLuint constantBuffers[kConstantSlotCount];
    RenderTarget sceneColor;
    RenderTarget bloomHighlight;
    RenderTarget bloomBlur;
    RenderTarget compositeColor;
    RenderTarget velocityDepth;
    RenderTarget dofBlur;
    RenderTarget blurTemp;
    BlendState blendOpaque;
    BlendState blendAlpha;
    BlendState blendAdditive;
    bool resourcesReady;
    bool sceneMipsBehind; // sceneColor's level 0 is newer than its mip chain
};

//-----------------------------------------------------------------------------
// Creation
//-----------------------------------------------------------------------------

// A hidden window with an OpenGL surface on SDL's offscreen driver (EGL, no display needed).
SDL_Window* openHeadlessWindow(int width, int height);
// Sets the context attributes (OpenGL 4.5 core) that createDevice needs; call before SDL_CreateWindow.
void requestGlAttributes();
// Creates the context on `window` (made with SDL_WINDOW_OPENGL) and the device half of `dev`.
bool createDevice(SDL_Window* window, bool fullScreen, RenderDevice& dev);
bool createRenderResources(bool vsync, bool antialias, RenderDevice& dev);
// The last creation or compile error, one line or a compiler log.
const char* renderError();
void setRenderError(const char* format, ...) __attribute__((format(printf, 1, 2)));

//-----------------------------------------------------------------------------
// State and binding
//-----------------------------------------------------------------------------

void setDepthTest(RenderDevice& dev, bool on);
void bindBlend(RenderDevice& dev, const BlendState& blend);
void uploadConstants(RenderDevice& dev, ConstantSlot slot, const void* data); // the whole block
void bindFramebuffer(RenderDevice& dev, GLuint framebuffer);                  // unbinds it from the units
void bindTarget(RenderDevice& dev, const RenderTarget& target);
void bindTexture(RenderDevice& dev, int unit, GLuint texture);
void clearColor(GLuint framebuffer, const float rgba[4]);
void clearDepth(GLuint framebuffer); // depth 1, stencil 0
void drawStrip(RenderDevice& dev);   // 4 strip vertices from the vertex id, no vertex buffer

//-----------------------------------------------------------------------------
// Output
//-----------------------------------------------------------------------------

void present(RenderDevice& dev);
// Copies the back buffer into `rgba` (width x height x 4 bytes, rows top first).
void readBackBuffer(RenderDevice& dev, uint8_t* rgba);
// Copies one target's level 0 as floats (width x height x 4), rows top first.
void readTarget(const RenderTarget& target, float* rgba);
