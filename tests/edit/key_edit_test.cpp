// key_edit_test.cpp - keys edited in place on a scratch copy of data/: an insert, a move, a delete and
// an interpolation switch change exactly the expected bytes of tracks.cpp and the running table; undo
// gives the file back byte for byte; a random run of edits rebuilt into the scene module gives the
// patched tracks; hostile keys are refused and change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

#include "data/scene_build.h"
#include "data/scene_data.h"
#include "director/director_state.h"
#include "director/tracks.h"
#include "edit/reload/data_reload.h"
#include "edit/session/key_edit.h"
#include "edit/session/value_edit.h"
#include "show/show.h"
#include "tests/edit/edit_files.h"

using namespace edit_files;

namespace {

// `text` with its one occurrence of `from` replaced by `to` (the test fails where it is not there once).
std::string replaced(const std::string& text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from << " stands twice";
    if (at == std::string::npos) return text;
    return text.substr(0, at) + to + text.substr(at + from.size());
}

bool sameTrack(const Track& a, const Track& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

EditSession edits; // large: the files' text
KeyEdits keys;
Track startTracks[kTrackCount];

void start(const fs::path& root) {
    showInit();
    showStartDirector();
    std::memcpy(startTracks, trackTable, sizeof startTracks);
    startEditSession(edits, root.c_str(), embeddedSceneSet());
    startKeyEdits(keys, edits);
}

void undoAll(SceneSet& scenes) {
    while (undoEdit(edits, scenes)) {
    }
    EXPECT_FALSE(edits.failed) << edits.message;
}

} // namespace

TEST(KeyEdit, InsertMoveDeleteAndSwitchChangeOnlyTheirBytesAndUndoRestoresThem) {
    const fs::path root = scratchData("diff");
    const fs::path file = root / "data" / "tracks.cpp";
    start(root);
    SceneSet scenes = embeddedSceneSet();
    const std::string original = readAll(file);
    std::string expected = original;

    // Track 2, one line: a key at frame 150 takes the value the track has there.
    ASSERT_TRUE(insertKey(edits, 2, 150)) << edits.message;
    expected = replaced(expected, "{41, 200, 0, 0}, {200, 200, 0, 0}",
                        "{41, 200, 0, 0}, {150, 200, 0, 0}, {200, 200, 0, 0}");
    EXPECT_EQ(readAll(file), expected);
    ASSERT_EQ(trackTable[2].keyCount, startTracks[2].keyCount + 1);
    EXPECT_EQ(trackTable[2].keys[3].frame, 150);
    EXPECT_EQ(trackTable[2].keys[3].x, 200.0f);

    // Moved in time and value: only that key's changed literals.
    ASSERT_TRUE(moveKey(edits, 2, 3, TrackKey{160, 150.5f, 0, 0})) << edits.message;
    expected = replaced(expected, "{150, 200, 0, 0}", "{160, 150.5f, 0, 0}");
    EXPECT_EQ(readAll(file), expected);
    EXPECT_EQ(sampleTrack(trackTable[2], 160).x, 150.5f);

    // Deleted, with its separator.
    ASSERT_TRUE(deleteKey(edits, 2, 1)) << edits.message;
    expected = replaced(expected, "{0, 30, 0, 0}, {40, 100, 0, 0}, ", "{0, 30, 0, 0}, ");
    EXPECT_EQ(readAll(file), expected);
    EXPECT_EQ(trackTable[2].keys[1].frame, 41);

    // Track 0 writes its count and interpolation: both follow.
    ASSERT_TRUE(insertKey(edits, 0, 700)) << edits.message;
    ASSERT_TRUE(setTrackInterpolation(edits, 0, 1)) << edits.message;
    expected = replaced(expected, "{0, 4, {{0, 10, 10, 10}, {400, 60, 20, 0}, {1000",
                        "{1, 5, {{0, 10, 10, 10}, {400, 60, 20, 0}, {700, 60, 20, 0}, {1000");
    EXPECT_EQ(readAll(file), expected);
    EXPECT_EQ(trackTable[0].interpolation, 1u);

    // Track 1, a key a line: a new line indented as its neighbours; the helper names the interpolation.
    ASSERT_TRUE(insertKey(edits, 1, 450)) << edits.message; // halfway between (300, 200, 130, 104) and 600
    ASSERT_TRUE(setTrackInterpolation(edits, 1, 1)) << edits.message;
    expected = replaced(expected, "linear({{0, 0, 40, 120},", "catmullRom({{0, 0, 40, 120},");
    expected = replaced(expected, "{300, 200, 130, 104},\n",
                        "{300, 200, 130, 104},\n            {450, 200, 175, 98},\n");
    EXPECT_EQ(readAll(file), expected);

    // Track 7's keys carry comments: the comment stays with its own key.
    ASSERT_TRUE(deleteKey(edits, 7, 4)) << edits.message; // {72, 100, 15, 135}, // the fade ends
    expected = replaced(expected,
                        "            {72, 100, 15, 135}, // the fade ends\n            {115, 100, 15, 134}",
                        "            {115, 100, 15, 134}");
    EXPECT_EQ(readAll(file), expected);

    // One undo list for keys and values: a value edit between key edits undoes in order.
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 1, 0, 0.35f)) << edits.message;
    ASSERT_TRUE(moveKey(edits, 7, 0, TrackKey{0, -70, 180, 170})) << edits.message;
    ASSERT_TRUE(undoEdit(edits, scenes));
    EXPECT_EQ(readAll(file), expected);
    EXPECT_EQ(trackTable[7].keys[0].x, -80.0f);
    ASSERT_TRUE(undoEdit(edits, scenes)); // the value
    EXPECT_EQ(readAll(root / "data" / "scene_04_drop.cpp"),
              readAll(fs::path(QZ_SOURCE_DIR) / "data" / "scene_04_drop.cpp"));
    ASSERT_TRUE(redoEdit(edits, scenes));
    ASSERT_TRUE(redoEdit(edits, scenes));
    EXPECT_EQ(trackTable[7].keys[0].x, -70.0f);

    undoAll(scenes);
    EXPECT_EQ(readAll(file), original); // byte for byte
    for (int t = 0; t < kTrackCount; ++t)
        EXPECT_TRUE(sameTrack(trackTable[t], startTracks[t])) << "track " << t;
    fs::remove_all(root);
}

