// undo_test.cpp - the one undo list against files the maker also edits: values, keys and lengths edited
// on a scratch copy of data/ while the maker's own editor adds and removes lines above and below them
// (no rebuild between: the compiler's places are stale), then everything undone: every file byte for
// byte as it was, every edit confined to its own slot's statement. A step whose literal the maker
// changed is dropped and the steps before it still undo; a change of two files writes both or neither;
// typed text that is not a number in full is refused; the timeline names the scenes that moved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "data/scene_build.h"
#include "data/scene_data.h"
#include "director/director_state.h"
#include "director/node_info.h"
#include "edit/session/key_edit.h"
#include "edit/session/scene_length.h"
#include "edit/session/value_edit.h"
#include "show/show.h"
#include "tests/edit/edit_files.h"

using namespace edit_files;

namespace {

EditSession edits; // large: the files' text
KeyEdits keys;
LengthEdits lengths;

SceneSet& start(const fs::path& root) {
    static SceneSet scenes;
    showInit();
    showStartDirector();
    scenes = embeddedSceneSet();
    startEditSession(edits, root.c_str(), scenes);
    startKeyEdits(keys, edits);
    startLengthEdits(lengths, scenes.scenes);
    return scenes;
}

std::vector<fs::path> dataFiles(const fs::path& root) {
    std::vector<fs::path> files = {root / "data" / "tracks.cpp"};
    for (const auto& entry : fs::directory_iterator(root / "data"))
        if (entry.path().filename().string().rfind("scene_", 0) == 0 &&
            entry.path().filename().string()[6] <= '9')
            files.push_back(entry.path());
    return files;
}

const char* slotName(const SceneSet& scenes, int scene, int slot) {
    const char* name = enumName(*scenes.names[scene].slots, slot);
    return name ? name : "";
}

// The bytes of `before` that differ from `after` lie inside slot `name`'s statement `s[name] = ...;`.
::testing::AssertionResult withinStatement(const std::string& before, const std::string& after,
                                           const std::string& name) {
    const std::string assignment = "[" + name + "] =";
    const size_t at = before.find(assignment);
    if (at == std::string::npos || before.find(assignment, at + 1) != std::string::npos)
        return ::testing::AssertionSuccess(); // no single statement to hold it to
    const size_t end = before.find(';', at);
    size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    if (head >= at && before.size() - tail <= end + 1) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the edit of " << name << " changed bytes " << head << ".." << before.size() - tail
           << ", outside its statement at " << at << ".." << end;
}

struct Field {
    int scene, slot, field;
};

// Every number parameter a call writes: the fields a random value edit picks from.
std::vector<Field> numberFields(const SceneSet& scenes) {
    std::vector<Field> fields;
    for (int s = 0; s < kSceneCount; ++s)
        for (int k = 0; k < kSlotsPerScene; ++k)
            for (int f = 0; f < kNodeInfoParams; ++f)
                if (edits.nodes[s][k].op != kOpEmpty && scenes.names[s].places[k].file &&
                    nodeOpInfo(edits.nodes[s][k].op).params[f].kind == kParamNumber)
                    fields.push_back(Field{s, k, f});
    return fields;
}

// A value edit of a random number parameter; true when it was written.
bool editRandomValue(const SceneSet& scenes, const fs::path& root, const std::vector<Field>& fields,
                     std::mt19937& random) {
    const auto [scene, slot, field] = fields[random() % fields.size()];
    const NodeSource& node = edits.nodes[scene][slot];
    const fs::path file = root / "data" / placeFileName(scenes.names[scene].places[slot]);
    const std::string before = readAll(file);
    const float value =
        std::nearbyint((node.params[field] + (float)((int)(random() % 200) - 100) / 50) * 100) / 100;
    const bool done = editSlotValue(edits, scenes, scene, slot, field, value);
    EXPECT_FALSE(done && edits.failed) << edits.message;
    if (!done) {
        EXPECT_EQ(readAll(file), before) << "a refused edit wrote: " << edits.message;
    } else {
        EXPECT_TRUE(withinStatement(before, readAll(file), slotName(scenes, scene, slot)));
    }
    return done;
}

bool editRandomKey(std::mt19937& random) {
    const int32_t track = (int32_t)(random() % 18);
    const Track& t = trackTable[track];
    if (random() % 2) return insertKey(edits, track, (int32_t)(random() % kShowFrameCount));
    const int32_t key = (int32_t)(random() % t.keyCount);
    TrackKey to = t.keys[key];
    to.y += (float)(1 + random() % 50);
    return moveKey(edits, track, key, to);
}

bool editRandomLength(const SceneSet& scenes, std::mt19937& random) {
    const int scene = (int)(random() % kLastScene);
    int32_t starts[kSceneCount + 1];
    sceneStarts(edits.table, starts);
    const int32_t end = snapToBar(starts[scene + 1] + (int32_t)(random() % 500) - 250);
    return editSceneLength(edits, lengths, scenes, scene, end - starts[scene]);
}

// The maker's editor adds a line of its own somewhere in a file (not after a line continued with '\').
std::string addNote(const std::vector<fs::path>& files, std::mt19937& random, int number) {
    const fs::path& file = files[random() % files.size()];
    std::string text = readAll(file);
    std::vector<size_t> starts = {0};
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\\')) starts.push_back(i + 1);
    const std::string note = "// the maker's note " + std::to_string(number) + "\n";
    text.insert(starts[random() % starts.size()], note);
    writeAll(file, text);
    return note;
}

void removeNote(const std::vector<fs::path>& files, const std::string& note) {
    for (const fs::path& file : files) {
        std::string text = readAll(file);
        const size_t at = text.find(note);
        if (at == std::string::npos) continue;
        writeAll(file, text.erase(at, note.size()));
        return;
    }
    ADD_FAILURE() << "the note " << note << " is gone";
}

} // namespace

