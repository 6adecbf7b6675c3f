// source_edit_test.cpp - values written back into the scene files: on a scratch copy of data/, every
// literal the compiler's places point at reads as the value the built tables hold and is written back
// byte for byte; edits, undo and redo leave the files as they started; a changed value rebuilt into the
// scene module gives exactly the patched tables; what cannot be written is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "data/scene_build.h"
#include "data/scene_data.h"
#include "data/track_names.h"
#include "director/director_state.h"
#include "edit/reload/data_reload.h"
#include "edit/session/source_edit.h"
#include "edit/session/value_edit.h"
#include "show/show.h"
#include "tests/edit/edit_files.h"

using namespace edit_files;

namespace {

float siblingOf(const void* node, int field) {
    return slotField(*static_cast<const NodeSource*>(node), field);
}

int sceneOfFile(const char* name) {
    for (int s = 0; s < kSceneCount; ++s)
        for (int k = 0; k < kSlotsPerScene; ++k)
            if (sceneNames[s].places[k].file &&
                std::strcmp(placeFileName(sceneNames[s].places[k]), name) == 0)
                return s;
    return -1;
}

EditSession edits; // large: the scene files' text

} // namespace

TEST(SourceEdit, NumberLiteralsReadAndWriteBackExactly) {
    float v = 0;
    EXPECT_TRUE(readNumberLiteral("0.25f", 5, v));
    EXPECT_EQ(v, 0.25f);
    EXPECT_TRUE(readNumberLiteral("-3", 2, v));
    EXPECT_EQ(v, -3.0f);
    EXPECT_TRUE(readNumberLiteral("1e-3f", 5, v));
    EXPECT_EQ(v, 1e-3f);
    for (const char* bad : {"kSwell", "1 + 2", "0x10", "2f", "07", "", "-", "1.5ff", ".f"})
        EXPECT_FALSE(readNumberLiteral(bad, (uint32_t)std::strlen(bad), v)) << bad;

    // Any finite float, in any literal's style, reads back as exactly itself.
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> bits;
    char text[64];
    for (int i = 0; i < 20000; ++i) {
        uint32_t b = bits(random);
        float x;
        std::memcpy(&x, &b, sizeof x);
        if (!std::isfinite(x)) continue;
        for (const char* before : {"0.5f", "3", ""}) {
            formatNumberLiteral(x, before, text, sizeof text);
            float back = 0;
            ASSERT_TRUE(readNumberLiteral(text, (uint32_t)std::strlen(text), back)) << text;
            ASSERT_EQ(back, x) << text;
        }
    }
    formatNumberLiteral(0.2f, "0.1f", text, sizeof text);
    EXPECT_STREQ(text, "0.2f");
    formatNumberLiteral(4, "3", text, sizeof text);
    EXPECT_STREQ(text, "4");
    formatNumberLiteral(2, "1.5f", text, sizeof text);
    EXPECT_STREQ(text, "2.0f");
    formatNumberLiteral(0.1f, "0.10f", text, sizeof text); // the same value: the literal as it stood
    EXPECT_STREQ(text, "0.10f");
}

