// `qz001-tool meshes` and `qz001-tool mesh K --obj FILE`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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
        ASSERT_TRUE(lines >> index >> vertices >> quads) << "line " << k;
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
