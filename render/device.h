// device.h - the device on OpenGL 3.3 core or OpenGL ES 3.0: context, back buffer, depth buffer, fixed
// states, the seven constant blocks, the seven off-screen targets and the three blend states.
//
// Start-up, in this order (nothing is ever released while the show runs):
//
//     SDL_Window* w = openHeadlessWindow(1280, 720, kGlEs); // or a show window made with SDL_WINDOW_OPENGL
//     RenderDevice dev = {};
//     dev.width = 1280; dev.height = 720; dev.aspect = 1280.0f / 720.0f; dev.api = kGlEs;
//     if (!createDevice(w, false, dev)) die(renderError());
//     ... shader library, meshes, textures ...
//     createRenderResources(vsync, antialias, dev);
//
// The picture's conventions (row 0 at the top of every target, depth 0..1, uv with v down) are kept by
// our own arithmetic, the same on both APIs (neither has clip control):
// - every vertex stage ends by writing (x, -y, 2z - w, w) of the position it computed (entry.glsl):
//   y negated, so clip-space y = +1 lands on row 0, the first row in memory, and gl_FragCoord.y counts
//   rows from the top; depth 0..1 stretched to GL's -1..1, so the depth buffer and gl_FragCoord.z hold
//   z / w as computed;
// - so uv (0, 0) samples row 0, the top, as every pass expects;
// - `backBufferView` is an RGBA8 framebuffer of our own: `present` blits it to the window with y
//   flipped (the window's row 0 is its bottom), `readBackBuffer` and `readTarget` return rows as they
//   lie in memory, top first.
// Objects are edited bound to the spare texture unit kEditUnit, never to the eight units the passes
// sample, so the record of what each unit holds stays true.
#pragma once

#include <SDL.h>
#include <cstdint>
#include <epoxy/gl.h>

#include "render/constants.h"
#include "render/gl_dialect.h"
#include "render/render_error.h"

struct RenderTarget {
    GLuint texture;     // colour texture (shader-resource view)
    GLuint framebuffer; // the texture with the shared depth buffer (render-target view)
    uint32_t width;
    uint32_t height;
    uint32_t levels; // mip levels of the texture
    GLenum format;   // GL_RGBA8 or GL_RGBA16F
};

struct BlendState {
    bool alphaToCoverage;
    bool enable;
    GLenum srcColor, dstColor, opColor;
    GLenum srcAlpha, dstAlpha, opAlpha;
};

// The eight units the passes sample (t0..t7), by the sampler the shader library binds to each.
enum TextureUnit : int {
    kColorMapUnit = 0,      // colorMap: the scene's colour
    kVelocityDepthUnit = 1, // velocityAndDepthMap
    kBloomMapUnit = 2,      // bloomMap: the bloom, and what a gaussian blur reads
    kPostEffectUnit = 3,    // postEffectRT: the composite, for FXAA
    kBackBufferUnit = 4,    // backBufferRT
    kDofBokehUnit = 5,      // dofBokhRT: the depth-of-field blur
    kSpriteUnit = 6,        // sprite
    kColorTexUnit = 7,      // colorTex: a draw record's texture
    kTextureUnitCount = 8
};
inline constexpr GLuint kEditUnit = kTextureUnitCount; // where textures are bound to be created or changed

struct RenderDevice {
    SDL_Window* window;
    SDL_GLContext context;
    int32_t width; // back-buffer size in pixels
    int32_t height;
    float aspect;         // width / height, set by the caller before createDevice
    int32_t spriteWidth;  // the picture size sprite sizes are measured against (texture pixels on it);
    int32_t spriteHeight; // the back-buffer size unless a smaller render stands in for the show's
    bool ownsWindow;      // opened by openHeadlessWindow
    GlApi api;            // set by the caller before createDevice

    GLuint backBufferTexture;
    GLuint backBufferView; // framebuffer: backBufferTexture + depthBuffer
    GLuint depthBuffer;    // D24S8 renderbuffer
    bool depthEnable;      // the current depth state
    GLenum depthFunc;
    GLenum savedDepthFunc; // remembered by setDepthTest(false)
    GLuint sampler;        // linear, mip-linear, wrap: bound to every unit
    GLuint emptyLayout;    // vertex array with no attributes, for strips made from the vertex id
    GLuint boundTextures[kTextureUnitCount];
    GLuint boundFramebuffer;
    GLuint boundVertexArray;
    GLuint boundProgram;        // the linked program in use, so an unchanged pair is not rebound
    GLint boundAlphaToCoverage; // its spriteAlphaToCoverage location, -1 when it has none

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

    // Set by a caller whose window holds more than the picture (the edit mode's panels).
    SDL_Rect presentRect;        // where present puts the picture, top-left origin; w 0 = the whole window
    void (*overlay)(void* user); // drawn over the window after the picture, before the swap
    void* overlayUser;
};

//-----------------------------------------------------------------------------
// Creation
//-----------------------------------------------------------------------------

// A hidden window with an OpenGL surface on SDL's offscreen driver (EGL, no display needed).
SDL_Window* openHeadlessWindow(int width, int height, GlApi api);
// Creates the context on `window` (made with SDL_WINDOW_OPENGL) and the device half of `dev`.
bool createDevice(SDL_Window* window, bool fullScreen, RenderDevice& dev);
bool createRenderResources(bool vsync, bool antialias, RenderDevice& dev);

//-----------------------------------------------------------------------------
// State and binding
//-----------------------------------------------------------------------------

void setDepthTest(RenderDevice& dev, bool on);
void bindBlend(RenderDevice& dev, const BlendState& blend);
void uploadConstants(RenderDevice& dev, ConstantSlot slot, const void* data); // the whole block
// Makes `framebuffer` the output; `colorTexture` (what it writes) is taken off every unit first.
void bindFramebuffer(RenderDevice& dev, GLuint framebuffer, GLuint colorTexture);
void bindTarget(RenderDevice& dev, const RenderTarget& target);
void bindBackBuffer(RenderDevice& dev);
void bindTexture(RenderDevice& dev, int unit, GLuint texture);
void bindTextureForEdit(GLuint texture); // on kEditUnit
void bindVertexArray(RenderDevice& dev, GLuint vertexArray);
// Clear one framebuffer, bound or not; the bound one stays bound.
void clearColor(RenderDevice& dev, GLuint framebuffer, const float rgba[4]);
void clearDepth(RenderDevice& dev, GLuint framebuffer); // depth 1, stencil 0
void drawStrip(RenderDevice& dev); // 4 strip vertices from the vertex id, no vertex buffer

//-----------------------------------------------------------------------------
// Output
//-----------------------------------------------------------------------------

// Blits the back buffer to the window (into presentRect when set, the rest cleared), draws the
// overlay, swaps.
void present(RenderDevice& dev);
// Copies the back buffer into `rgba` (width x height x 4 bytes, rows top first).
void readBackBuffer(RenderDevice& dev, uint8_t* rgba);
// Copies one target's level 0 as floats (width x height x 4), rows top first.
void readTarget(const RenderTarget& target, float* rgba);