// Every field of every slot, written back with its own value: where the file writes it as a literal the
// literal reads as the built value, and the files come back byte for byte.
TEST(SourceEdit, EveryLiteralOfEverySceneRoundTrips) {
    const fs::path root = scratchData("round-trip");
    static SourceFile files[kSceneCount];
    static SourceFile onDisk; // writeSourceFile's look at the file on disk
    char error[1400];
    int written = 0, computed = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        const SceneNames& names = sceneNames[s];
        ASSERT_NE(names.places, nullptr);
        int fileOpen = -1;
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& node = sceneTable.scenes[s].nodes[k];
            const SlotPlace& place = names.places[k];
            if (node.op == kOpEmpty) {
                EXPECT_EQ(place.file, nullptr) << "scene " << s << " slot " << k;
                continue;
            }
            ASSERT_NE(place.file, nullptr) << "scene " << s << " slot " << k << " has no place";
            if (fileOpen < 0) {
                ASSERT_TRUE(readSourceFile((root / "data" / placeFileName(place)).c_str(), files[s], error,
                                           sizeof error))
                    << error;
                fileOpen = s;
            }
            ASSERT_STREQ(placeFileName(place), fs::path(files[s].path).filename().c_str());
            for (int field = 0; field <= kCountField; ++field) {
                const float value = slotField(node, field);
                const ValueNames choices = fieldNames(node.op, field);
                LiteralEdit edit = {};
                if (!planLiteralEdit(files[s], place, field, value, value, choices.count ? &choices : nullptr,
                                     siblingOf, &node, edit, error, sizeof error)) {
                    // Refused only because the value is computed or left out, never because the place
                    // and the file disagree.
                    EXPECT_EQ(std::strstr(error, "where the slot holds"), nullptr) << error;
                    EXPECT_EQ(std::strstr(error, "no longer at line"), nullptr) << error;
                    EXPECT_EQ(std::strstr(error, "cannot read"), nullptr) << error;
                    ++computed;
                    continue;
                }
                if (edit.begin == edit.end) { // a default left out: writing it would add text
                    ++computed;
                    continue;
                }
                EXPECT_STREQ(edit.text, edit.before) << placeFileName(place) << ":" << edit.line;
                ASSERT_TRUE(applyLiteralEdit(files[s], edit));
                ++written;
            }
        }
        bool changed = true;
        ASSERT_TRUE(writeSourceFile(files[s], onDisk, changed, error, sizeof error)) << error;
    }
    std::printf("%d literals written back, %d values computed or left to defaults\n", written, computed);
    EXPECT_GT(written, 800);
    for (const auto& entry : fs::directory_iterator(root / "data"))
        EXPECT_EQ(readAll(entry.path()), readAll(fs::path(QZ_SOURCE_DIR) / "data" / entry.path().filename()))
            << entry.path();
    fs::remove_all(root);
}

