// mesh_names_test.cpp - the names of the 58 GPU meshes (data/draw_names.h): one each, the text meshes
// named by their text, identical programs by one name and a letter, all offered by the inspector's
// list and shown in docs/meshes.md.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "data/draw_names.h"
#include "data/mesh_programs.h"
#include "data/text_lines.h"
#include "data/value_names.h"
#include "mesh/mesh_program.h"

namespace {

const EnumNames kNames = readEnumNames(GpuMeshIdText); // read at start-up: the test reads it whole
constexpr int kMeshCount = kGpuMeshFirstProgram + int(kMeshProgramCount);

// "prod 01-pinwheel" -> "kMeshTextProd01Pinwheel": each word capitalised, the rest dropped.
std::string textMeshName(const char* text) {
    std::string name = "kMeshText";
    bool start = true;
    for (const char* c = text; *c; ++c) {
        if (!std::isalnum((unsigned char)*c)) {
            start = true;
            continue;
        }
        name += start ? (char)std::toupper((unsigned char)*c) : (char)std::tolower((unsigned char)*c);
        start = false;
    }
    return name;
}

// Program k's mesh as text: its counts, positions and quads.
std::string meshText(uint32_t k) {
    auto mesh = std::make_unique<QuadMesh>();
    unpacko(meshPrograms[k], *mesh);
    std::ostringstream out;
    out << mesh->vertexCount << ' ' << mesh->quadCount << ' ' << meshPrograms[k].texMode << '\n';
    for (uint32_t i = 0; i < mesh->vertexCount; ++i)
        out << mesh->positions[i].x << ' ' << mesh->positions[i].y << ' ' << mesh->positions[i].z << '\n';
    for (uint32_t q = 0; q < mesh->quadCount; ++q)
        for (int c = 0; c < 4; ++c) out << mesh->quads[q][c] << (c == 3 ? '\n' : ' ');
    return out.str();
}

// The name without a trailing B, C, ... letter (kMeshCubeB -> kMeshCube).
std::string baseName(const std::string& name) {
    const char last = name.back();
    const bool letter = last >= 'B' && last <= 'Z' && std::islower((unsigned char)name[name.size() - 2]);
    return letter ? name.substr(0, name.size() - 1) : name;
}

} // namespace

TEST(MeshNames, EveryMeshHasOneNameAndTheInspectorOffersThemAll) {
    ASSERT_TRUE(kNames.ok);
    ASSERT_EQ(kNames.last + 1, kMeshCount);
    std::set<std::string> seen;
    for (int id = 0; id < kMeshCount; ++id) {
        const char* name = enumName(kNames, id);
        ASSERT_NE(name, nullptr) << "GPU mesh " << id;
        EXPECT_EQ(std::string(name).rfind("kMesh", 0), 0u) << name;
        EXPECT_TRUE(seen.insert(name).second) << name << " twice";
        if (id < kTextLineCount) {
            EXPECT_EQ(name, textMeshName(textStrings[id])) << "text mesh " << id;
        }
    }
    // The two names the scenes drew with before keep their numbers: no frame moves.
    EXPECT_EQ(kMeshSmoothCube, kGpuMeshFirstProgram + 1);
    EXPECT_EQ(kMeshCube, kGpuMeshFirstProgram + 2);

    const ValueNames listed = valueNamesOf(kParamMesh);
    ASSERT_EQ(listed.count, kMeshCount);
    for (int i = 0; i < listed.count; ++i) {
        EXPECT_EQ(listed.names[i].value, i);
        EXPECT_STREQ(listed.names[i].symbol, enumName(kNames, i));
    }
}

// Two programs build the same mesh (with the same uv) exactly when one name is the other's plus a
// letter, so a name never hides a copy and a letter never marks a different mesh.
TEST(MeshNames, IdenticalProgramsShareANameUpToALetter) {
    std::string built[kMeshProgramCount];
    for (uint32_t k = 0; k < kMeshProgramCount; ++k) built[k] = meshText(k);
    for (uint32_t a = 0; a < kMeshProgramCount; ++a)
        for (uint32_t b = a + 1; b < kMeshProgramCount; ++b) {
            const std::string na = valueNamesOf(kParamMesh).names[kGpuMeshFirstProgram + a].symbol;
            const std::string nb = valueNamesOf(kParamMesh).names[kGpuMeshFirstProgram + b].symbol;
            EXPECT_EQ(built[a] == built[b], baseName(na) == baseName(nb))
                << "programs " << a << " (" << na << ") and " << b << " (" << nb << ")";
        }
}

TEST(MeshNames, TheMeshPageShowsEveryName) {
    std::ifstream in(std::string(QZ_SOURCE_DIR) + "/docs/meshes.md");
    ASSERT_TRUE(in) << "docs/meshes.md is missing";
    std::stringstream page;
    page << in.rdbuf();
    EXPECT_NE(page.str().find("](meshes.png)"), std::string::npos) << "the picture";
    for (int id = 0; id < kMeshCount; ++id) {
        const std::string cell = std::string("`") + enumName(kNames, id) + "`";
        EXPECT_NE(page.str().find(cell), std::string::npos) << cell << " is not on docs/meshes.md";
    }
}
