// scene_length_test.cpp - scene lengths changed on a scratch copy of data/: the files' diff is exactly
// the length literals (read back by a pattern of the test's own), the show's end stays, "keep later
// scenes in place" puts every later start back, undo leaves every file byte for byte as it started, and
// the rebuilt module holds the edited lengths. The loop capture's command lines and its child process.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>

#include "audio/offline_music.h"
#include "data/scene_build.h"
#include "director/demo_clock.h"
#include "edit/capture/loop_capture.h"
#include "edit/music/music_energy.h"
#include "edit/reload/data_reload.h"
#include "edit/session/scene_length.h"

#include "tests/edit/edit_files.h"

using namespace edit_files;

namespace {

fs::path sceneFile(const fs::path& root, int scene) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "scene_%02d_", scene);
    for (const auto& entry : fs::directory_iterator(root / "data"))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) return entry.path();
    return {};
}

// The length each file writes, read with a pattern of the test's own.
int writtenLength(const fs::path& root, int scene) {
    const std::string text = readAll(sceneFile(root, scene));
    const std::regex entry("SceneEntry scene" + std::to_string(scene) +
                           R"( = \{scene\d+Nodes\.data\(\), (\d+)\};)");
    std::smatch m;
    return std::regex_search(text, m, entry) ? std::stoi(m[1]) : -1;
}

// The files' text with scene `scene`'s length written as `frames`, by plain replacement.
std::string withLength(const fs::path& root, int scene, int32_t frames) {
    std::string text = readAll(fs::path(QZ_SOURCE_DIR) / "data" / sceneFile(root, scene).filename());
    const std::string head = "{scene" + std::to_string(scene) + "Nodes.data(), ";
    const size_t at = text.find(head);
    const size_t end = text.find('}', at);
    text.replace(at + head.size(), end - at - head.size(), std::to_string(frames));
    return text;
}

bool filesAsInSource(const fs::path& root) {
    bool same = true;
    for (int s = 0; s < kSceneCount; ++s) {
        const fs::path f = sceneFile(root, s);
        if (readAll(f) != readAll(fs::path(QZ_SOURCE_DIR) / "data" / f.filename())) {
            ADD_FAILURE() << f << " differs from the source tree's";
            same = false;
        }
    }
    return same;
}

int32_t total(const SceneTable& t) {
    int32_t sum = 0;
    for (const SceneEntry& s : t.scenes) sum += s.duration;
    return sum;
}

EditSession edits; // large: the scene files' text
LengthEdits lengths;

} // namespace

TEST(SceneLength, BarsAndTheLengthLiteral) {
    EXPECT_EQ(barFrame(0), 0);
    EXPECT_EQ(barFrame(12), 1382); // 12 x 115.2
    EXPECT_EQ(snapToBar(1380), 1382);
    EXPECT_EQ(snapToBar(57), 0);
    EXPECT_EQ(snapToBar(58), 115);
    for (int32_t f = 0; f < kShowFrameCount; f += 37) // the nearest bar line: no other is closer
        EXPECT_LE(std::abs(snapToBar(f) - f), (int32_t)std::ceil(kBarFrames / 2)) << f;

    SourceFile file = {};
    std::snprintf(file.path, sizeof file.path, "data/scene_02_x.cpp");
    auto load = [&](const char* text) {
        file.length = (uint32_t)std::strlen(text);
        std::memcpy(file.text, text, file.length);
    };
    char error[512];
    LiteralEdit edit = {};
    load("x\nconstinit const SceneEntry scene22 = {a, 5};\nconstinit const SceneEntry scene2 =\n  { "
         "scene2Nodes.data(),"
         "  60 };\n");
    ASSERT_TRUE(planLengthEdit(file, 2, 60, 115, edit, error, sizeof error)) << error;
    EXPECT_STREQ(edit.before, "60");
    EXPECT_STREQ(edit.text, "115");
    EXPECT_EQ(edit.line, 4u);
    applyLiteralEdit(file, edit);
    EXPECT_EQ(std::string(file.text, file.length),
              "x\nconstinit const SceneEntry scene22 = {a, 5};\nconstinit const SceneEntry scene2 =\n  { "
              "scene2Nodes.data(),  115 };\n");
    EXPECT_FALSE(planLengthEdit(file, 2, 60, 90, edit, error, sizeof error)); // the file says 115
    EXPECT_NE(std::strstr(error, "writes 115"), nullptr) << error;
    load("constinit const SceneEntry scene2 = {scene2Nodes.data(), 2 * 30};\n");
    EXPECT_FALSE(planLengthEdit(file, 2, 60, 90, edit, error, sizeof error));
    EXPECT_NE(std::strstr(error, "computed (2 * 30)"), nullptr) << error;
    load("constinit const SceneEntry scene3 = {scene3Nodes.data(), 60};\n");
    EXPECT_FALSE(planLengthEdit(file, 2, 60, 90, edit, error, sizeof error));
    EXPECT_NE(std::strstr(error, "scene_02_x.cpp"), nullptr) << error;
}

