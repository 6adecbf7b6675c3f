// module_file_test.cpp - what the loader does with files that are not the show's module: special files
// and huge files refused with a message, a cut-short or foreign module played with a warning, and the
// music starting at the first frame of every scene.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "audio/module_file.h"
#include "audio/music.h"
#include "data/scene_data.h"
#include "director/demo_clock.h"

namespace {

std::string scratchFolder() {
    std::string dir = "/tmp/qz001-module-test-" + std::to_string(getpid());
    mkdir(dir.c_str(), 0777);
    return dir;
}

std::vector<char> moduleBytes() {
    std::ifstream in(QZ_MUSIC_FILE, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

struct Loaded {
    bool ok;
    std::string error, warning;
};

Loaded load(const std::string& path) {
    char error[1024] = "", warning[1024] = "";
    openmpt_module* mod = loadModuleFile(path.c_str(), error, sizeof error, warning, sizeof warning);
    freeModule(mod);
    return {mod != nullptr, error, warning};
}

} // namespace

TEST(ModuleFile, OnlyARegularFileOfSaneSizeIsRead) {
    const std::string dir = scratchFolder();
    const std::string zero = dir + "/zero.xm", fifo = dir + "/fifo.xm", huge = dir + "/huge.xm";
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    ASSERT_EQ(truncate((std::ofstream(huge), huge).c_str(), kMaxModuleBytes + 1), 0); // sparse
    struct Case {
        std::string path, expect;
    } cases[] = {
        {zero, "a character device"}, {fifo, "a named pipe"}, {dir, "a folder"}, {huge, "bytes, more"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Loaded r = load(c.path); // neither endless reading nor waiting for a writer
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("cannot read the music file " + c.path), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(c.expect), std::string::npos) << r.error;
    }
    EXPECT_EQ(system(("rm -rf " + dir).c_str()), 0);
}

TEST(ModuleFile, ACutShortOrForeignModulePlaysWithAWarning) {
    const std::string dir = scratchFolder();
    const Loaded sound = load(QZ_MUSIC_FILE);
    EXPECT_TRUE(sound.ok) << sound.error;
    EXPECT_EQ(sound.warning, "");

    // The first half of the module: libopenmpt plays it without a word.
    const std::vector<char> bytes = moduleBytes();
    const std::string half = dir + "/half.xm";
    std::ofstream(half, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size() / 2);
    const Loaded cut = load(half);
    EXPECT_TRUE(cut.ok) << cut.error;
    EXPECT_NE(cut.warning.find(half + " is cut short"), std::string::npos) << cut.warning;

    // A silent four-channel ProTracker module of one pattern, under the show's file name.
    std::vector<char> mod(1084 + 64 * 4 * 4, 0);
    mod[950] = 1;   // song length
    mod[951] = 127; // restart position
    std::copy_n("M.K.", 4, mod.begin() + 1080);
    const std::string foreign = dir + "/ZB_PALEWIRE.xm";
    std::ofstream(foreign, std::ios::binary).write(mod.data(), (std::streamsize)mod.size());
    const Loaded other = load(foreign);
    EXPECT_TRUE(other.ok) << other.error;
    EXPECT_NE(other.warning.find("ProTracker"), std::string::npos) << other.warning;
    EXPECT_NE(other.warning.find("not an XM"), std::string::npos) << other.warning;
    EXPECT_EQ(system(("rm -rf " + dir).c_str()), 0);
}

// libopenmpt seeks to row starts only, rounding up: the music must still start in the scene's first
// frame, not a row (seven frames) later.
TEST(ModuleFile, MusicStartsAtTheFirstFrameOfEveryScene) {
    for (int scene = 0; scene < kSceneCount; ++scene) {
        SCOPED_TRACE(scene);
        ASSERT_TRUE(openMusic(QZ_MUSIC_FILE, demoPositionOfFrame(sceneFirstFrame(scene, sceneTable))))
            << musicError();
        const DemoClock clock = demoClockAt(musicStartMs(), sceneTable);
        EXPECT_EQ(clock.sceneIndex, scene);
        EXPECT_EQ(clock.localFrame, 0);
    }
    // The last moment of the show: its last frame, not past the end.
    ASSERT_TRUE(openMusic(QZ_MUSIC_FILE, demoPositionOfFrame(kShowFrameCount) - 1)) << musicError();
    EXPECT_EQ(demoClockAt(musicStartMs(), sceneTable).frame, kShowFrameCount - 1);
    closeMusic();
}
