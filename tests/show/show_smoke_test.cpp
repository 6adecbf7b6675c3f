// show_smoke_test.cpp - the whole start-up and one frame of the show on whatever OpenGL device is the
// default (the pixel tests in tests/render pin Mesa's software rasterizer; this one does not).
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "director/director_state.h"
#include "show/show.h"

TEST(ShowSmoke, StartsAndDrawsAFrameOfSceneOneOnTheDefaultDevice) {
    showInit();
    ShowDesc desc = {};
    desc.width = 160;
    desc.height = 90;
    desc.noVsync = true;
    RenderDevice dev = {};
    ASSERT_TRUE(showStart(dev, desc)) << showError();
    std::printf("OpenGL device: %s (%s)\n", (const char*)glGetString(GL_RENDERER),
                (const char*)glGetString(GL_VENDOR));
    ShowCursor cursor = {};
    const DemoClock clock = catchUpAndRenderFrame(dev, cursor, 1000);
    EXPECT_EQ(clock.sceneIndex, 1);
    EXPECT_EQ(clock.localFrame, 100);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    std::vector<uint8_t> pixels(160 * 90 * 4);
    readBackBuffer(dev, pixels.data());
    // Seen from above, the 64 stretched cubes of the row fill the picture with bands of their own colours.
    std::set<uint32_t> colours;
    for (size_t i = 0; i < pixels.size(); i += 4)
        colours.insert(pixels[i] | pixels[i + 1] << 8 | pixels[i + 2] << 16);
    EXPECT_GT(colours.size(), 16u);
    // After the frame the settings are back to their defaults.
    EXPECT_FLOAT_EQ(frameSettings.clearColor.x, defaultFrameSettings().clearColor.x);
    EXPECT_EQ(frameSettings.isRenderBloom, 0);
}