TEST(EditUndo, EditsAmongTheMakersLinesUndoByteForByte) {
    const fs::path root = scratchData("undo-random");
    SceneSet& scenes = start(root);
    const std::vector<fs::path> files = dataFiles(root);
    std::vector<std::string> originals, notes;
    for (const fs::path& file : files) originals.push_back(readAll(file));
    const std::vector<Field> fields = numberFields(scenes);
    std::mt19937 random(38);
    int values = 0, keyEdits = 0, lengthEdits = 0;
    for (int step = 0; step < 400 && !HasFailure(); ++step) {
        switch (random() % 6) {
        case 0:
        case 1:
            values += editRandomValue(scenes, root, fields, random);
            break;
        case 2:
            keyEdits += editRandomKey(random);
            break;
        case 3:
            lengthEdits += editRandomLength(scenes, random);
            break;
        case 4:
            notes.push_back(addNote(files, random, step));
            break;
        default:
            if (!notes.empty()) {
                const size_t k = random() % notes.size();
                removeNote(files, notes[k]);
                notes.erase(notes.begin() + (long)k);
            }
        }
    }
    EXPECT_GT(values, 40);
    EXPECT_GT(keyEdits, 20);
    EXPECT_GT(lengthEdits, 20);
    while (edits.history.done > 0) ASSERT_TRUE(undoEdit(edits, scenes)) << edits.message;
    for (const std::string& note : notes) removeNote(files, note);
    for (size_t f = 0; f < files.size(); ++f) EXPECT_EQ(readAll(files[f]), originals[f]) << files[f];
    for (int s = 0; s < kSceneCount; ++s) {
        EXPECT_EQ(edits.table.scenes[s].duration, sceneTable.scenes[s].duration) << "scene " << s;
        for (int k = 0; k < kSlotsPerScene; ++k)
            ASSERT_EQ(std::memcmp(nodeBlocks[s][k].params, sceneTable.scenes[s].nodes[k].params, 32), 0)
                << "scene " << s << " slot " << k;
    }
    EXPECT_EQ(std::memcmp(trackTable, embeddedTracks, sizeof(Track) * kTrackCount), 0);
    fs::remove_all(root);
}

// The maker changed an edited literal by hand: that step is dropped, saying so, and the one before it
// still undoes, into its own slot's line however many lines were added above it.
TEST(EditUndo, AStepWhoseLiteralIsGoneIsDroppedAndTheOnesBeforeItUndo) {
    const fs::path root = scratchData("undo-gone");
    SceneSet& scenes = start(root);
    const fs::path drop = root / "data" / "scene_04_drop.cpp";
    const std::string original = readAll(drop);
    ASSERT_NE(original.find("    s[kAt] = constant(0, 0, 0);\n"), std::string::npos);
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 1, 0, 0.2f)) << edits.message;  // kClearColour p0
    ASSERT_TRUE(editSlotValue(edits, scenes, 4, 7, 0, 0.25f)) << edits.message; // kAt p0
    std::string maker = "// one line\n// and another\n" + readAll(drop);
    const size_t at = maker.find("s[kAt] = constant(0.25f, 0, 0);");
    ASSERT_NE(at, std::string::npos);
    maker.replace(at, 31, "s[kAt] = constant(0.3f, 0, 0); ");
    writeAll(drop, maker);

    EXPECT_FALSE(undoEdit(edits, scenes));
    EXPECT_NE(std::strstr(edits.message, "kAt p0 no longer holds 0.25f; it holds 0.3f"), nullptr)
        << edits.message;
    EXPECT_NE(std::strstr(edits.message, "dropped"), nullptr) << edits.message;
    EXPECT_EQ(readAll(drop), maker);
    ASSERT_TRUE(undoEdit(edits, scenes)) << edits.message;
    std::string expected = maker;
    expected.replace(expected.find("constant(0.2f, 0.03f"), 20, "constant(0.1f, 0.03f");
    EXPECT_EQ(readAll(drop), expected);
    EXPECT_EQ(edits.history.done, 0);
    EXPECT_FALSE(undoEdit(edits, scenes));
    ASSERT_TRUE(redoEdit(edits, scenes)) << edits.message; // the dropped step is not redone
    EXPECT_FALSE(redoEdit(edits, scenes));
    fs::remove_all(root);
}

