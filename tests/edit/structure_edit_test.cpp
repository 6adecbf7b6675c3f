// structure_edit_test.cpp - slots added, deleted, rewired and written out on a scratch copy of data/:
// random changes over every scene, each round rebuilt by the project's own compiler into the scene
// module, whose tables and slot names must equal the edit mode's running ones; then every change
// undone, leaving every file as it was, byte for byte. The refusals a maker meets are checked on the way.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/scene_build.h"
#include "director/node_info.h"
#include "edit/reload/module_load.h"
#include "edit/session/slot_text.h"
#include "edit/session/structure_edit.h"
#include "edit/session/value_edit.h"
#include "show/show.h"
#include "tests/edit/edit_files.h"

using namespace edit_files;

namespace {

EditSession edits; // large: the files' text and the structural steps

std::vector<int32_t> usedSlots(int scene) {
    std::vector<int32_t> used;
    for (int32_t k = 0; k < kSlotsPerScene; ++k)
        if (edits.nodes[scene][k].op != kOpEmpty) used.push_back(k);
    return used;
}

// One random change of a random scene; true when the session made it.
struct Made {
    int add, del, rewire, writeOut, refused;
};

bool randomChange(SceneSet& scenes, std::mt19937& random, int serial, Made& made) {
    const int scene = (int)(random() % kSceneCount);
    const std::vector<int32_t> used = usedSlots(scene);
    auto any = [&] { return used[random() % used.size()]; };
    bool ok = false;
    switch (random() % 4) {
    case 0: { // a sum of two slots, a scaled slot, or a draw of the scene's own kind
        const int32_t ops[3] = {kOpAdd, kOpScale, kOpDrawMesh};
        NodeSource node = newSlotNode(edits, scene, ops[random() % 3]);
        node.inputs[0] = any();
        if (node.op != kOpScale) node.inputs[1] = any();
        const std::string name = "kAdded" + std::to_string(serial);
        ok = addSlot(edits, scenes, scene, name.c_str(), node, random() % 2 ? any() : kNone);
        made.add += ok;
        break;
    }
    case 1: { // a slot nothing reads, mostly
        int32_t slot = any();
        for (int tries = 0; tries < 20 && slotReaders(edits, scene, slot, nullptr, 0) > 0; ++tries)
            slot = any();
        ok = deleteSlot(edits, scenes, scene, slot);
        made.del += ok;
        break;
    }
    case 2: { // an input the operation reads, mostly
        int32_t slot = any();
        for (int tries = 0; tries < 20 && !operationReadsInput(edits.nodes[scene][slot].op, 0); ++tries)
            slot = any();
        ok = rewireSlot(edits, scenes, scene, slot, 0, any());
        made.rewire += ok;
        break;
    }
    default:
        ok = writeOutSlot(edits, scenes, scene, any());
        made.writeOut += ok;
        break;
    }
    made.refused += !ok;
    return ok;
}

// The scene files as written are as clang-format writes them, with the project's own style: each line
// a change wrote is in the files' style, but for the column trailing comments are aligned to (which a
// line's new length moves for its neighbours too). Skipped where clang-format is not installed.
void expectFormatted(const fs::path& root, int round) {
    if (std::system("clang-format --version >/dev/null 2>&1") != 0) return;
    for (const auto& entry : fs::directory_iterator(root / "data")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("scene_", 0) != 0 || entry.path().extension() != ".cpp") continue;
        const std::string file = entry.path().string(), comments = " | sed -E 's| +//| //|'";
        const std::string command = "clang-format --style=file:" QZ_SOURCE_DIR "/.clang-format " + file +
                                    comments + " >" + file + ".formatted; cat " + file + comments +
                                    " | diff - " + file + ".formatted | head -12; rm -f " + file +
                                    ".formatted";
        std::string differs;
        if (FILE* out = popen(command.c_str(), "r")) {
            char line[512];
            while (std::fgets(line, sizeof line, out)) differs += line;
            pclose(out);
        }
        EXPECT_EQ(differs, "") << "round " << round << ": " << name << " is not as clang-format writes it";
    }
}

// The module built from the scratch files holds the running tables and the panels' names.
void expectRebuiltEqualsRunning(const fs::path& root, const SceneSet& scenes, int round) {
    const fs::path module = root / ("round" + std::to_string(round) + ".so");
    ASSERT_TRUE(buildModule(root, module)) << "round " << round << ": the edited files do not build";
    SceneModuleHandle handle = {};
    SceneSet rebuilt = {};
    char error[1024] = "";
    ASSERT_TRUE(loadSceneModule(module.c_str(), (uint32_t)round + 1, handle, rebuilt, error, sizeof error))
        << error;
    for (int s = 0; s < kSceneCount; ++s)
        for (int k = 0; k < kSlotsPerScene; ++k) {
            ASSERT_EQ(std::memcmp(&rebuilt.scenes.scenes[s].nodes[k], &edits.nodes[s][k], sizeof(NodeSource)),
                      0)
                << "round " << round << " scene " << s << " slot " << k;
            const char* a = enumName(*rebuilt.names[s].slots, k);
            const char* b = enumName(*scenes.names[s].slots, k);
            ASSERT_STREQ(a ? a : "", b ? b : "") << "round " << round << " scene " << s << " slot " << k;
        }
    unloadSceneModule(handle);
}

} // namespace

