// `qz001-tool meshes`, `qz001-tool mesh K --obj FILE` and `qz001-tool mesh-sheet --out FILE`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "data/draw_names.h"
#include "data/mesh_programs.h"
#include "mesh/mesh_program.h"
#include "tests/tools/tool_run.h"

TEST(ToolMesh, MeshesPrintsOneLinePerProgram) {
    ToolRun r = runTool("meshes");
    ASSERT_EQ(r.status, 0) << r.out;
    std::istringstream lines(r.out);
    auto mesh = std::make_unique<QuadMesh>();
    for (uint32_t k = 0; k < kMeshProgramCount; k++) {
        uint32_t index, vertices, quads;
        std::string name;
        ASSERT_TRUE(lines >> index >> vertices >> quads >> name) << "line " << k;
        EXPECT_STREQ(name.c_str(), enumName(readEnumNames(GpuMeshIdText), kGpuMeshFirstProgram + int(k)));
        clearMesh(*mesh);
        unpacko(meshPrograms[k], *mesh);
        EXPECT_EQ(index, k);
        EXPECT_EQ(vertices, mesh->vertexCount);
        EXPECT_EQ(quads, mesh->quadCount);
    }
    std::string rest;
    EXPECT_FALSE(lines >> rest) << "unexpected trailing output: " << rest;
}

TEST(ToolMesh, ObjRoundTripsEveryVertexAndQuadExactly) {
    const uint32_t k = 23; // the largest mesh, with unused vertices
    std::string path = tempPath("mesh23.obj");
    ToolRun r = runTool("mesh 23 --obj " + path);
    ASSERT_EQ(r.status, 0) << r.out;
    auto mesh = std::make_unique<QuadMesh>();
    unpacko(meshPrograms[k], *mesh);
    std::ifstream obj(path);
    std::string tag;
    uint32_t v = 0, q = 0;
    while (obj >> tag) {
        if (tag == "v") {
            float x, y, z;
            obj >> x >> y >> z;
            ASSERT_LT(v, mesh->vertexCount);
            Vec3 p = mesh->positions[v++];
            EXPECT_TRUE(x == p.x && y == p.y && z == p.z) << "vertex " << v - 1;
        } else {
            ASSERT_EQ(tag, "f");
            uint32_t c[4];
            obj >> c[0] >> c[1] >> c[2] >> c[3];
            ASSERT_LT(q, mesh->quadCount);
            for (int j = 0; j < 4; j++) EXPECT_EQ(c[j], mesh->quads[q][j] + 1) << "quad " << q;
            q++;
        }
    }
    EXPECT_EQ(v, mesh->vertexCount);
    EXPECT_EQ(q, mesh->quadCount);
    std::remove(path.c_str());
}

// A PNG file's width and height from its header; 0 x 0 when it is not a PNG.
static std::pair<uint32_t, uint32_t> pngSize(const std::string& path) {
    unsigned char h[24] = {};
    std::ifstream(path, std::ios::binary).read((char*)h, sizeof h);
    if (std::memcmp(h, "\x89PNG\r\n\x1a\n", 8) || std::memcmp(h + 12, "IHDR", 4)) return {0, 0};
    auto word = [&](int at) { return uint32_t(h[at]) << 24 | h[at + 1] << 16 | h[at + 2] << 8 | h[at + 3]; };
    return {word(16), word(20)};
}

// The sheet is made from the meshes alone (no GPU), and docs/meshes.png is one of the current layout.
TEST(ToolMesh, MeshSheetDrawsEveryMeshIntoOnePicture) {
    std::string path = tempPath("meshes.png");
    ToolRun r = runTool("mesh-sheet --out " + path);
    ASSERT_EQ(r.status, 0) << r.out;
    const auto size = pngSize(path);
    EXPECT_GT(size.first, 8u * 150) << "eight cells a row";
    EXPECT_GT(size.second, 8u * 150) << "eight rows";
    EXPECT_EQ(size, pngSize(std::string(QZ_SOURCE_DIR) + "/docs/meshes.png"))
        << "docs/meshes.png is not of this layout: qz001-tool mesh-sheet --out docs/meshes.png";
    std::remove(path.c_str());
}

static bool folderHoldsOnly(const std::string& dir, size_t expected) {
    size_t entries = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) entries++;
        closedir(d);
    }
    return entries == expected;
}

TEST(ToolMesh, BadArgumentsFailWithOneLineAndWriteNothing) {
    std::string dir = tempPath("out");
    ASSERT_EQ(0, system(("mkdir -p " + dir).c_str()));

    ToolRun r = runTool("mesh 40 --obj " + dir + "/x.obj");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("40"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line: " << r.out;
    r = runTool("mesh -1 --obj " + dir + "/x.obj");
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(folderHoldsOnly(dir, 0));

    r = runTool("mesh 2 --obj " + dir + "/missing/x.obj");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find(dir + "/missing/x.obj"), std::string::npos) << r.out;

    // A read-only folder (skipped as root, who may write anywhere): no temporary left behind.
    if (geteuid() != 0) {
        ASSERT_EQ(0, system(("chmod 555 " + dir).c_str()));
        r = runTool("mesh 2 --obj " + dir + "/x.obj");
        EXPECT_NE(r.status, 0);
        ASSERT_EQ(0, system(("chmod 755 " + dir).c_str()));
    }
    EXPECT_TRUE(folderHoldsOnly(dir, 0));

    r = runTool("mesh 2");
    EXPECT_NE(r.status, 0);
    r = runTool("nonsense");
    EXPECT_NE(r.status, 0);
    ASSERT_EQ(0, system(("rm -rf " + dir).c_str()));
}

TEST(ToolMesh, ReplacingAnExistingFileIsAtomicAndKeepsTheUsualMode) {
    std::string path = tempPath("replace.obj");
    { std::ofstream(path) << "old"; }
    mode_t old = umask(022);
    ToolRun r = runTool("mesh 2 --obj " + path);
    umask(old);
    ASSERT_EQ(r.status, 0) << r.out;
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "v -1 -1 -1");
    std::remove(path.c_str());
}
