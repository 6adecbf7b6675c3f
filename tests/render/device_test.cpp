// device_test.cpp - targets, constant blocks, blend and depth states of the device.
#include "render/device.h"

#include <cstring>
#include <gtest/gtest.h>

#include "tests/render/render_fixture.h"

namespace {

// What the driver says of a texture level (OpenGL ES 3.0 cannot be asked: 0 there).
GLint levelParameter(GLuint texture, int level, GLenum name) {
    if (testDevice().api == kGlEs) return 0;
    GLint value = 0;
    bindTextureForEdit(texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

} // namespace

TEST(Device, SevenTargetsOfTheBackBufferSize) {
    RenderDevice& dev = testDevice();
    const RenderTarget* colour[] = {&dev.sceneColor, &dev.bloomHighlight, &dev.bloomBlur,
                                    &dev.compositeColor};
    const RenderTarget* floats[] = {&dev.velocityDepth, &dev.dofBlur, &dev.blurTemp};
    for (const RenderTarget* t : colour) {
        EXPECT_EQ(t->width, (uint32_t)kTestWidth);
        EXPECT_EQ(t->height, (uint32_t)kTestHeight);
        EXPECT_EQ(t->levels, 7u); // 64, 32, 16, 8, 4, 2, 1
        EXPECT_EQ(t->format, (GLenum)GL_RGBA8);
        if (dev.api == kGlEs) continue;
        EXPECT_EQ(levelParameter(t->texture, 0, GL_TEXTURE_WIDTH), kTestWidth);
        EXPECT_EQ(levelParameter(t->texture, 6, GL_TEXTURE_WIDTH), 1);
        EXPECT_EQ(levelParameter(t->texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    }
    for (const RenderTarget* t : floats) {
        EXPECT_EQ(t->width, (uint32_t)kTestWidth);
        EXPECT_EQ(t->levels, 1u);
        EXPECT_EQ(t->format, (GLenum)GL_RGBA16F);
        if (dev.api == kGlCore) {
            EXPECT_EQ(levelParameter(t->texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA16F);
        }
    }
    EXPECT_FLOAT_EQ(dev.aspect, 64.0f / 36.0f);
}

TEST(Device, OneTimeBlockHoldsTheScreenSize) {
    RenderDevice& dev = testDevice();
    OneTimeData b5 = {};
    readBuffer(dev.constantBuffers[kOneTimeSlot], sizeof b5, &b5);
    EXPECT_EQ(b5.w_width, 64.0f);
    EXPECT_EQ(b5.w_height, 36.0f);
    for (uint32_t slot = 0; slot < kConstantSlotCount; ++slot) {
        GLint64 size = 0;
        glBindBuffer(GL_UNIFORM_BUFFER, dev.constantBuffers[slot]);
        glGetBufferParameteri64v(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &size);
        EXPECT_EQ(size, (GLint64)kConstantBlockBytes[slot]) << slot;
        GLint bound = 0;
        glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, slot, &bound);
        EXPECT_EQ((GLuint)bound, dev.constantBuffers[slot]) << slot;
    }
}

TEST(Device, DepthSwitchesNestAndComeBackToLess) {
    RenderDevice& dev = testDevice();
    setDepthTest(dev, false);
    setDepthTest(dev, false); // a blur inside the bloom pass
    setDepthTest(dev, true);
    setDepthTest(dev, true);
    EXPECT_TRUE(dev.depthEnable);
    EXPECT_EQ(dev.depthFunc, (GLenum)GL_LESS);
    GLint func = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    EXPECT_EQ(func, GL_LESS);
    GLboolean writes = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
    EXPECT_TRUE(writes);
}

TEST(Device, BlendStatesMapOneToOne) {
    RenderDevice& dev = testDevice();
    EXPECT_FALSE(dev.blendOpaque.enable);
    EXPECT_TRUE(dev.blendAlpha.enable);
    EXPECT_EQ(dev.blendAlpha.srcColor, (GLenum)GL_SRC_ALPHA);
    EXPECT_EQ(dev.blendAlpha.dstColor, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(dev.blendAlpha.srcAlpha, (GLenum)GL_ONE);
    EXPECT_EQ(dev.blendAlpha.dstAlpha, (GLenum)GL_ZERO);
    EXPECT_TRUE(dev.blendAdditive.alphaToCoverage);
    EXPECT_EQ(dev.blendAdditive.dstColor, (GLenum)GL_ONE);
    EXPECT_EQ(dev.blendAdditive.srcAlpha, (GLenum)GL_ZERO);
    bindBlend(dev, dev.blendAlpha);
    GLint src = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    bindBlend(dev, dev.blendOpaque);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST(Device, NoWindowIsAClearError) {
    RenderDevice other = {};
    other.width = 16;
    other.height = 16;
    EXPECT_FALSE(createDevice(nullptr, false, other));
    EXPECT_GT(std::strlen(renderError()), 0u);
    SDL_GL_MakeCurrent(testDevice().window, testDevice().context);
}
