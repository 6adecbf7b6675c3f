// render_tool_test.cpp - qz001-tool render: a PNG of a show frame, and one-line errors that leave
// nothing behind.
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "render/png_io.h"

namespace {

std::string tempPath(const char* name) {
    return std::string(::testing::TempDir()) + name;
}

int runTool(const std::string& arguments) {
    // From the repository root: capture reads the music there.
    std::string command =
        std::string("cd " QZ_SOURCE_DIR " && ") + QZ_TOOL_PATH + " " + arguments + " 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back((uint8_t)c);
    std::fclose(f);
    return bytes;
}

} // namespace

TEST(RenderTool, SceneOneFrameShowsItsCubes) {
    std::string out = tempPath("qz_frame_1000.png");
    std::remove(out.c_str());
    ASSERT_EQ(runTool("render --frame 1000 --size 160x90 --out " + out), 0);
    std::vector<uint8_t> png = readFile(out);
    DecodedImage image;
    char error[256];
    ASSERT_TRUE(decodePng(png.data(), (uint32_t)png.size(), image, error, sizeof error)) << error;
    EXPECT_EQ(image.width, 160u);
    EXPECT_EQ(image.height, 90u);
    // The row of cubes covers the middle of the frame: not the clear colour there.
    const uint8_t* centre = &image.rgba[(45 * 160 + 80) * 4];
    EXPECT_FALSE(centre[0] == 30 && centre[1] == 65 && centre[2] == 90);
    freeDecodedImage(image);
    std::remove(out.c_str());
}

TEST(RenderTool, BadFramesAndPathsFailWithoutWriting) {
    std::string out = tempPath("qz_never.png");
    std::remove(out.c_str());
    EXPECT_NE(runTool("render --frame 7832 --out " + out), 0);
    EXPECT_NE(runTool("render --frame -5 --out " + out), 0);
    EXPECT_NE(runTool("render --frame 10 --size 0x0 --out " + out), 0);
    EXPECT_FALSE(exists(out));
    EXPECT_NE(runTool("render --frame 10 --out /nonexistent-folder/x.png"), 0);
    EXPECT_NE(runTool("capture --out " + tempPath("qz_cap") + " --from 20 --to 10"), 0);
    EXPECT_NE(runTool("capture --out " + tempPath("qz_cap") + " --from 0 --to 9000"), 0);
}

TEST(RenderTool, CaptureWritesOneNumberedPngPerStep) {
    std::string folder = tempPath("qz_capture");
    ASSERT_EQ(runTool("capture --out " + folder + " --from 1000 --to 1003 --step 2 --size 32x18"), 0);
    EXPECT_TRUE(exists(folder + "/frame_01000.png"));
    EXPECT_FALSE(exists(folder + "/frame_01001.png"));
    EXPECT_TRUE(exists(folder + "/frame_01002.png"));
    EXPECT_FALSE(exists(folder + "/frame_01003.png"));
    std::vector<uint8_t> png = readFile(folder + "/frame_01002.png");
    DecodedImage image;
    char error[256];
    ASSERT_TRUE(decodePng(png.data(), (uint32_t)png.size(), image, error, sizeof error)) << error;
    EXPECT_EQ(image.width, 32u);
    freeDecodedImage(image);
    std::remove((folder + "/frame_01000.png").c_str());
    std::remove((folder + "/frame_01002.png").c_str());
    rmdir(folder.c_str());
}