// One length dragged, the later scenes kept in place, undone and redone, on a scratch copy.
TEST(SceneLength, WrittenBackKeptInPlaceAndUndone) {
    const fs::path root = scratchData("edit");
    SceneSet scenes = embeddedSceneSet();
    startEditSession(edits, root.c_str(), scenes);
    startLengthEdits(lengths, scenes.scenes);
    int32_t starts[kSceneCount + 1];
    sceneStarts(scenes.scenes, starts);
    ASSERT_EQ(starts[kSceneCount], kShowFrameCount);

    // Scene 3's end moves onto the bar after the next one: the last scene gives the difference.
    const int32_t end = barFrame(13), length3 = end - starts[3],
                  delta = length3 - scenes.scenes.scenes[3].duration;
    ASSERT_GT(delta, 0);
    const uint32_t changes = edits.liveChanges;
    ASSERT_TRUE(editSceneLength(edits, lengths, scenes, 3, length3)) << edits.message;
    EXPECT_FALSE(edits.failed) << edits.message;
    EXPECT_GT(edits.liveChanges, changes);
    EXPECT_EQ(edits.table.scenes[3].duration, length3);
    EXPECT_EQ(edits.table.scenes[kLastScene].duration, scenes.scenes.scenes[kLastScene].duration - delta);
    EXPECT_EQ(total(edits.table), kShowFrameCount);
    EXPECT_EQ(readAll(sceneFile(root, 3)), withLength(root, 3, length3));
    EXPECT_EQ(readAll(sceneFile(root, kLastScene)),
              withLength(root, kLastScene, scenes.scenes.scenes[kLastScene].duration - delta));
    for (int s = 0; s < kSceneCount; ++s) {
        EXPECT_EQ(writtenLength(root, s), edits.table.scenes[s].duration) << s;
        EXPECT_EQ(sceneShift(lengths, edits.table, s), s > 3 ? delta : 0) << s;
    }
    EXPECT_EQ(laterScenesShift(lengths, edits.table), delta);
    SceneSet playing = scenes;
    takeEditedLengths(edits, playing);
    EXPECT_EQ(demoClockAt(demoPositionOfFrame(end), playing.scenes).sceneIndex, 4); // the clock reads it

    // Keep later scenes in place: scene 4 takes the difference, the last scene's file is as it was.
    ASSERT_TRUE(keepLaterScenesInPlace(edits, lengths, scenes)) << edits.message;
    EXPECT_EQ(edits.table.scenes[4].duration, scenes.scenes.scenes[4].duration - delta);
    EXPECT_EQ(readAll(sceneFile(root, 4)), withLength(root, 4, scenes.scenes.scenes[4].duration - delta));
    EXPECT_EQ(readAll(sceneFile(root, kLastScene)),
              readAll(fs::path(QZ_SOURCE_DIR) / "data" / sceneFile(root, kLastScene).filename()));
    for (int s = 0; s <= kSceneCount; ++s)
        EXPECT_EQ(sceneShift(lengths, edits.table, s), s == 4 ? delta : 0) << s;
    EXPECT_EQ(laterScenesShift(lengths, edits.table), 0);
    EXPECT_FALSE(keepLaterScenesInPlace(edits, lengths, scenes)); // nothing left to keep
    const std::string kept4 = readAll(sceneFile(root, 4)), kept3 = readAll(sceneFile(root, 3));

    // Refused, nothing changed: the last scene, a length of 0, a change the last scene cannot give.
    const uint32_t before = edits.liveChanges;
    EXPECT_FALSE(editSceneLength(edits, lengths, scenes, kLastScene, 100));
    EXPECT_FALSE(editSceneLength(edits, lengths, scenes, 2, 0));
    EXPECT_FALSE(editSceneLength(edits, lengths, scenes, 0, kShowFrameCount));
    const std::string last = "scene " + std::to_string(kLastScene) + " would be";
    EXPECT_NE(std::strstr(edits.message, last.c_str()), nullptr) << edits.message;
    // A length the file computes is refused too.
    const fs::path hit = sceneFile(root, 2);
    const std::string hitText = readAll(hit);
    std::string computed = hitText;
    computed.replace(computed.find("scene2Nodes.data(), 60}"), 23, "scene2Nodes.data(), 2 * 30}");
    writeAll(hit, computed);
    EXPECT_FALSE(editSceneLength(edits, lengths, scenes, 2, 90));
    EXPECT_NE(std::strstr(edits.message, "computed"), nullptr) << edits.message;
    EXPECT_EQ(readAll(hit), computed);
    writeAll(hit, hitText);
    EXPECT_EQ(edits.liveChanges, before);
    EXPECT_EQ(total(edits.table), kShowFrameCount);

    // Ctrl+Z takes back both files of "keep in place", then both of the drag: every file as it started.
    ASSERT_TRUE(undoEdit(edits, scenes)) << edits.message;
    EXPECT_EQ(readAll(sceneFile(root, 4)),
              readAll(fs::path(QZ_SOURCE_DIR) / "data" / sceneFile(root, 4).filename()));
    EXPECT_EQ(edits.table.scenes[kLastScene].duration, scenes.scenes.scenes[kLastScene].duration - delta);
    ASSERT_TRUE(undoEdit(edits, scenes)) << edits.message;
    EXPECT_FALSE(undoEdit(edits, scenes));
    EXPECT_TRUE(filesAsInSource(root));
    for (int s = 0; s < kSceneCount; ++s)
        EXPECT_EQ(edits.table.scenes[s].duration, scenes.scenes.scenes[s].duration);
    ASSERT_TRUE(redoEdit(edits, scenes)) << edits.message;
    ASSERT_TRUE(redoEdit(edits, scenes)) << edits.message;
    EXPECT_EQ(readAll(sceneFile(root, 4)), kept4);
    EXPECT_EQ(readAll(sceneFile(root, 3)), kept3);
    EXPECT_EQ(edits.table.scenes[4].duration, scenes.scenes.scenes[4].duration - delta);

    // The reload's rebuilt data: equal to the edits is said so; a rebuild that lost one is caught.
    SceneSet rebuilt = scenes;
    takeEditedLengths(edits, rebuilt);
    takeRebuiltScenes(edits, rebuilt);
    EXPECT_FALSE(edits.failed) << edits.message;
    EXPECT_NE(std::strstr(edits.message, "equals"), nullptr) << edits.message;
    ASSERT_TRUE(undoEdit(edits, scenes));
    takeRebuiltScenes(edits, rebuilt); // the file says one thing, the rebuilt data another
    EXPECT_TRUE(edits.failed);
    EXPECT_NE(std::strstr(edits.message, "frames long in the rebuilt data"), nullptr) << edits.message;
    fs::remove_all(root);
}

