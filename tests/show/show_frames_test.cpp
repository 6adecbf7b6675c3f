// show_frames_test.cpp - the whole show, every 30th frame, rendered headless at 64x36 on the OpenGL
// that QZ_GL names ("es", or OpenGL 3.3 core): no GL error anywhere, no scene leaves its frames blank,
// and no draw needs a shader program that start-up did not link.
#include <cstdlib>
#include <cstring>
#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <vector>

#include "data/draw_names.h"
#include "data/images.h"
#include "render/gpu_mesh.h"
#include "render/shader_library.h"
#include "show/show.h"

TEST(ShowFrames, EveryThirtiethFrameRendersWithoutError) {
    showInit();
    ShowDesc desc = {};
    desc.width = 64;
    desc.height = 36;
    desc.noVsync = desc.noAntialias = true;
    const char* api = std::getenv("QZ_GL");
    desc.api = api && std::strcmp(api, "es") == 0 ? kGlEs : kGlCore;
    RenderDevice dev = {};
    ASSERT_TRUE(showStart(dev, desc)) << showError();
    while (glGetError() != GL_NO_ERROR) {
    }
    std::vector<uint8_t> pixels(64 * 36 * 4);
    ShowCursor cursor = {};
    int changedScenes[kSceneCount] = {};
    for (int frame = 0; frame < kShowFrameCount; frame += 30) {
        catchUpAndRenderFrame(dev, cursor, frame);
        readBackBuffer(dev, pixels.data());
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "frame " << frame;
        // Something besides one flat colour: the scene put content on screen.
        for (size_t i = 4; i < pixels.size(); i += 4) {
            if (pixels[i] != pixels[0] || pixels[i + 1] != pixels[1] || pixels[i + 2] != pixels[2]) {
                changedScenes[cursor.scene] = 1;
                break;
            }
        }
    }
    for (int s = 0; s < kSceneCount; ++s) EXPECT_TRUE(changedScenes[s]) << "scene " << s << " is blank";
    EXPECT_EQ(lateLinkCount(), 0u) << "a draw named a shader pair that start-up did not link";
}

// The numbers that scene data gives meshes and images are the renderer's own (shader entries are
// read from one list by both: data/draw_names.h).
TEST(ShowFrames, DrawNamesMatchTheRendererTables) {
    EXPECT_EQ(kGpuMeshFirstProgram, kTextMeshCount); // program meshes follow the text meshes
    EXPECT_EQ(kMeshSmoothCube, kTextMeshCount + 1);
    EXPECT_EQ(kMeshCube, kTextMeshCount + 2);
    EXPECT_EQ(kImgYellowBarHigh + 1, kEmbeddedImageCount);
}
