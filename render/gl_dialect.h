// gl_dialect.h - the two OpenGL dialects the renderer speaks: desktop OpenGL 3.3 core and OpenGL ES 3.0
// (WebGL2, GLES boards). The passes use only what both offer; everything that differs lives here.
//
//     GlApi api = kGlCore;                       // zero value: desktop core
//     if (!parseGlApi("es", api)) ...             // from a --gl option
//     requestGlAttributes(api);                   // before SDL_CreateWindow
//     ... SDL_GL_CreateContext ...
//     if (!checkGlSupport(api)) die(renderError());
//     glShaderSource(shader, ..., glslPrelude(api) + source ...);
#pragma once

#include <cstdint>

enum GlApi : uint8_t {
    kGlCore = 0, // OpenGL 3.3 core profile (a newer compatible version is fine)
    kGlEs = 1,   // OpenGL ES 3.0 with a renderable half-float colour format
};

// "core" or "es", as the --gl option spells them.
const char* glApiName(GlApi api);
bool parseGlApi(const char* text, GlApi& api);
// "OpenGL 3.3 core" or "OpenGL ES 3.0", for messages.
const char* glApiTitle(GlApi api);

// Context attributes for `api`; call before SDL_CreateWindow.
void requestGlAttributes(GlApi api);
// With the context current: false (and a render error naming what is missing) when the driver offers
// less than the renderer needs.
bool checkGlSupport(GlApi api);

// The lines that start every shader of `api`: the #version line and, on ES, the default precisions.
const char* glslPrelude(GlApi api);
