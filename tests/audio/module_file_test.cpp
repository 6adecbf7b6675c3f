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

// The module walk, against the committed module: every prefix of the file either fails to load or
// plays with a "cut short" warning, those that end exactly where a section should begin too; broken
// layout fields in a file of full size are reported as damaged, naming the field, never as cut short;
// a module whose samples are all silent is reported for its silent start.
TEST(ModuleFile, TheWalkCatchesEveryCutAndNamesBrokenFields) {
    const std::string dir = scratchFolder();
    const std::vector<char> bytes = moduleBytes();
    ASSERT_EQ(bytes.size(), 569975u) << "the committed module changed: the offsets below are its own";
    auto write = [&](const std::string& name, const std::vector<char>& data) {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary).write(data.data(), (std::streamsize)data.size());
        return path;
    };

    // Where the patterns, each instrument, its sample header and its sample data begin (instruments
    // 1 and 6 in full); and a prefix every 4099 bytes.
    std::vector<size_t> cuts = {336,    34560,  34823,  34863,  68315,  90028,  113747,
                                121410, 151819, 152082, 152122, 259168, 272757, 274082,
                                341289, 408496, 442251, 476006, 476269, 476309, 569974};
    for (size_t at = 1; at < bytes.size(); at += 4099) cuts.push_back(at);
    int warned = 0;
    for (size_t size : cuts) {
        SCOPED_TRACE(size);
        const Loaded r = load(write("cut.xm", std::vector<char>(bytes.begin(), bytes.begin() + (long)size)));
        if (!r.ok) {
            EXPECT_NE(r.error.find("cannot load the music file"), std::string::npos) << r.error;
            continue;
        }
        ++warned;
        EXPECT_NE(r.warning.find("is cut short (it ends after " + std::to_string(size) + " bytes"),
                  std::string::npos)
            << r.warning;
    }
    EXPECT_GT(warned, 100) << "most prefixes load";

    // A file libopenmpt cannot load: our one line quotes it; its own log line stays off stderr.
    testing::internal::CaptureStderr();
    const Loaded unloadable = load(write("short.xm", std::vector<char>(bytes.begin(), bytes.begin() + 60)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(unloadable.ok);
    EXPECT_NE(unloadable.error.find("libopenmpt says: "), std::string::npos) << unloadable.error;
    EXPECT_NE(load(write("edge.xm", std::vector<char>(bytes.begin(), bytes.begin() + 34560)))
                  .warning.find("where instrument 1 should begin"),
              std::string::npos);

    // One broken field at a time, the file at its full size.
    struct Broken {
        size_t at;
        int bytes;
        uint32_t value;
        std::string expect;
    } broken[] = {
        {70, 2, 0xffff, "the number of patterns is 65535"},
        {60, 4, 0xfffffff0, "the header's size is 4294967280"},
        {336 + 5, 2, 0, "pattern 0's number of rows is 0"},
        {336 + 4, 1, 3, "pattern 0's packing type is 3"},
        {121410 + 29, 4, 0, "instrument 5's sample header size is 0"},
        {121410 + 27, 2, 200, "instrument 5's number of samples is 200"},
    };
    for (const Broken& b : broken) {
        SCOPED_TRACE(b.expect);
        std::vector<char> data = bytes;
        for (int i = 0; i < b.bytes; ++i) data[b.at + (size_t)i] = (char)(b.value >> (8 * i));
        const Loaded r = load(write("broken.xm", data));
        if (!r.ok) continue; // libopenmpt refuses it: an error, not a wrong warning
        EXPECT_NE(r.warning.find("is damaged: " + b.expect), std::string::npos) << r.warning;
        EXPECT_EQ(r.warning.find("cut short"), std::string::npos) << r.warning;
    }

    // Every sample's data zeroed: the layout is whole, the music silent.
    std::vector<char> quiet = bytes;
    const size_t data[][2] = {{34863, 33452},  {68618, 21410},   {90331, 23416},  {114050, 7360},
                              {121713, 30106}, {152122, 107046}, {259471, 13286}, {273060, 1022},
                              {274385, 66904}, {341592, 66904},  {408799, 33452}, {442554, 33452},
                              {476309, 93666}};
    for (const auto& d : data) std::fill_n(quiet.begin() + (long)d[0], d[1], 0);
    const Loaded silent = load(write("silent.xm", quiet));
    ASSERT_TRUE(silent.ok) << silent.error;
    EXPECT_NE(silent.warning.find("is silent for its first 2 s"), std::string::npos) << silent.warning;
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
