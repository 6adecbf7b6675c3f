// post_effects_test.cpp - the frame's pass names and the post effects' table as `qz001-tool passes`
// prints them (the edit mode and the render benchmark print the same framePassName), checked against
// the shader library's own text: one name a pass, and each effect's switch, shader entry and composite
// bit present in the GLSL.
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "render/post_effects.h"
#include "render/shader_library.h"
#include "tests/tools/tool_run.h"

namespace {

std::vector<std::vector<std::string>> linesOf(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        lines.emplace_back();
        for (std::string word; words >> word;) lines.back().push_back(word);
    }
    return lines;
}

bool isSnakeCase(const std::string& name) {
    if (name.empty() || name.front() == '_' || name.back() == '_') return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || c == '_')) return false;
    return true;
}

std::string upperCase(std::string s) {
    for (char& c : s) c = (char)std::toupper((unsigned char)c);
    return s;
}

} // namespace

TEST(RenderPostEffects, ToolPrintsEachPassOnceAndEachEffectAsTheShaderLibraryHasIt) {
    ToolRun run = runTool("passes");
    ASSERT_EQ(run.status, 0) << run.out;
    const std::vector<std::vector<std::string>> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), (size_t)(kFramePassCount + kPostEffectCount)) << run.out;

    std::set<std::string> passNames;
    for (int p = 0; p < kFramePassCount; ++p) {
        const std::vector<std::string>& w = lines[p];
        ASSERT_EQ(w.size(), 3u) << run.out;
        EXPECT_EQ(w[0], "pass");
        EXPECT_EQ(w[1], std::to_string(p));
        EXPECT_EQ(w[2], framePassName(p));
        EXPECT_TRUE(isSnakeCase(w[2])) << w[2];
        EXPECT_TRUE(passNames.insert(w[2]).second) << w[2] << " names two passes";
    }
    EXPECT_EQ(framePassName(kFramePassCount), nullptr);

    const std::string declarations = shaderDeclarations, bodies = shaderBodies;
    for (int k = 0; k < kPostEffectCount; ++k) {
        const std::vector<std::string>& w = lines[kFramePassCount + k];
        // effect NAME bit B op N OPNAME switch S pass P shader E
        ASSERT_EQ(w.size(), 13u) << run.out;
        EXPECT_TRUE(w[0] == "effect" && w[2] == "bit" && w[4] == "op" && w[7] == "switch" && w[9] == "pass" &&
                    w[11] == "shader")
            << run.out;
        const std::string name = w[1], setting = w[8], pass = w[10], entry = w[12];
        EXPECT_EQ(name, kPostEffects[k].name);
        EXPECT_EQ(w[3], std::to_string(1 << k));
        EXPECT_EQ(std::stoi(w[5]), (int)kPostEffects[k].op);
        EXPECT_TRUE(passNames.count(pass)) << name << ": " << pass << " is no pass";
        EXPECT_NE(declarations.find("int " + setting + ";"), std::string::npos)
            << name << ": b0 of common.glsl has no switch " << setting;
        EXPECT_NE(bodies.find("vec4 " + entry + "(VO "), std::string::npos)
            << name << ": the shader library has no entry " << entry;
        EXPECT_NE(bodies.find("& QZ_EFFECT_" + upperCase(name) + ")"), std::string::npos)
            << name << ": the composite never tests its bit";
    }
}
