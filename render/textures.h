// textures.h - the show's images as sampled textures, addressed by index.
//
// `textures` holds 64 entries; the renderer's start-up fills 0..30 from the embedded PNG files in table
// order. Only level 0 exists and is sampled. Two ways to load a batch of PNG files:
//
//     // All at once: decoded on worker threads while this thread uploads them in table order.
//     PngFile files[2] = {{data0, size0}, {data1, size1}};
//     if (!loadTextureBatch(&entries[0], files, 2, "image")) die(renderError());
//
//     // In the background (the show's start-up): each entry gets its size now, and its texture the
//     // first time a draw asks for it (readyTexture: uploaded then, after waiting for its decode or
//     // decoding it on the spot), or earlier, one a frame (uploadDecodedTextures, after present).
//     if (!startTextureLoads(textures, files, 31, "embedded image")) die(renderError());
//     bindTexture(dev, kColorTexUnit, readyTexture(7).view);
//
// So no draw ever samples an image that is not complete, and start-up does not wait for the images
// its first frames do not draw. The decoded pixels go into a few buffers that are reused from image to
// image (and freed when the batch is done), one per worker ahead of the uploads, and one for each
// wanted image (up to 16), so that the first frame's can all be ready when the GL context comes.
// Uploads happen only on the thread that calls these functions (the GL thread).
//
//     // Before the GL context exists: decoding starts while the window opens.
//     prestartTextureLoads(textures, files, 31, "embedded image");
//     wantTextures(firstFrameImages);
//     ...
//     if (!startTextureLoads(textures, files, 31, "embedded image")) die(renderError()); // the same batch
#pragma once

#include <cstdint>
#include <epoxy/gl.h>

inline constexpr int kTextureTableSize = 64;

struct TextureEntry {
    GLuint texture; // RGBA8, one level; 0 while the image is still loading
    GLuint view;    // what the passes bind: the texture itself (level 0 only)
    uint32_t height;
    uint32_t width;
};

extern TextureEntry textures[kTextureTableSize];

struct PngFile {
    const uint8_t* data;
    uint32_t size;
};

// Decodes files[0..count) in parallel into entries[0..count) (count at most kTextureTableSize) and
// returns when all are uploaded. On a failure the error names "`label` i" of the first file in table
// order that does not decode; the files before it are loaded.
bool loadTextureBatch(TextureEntry* entries, const PngFile* files, int count, const char* label);

// Reads each file's size into entries[0..count) and starts decoding them in the background (a batch
// still loading is finished first). False, with "`label` i" in the error, when a file's header does not
// read; the files before it still load.
bool startTextureLoads(TextureEntry* entries, const PngFile* files, int count, const char* label);
// startTextureLoads ahead of its place, where no GL context exists yet and no batch is loading: the
// next startTextureLoads of the same entries and files keeps this batch and returns this start's
// outcome (and error) instead of starting again, so a bad header is still told at that step. Until the
// first uploadDecodedTextures the workers decode only the wanted images (wantTextures), leaving the
// cores to the first frame.
void prestartTextureLoads(TextureEntry* entries, const PngFile* files, int count, const char* label);
// textures[index], its texture made now if it is still loading. An image that does not decode stays
// without a texture (view 0) and is reported once on stderr.
const TextureEntry& readyTexture(int index);
// Puts the images of textures[i] with wanted[i] set first in the workers' queue (a frame is about to
// sample them).
void wantTextures(const bool wanted[kTextureTableSize]);
// Makes textures of up to `count` images already decoded, without waiting (with no worker threads,
// decodes one itself). Called after a frame is presented: a prestarted batch, whose workers decoded
// only the wanted images until then, goes on with the rest from here.
void uploadDecodedTextures(int count);
// Makes the textures of the wanted images already decoded (the first frame's, at the textures step).
void uploadWantedTextures();
// Waits for the batch in progress and makes all its textures. False when an image did not decode.
bool finishTextureLoads();
// Images of the batch in progress whose textures are not made yet.
int texturesLoading();

// Uploads RGBA8 pixels (rows top first) into `entry`.
void uploadTexture(TextureEntry& entry, uint32_t width, uint32_t height, const uint8_t* rgba);
