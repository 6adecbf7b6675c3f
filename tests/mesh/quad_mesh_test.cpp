// Quad mesh helpers: welding, quad removal, adjacency, normals.
#include <cmath>

#include "data/mesh_programs.h"
#include "tests/mesh/mesh_test_util.h"

TEST(QuadMesh, AddvertWeldsOnlyExactPositionsAtOrAfterStart) {
    auto m = newMesh();
    uint32_t a = addvert(*m, {1, 2, 3}, 0);
    uint32_t b = addvert(*m, {4, 5, 6}, 0);
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 1u);
    // start = vertexCount always appends, even over an identical vertex below.
    EXPECT_EQ(addvert(*m, {1, 2, 3}, m->vertexCount), 2u);
    // A point equal to vertex s returns s: the lowest match at or after the start.
    EXPECT_EQ(addvert(*m, {1, 2, 3}, 0), 0u);
    EXPECT_EQ(addvert(*m, {1, 2, 3}, 1), 2u);
    EXPECT_EQ(m->vertexCount, 3u);
    // One bit off in one coordinate appends.
    EXPECT_EQ(addvert(*m, {1, 2, std::nextafter(3.0f, 4.0f)}, 0), 3u);
    // +0 and -0 weld; NaN never does.
    uint32_t z = addvert(*m, {0.0f, 1, 1}, 0);
    EXPECT_EQ(addvert(*m, {-0.0f, 1, 1}, 0), z);
    uint32_t n = addvert(*m, {NAN, 1, 1}, 0);
    EXPECT_EQ(addvert(*m, {NAN, 1, 1}, 0), n + 1);
}

TEST(QuadMesh, DelquadShiftsLaterQuadsAndFlagsDownInOrder) {
    auto m = newMesh();
    const uint32_t n = 3;
    for (uint32_t q = 0; q < 5 * n; q++) addQ(*m, q, q + 1, q + 2, q + 3, q % 2);
    delquad(*m, 0, n);
    ASSERT_EQ(m->quadCount, 4 * n);
    for (uint32_t q = 0; q < 4 * n; q++) {
        EXPECT_EQ(m->quads[q][0], q + n);
        EXPECT_EQ(m->quadSelected[q], (q + n) % 2);
    }
    delquad(*m, 2, 1);
    EXPECT_EQ(m->quadCount, 4 * n - 1);
    EXPECT_EQ(m->quads[1][0], 1 + n);
    EXPECT_EQ(m->quads[2][0], 3 + n);
}

TEST(QuadMesh, AdjquadCountsSharedCorners) {
    auto m = newMesh();
    cubeMesh(*m);
    EXPECT_EQ(adjquad(*m, 0, 0), 4u);
    EXPECT_EQ(adjquad(*m, 0, 1), 2u); // z = -1 and y = +1 share an edge
    EXPECT_EQ(adjquad(*m, 0, 2), 0u); // opposite faces
    EXPECT_EQ(adjquad(*m, 4, 5), 0u);
}

TEST(QuadMesh, CubeNormalsPointOutwardWithLengthEight) {
    auto m = newMesh();
    cubeMesh(*m);
    expectVec(m->quadNormals[0], 0, 0, -8);
    for (uint32_t q = 0; q < 6; q++) {
        Vec3 n = m->quadNormals[q], c = centroi(*m, q);
        EXPECT_FLOAT_EQ(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 8);
        EXPECT_GT(n.x * c.x + n.y * c.y + n.z * c.z, 0) << "quad " << q;
    }
    for (uint32_t v = 0; v < 8; v++) {
        Vec3 p = m->positions[v];
        expectVec(m->vertexNormals[v], 8 * p.x, 8 * p.y, 8 * p.z);
    }
}

TEST(QuadMesh, SetnormResetsStaleNormalsAndCountsRepeatedCorners) {
    auto m = newMesh();
    m->vertexCount = 4;
    m->vertexNormals[0] = {5, 5, 5};
    setnorm(*m);
    expectVec(m->vertexNormals[0], 0, 0, 0); // no quads: all zero
    m->positions[0] = {0, 0, 0};
    m->positions[1] = {1, 0, 0};
    m->positions[2] = {0, 1, 0};
    addQ(*m, 0, 1, 2, 2, 0); // a triangle with corner 2 named twice
    setnorm(*m);
    Vec3 n = m->quadNormals[0];
    EXPECT_GT(std::fabs(n.z), 0);
    expectVec(m->vertexNormals[2], 2 * n.x, 2 * n.y, 2 * n.z);
}

TEST(QuadMesh, SelectionHelpers) {
    auto m = newMesh();
    cubeMesh(*m);
    selrang(*m, 3, 2, 0); // first > last: nothing
    for (uint32_t q = 0; q < 6; q++) EXPECT_EQ(m->quadSelected[q], 1u);
    selrang(*m, 1, 2, 0);
    selinvr(*m);
    EXPECT_EQ(m->quadSelected[0], 0u);
    EXPECT_EQ(m->quadSelected[1], 1u);
    EXPECT_EQ(m->quadSelected[3], 0u);
    EXPECT_EQ(vselect(*m, 3), 1u); // corner of quad 1 (y = +1)
    EXPECT_EQ(vselect(*m, 0), 0u); // only on faces 0, 3, 4
    auto empty = newMesh();
    select1(*empty, 0); // no quads: must not touch anything
    EXPECT_EQ(empty->quadCount, 0u);
}

TEST(QuadMesh, ClearMeshZeroesEverythingAProgramWrote) {
    auto m = newMesh(), zero = newMesh();
    for (uint32_t k : {23u, 10u, 39u}) { // the largest, one with many temporaries, the longest
        ASSERT_EQ(unpacko(meshPrograms[k], *m).error, MeshError::none);
        clearMesh(*m);
        ASSERT_EQ(0, std::memcmp(m.get(), zero.get(), sizeof(QuadMesh))) << "after program " << k;
    }
}
