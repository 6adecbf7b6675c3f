// edit_frames_test.cpp - whatever run of seeks, loops, replays and reloads comes before it, every
// frame the edit mode draws is the picture a fresh start draws at that frame. The oracle is
// qz001-tool render, run as a process of its own for each frame; the edit side draws through the
// edit mode's own frame step (editPrepareFrame) on a headless show of the same size. Structural changes
// of a scene show in the next frame drawn, and their undo gives the picture back.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "data/scene_data.h"
#include "edit/session/slot_text.h"
#include "edit/session/structure_edit.h"
#include "edit/transport/edit_frame.h"
#include "render/png_io.h"
#include "show/show.h"
#include "tests/edit/edit_files.h"

namespace {

constexpr int kWidth = 160, kHeight = 90;

std::vector<uint8_t> readFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back((uint8_t)c);
        std::fclose(f);
    }
    return bytes;
}

// The tool's picture of `frame`, or an empty vector when it could not make one.
std::vector<uint8_t> toolPicture(int32_t frame) {
    const std::string out = testing::TempDir() + "qz_edit_frame_" + std::to_string(frame) + ".png";
    const std::string command = std::string(QZ_TOOL_PATH) + " render --frame " + std::to_string(frame) +
                                " --size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                                " --out " + out + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) return {};
    const std::vector<uint8_t> png = readFile(out);
    std::remove(out.c_str());
    DecodedImage image = {};
    char error[256];
    if (png.empty() || !decodePng(png.data(), (uint32_t)png.size(), image, error, sizeof error)) return {};
    std::vector<uint8_t> rgba(image.rgba, image.rgba + (size_t)image.width * image.height * 4);
    freeDecodedImage(image);
    return rgba;
}

struct EditSide {
    RenderDevice dev;
    EditFrame frame;
    std::vector<uint8_t> pixels;

    // A headless show of the pictures' size.
    bool start() {
        showInit();
        ShowDesc desc = {};
        desc.width = kWidth;
        desc.height = kHeight;
        desc.noVsync = true;
        pixels.resize((size_t)kWidth * kHeight * 4);
        return showStart(dev, desc);
    }

    // Draws `frame` as the edit mode does; false when the frame step only presented the last picture.
    bool draw(int32_t at) {
        const DemoClock clock = demoClockAtFrame(at, sceneTable);
        if (editPrepareFrame(frame, clock, sceneTable, dev) != kEditRender) return false;
        renderFrame(dev, directorFrameInput());
        readBackBuffer(dev, pixels.data());
        return true;
    }
};

// Bytes that differ between the two pictures.
int differingBytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n + (int)(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

} // namespace

TEST(EditFrames, EveryFrameDrawnAfterAnyMovesIsTheToolsPicture) {
    EditSide edit = {};
    ASSERT_TRUE(edit.start()) << showError();

    auto expectTools = [&](int32_t frame, const char* how) {
        const std::vector<uint8_t> tool = toolPicture(frame);
        ASSERT_FALSE(tool.empty()) << "qz001-tool could not render frame " << frame;
        EXPECT_EQ(differingBytes(edit.pixels, tool), 0) << "frame " << frame << " " << how;
    };
    // The moves the makers met: scene 6 sets a light, then Home; scene 3, then Page Up to scene 2.
    const int32_t scene6 = sceneFirstFrame(6, sceneTable), scene3 = sceneFirstFrame(3, sceneTable);
    ASSERT_TRUE(edit.draw(scene6 + 40));
    ASSERT_TRUE(edit.draw(0));
    expectTools(0, "after a frame of scene 6");
    ASSERT_TRUE(edit.draw(scene3 + 30));
    ASSERT_TRUE(edit.draw(sceneFirstFrame(2, sceneTable)));
    expectTools(sceneFirstFrame(2, sceneTable), "after a frame of scene 3");

    // Then random runs: a seek anywhere, a few frames played on inside the scene, the same frame
    // again, sometimes a reload of the data, sometimes a loop's wrap back to an earlier frame.
    std::mt19937 random(29);
    for (int run = 0; run < 8; ++run) {
        int32_t at = (int32_t)(random() % kShowFrameCount);
        const DemoClock clock = demoClockAtFrame(at, sceneTable);
        ASSERT_TRUE(edit.draw(at));
        const int32_t played = std::min((int32_t)(random() % 4), clock.sceneEndFrame - 1 - clock.frame);
        for (int32_t k = 0; k < played; ++k) ASSERT_TRUE(edit.draw(++at));
        EXPECT_FALSE(edit.draw(at)) << "the same frame unchanged is presented again, not evaluated";
        const uint32_t twist = random() % 3;
        if (twist == 1) { // a reload: new tables, the same play head
            ASSERT_TRUE(replaceSceneData(sceneTable, embeddedTracks)) << showError();
            editFrameChanged(edit.frame);
            ASSERT_TRUE(edit.draw(at));
        } else if (twist == 2 && clock.localFrame > 0) { // a loop's wrap to the scene's start
            at = clock.frame - clock.localFrame + (int32_t)(random() % clock.localFrame);
            ASSERT_TRUE(edit.draw(at));
        }
        expectTools(at, "after a seek, play, the same frame again and a reload or a wrap");
    }
}

