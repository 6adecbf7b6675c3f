// shader_library.h - the GLSL shader library: common declarations plus every entry point, carried in
// the executable and compiled at start-up, one shader per entry; then every vertex and pixel shader
// pair that the passes and the scene data draw with is linked into one program.
//
//     if (!compileShaderLibrary(dev)) { fprintf(stderr, "%s\n", renderError()); exit(1); }
//     if (!linkShaderPrograms(dev, pairs, pairCount)) ...  // the scene data's pairs; the passes' own too
//     bindShaders(dev, vertexShaders[10], pixelShaders[10]); // baseCookVS / baseCookPS
//
// The two name tables (read from data/draw_names.h's entry lists) end with a null entry; entry k of a
// table compiles into slot k of its shader table. A draw record names a vertex and a pixel shader by their
// own indices. Each shader is the dialect's prelude (render/gl_dialect.h), a few #defines naming the entry
// and the post effects' bits (QZ_EFFECT_*, render/post_effects.h), then the library's text. Constant
// blocks and samplers get their binding points (b0..b6, units 0..7) after linking.
#pragma once

#include <cstdint>
#include <epoxy/gl.h>

#include "data/draw_names.h"
#include "director/director_types.h"
#include "render/device.h"
#include "render/post_effects.h"

inline constexpr int kShaderTableSize = 64;
// The entries' names in table order (kVertexShaderCount and kPixelShaderCount of them, then a null),
// read from the lists of data/draw_names.h.
extern const char* const* const vertexShaderNames;
extern const char* const* const pixelShaderNames;

// Fixed numbers of the screen-space shaders (same in both tables; checked against the entry lists).
enum ScreenShader : int {
    kVelocityShader = shader_entry::A_1_create_velocity_and_depthVS,
    kCompositeShader = shader_entry::A_3_postprocessVS,
    kFxaaShader = shader_entry::A_4_fxaaVS,
    kBloomHighlightShader = shader_entry::A_5_bloomHighlightVS,
    kGaussHorizontalShader = shader_entry::A_6_gauss1VS,
    kGaussVerticalShader = shader_entry::A_7_gauss2VS,
    kSpriteShader = shader_entry::A_8_spriteVS,
};

struct VertexShaderEntry {
    GLuint shader; // compiled vertex shader; 0 = empty slot
    int index;     // its slot in vertexShaders; -1 when compiled outside the table
};

struct PixelShaderEntry {
    GLuint shader; // compiled fragment shader; 0 = empty slot
    int index;     // its slot in pixelShaders, kShaderTableSize + effects for a composite variant; -1 outside
};

// A vertex and a pixel shader linked together, with its binding points set.
struct LinkedProgram {
    GLuint program;
    GLint alphaToCoverage; // location of spriteAlphaToCoverage; -1 when the program has none
};

extern VertexShaderEntry vertexShaders[kShaderTableSize];
extern PixelShaderEntry pixelShaders[kShaderTableSize];

// The composite compiled once more for each set of post effects a frame can ask for
// (render/post_effects.h), without the code of the others: a software rasterizer runs both sides of a
// branch, so a frame without motion blur would still pay for its nine taps.
// pixelShaders[kCompositeShader] keeps every effect.
extern PixelShaderEntry compositeShaders[kCompositeVariantCount]; // indexed by composite bits
const PixelShaderEntry& compositeShaderFor(const FrameSettings& settings);
bool compileCompositeVariants(RenderDevice& dev, const char* source, uint32_t length);

// The embedded text (generated from render/shaders/*.glsl), and the files it was joined from, in order
// (the declarations' file first; null-terminated).
extern const char shaderDeclarations[];
extern const char shaderBodies[];
extern const char* const shaderFileNames[];

// Joins the source and compiles every entry in name-table order, then the composite's variants. On failure
// renderError() holds the entry's name and the compiler's log, and `failedEntry` (if given) the name alone.
bool compileShaderLibrary(RenderDevice& dev, const char** failedEntry = nullptr);
VertexShaderEntry compileVertexShader(RenderDevice& dev, const char* name, const char* source,
                                      uint32_t length);
PixelShaderEntry compilePixelShader(RenderDevice& dev, const char* name, const char* source, uint32_t length);

// Links the passes' pairs and `pairs` (vertex and pixel shader indices, as draw records name them;
// pairs naming an empty slot are left out). False with both names and the linker's log on failure.
bool linkShaderPrograms(RenderDevice& dev, const DrawShaderPair* pairs, uint32_t count);
// The program of a pair of table entries, linked now if start-up did not link it (see lateLinkCount);
// none for an entry compiled outside the tables.
LinkedProgram programFor(RenderDevice& dev, const VertexShaderEntry& vs, const PixelShaderEntry& ps);
// Programs linked after linkShaderPrograms because a draw named a pair it was not given.
uint32_t lateLinkCount();

// Points a linked program's constant blocks at b0..b6 and its samplers at units 0..7 (the library
// does this for every program it links); leaves the program in use.
void setBindingPoints(RenderDevice& dev, GLuint program);

//-----------------------------------------------------------------------------
// Live reload (the edit mode)
//-----------------------------------------------------------------------------

inline constexpr uint32_t kShaderReloadCapacity = 512 * 1024; // bytes of GLSL a reload can join

struct ShaderFileText {
    const char* name; // "post.glsl": how the compiler's messages name the file
    const char* text;
    uint32_t length;
};

// Compiles the library again from `files` (in shaderFileNames' order), each after a #line that counts
// its own lines, and links again every pair linked so far. When all compile and link, the new shaders
// and programs replace the old ones, which are deleted; when one fails, nothing changes and
// renderError() holds the entry's name and the compiler's log with "post.glsl:12" where the driver
// wrote the file's number.
bool reloadShaderLibrary(RenderDevice& dev, const ShaderFileText* files, int fileCount);

// Uses the program of a vertex and a pixel shader.
void bindShaders(RenderDevice& dev, const VertexShaderEntry& vs, const PixelShaderEntry& ps);
// Sets spriteAlphaToCoverage of the program in use (the sprite shader's).
void setSpriteAlphaToCoverage(RenderDevice& dev, bool on);
