// post.h - the post-processing passes of a frame: the separable Gaussian blur (depth of field and
// bloom), bloom, the scene's mip chain, the composite and FXAA. renderFrame (frame.h) runs them in order.
//
//     gaussianBlur(dev, dev.sceneColor, dev.dofBlur, 0.1f);
//     compositePass(dev, settings);
//     if (dev.antialias) fxaaPass(dev);
#pragma once

#include "director/director_types.h"
#include "render/device.h"

void gaussianBlur(RenderDevice& dev, const RenderTarget& source, const RenderTarget& destination,
                  float dispersion);
void bloomPass(RenderDevice& dev, const FrameSettings& settings);
// Rebuilds the mip chain of sceneColor from its level 0.
void refreshSceneMips(RenderDevice& dev);
// Uses the composite's program for the frame's effects, or with `everyEffect` the one that holds
// them all (the same pixels).
void compositePass(RenderDevice& dev, const FrameSettings& settings, bool everyEffect = false);
void fxaaPass(RenderDevice& dev);
