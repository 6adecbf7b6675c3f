// tool_builders_test.cpp - `qz001-tool builders`: docs/builders.md is what data/scene_build.h's
// builders say now, every builder a scene slot can come from is on it, and a builder without a
// comment is refused by name.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "data/scene_build.h"
#include "tests/tools/tool_run.h"

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string kHeader = std::string(QZ_SOURCE_DIR) + "/data/scene_build.h";

} // namespace

TEST(ToolBuilders, TheBuilderPageIsUpToDateAndNamesEveryBuilder) {
    const std::string out = tempPath("builders.md");
    ToolRun r = runTool("builders --header " + kHeader + " --out " + out);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string page = readAll(std::string(QZ_SOURCE_DIR) + "/docs/builders.md");
    EXPECT_EQ(page, readAll(out))
        << "docs/builders.md is out of date: qz001-tool builders --out docs/builders.md";
    std::remove(out.c_str());

    // Every form a slot records comes from a builder with its own heading, its call and what it makes.
    for (int form = kFormNode; form < kSlotFormCount; ++form) {
        const std::string heading = std::string("\n## ") + slotFormBuilder(SlotForm(form)) + "\n";
        const size_t at = page.find(heading);
        ASSERT_NE(at, std::string::npos) << heading;
        const std::string entry = page.substr(at, page.find("\n## ", at + 1) - at);
        EXPECT_NE(entry.find(std::string("    ") + slotFormBuilder(SlotForm(form)) + "("), std::string::npos)
            << entry;
        EXPECT_NE(entry.find("\nMakes: "), std::string::npos) << entry;
        EXPECT_EQ(entry.find("CallPlace"), std::string::npos)
            << "the call place is the compiler's: " << entry;
    }
}

TEST(ToolBuilders, ABuilderWithoutACommentIsRefusedByName) {
    std::string header = readAll(kHeader);
    const std::string comment = "// (localFrame + offset) * factor in all four components.\n";
    ASSERT_NE(header.find(comment), std::string::npos);
    header.erase(header.find(comment), comment.size());
    const std::string path = tempPath("scene_build.h"), out = tempPath("refused.md");
    std::ofstream(path) << header;
    ToolRun r = runTool("builders --header " + path + " --out " + out);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("frameTime has no comment"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(path), std::string::npos) << r.out;
    EXPECT_FALSE(std::ifstream(out)) << "nothing written";
    r = runTool("builders --header " + path + ".missing --out " + out);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(path + ".missing"), std::string::npos) << r.out;
    std::remove(path.c_str());
}