TEST(StructureEdit, RandomChangesRebuildIntoTheRunningTablesAndUndoByteForByte) {
    showInit();
    showStartDirector();
    const fs::path root = scratchData("structure");
    std::vector<std::pair<fs::path, std::string>> originals;
    for (const auto& entry : fs::directory_iterator(root / "data"))
        originals.push_back({entry.path(), readAll(entry.path())});
    SceneSet scenes = embeddedSceneSet();
    startEditSession(edits, root.c_str(), scenes);

    // The refusals a maker meets first: a slot that is read, a pinned slot, a cycle, a name taken.
    auto slot = [&](const char* name) { return slotNumber(*scenes.names[7].slots, name); };
    EXPECT_FALSE(deleteSlot(edits, scenes, 7, slot("kAt"))); // kLookAt reads it
    EXPECT_NE(std::strstr(edits.message, "kLookAt"), nullptr) << edits.message;
    EXPECT_FALSE(deleteSlot(edits, scenes, 7, slot("kPlinth"))); // pinned: the summary numbers it
    EXPECT_NE(std::strstr(edits.message, "pinned"), nullptr) << edits.message;
    EXPECT_FALSE(
        rewireSlot(edits, scenes, 7, slot("kMoonTime"), 0, slot("kMoonPos"))); // frameTime reads none
    EXPECT_FALSE(rewireSlot(edits, scenes, 7, slot("kMoonCircle"), 0, slot("kMoonPos"))); // a cycle
    EXPECT_NE(std::strstr(edits.message, "cycle"), nullptr) << edits.message;
    EXPECT_FALSE(addSlot(edits, scenes, 7, "kSwell", newSlotNode(edits, 7, kOpAdd), kNone));
    EXPECT_NE(std::strstr(edits.message, "already a name"), nullptr) << edits.message;
    for (const auto& [path, text] : originals)
        ASSERT_EQ(readAll(path), text) << path << " changed on a refusal";

    // scene 7's helper written out: kPlinth's cubes(...) becomes the drawMesh it amounts to.
    ASSERT_TRUE(writeOutSlot(edits, scenes, 7, slot("kPlinth"))) << edits.message;
    const std::string rise = readAll(root / "data" / "scene_07_rise.cpp");
    EXPECT_NE(
        rise.find("    s[kPlinth] = drawMesh({kPlinthPos, kPlinthSize, kNone, kStoneAmbient, kStoneDiffuse, "
                  "kSpecular},\n"
                  "                          kMeshCube, 1, kVsBaseCook, kPsBaseCook, kImgCheckerCoarse, "
                  "kOpaque);\n"),
        std::string::npos);
    NodeSource orb = newSlotNode(edits, 7, kOpDrawMesh);
    orb.inputs[0] = slot("kMoonPos");
    orb.inputs[1] = slot("kMoonSize");
    ASSERT_TRUE(addSlot(edits, scenes, 7, "kOrb", orb, slot("kPlinth"))) << edits.message;
    EXPECT_EQ(slot("kOrb"), 73);                                  // the first number free
    EXPECT_FALSE(deleteSlot(edits, scenes, 7, slot("kMoonPos"))); // kOrb reads it now
    ASSERT_TRUE(rewireSlot(edits, scenes, 7, slot("kOrb"), 0, slot("kHaloPos"))) << edits.message;
    ASSERT_TRUE(deleteSlot(edits, scenes, 7, slot("kOrb"))) << edits.message;
    EXPECT_EQ(slot("kOrb"), kNone);

    std::mt19937 random(40);
    Made made = {};
    int steps = 4, serial = 0;
    for (int round = 0; round < 4; ++round) {
        for (int k = 0; k < 15; ++k) steps += randomChange(scenes, random, serial++, made);
        expectRebuiltEqualsRunning(root, scenes, round);
        expectFormatted(root, round);
    }
    std::printf("%d changes: %d added, %d deleted, %d rewired, %d written out, %d refused\n", steps, made.add,
                made.del, made.rewire, made.writeOut, made.refused);
    EXPECT_GT(made.add, 0);
    EXPECT_GT(made.rewire, 0);
    EXPECT_GT(made.del, 0);
    EXPECT_GT(made.writeOut, 0);

    for (int k = 0; k < steps; ++k)
        ASSERT_TRUE(undoEdit(edits, scenes)) << "undo " << k << ": " << edits.message;
    for (const auto& [path, text] : originals) EXPECT_EQ(readAll(path), text) << path << " not restored";
    for (int s = 0; s < kSceneCount; ++s)
        ASSERT_EQ(std::memcmp(edits.nodes[s], sceneTable.scenes[s].nodes, sizeof edits.nodes[s]), 0) << s;
    fs::remove_all(root);
}