// Edits in place, the refusals, a file changed on disk, undo and redo, on a scratch copy.
TEST(SourceEdit, EditsUndoAndRedoLeaveTheFilesAsTheyStarted) {
    showInit();
    showStartDirector();
    const fs::path root = scratchData("undo");
    SceneSet scenes = embeddedSceneSet();
    startEditSession(edits, root.c_str(), scenes);
    const fs::path drop = root / "data" / "scene_04_drop.cpp";
    const std::string original = readAll(drop);
    const int scene = sceneOfFile("scene_04_drop.cpp");
    ASSERT_EQ(scene, 4);

    // s[kClearColour] = constant(0.1f, 0.03f, 0.16f, 1); is slot 1: its x becomes 0.2 in the table and the
    // file.
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 1, 0, 0.2f)) << edits.message;
    EXPECT_FALSE(edits.failed) << edits.message;
    EXPECT_EQ(nodeBlocks[4][1].params[0], 0.2f);
    std::string expected = original;
    const size_t at = expected.find("constant(0.1f, 0.03f, 0.16f, 1)");
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, 31, "constant(0.2f, 0.03f, 0.16f, 1)");
    EXPECT_EQ(readAll(drop), expected);

    // Refused, nothing changed: not a number, a computed value, a list's name that is not one.
    const std::string now = readAll(drop);
    const uint32_t changes =
        edits.liveChanges; // each change of the running tables counts; a refusal makes none
    EXPECT_GT(changes, 0u);
    EXPECT_FALSE(editSlotValue(edits, scenes, 4, 1, 1, std::nanf("")));
    EXPECT_FALSE(editSlotValue(edits, scenes, 4, 1, 1, INFINITY));
    EXPECT_FALSE(editSlotValue(edits, scenes, 4, 13, 0, 2.0f)); // kInnerSize: 1.5f + 2 * kSwell
    EXPECT_NE(std::strstr(edits.message, "computed"), nullptr) << edits.message;
    EXPECT_NE(std::strstr(edits.openLine, "scene_04_drop.cpp:"), nullptr) << edits.openLine;
    EXPECT_FALSE(editSlotValue(edits, scenes, 4, 12, 4, 99.0f)); // kInnerGrid's texture: no image 99
    EXPECT_FALSE(editSlotValue(edits, scenes, 4, 1, kCountField, 5000.0f)); // more than the director holds
    EXPECT_FALSE(
        editSlotValue(edits, scenes, 4, 9, 0, (float)kTrackGiven)); // kFade: a track the file does not list
    EXPECT_NE(std::strstr(edits.message, "readsTracks"), nullptr) << edits.message;
    EXPECT_EQ(readAll(drop), now);
    EXPECT_EQ(nodeBlocks[4][13].params[0], sceneTable.scenes[4].nodes[13].params[0]);
    EXPECT_EQ(edits.liveChanges, changes);

    // A whole number is written whole: kInnerGrid's instances (an int of drawMesh) 1 -> 2.4 is 2.
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 12, 1, 2.4f)) << edits.message;
    EXPECT_EQ(nodeBlocks[4][12].params[1], 2.0f);
    EXPECT_NE(readAll(drop).find("drawMesh({kNone, kInnerSize, kInnerSpin}, kMeshCube, 2, kVsTexTest"),
              std::string::npos);

    // A name from its list: kInnerGrid's texture becomes kImgCheckerFine.
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 12, 4, (float)kImgCheckerFine)) << edits.message;
    EXPECT_NE(readAll(drop).find(
                  "kMeshCube, 2, kVsTexTest, kPsTexTest,\n                             kImgCheckerFine"),
              std::string::npos);

    // The maker's editor saves the file: the next edit goes on top of it.
    writeAll(drop, readAll(drop) + "// a note from the maker\n");
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 1, 2, 0.5f)) << edits.message;
    EXPECT_FALSE(edits.failed) << edits.message;
    EXPECT_NE(readAll(drop).find("constant(0.2f, 0.03f, 0.5f, 1)"), std::string::npos);
    EXPECT_NE(readAll(drop).find("// a note from the maker\n"), std::string::npos);
    // ... and where the edited line is gone, the edit is refused naming the file and line.
    std::string gone = readAll(drop);
    gone.replace(gone.find("s[kClearColour] = constant("), 27, "s[kClearColour] = kDark; // ");
    writeAll(drop, gone);
    EXPECT_FALSE(editSlotValue(edits, scenes, 4, 1, 3, 0.5f));
    EXPECT_NE(std::strstr(edits.message, "scene_04_drop.cpp:"), nullptr) << edits.message;
    EXPECT_EQ(readAll(drop), gone);
    std::string back = gone;
    back.replace(back.find("s[kClearColour] = kDark; // "), 28, "s[kClearColour] = constant(");
    writeAll(drop, back); // the maker puts the line back

    // More edits in other files, then undo all: every file as it started, the tables as built.
    ASSERT_TRUE(editSlotValue(edits, scenes, 0, 1, 1, 0.02f)) << edits.message; // scene 0's kClearBase y
    const int edited = edits.history.done;
    const std::string intro = readAll(root / "data" / "scene_00_intro.cpp");
    for (int k = 0; k < edited; ++k) ASSERT_TRUE(undoEdit(edits, scenes)) << edits.message;
    EXPECT_FALSE(undoEdit(edits, scenes));
    std::string noted = original + "// a note from the maker\n";
    EXPECT_EQ(readAll(drop), noted); // the maker's own line stays
    EXPECT_EQ(readAll(root / "data" / "scene_00_intro.cpp"),
              readAll(fs::path(QZ_SOURCE_DIR) / "data" / "scene_00_intro.cpp"));
    for (int s = 0; s < kSceneCount; ++s)
        for (int k = 0; k < kSlotsPerScene; ++k)
            ASSERT_EQ(std::memcmp(nodeBlocks[s][k].params, sceneTable.scenes[s].nodes[k].params, 32), 0)
                << "scene " << s << " slot " << k;
    for (int k = 0; k < edited; ++k) ASSERT_TRUE(redoEdit(edits, scenes)) << edits.message;
    EXPECT_EQ(readAll(root / "data" / "scene_00_intro.cpp"), intro);
    EXPECT_EQ(nodeBlocks[0][1].params[1], 0.02f);
    EXPECT_EQ(unsavedEditCount(edits), 0);

    // A file that cannot be written: the edit plays, unsaved, and is listed at the end. Root may write
    // any file, so as root the case runs in a child process that has become nobody.
    const auto readable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                          fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(root, readable); // nobody may read the copy (whatever the umask), not write its folder
    fs::permissions(root / "data", readable);
    fs::permissions(drop, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string locked = readAll(drop);
    const bool asRoot = geteuid() == 0;
    const pid_t child = asRoot ? fork() : 0;
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (asRoot && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
        const uint32_t before = edits.liveChanges;
        int fault = 0;
        if (!editSlotValue(edits, scenes, 4, 1, 1, 0.07f))
            fault = 1;
        else if (!edits.failed || !std::strstr(edits.message, "unsaved"))
            fault = 2;
        else if (nodeBlocks[4][1].params[1] != 0.07f || edits.liveChanges == before)
            fault = 3;
        else if (readAll(drop) != locked)
            fault = 4;
        else if (unsavedEditCount(edits) != 1)
            fault = 5;
        char* listed = nullptr;
        size_t size = 0;
        FILE* out = open_memstream(&listed, &size);
        printUnsavedEdits(edits, out);
        std::fclose(out);
        if (!fault &&
            (!std::strstr(listed, "1 edit no file holds") || !std::strstr(listed, "scene_04_drop.cpp")))
            fault = 6;
        std::free(listed);
        if (asRoot) _exit(fault);
        EXPECT_EQ(fault, 0) << edits.message;
    } else {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the read-only case failed at step " << WEXITSTATUS(status);
    }
    fs::permissions(drop, fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(root);
}

// A changed value written back and the scene module built again from the saved files: the rebuilt
// tables are the patched ones, slot for slot, and the edit mode's check says so.
TEST(SourceEdit, TheRebuiltModuleHoldsThePatchedTables) {
    showInit();
    showStartDirector();
    const fs::path root = scratchData("rebuild");
    SceneSet scenes = embeddedSceneSet();
    startEditSession(edits, root.c_str(), scenes);
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 1, 0, 0.35f)) << edits.message;             // a constant
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 26, 0, (float)kMeshCube)) << edits.message; // kBall's mesh
    ASSERT_TRUE(editSlotValue(edits, scenes, 0, 1, 3, 0.5f)) << edits.message;              // kClearBase w
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 7, 3, 2.0f))
        << edits.message; // kAt's w: left out, written now
    EXPECT_NE(readAll(root / "data" / "scene_04_drop.cpp").find("s[kAt] = constant(0, 0, 0, 2);"),
              std::string::npos);

    const fs::path module = root / "scenes.so";
    ASSERT_TRUE(buildModule(root, module)) << "the scene module did not build from " << root;
    SceneModuleHandle handle = {};
    SceneSet rebuilt = {};
    char error[1024] = "";
    ASSERT_TRUE(loadSceneModule(module.c_str(), 1, handle, rebuilt, error, sizeof error)) << error;
    for (int s = 0; s < kSceneCount; ++s)
        for (int k = 0; k < kSlotsPerScene; ++k)
            ASSERT_EQ(std::memcmp(&rebuilt.scenes.scenes[s].nodes[k], &edits.nodes[s][k], sizeof(NodeSource)),
                      0)
                << "scene " << s << " slot " << k;
    ASSERT_TRUE(replaceSceneData(rebuilt.scenes, rebuilt.tracks)) << showError();
    takeRebuiltScenes(edits, rebuilt);
    EXPECT_FALSE(edits.failed) << edits.message;
    EXPECT_NE(std::strstr(edits.message, "equals the edited values"), nullptr) << edits.message;
    EXPECT_EQ(nodeBlocks[4][1].params[0], 0.35f);

    // A rebuild that does not hold an edit is reported.
    ASSERT_TRUE(editSlotValue(edits, rebuilt, 4, 1, 1, 0.45f)) << edits.message;
    takeRebuiltScenes(edits, rebuilt); // the old module: it still says 0.03
    EXPECT_TRUE(edits.failed);
    EXPECT_NE(std::strstr(edits.message, "differs"), nullptr) << edits.message;

    // The maker changes a literal in the editor and the reload rebuilds it: the next edit of that
    // value goes on top of the maker's.
    const fs::path drop = root / "data" / "scene_04_drop.cpp";
    std::string text = readAll(drop);
    const size_t at = text.find("0.45f, 0.16f, 1)");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 16, "0.45f, 0.3f, 1)");
    writeAll(drop, text);
    SceneModuleHandle second = {};
    const fs::path module2 = root / "scenes2.so";
    ASSERT_TRUE(buildModule(root, module2));
    ASSERT_TRUE(loadSceneModule(module2.c_str(), 2, second, rebuilt, error, sizeof error)) << error;
    ASSERT_TRUE(replaceSceneData(rebuilt.scenes, rebuilt.tracks)) << showError();
    takeRebuiltScenes(edits, rebuilt);
    EXPECT_FALSE(edits.failed) << edits.message;
    EXPECT_EQ(nodeBlocks[4][1].params[2], 0.3f);
    ASSERT_TRUE(editSlotValue(edits, rebuilt, 4, 1, 2, 0.4f)) << edits.message;
    EXPECT_FALSE(edits.failed) << edits.message;
    EXPECT_NE(readAll(drop).find("constant(0.35f, 0.45f, 0.4f, 1)"), std::string::npos);

    ASSERT_TRUE(replaceSceneData(sceneTable, embeddedTracks)) << showError();
    unloadSceneModule(second);
    unloadSceneModule(handle);
    fs::remove_all(root);
}
