// textures.cpp - PNG images decoded with libpng and uploaded as one-level RGBA8 textures.
#include "render/textures.h"

#include "render/device.h"
#include "render/png_io.h"

TextureEntry textures[kTextureTableSize];

void uploadTexture(TextureEntry& entry, uint32_t width, uint32_t height, const uint8_t* rgba) {
    entry = TextureEntry{};
    glCreateTextures(GL_TEXTURE_2D, 1, &entry.texture);
    glTextureStorage2D(entry.texture, 1, GL_RGBA8, (GLsizei)width, (GLsizei)height);
    glTextureParameteri(entry.texture, GL_TEXTURE_MAX_LEVEL, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTextureSubImage2D(entry.texture, 0, 0, 0, (GLsizei)width, (GLsizei)height, GL_RGBA, GL_UNSIGNED_BYTE,
                        rgba);
    entry.view = entry.texture;
    entry.width = width;
    entry.height = height;
}

bool loadTexture(TextureEntry& entry, const uint8_t* data, uint32_t size, const char* label) {
    DecodedImage image;
    char error[256];
    if (!decodePng(data, size, image, error, sizeof error)) {
        setRenderError("cannot decode %s: %s", label, error);
        return false;
    }
    uploadTexture(entry, image.width, image.height, image.rgba);
    freeDecodedImage(image);
    return true;
}
