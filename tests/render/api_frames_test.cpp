// api_frames_test.cpp - one frame of every scene through qz001-tool render on OpenGL 3.3 core and on
// OpenGL ES 3.0: the two pictures agree with each other and with the frames the renderer drew before
// it spoke both dialects (tests/render/frames/, made by the OpenGL 4.5 renderer with clip control).
//
// Pixels may differ only where two surfaces meet at almost the same depth: without clip control the
// depth 0..1 is stretched to -1..1 in the vertex stage and squeezed back by the rasterizer, which
// rounds differently from z / w, so a tie between coplanar faces can fall the other way.
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "render/png_io.h"

namespace {

// The middle frame of each scene (scene 1: its row of cubes at 1020).
constexpr int kFrames[] = {450, 1020, 1170, 1290, 1840, 2762, 3684, 4606, 5528, 6450, 7370};
constexpr int kWidth = 320;
constexpr int kHeight = 180;
// Pixels allowed past 1/255 in one channel: 0.1 %, the depth ties of the densest scenes.
constexpr int kTiedPixels = kWidth * kHeight / 1000;

struct Picture {
    std::vector<uint8_t> rgba;
    uint32_t width = 0;
    uint32_t height = 0;
};

Picture readPng(const std::string& path) {
    Picture picture;
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back((uint8_t)c);
        std::fclose(f);
    }
    DecodedImage image = {};
    char error[256];
    if (!decodePng(bytes.data(), (uint32_t)bytes.size(), image, error, sizeof error)) {
        ADD_FAILURE() << path << ": " << error;
        return picture;
    }
    picture.rgba.assign(image.rgba, image.rgba + (size_t)image.width * image.height * 4);
    picture.width = image.width;
    picture.height = image.height;
    freeDecodedImage(image);
    return picture;
}

Picture renderFrame(int frame, const char* api) {
    const std::string out =
        std::string(::testing::TempDir()) + "qz_api_" + api + "_" + std::to_string(frame) + ".png";
    const std::string command = std::string(QZ_TOOL_PATH) + " render --frame " + std::to_string(frame) +
                                " --size 320x180 --gl " + api + " --out " + out + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    Picture picture = readPng(out);
    std::remove(out.c_str());
    return picture;
}

// Pixels whose largest channel difference is above one step.
int pixelsApart(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.rgba.empty()) return a.width * a.height + 1;
    int apart = 0;
    for (size_t p = 0; p < a.rgba.size(); p += 4) {
        int worst = 0;
        for (int c = 0; c < 4; ++c)
            worst = std::max(worst, std::abs((int)a.rgba[p + c] - (int)b.rgba[p + c]));
        apart += worst > 1;
    }
    return apart;
}

} // namespace

TEST(ApiFrames, EverySceneLooksTheSameOnBothApisAndAsBefore) {
    for (int frame : kFrames) {
        char reference[64];
        std::snprintf(reference, sizeof reference, "/tests/render/frames/frame_%05d.png", frame);
        const Picture before = readPng(QZ_SOURCE_DIR + std::string(reference));
        const Picture core = renderFrame(frame, "core");
        const Picture es = renderFrame(frame, "es");
        ASSERT_EQ(core.width, (uint32_t)kWidth);
        ASSERT_EQ(core.height, (uint32_t)kHeight);
        const int coreToEs = pixelsApart(core, es), coreToBefore = pixelsApart(core, before);
        std::printf("frame %5d: core and es apart in %d pixels, core and before in %d\n", frame, coreToEs,
                    coreToBefore);
        EXPECT_LE(coreToEs, kTiedPixels) << "frame " << frame;
        EXPECT_LE(coreToBefore, kTiedPixels) << "frame " << frame;
    }
}
