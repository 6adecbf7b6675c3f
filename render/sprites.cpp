// sprites.cpp - screen sprites: sorted by key, drawn one by one with their own blend state (the
// additive one drops texels with alpha below one half, as alpha to coverage does on one sample).
#include "render/sprites.h"

#include <utility>

#include "render/shader_library.h"
#include "render/textures.h"

// Quicksort ascending by key: pivot = first key; the left part recurses, the right part loops.
// Equal keys are not kept in insertion order.
void sortSprites(SpriteRecord* sprites, uint32_t count) {
    uint32_t lo = 0;
    const uint32_t hi = count;
    while (hi > lo + 1) {
        const float pivot = sprites[lo].key;
        uint32_t i = lo + 1;
        uint32_t j = hi;
        while (i < j) {
            if (sprites[i].key <= pivot) {
                ++i;
            } else {
                --j;
                std::swap(sprites[i], sprites[j]);
            }
        }
        std::swap(sprites[lo], sprites[i - 1]);
        sortSprites(sprites + lo, i - 1 - lo);
        lo = i;
    }
}

void drawSprite(RenderDevice& dev, const SpriteRecord& s) {
    setDepthTest(dev, false);
    const BlendState& blend = s.blend == 1   ? dev.blendAlpha
                              : s.blend == 2 ? dev.blendAdditive
                                             : dev.blendOpaque;
    bindBlend(dev, blend);
    const bool known = s.texture >= 0 && s.texture < kTextureTableSize;
    const TextureEntry texture = known ? readyTexture(s.texture) : TextureEntry{};
    const float w = (float)(dev.spriteWidth ? dev.spriteWidth : dev.width);
    const float h = (float)(dev.spriteHeight ? dev.spriteHeight : dev.height);
    const float a = (float)texture.width * s.scale[0] * (s.srcRect[2] - s.srcRect[0]) / w;
    const float b = (float)texture.height * s.scale[1] * (s.srcRect[3] - s.srcRect[1]) / h;
    SpriteData data = {};
    for (int k = 0; k < 4; ++k) data.spritesrcRect[k] = s.srcRect[k];
    data.spriteDstRect[0] = s.centre[0] - a;
    data.spriteDstRect[1] = s.centre[1] - b;
    data.spriteDstRect[2] = s.centre[0] + a;
    data.spriteDstRect[3] = s.centre[1] + b;
    data.spriteRot[0] = s.rotation;
    data.spriteAlpha[0] = s.alpha;
    uploadConstants(dev, kSpriteSlot, &data);
    bindShaders(dev, vertexShaders[kSpriteShader], pixelShaders[kSpriteShader]);
    // Alpha to coverage does nothing on our single-sample targets: the pixel shader stands in for it.
    setSpriteAlphaToCoverage(dev, blend.alphaToCoverage);
    bindTexture(dev, kSpriteUnit, texture.view);
    drawStrip(dev);
    setDepthTest(dev, true);
}
