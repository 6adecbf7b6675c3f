// shader_library.h - the GLSL shader library: common declarations plus every entry point, carried in
// the executable and compiled at start-up into one separable program per entry.
//
//     if (!compileShaderLibrary(dev)) { fprintf(stderr, "%s\n", renderError()); exit(1); }
//     bindShaders(dev, vertexShaders[10], pixelShaders[10]); // baseCookVS / baseCookPS
//
// The two name tables end with a null entry; entry k of a table compiles into slot k of its shader
// table. A draw record names a vertex and a pixel shader by their own indices.
#pragma once

#include <cstdint>
#include <epoxy/gl.h>

#include "render/device.h"

inline constexpr int kShaderTableSize = 64;
inline constexpr int kVertexShaderCount = 19;
inline constexpr int kPixelShaderCount = 21;

extern const char* const vertexShaderNames[kVertexShaderCount + 1]; // null-terminated
extern const char* const pixelShaderNames[kPixelShaderCount + 1];   // null-terminated

// Fixed numbers of the screen-space shaders (same in both tables).
enum ScreenShader : int {
    kVelocityShader = 1,
    kCompositeShader = 2,
    kFxaaShader = 3,
    kBloomHighlightShader = 4,
    kGaussHorizontalShader = 5,
    kGaussVerticalShader = 6,
    kSpriteShader = 7,
};

struct VertexShaderEntry {
    GLuint program; // separable program of the vertex stage; 0 = empty slot
    GLuint layout;  // vertex array the entry's vertices are read through
};

struct PixelShaderEntry {
    GLuint program; // separable program of the fragment stage; 0 = empty slot
};

extern VertexShaderEntry vertexShaders[kShaderTableSize];
extern PixelShaderEntry pixelShaders[kShaderTableSize];

// The composite compiled once more for each set of effects a frame can ask for, without the code
// of the others: a software rasterizer runs both sides of a branch, so a frame without motion blur
// would still pay for its nine taps. pixelShaders[kCompositeShader] keeps every effect.
enum CompositeEffect : int { kCompositeDof = 1, kCompositeBlur = 2, kCompositeBloom = 4 };
inline constexpr int kCompositeVariantCount = 8;
extern PixelShaderEntry compositeShaders[kCompositeVariantCount]; // indexed by CompositeEffect bits
const PixelShaderEntry& compositeShaderFor(bool dof, bool blur, bool bloom);
bool compileCompositeVariants(const char* source, uint32_t length);

// The embedded text (generated from render/shaders/*.glsl).
extern const char shaderDeclarations[];
extern const char shaderBodies[];

// Joins the source and compiles every entry in name-table order, then the composite's variants. On failure
// renderError() holds the entry's name and the compiler's log, and `failedEntry` (if given) the name alone.
bool compileShaderLibrary(RenderDevice& dev, const char** failedEntry = nullptr);
VertexShaderEntry compileVertexShader(RenderDevice& dev, const char* name, const char* source,
                                      uint32_t length);
PixelShaderEntry compilePixelShader(const char* name, const char* source, uint32_t length);

// Binds a vertex and a pixel shader (and the vertex shader's layout).
void bindShaders(RenderDevice& dev, const VertexShaderEntry& vs, const PixelShaderEntry& ps);
