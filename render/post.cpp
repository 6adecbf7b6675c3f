// post.cpp - the separable Gaussian blur, bloom, the composite and FXAA: full-screen strips with
// depth testing off.
#include "render/post.h"

#include <cmath>

#include "render/shader_library.h"

namespace {

const float kTransparent[4] = {0.0f, 0.0f, 0.0f, 0.0f};

void fullScreenPass(RenderDevice& dev, int shader) {
    bindShaders(dev, vertexShaders[shader], pixelShaders[shader]);
    drawStrip(dev);
}

} // namespace

// Two passes through blurTemp; each of the 8 weights serves two taps, so the 16 taps sum to 1.
void gaussianBlur(RenderDevice& dev, const RenderTarget& source, const RenderTarget& destination,
                  float dispersion) {
    setDepthTest(dev, false);
    GaussFilterData gauss = {};
    float total = 0.0f;
    for (int i = 0; i < 8; ++i) {
        gauss.gasWeight[i] = std::exp(-(float)(2 * i) * (float)(2 * i) * dispersion);
        total += gauss.gasWeight[i];
    }
    for (int i = 0; i < 8; ++i) gauss.gasWeight[i] = 0.5f * gauss.gasWeight[i] / total;

    gauss.gasScale = (float)dev.width / (float)source.width;
    clearColor(dev, dev.blurTemp.framebuffer, kTransparent);
    bindTarget(dev, dev.blurTemp);
    uploadConstants(dev, kGaussSlot, &gauss);
    bindTexture(dev, kBloomMapUnit, source.texture);
    fullScreenPass(dev, kGaussHorizontalShader);

    gauss.gasScale = (float)dev.width / (float)dev.blurTemp.width;
    clearColor(dev, destination.framebuffer, kTransparent);
    bindTarget(dev, destination);
    uploadConstants(dev, kGaussSlot, &gauss);
    bindTexture(dev, kBloomMapUnit, dev.blurTemp.texture);
    fullScreenPass(dev, kGaussVerticalShader);
    setDepthTest(dev, true);
}

void bloomPass(RenderDevice& dev, const FrameSettings& settings) {
    setDepthTest(dev, false);
    BloomData bloom = {};
    bloom.bloomColor = settings.bloomColor;
    bloom.bloomThrethold = settings.bloomThrethold;
    clearColor(dev, dev.bloomHighlight.framebuffer, kTransparent);
    bindTarget(dev, dev.bloomHighlight);
    uploadConstants(dev, kBloomSlot, &bloom);
    bindTexture(dev, kColorMapUnit, dev.sceneColor.texture);
    fullScreenPass(dev, kBloomHighlightShader);
    gaussianBlur(dev, dev.bloomHighlight, dev.bloomBlur, settings.bloomDispersion);
    setDepthTest(dev, true);
}

void refreshSceneMips(RenderDevice& dev) {
    bindTextureForEdit(dev.sceneColor.texture);
    glGenerateMipmap(GL_TEXTURE_2D);
    dev.sceneMipsBehind = false;
}

void compositePass(RenderDevice& dev, const FrameSettings& settings, bool everyEffect) {
    setDepthTest(dev, false);
    if (dev.antialias)
        bindTarget(dev, dev.compositeColor);
    else
        bindBackBuffer(dev);
    CompositeData composite = {};
    composite.dofFocus = settings.dofFocus;
    composite.transitionType = (uint32_t)settings.transitionType;
    composite.transitionFactor = settings.transitionFactor;
    uploadConstants(dev, kCompositeSlot, &composite);
    bindTexture(dev, kColorMapUnit, dev.sceneColor.texture);
    bindTexture(dev, kVelocityDepthUnit, dev.velocityDepth.texture);
    bindTexture(dev, kBloomMapUnit, dev.bloomBlur.texture);
    bindTexture(dev, kDofBokehUnit, dev.dofBlur.texture);
    const PixelShaderEntry& ps = everyEffect ? pixelShaders[kCompositeShader] : compositeShaderFor(settings);
    bindShaders(dev, vertexShaders[kCompositeShader], ps);
    drawStrip(dev);
    setDepthTest(dev, true);
}

void fxaaPass(RenderDevice& dev) {
    setDepthTest(dev, false);
    bindBackBuffer(dev);
    bindTexture(dev, kPostEffectUnit, dev.compositeColor.texture);
    fullScreenPass(dev, kFxaaShader);
    setDepthTest(dev, true);
}