// A length change writes two files: where the second cannot be written, neither is, both lengths play
// unsaved and the message names the file. Root writes any file, so as root it runs as nobody.
TEST(EditUndo, AChangeOfTwoFilesWritesBothOrNeither) {
    const fs::path root = scratchData("undo-both");
    SceneSet& scenes = start(root);
    const fs::path build = root / "data" / "scene_03_build.cpp",
                   finale = root / "data" / "scene_10_finale.cpp";
    const std::string buildText = readAll(build), finaleText = readAll(finale);
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(chown(root.c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown((root / "data").c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown(build.c_str(), 65534, 65534), 0);
    }
    fs::permissions(finale, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const pid_t child = asRoot ? fork() : 0;
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (asRoot && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
        const int32_t frames = edits.table.scenes[3].duration + snapToBar(240);
        int fault = 0;
        if (!editSceneLength(edits, lengths, scenes, 3, frames))
            fault = 1;
        else if (!edits.failed || !std::strstr(edits.message, "scene_10_finale.cpp"))
            fault = 2;
        else if (readAll(build) != buildText || readAll(finale) != finaleText)
            fault = 3;
        else if (unsavedEditCount(edits) != 2 || edits.table.scenes[3].duration != frames)
            fault = 4;
        for (const auto& entry : fs::directory_iterator(root / "data"))
            if (entry.path().filename().string()[0] == '.' && !fault) fault = 5; // a temporary left
        if (asRoot) _exit(fault);
        EXPECT_EQ(fault, 0) << edits.message;
    } else {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the two-file case failed at step " << WEXITSTATUS(status);
    }
    fs::permissions(finale, fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(root);
}

TEST(EditUndo, TypedTextTheTimelineAndAHelpersCall) {
    const fs::path root = scratchData("undo-typed");
    SceneSet& scenes = start(root);
    const fs::path drop = root / "data" / "scene_04_drop.cpp";
    const std::string original = readAll(drop);
    for (const char* text : {"3,5", "0x10", "1/0", "", "inf", "2.5.1", "1e99"})
        EXPECT_FALSE(editSlotText(edits, scenes, 4, 7, 0, text)) << text;
    EXPECT_NE(std::strstr(edits.message, "1e99"), nullptr) << edits.message;
    EXPECT_EQ(readAll(drop), original);
    ASSERT_TRUE(editSlotText(edits, scenes, 4, 7, 0, " -0.25 ")) << edits.message;
    EXPECT_NE(readAll(drop).find("s[kAt] = constant(-0.25f, 0, 0);"), std::string::npos);
    EXPECT_EQ(edits.aboutSlot, 7);

    // Scene 4's end dragged a bar later: scene 5 on moved with it, and the line names them all.
    ASSERT_TRUE(editSceneLength(edits, lengths, scenes, 4, edits.table.scenes[4].duration + snapToBar(115)));
    char moved[256];
    describeSceneShifts(lengths, edits.table, moved, sizeof moved);
    EXPECT_STREQ(moved, "scenes 5..10 start +115 frames off where they started") << moved;

    // A slot set through a helper's call is refused naming the call's line, not the helper's.
    const std::string rise = readAll(root / "data" / "scene_07_rise.cpp");
    int crown = -1;
    for (int k = 0; k < kSlotsPerScene; ++k)
        if (std::strcmp(slotName(scenes, 7, k), "kCrown") == 0) crown = k;
    ASSERT_GE(crown, 0);
    const size_t call = rise.find("s[kCrown] = cubes(");
    ASSERT_NE(call, std::string::npos);
    const std::string line =
        "scene_07_rise.cpp:" + std::to_string(1 + std::count(rise.begin(), rise.begin() + (long)call, '\n'));
    EXPECT_FALSE(editSlotValue(edits, scenes, 7, crown, 1, 3.0f));
    EXPECT_NE(std::strstr(edits.message, (line + " sets kCrown").c_str()), nullptr) << edits.message;
    EXPECT_NE(std::strstr(edits.openLine, line.c_str()), nullptr) << edits.openLine;
    fs::remove_all(root);
}

TEST(EditUndo, AKeyDragMovesOneAxis) {
    // Sideways with a little jitter: time, however it wobbles later; straight up: the value.
    EXPECT_EQ(decideDragAxis(kDragUndecided, 2, 1), kDragUndecided);
    EXPECT_TRUE(dragsTime(kDragUndecided, 2, 1));
    EXPECT_EQ(decideDragAxis(kDragUndecided, 9, -4), kDragTime);
    EXPECT_TRUE(dragsTime(kDragTime, 3, 80));
    EXPECT_EQ(decideDragAxis(kDragUndecided, 1, -7), kDragValue);
    EXPECT_FALSE(dragsTime(kDragValue, 200, -7));
    EXPECT_EQ(decideDragAxis(kDragValue, 300, 0), kDragValue);
}