TEST(KeyEdit, HostileKeysAreRefusedAndChangeNothing) {
    const fs::path root = scratchData("hostile");
    const fs::path file = root / "data" / "tracks.cpp";
    start(root);
    SceneSet scenes = embeddedSceneSet();
    const std::string original = readAll(file);
    const uint32_t historyBefore = (uint32_t)edits.history.count;
    auto unchanged = [&](const char* what) {
        EXPECT_TRUE(edits.failed) << what;
        EXPECT_EQ(readAll(file), original) << what;
        EXPECT_EQ((uint32_t)edits.history.count, historyBefore) << what;
        for (int t = 0; t < kTrackCount; ++t) ASSERT_TRUE(sameTrack(trackTable[t], startTracks[t])) << what;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(insertKey(edits, 2, kShowFrameCount));
    unchanged("a key past the show's end");
    EXPECT_FALSE(insertKey(edits, 2, -1));
    unchanged("a key before the show");
    EXPECT_FALSE(insertKey(edits, 2, 40));
    unchanged("a key where one stands");
    EXPECT_FALSE(moveKey(edits, 2, 3, TrackKey{kShowFrameCount, 200, 0, 0}));
    unchanged("moved past the show's end");
    EXPECT_FALSE(moveKey(edits, 2, 1, TrackKey{100, 100, 0, 0}));
    unchanged("moved past the next key");
    EXPECT_FALSE(moveKey(edits, 2, 1, TrackKey{40, nan, 0, 0}));
    unchanged("NaN");
    EXPECT_FALSE(moveKey(edits, 2, 1, TrackKey{40, 0, -inf, 0}));
    unchanged("infinite");
    EXPECT_FALSE(moveKey(edits, 2, 9, TrackKey{40, 0, 0, 0}));
    unchanged("no such key");
    EXPECT_FALSE(insertKey(edits, kTrackCount, 10));
    unchanged("no such track");
    EXPECT_FALSE(insertKey(edits, 30, 10));
    unchanged("a track the file does not write");
    EXPECT_FALSE(setTrackInterpolation(edits, 2, 2));
    unchanged("an interpolation the show does not have");

    // A key whose value the file computes: that value is not written over, its literals still are.
    const std::string computed = replaced(original, "{40, 100, 0, 0}", "{40, 50 + 50, 0, 0}");
    std::ofstream(file, std::ios::binary) << computed;
    EXPECT_FALSE(moveKey(edits, 2, 1, TrackKey{40, 90, 0, 0}));
    EXPECT_TRUE(edits.failed);
    EXPECT_EQ(readAll(file), computed);
    EXPECT_TRUE(sameTrack(trackTable[2], startTracks[2]));
    ASSERT_TRUE(moveKey(edits, 2, 1, TrackKey{38, 100, 0, 0})) << edits.message;
    EXPECT_EQ(readAll(file), replaced(original, "{40, 100, 0, 0}", "{38, 50 + 50, 0, 0}"));
    ASSERT_TRUE(undoEdit(edits, scenes)) << edits.message;
    EXPECT_EQ(readAll(file), computed);
    std::ofstream(file, std::ios::binary) << original;

    // Filled to the most keys a track holds: one more is refused.
    const uint32_t room = kKeysPerTrack - trackTable[2].keyCount;
    for (uint32_t i = 0; i < room; ++i) ASSERT_TRUE(insertKey(edits, 2, 1000 + (int32_t)i)) << edits.message;
    EXPECT_EQ(trackTable[2].keyCount, (uint32_t)kKeysPerTrack);
    const std::string full = readAll(file);
    EXPECT_FALSE(insertKey(edits, 2, 2000));
    EXPECT_TRUE(edits.failed);
    EXPECT_EQ(readAll(file), full);
    undoAll(scenes);
    EXPECT_EQ(readAll(file), original);

    // The maker's editor saved the file under the edit: an undo goes on top of an unrelated change,
    // and is refused where the bytes it wrote are gone.
    ASSERT_TRUE(moveKey(edits, 2, 3, TrackKey{210, 200, 0, 0})) << edits.message;
    const std::string theirs = replaced(readAll(file), "{210, 200, 0, 0}", "{210, 201, 0, 0}");
    std::ofstream(file, std::ios::binary) << theirs;
    ASSERT_TRUE(undoEdit(edits, scenes)) << edits.message;
    EXPECT_EQ(readAll(file), replaced(original, "{200, 200, 0, 0}", "{200, 201, 0, 0}"));
    ASSERT_TRUE(redoEdit(edits, scenes)) << edits.message;
    const std::string gone = replaced(readAll(file), "{210, 201, 0, 0}", "{220, 201, 0, 0}");
    std::ofstream(file, std::ios::binary) << gone;
    EXPECT_FALSE(undoEdit(edits, scenes));
    EXPECT_TRUE(edits.failed);
    EXPECT_EQ(readAll(file), gone);
    EXPECT_EQ(trackTable[2].keys[3].frame, 210);        // the edit plays on
    EXPECT_EQ(edits.history.done, edits.history.count); // and stays in the list
    EXPECT_FALSE(trackUnsaved(edits, 2));               // the file holds it: only its undo was refused
    fs::remove_all(root);
    std::memcpy(trackTable, startTracks, sizeof startTracks);
}

// A random run of edits, built into the scene module from the saved file: its tracks are the patched ones.
TEST(KeyEdit, TheRebuiltModuleHoldsThePatchedTracks) {
    const fs::path root = scratchData("rebuild");
    const fs::path file = root / "data" / "tracks.cpp";
    start(root);
    SceneSet scenes = embeddedSceneSet();
    const std::string original = readAll(file);
    std::mt19937 random(30);
    int made = 0;
    for (int i = 0; i < 120; ++i) {
        const int32_t track = (int32_t)(random() % 18);
        const Track& t = trackTable[track];
        const int32_t key = (int32_t)(random() % t.keyCount);
        switch (random() % 4) {
        case 0:
            made += insertKey(edits, track, (int32_t)(random() % 1200));
            break;
        case 1: {
            const int32_t low = key > 0 ? t.keys[key - 1].frame : 0;
            const int32_t high = key + 1 < (int32_t)t.keyCount ? t.keys[key + 1].frame : low + 300;
            const TrackKey to = {low + (int32_t)(random() % (uint32_t)(high - low + 1)),
                                 (float)((int)(random() % 2001) - 1000) / 4, t.keys[key].y, 12.5f};
            made += moveKey(edits, track, key, to);
            break;
        }
        case 2:
            made += t.keyCount > 1 && deleteKey(edits, track, key);
            break;
        default:
            made += setTrackInterpolation(edits, track, t.interpolation ^ 1u);
            break;
        }
    }
    EXPECT_GT(made, 80);

    const fs::path module = root / "scenes.so";
    ASSERT_TRUE(buildModule(root, module)) << "the scene module did not build from " << root;
    SceneModuleHandle handle = {};
    SceneSet rebuilt = {};
    char error[1024] = "";
    ASSERT_TRUE(loadSceneModule(module.c_str(), 1, handle, rebuilt, error, sizeof error)) << error;
    for (int t = 0; t < kTrackCount; ++t)
        EXPECT_TRUE(sameTrack(rebuilt.tracks[t], trackTable[t])) << "track " << t;
    takeRebuiltScenes(edits, rebuilt);
    EXPECT_FALSE(edits.failed) << edits.message;
    unloadSceneModule(handle);

    undoAll(scenes);
    EXPECT_EQ(readAll(file), original);
    fs::remove_all(root);
}

// Snapped frames land on the music's rows and beats, counted on the show's timeline from the scene's start.
TEST(KeyEdit, SnapsToFramesRowsAndBeats) {
    EXPECT_EQ(snapKeyFrame(10.4f, kSnapFrames, 0), 10);
    EXPECT_EQ(snapKeyFrame(10.4f, kSnapFrames, 1000), 10);
    for (int32_t origin : {0, 1, 461, 1473, 7000}) {
        for (int32_t row = rowOfFrame(origin) + 1; row < kShowRowCount; ++row) {
            const float at = (float)row * kBeatFrames / 4 - (float)origin; // the row, in the track's frames
            const int32_t snapped = snapKeyFrame(at + 1.0f, kSnapRows, origin);
            ASSERT_EQ(snapped + origin, rowFirstFrame(row)) << origin << " " << row;
            ASSERT_EQ(rowOfFrame(snapKeyFrame(at - 1.0f, kSnapRows, origin) + origin), row) << row;
            if (row % 4 == 0) {
                ASSERT_EQ(snapKeyFrame(at + 10.0f, kSnapBeats, origin) + origin, rowFirstFrame(row)) << row;
                ASSERT_EQ(snapKeyFrame(at - 10.0f, kSnapBeats, origin) + origin, rowFirstFrame(row)) << row;
            }
        }
    }
}
