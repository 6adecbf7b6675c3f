// sprites.h - the frame's screen sprites, drawn last over the scene: sorted by key, each with its own
// blend state. renderFrame (frame.h) calls them in the scene pass.
//
//     sortSprites(list.records, list.count);
//     for (uint32_t i = 0; i < list.count; ++i) drawSprite(dev, list.records[i]);
#pragma once

#include "director/director_types.h"
#include "render/device.h"

void sortSprites(SpriteRecord* sprites, uint32_t count);
void drawSprite(RenderDevice& dev, const SpriteRecord& sprite);