// Random drags and keeps: the show's end never moves, every length stays in range, each file writes
// what the table plays; undoing everything gives back every file byte for byte.
TEST(SceneLength, AnySequenceKeepsTheShowsEndAndUndoesToTheStart) {
    const fs::path root = scratchData("random");
    SceneSet scenes = embeddedSceneSet();
    startEditSession(edits, root.c_str(), scenes);
    startLengthEdits(lengths, scenes.scenes);
    std::mt19937 random(30);
    int done = 0;
    for (int step = 0; step < 24; ++step) {
        if (step % 3 == 2) {
            done += keepLaterScenesInPlace(edits, lengths, scenes);
        } else {
            int32_t starts[kSceneCount + 1];
            sceneStarts(edits.table, starts);
            const int scene = (int)(random() % kLastScene);
            const int32_t end = snapToBar(starts[scene] + 1 + (int32_t)(random() % 600));
            done += editSceneLength(edits, lengths, scenes, scene, end - starts[scene]);
        }
        ASSERT_EQ(total(edits.table), kShowFrameCount) << step;
        for (int s = 0; s < kSceneCount; ++s) {
            ASSERT_GE(edits.table.scenes[s].duration, 1) << step;
            ASSERT_EQ(writtenLength(root, s), edits.table.scenes[s].duration)
                << "scene " << s << " step " << step;
        }
    }
    EXPECT_GT(done, 8);
    while (undoEdit(edits, scenes)) {
    }
    EXPECT_EQ(edits.history.done, 0);
    EXPECT_TRUE(filesAsInSource(root));
    fs::remove_all(root);
}

