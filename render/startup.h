// startup.h - the renderer's part of start-up, in the show's order, and the frame hand-off from the
// director.
//
//     createTextMeshes(textStrings, kTextLineCount); // before the device (data/text_lines.h)
//     RenderDevice dev = {};
//     RendererDesc desc = {kShowWidth, kShowHeight, vsync, antialias};
//     if (!startRenderer(dev, desc, window)) die(renderError());
//     ...
//     renderFrame(dev, directorFrameInput());    // after evaluateScene
//
// startRenderer runs: device, shader library (compiled, then the pairs in use linked), text GPU meshes
// 0..17, program meshes 18..57, textures (their sizes read, their pixels decoded in the background and
// uploaded by the time a draw first samples them), render resources. Each step can fail with a message
// in renderError().
#pragma once

#include "render/device.h"
#include "render/frame.h"

struct RendererDesc {
    int width; // back-buffer size
    int height;
    bool vsync;
    bool antialias;
    bool fullScreen;
    int spriteWidth; // sprites keep their size relative to a picture of this size; 0 = the back buffer's
    int spriteHeight;
    GlApi api;                         // the context `window` was made for
    const DrawShaderPair* shaderPairs; // what the scene data draws with, linked before the first frame
    uint32_t shaderPairCount;
};

// Time spent in each start-up step, in seconds (filled by startRenderer).
struct StartupTimes {
    double device;
    double shaders;
    double meshes;
    double textures;
    double resources;
};

// `window` must have been made with SDL_WINDOW_OPENGL after requestGlAttributes(desc.api).
bool startRenderer(RenderDevice& dev, const RendererDesc& desc, SDL_Window* window,
                   StartupTimes* times = nullptr);

// The same steps one at a time, for a caller that shows progress between them (the browser):
// step 0..kRendererStepCount-1 in order, each timed into `times`.
inline constexpr int kRendererStepCount = 5;
inline constexpr int kTexturesStep = 3; // the step that starts the background loads of the images
bool runRendererStep(RenderDevice& dev, const RendererDesc& desc, SDL_Window* window, int step,
                     StartupTimes& times);

// The embedded images into textures[0..30], all of them before it returns.
bool loadEmbeddedTextures();
// The same in the background (the textures step of startRenderer): each texture is made when a draw
// first asks for it, or one a frame before that (render/textures.h).
bool startEmbeddedTextures();
// That start before the window and GL context exist; the textures step then keeps it.
void prestartEmbeddedTextures();

// The director's lists, camera and settings as one frame's input.
FrameInput directorFrameInput();