namespace {

EditSession session; // large: the files' text and the structural steps

// `text` without the statement that starts with `head` (to its ";\n"), which goes into `statement` with
// its line breaks and indents as single spaces; `text` itself where no line starts so.
std::string withoutStatement(const std::string& text, const std::string& head, std::string& statement) {
    const size_t at = text.find("\n" + head), end = text.find(";\n", at + 1);
    if (at == std::string::npos || end == std::string::npos) return text;
    statement.clear();
    for (size_t k = at + 1; k <= end; ++k)
        if (text[k] != '\n' && !(text[k] == ' ' && (statement.empty() || statement.back() == ' ')))
            statement += text[k] == '\n' ? ' ' : text[k];
        else if (text[k] == '\n' && statement.back() != ' ' && statement.back() != '(')
            statement += ' ';
    return text.substr(0, at + 1) + text.substr(end + 2);
}

} // namespace

TEST(EditFrames, StructuralChangesDrawAtOnceAndUndoToTheSamePicture) {
    using namespace edit_files;
    EditSide edit = {};
    ASSERT_TRUE(edit.start()) << showError();
    const fs::path root = scratchData("structure-frames");
    const fs::path rise = root / "data" / "scene_07_rise.cpp";
    const std::string original = readAll(rise);
    SceneSet scenes = embeddedSceneSet();
    startEditSession(session, root.c_str(), scenes);
    auto slot = [&](const char* name) { return slotNumber(*scenes.names[7].slots, name); };
    const int32_t at = sceneFirstFrame(7, sceneTable) + 600; // the temple risen, the moons circling
    auto drawn = [&] {
        editFrameChanged(edit.frame);
        EXPECT_TRUE(edit.draw(at));
        return edit.pixels;
    };
    const std::vector<uint8_t> temple = drawn();

    // cubes(...) written out: the same picture, kPlinth's line now a drawMesh of its own.
    ASSERT_TRUE(writeOutSlot(session, scenes, 7, slot("kPlinth"))) << session.message;
    EXPECT_EQ(differingBytes(drawn(), temple), 0) << "writing out changed the picture";
    std::string before = readAll(rise);

    // A gold cube where the moons circle, as large as the crown: a new object in the frame, and in the
    // file its enum entry and its line, no other change.
    NodeSource orb = newSlotNode(session, 7, kOpDrawMesh);
    orb.inputs[0] = slot("kMoonPos");
    orb.inputs[1] = slot("kCrownSize");
    ASSERT_TRUE(addSlot(session, scenes, 7, "kOrb", orb, slot("kPlinth"))) << session.message;
    const std::vector<uint8_t> withOrb = drawn();
    EXPECT_GT(differingBytes(withOrb, temple), 200) << "the new slot's cube is not in the frame";
    std::string statement, after = readAll(rise);
    const size_t entry = after.find("\n    kOrb,\n");
    ASSERT_NE(entry, std::string::npos) << "no enum entry kOrb";
    EXPECT_EQ(withoutStatement(after.erase(entry, 10), "    s[kOrb] =", statement), before);
    EXPECT_EQ(statement, "s[kOrb] = drawMesh({kMoonPos, kCrownSize}, kMeshCube, 1, kVsBaseCook, kPsBaseCook, "
                         "kImgCheckerCoarse, kOpaque);");

    // Rewired to the plinth's place: the frame changes, and one name in the file.
    before = readAll(rise);
    ASSERT_TRUE(rewireSlot(session, scenes, 7, slot("kOrb"), 0, slot("kPlinthPos"))) << session.message;
    EXPECT_GT(differingBytes(drawn(), withOrb), 200) << "the rewired cube did not move";
    std::string was;
    EXPECT_EQ(withoutStatement(readAll(rise), "    s[kOrb] =", statement),
              withoutStatement(before, "    s[kOrb] =", was));
    EXPECT_EQ(statement,
              "s[kOrb] = drawMesh({kPlinthPos, kCrownSize}, kMeshCube, 1, kVsBaseCook, kPsBaseCook, "
              "kImgCheckerCoarse, kOpaque);");

    // A slot that is read cannot go; the orb, which nothing reads, can, and the temple is back.
    EXPECT_FALSE(deleteSlot(session, scenes, 7, slot("kPlinthPos")));
    EXPECT_NE(std::strstr(session.message, "kOrb"), nullptr) << session.message;
    ASSERT_TRUE(deleteSlot(session, scenes, 7, slot("kOrb"))) << session.message;
    EXPECT_EQ(differingBytes(drawn(), temple), 0) << "the deleted slot's cube stayed";

    // Every step undone: the file byte for byte, and the same picture.
    for (int k = 0; k < 4; ++k) ASSERT_TRUE(undoEdit(session, scenes)) << session.message;
    EXPECT_EQ(readAll(rise), original);
    EXPECT_EQ(differingBytes(drawn(), temple), 0) << "undo did not give the picture back";
    fs::remove_all(root);
}