TEST(LoopCapture, CommandLinesAndTheChild) {
    EditState state = editStart(0);
    CaptureCommand command = {};
    char error[256];
    EXPECT_FALSE(loopCaptureCommand("/b", state, command, error, sizeof error));
    EXPECT_NE(std::strstr(error, "no loop"), nullptr) << error;
    state.looping = true;
    state.loopStart = 120;
    state.loopEnd = 240;
    ASSERT_TRUE(loopCaptureCommand("/b uild", state, command, error, sizeof error)) << error;
    const char* argv[kCaptureArguments];
    captureArguments(command, true, argv);
    const char* build[] = {"cmake", "--build", "/b uild", "--target", "qz001-tool"};
    for (int k = 0; k < 5; ++k) EXPECT_STREQ(argv[k], build[k]);
    EXPECT_EQ(argv[5], nullptr);
    captureArguments(command, false, argv);
    const char* capture[] = {
        "/b uild/tools/qz001-tool",    "capture", "--from", "120", "--to", "239", "--out",
        "/b uild/loop_00120-00239.mp4"};
    for (int k = 0; k < 8; ++k) EXPECT_STREQ(argv[k], capture[k]);
    EXPECT_EQ(argv[8], nullptr);

    char line[64];
    const char bars[] = "[#    ] 1/10 frames\r[##   ] 2/10 frames\r";
    lastProgressLine(bars, sizeof bars - 1, line, sizeof line);
    EXPECT_STREQ(line, "[##   ] 2/10 frames");
    const char lines[] = "one\ntwo three\n";
    lastProgressLine(lines, sizeof lines - 1, line, sizeof line);
    EXPECT_STREQ(line, "two three");

    // A real child: cmake refuses a folder that is no build; the panel gets its exit and its last words.
    const fs::path empty = fs::temp_directory_path() / ("qz001-no-build-" + std::to_string(getpid()));
    fs::create_directories(empty);
    ASSERT_TRUE(loopCaptureCommand(empty.c_str(), state, command, error, sizeof error));
    static LoopCapture c;
    c = LoopCapture{};
    c.output = -1;
    ASSERT_TRUE(startLoopCapture(c, command)) << c.message;
    EXPECT_EQ(c.stage, CaptureStage::building);
    while (pollLoopCapture(c)) usleep(1000); // until the child has ended
    EXPECT_EQ(c.stage, CaptureStage::failed);
    EXPECT_NE(std::strstr(c.message, "building qz001-tool failed (exit status"), nullptr) << c.message;
    EXPECT_EQ(c.pid, 0);
    EXPECT_FALSE(fs::exists(command.out));
    fs::remove_all(empty);
}

TEST(MusicEnergy, RootMeanSquarePerFrame) {
    const int frames = 5;
    const uint64_t samples = offlineFrameAtShowFrame(frames - 1) + 40; // frame 4 only partly covered
    std::vector<float> stereo(2 * samples, 0.0f);
    for (uint64_t i = offlineFrameAtShowFrame(1); i < offlineFrameAtShowFrame(2); ++i)
        stereo[2 * i] = (i % 2 ? 0.5f : -0.5f), stereo[2 * i + 1] = 0.5f; // a square of 0.5 in frame 1
    for (uint64_t i = offlineFrameAtShowFrame(3); i < samples; ++i) stereo[2 * i] = 0.6f; // left only
    float out[frames + 1];
    measureFrameEnergy(stereo.data(), samples, out, frames + 1);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_FLOAT_EQ(out[1], 0.5f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_FLOAT_EQ(out[3], 0.6f / std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(out[4], 0.6f / std::sqrt(2.0f)); // over the samples there are
    EXPECT_EQ(out[5], 0.0f);                         // past the end
}
