// textures.h - the show's images as sampled textures, addressed by index.
//
// `textures` holds 64 entries; loadEmbeddedTextures (startup.h) fills 0..30 from the embedded PNG
// files in table order. Only level 0 exists and is sampled. A batch of PNG files is decoded on worker
// threads (one per core, at most 8) while this thread uploads the decoded images in table order:
//
//     PngFile files[2] = {{data0, size0}, {data1, size1}};
//     if (!loadTextureBatch(&textures[0], files, 2, "image")) die(renderError());
#pragma once

#include <cstdint>
#include <epoxy/gl.h>

inline constexpr int kTextureTableSize = 64;

struct TextureEntry {
    GLuint texture; // RGBA8, one level
    GLuint view;    // what the passes bind: the texture itself (level 0 only)
    uint32_t height;
    uint32_t width;
};

extern TextureEntry textures[kTextureTableSize];

struct PngFile {
    const uint8_t* data;
    uint32_t size;
};

// Decodes files[0..count) in parallel into entries[0..count) (count at most kTextureTableSize). On a
// failure the error names "`label` i" of the first file in table order that does not decode.
bool loadTextureBatch(TextureEntry* entries, const PngFile* files, int count, const char* label);
// Uploads RGBA8 pixels (rows top first) into `entry`.
void uploadTexture(TextureEntry& entry, uint32_t width, uint32_t height, const uint8_t* rgba);
