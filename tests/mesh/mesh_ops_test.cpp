// Mesh operators: subdivision, extrusion, deletion, transforms and selection rings and slabs.
#include <cmath>

#include "tests/mesh/mesh_test_util.h"

static void selectOnly(QuadMesh& m, std::initializer_list<uint32_t> quads) {
    selrang(m, 0, int32_t(m.quadCount) - 1, 0);
    for (uint32_t q : quads) m.quadSelected[q] = 1;
}

static uint32_t selectedCount(const QuadMesh& m) {
    uint32_t n = 0;
    for (uint32_t q = 0; q < m.quadCount; q++) n += m.quadSelected[q] ? 1 : 0;
    return n;
}

TEST(MeshOps, SubdSplitsAtMidpointsInCreationOrder) {
    auto m = newMesh();
    cubeMesh(*m);
    selectOnly(*m, {2});
    subd(*m, 0);
    ASSERT_EQ(m->vertexCount, 26u);
    ASSERT_EQ(m->quadCount, 24u);
    expectVec(m->positions[8], 0, 0, -1);  // first face point
    expectVec(m->positions[9], 0, -1, -1); // first edge point
    expectQuad(*m, 0, 0, 9, 8, 12);
    expectVec(m->positions[0], -1, -1, -1); // old vertices stay
    for (uint32_t q = 0; q < 24; q++) EXPECT_EQ(m->quadSelected[q], q / 4 == 2 ? 1u : 0u) << "quad " << q;
    // Children share their edge points across the parent's edges: a closed mesh stays closed.
    subd(*m, 0);
    EXPECT_EQ(m->vertexCount, 98u);
    EXPECT_EQ(m->quadCount, 96u);
}

TEST(MeshOps, SmoooothMovesVerticesToCatmullClarkPositions) {
    auto m = newMesh();
    cubeMesh(*m);
    smoooth(*m, 0);
    ASSERT_EQ(m->vertexCount, 26u);
    expectVec(m->positions[0], -5.0f / 9, -5.0f / 9, -5.0f / 9, 1e-6f);
    expectVec(m->positions[9], 0, -0.75f, -0.75f, 1e-6f);
    expectVec(m->positions[10], 0.75f, 0, -0.75f, 1e-6f);
    expectVec(m->positions[8], 0, 0, -1, 1e-6f); // face point: its quad's centroid
    setnorm(*m);
    smoooth(*m, 0);
    setnorm(*m);
    smoooth(*m, 0);
    EXPECT_EQ(m->vertexCount, 386u);
    EXPECT_EQ(m->quadCount, 384u);
}

TEST(MeshOps, SmooothUsesBorderRuleOnOpenEdgesAndLeavesUnusedVerticesInPlace) {
    auto m = newMesh();
    cubeMesh(*m);
    selectOnly(*m, {0});
    delQuad(*m, 0); // open box; all eight vertices still used
    m->positions[8] = {7, 7, 7};
    m->vertexCount = 9; // a vertex no quad uses
    smoooth(*m, 0);
    expectVec(m->positions[8], 7, 7, 7);
    // The border edge of face y = -1 from (1,-1,-1) to (-1,-1,-1) holds a + b with one face point
    // (0,-1,0): (a + b + F) / 3 = (0, -1, -2/3).
    bool found = false;
    for (uint32_t v = 9; v < m->vertexCount; v++) {
        Vec3 p = m->positions[v];
        if (std::fabs(p.x) < 1e-6f && std::fabs(p.y + 1) < 1e-6f && std::fabs(p.z + 2.0f / 3) < 1e-6f)
            found = true;
    }
    EXPECT_TRUE(found) << "no border edge point at (0, -1, -2/3)";
}

TEST(MeshOps, AddquadAppendsCapAndSidesBehindUnselectedQuads) {
    auto m = newMesh();
    cubeMesh(*m);
    selectOnly(*m, {0});
    addquad(*m, 0);
    ASSERT_EQ(m->vertexCount, 12u);
    ASSERT_EQ(m->quadCount, 10u);
    expectQuad(*m, 0, 3, 2, 6, 7); // old face 1 first
    expectQuad(*m, 4, 2, 1, 5, 6); // old face 5
    expectQuad(*m, 5, 8, 9, 10, 11);
    expectQuad(*m, 6, 8, 0, 1, 9);
    expectQuad(*m, 7, 9, 1, 2, 10);
    expectQuad(*m, 8, 10, 2, 3, 11);
    expectQuad(*m, 9, 11, 3, 0, 8);
    for (uint32_t q = 0; q < 10; q++) EXPECT_EQ(m->quadSelected[q], q == 5 ? 1u : 0u);
    for (uint32_t j = 0; j < 4; j++) EXPECT_EQ(0, std::memcmp(&m->positions[8 + j], &m->positions[j], 12));

    // Two selected quads: each gets its own cap vertices, in the old quads' order.
    cubeMesh(*m);
    selectOnly(*m, {1, 4});
    addquad(*m, 0);
    EXPECT_EQ(m->vertexCount, 16u);
    expectQuad(*m, 4, 8, 9, 10, 11);   // cap of old quad 1
    expectQuad(*m, 9, 12, 13, 14, 15); // cap of old quad 4
    EXPECT_EQ(0, std::memcmp(&m->positions[12], &m->positions[0], 12));
}

TEST(MeshOps, DelQuadRemovesSelectedQuadsOnly) {
    auto m = newMesh();
    cubeMesh(*m);
    selectOnly(*m, {});
    delQuad(*m, 0);
    EXPECT_EQ(m->quadCount, 6u);
    selectOnly(*m, {0, 2, 5});
    delQuad(*m, 0);
    ASSERT_EQ(m->quadCount, 3u);
    expectQuad(*m, 0, 3, 2, 6, 7);
    expectQuad(*m, 1, 1, 0, 4, 5);
    expectQuad(*m, 2, 0, 3, 7, 4);
    select1(*m, 0);
    delQuad(*m, 0);
    EXPECT_EQ(m->quadCount, 0u);
    EXPECT_EQ(m->vertexCount, 8u);
}

TEST(MeshOps, Trans2AndScaleceActOncePerSelectedQuad) {
    auto m = newMesh();
    cubeMesh(*m);
    selectOnly(*m, {0});
    trans2(*m, decodeOperand(132));
    EXPECT_NEAR(m->positions[0].z, -1 - 8 * decodeOperand(132), 1e-6f); // about 2.26 outward
    EXPECT_FLOAT_EQ(m->positions[4].z, 1);

    // Vertex 3 is shared by faces 0 (normal -z) and 1 (normal +y): it moves along both.
    cubeMesh(*m);
    selectOnly(*m, {0, 1});
    trans2(*m, 0.25f);
    expectVec(m->positions[3], -1, 3, -3);

    // scalece pulls a shared corner once per quad, the second pull from the moved corner.
    cubeMesh(*m);
    selectOnly(*m, {0, 1});
    scalece(*m, 0.5f);
    expectVec(m->positions[3], -0.25f, 0.625f, -0.5f);
}

TEST(MeshOps, NeutralOperandIsNotZeroAndUnselectedMeshesStayPut) {
    auto m = newMesh();
    cubeMesh(*m);
    const float v = decodeOperand(128);
    trans6(*m, v);
    EXPECT_FLOAT_EQ(m->positions[0].z, -1 + v);
    cubeMesh(*m);
    scale1(*m, v);
    EXPECT_FLOAT_EQ(m->positions[1].x, v);
    cubeMesh(*m);
    rotate1(*m, v); // about 0.71 degrees
    float angle = std::atan2(m->positions[6].z, m->positions[6].y) - std::atan2(1.0f, 1.0f);
    EXPECT_NEAR(angle * 180 / 3.14159265f, 0.706, 0.001);

    cubeMesh(*m);
    selectOnly(*m, {});
    Vec3 before[8];
    std::memcpy(before, m->positions, sizeof(before));
    trans4(*m, 3);
    scale5(*m, 3);
    rotate1(*m, 3);
    rotate2(*m, 3);
    rotate3(*m, 3);
    scale8(*m, 3);
    EXPECT_EQ(0, std::memcmp(before, m->positions, sizeof(before)));
}

TEST(MeshOps, RotationsAreRightHandedAboutEachAxis) {
    auto m = newMesh();
    const float quarter = 4; // 4 x 22.5 degrees
    cubeMesh(*m);
    rotate3(*m, quarter); // (1,-1,-1) -> (1,1,-1)
    expectVec(m->positions[1], 1, 1, -1, 1e-5f);
    cubeMesh(*m);
    rotate1(*m, quarter); // (x,y,z) -> (x,-z,y)
    expectVec(m->positions[1], 1, 1, -1, 1e-5f);
    cubeMesh(*m);
    rotate2(*m, quarter); // (x,y,z) -> (z,y,-x)
    expectVec(m->positions[1], -1, -1, -1, 1e-5f);
}

TEST(MeshOps, MirroringTurnsNormalsInward) {
    auto m = newMesh();
    cubeMesh(*m);
    scale3(*m, decodeOperand(124));
    setnorm(*m);
    for (uint32_t q = 0; q < 6; q++) {
        Vec3 n = m->quadNormals[q], c = centroi(*m, q);
        EXPECT_LT(n.x * c.x + n.y * c.y + n.z * c.z, 0) << "quad " << q;
    }
}

TEST(MeshOps, SelectionRingsGrowByOneVertexNeighbourhood) {
    auto m = newMesh();
    cubeMesh(*m);
    selectOnly(*m, {0});
    select4(*m, 0);
    EXPECT_EQ(selectedCount(*m), 5u);
    EXPECT_EQ(m->quadSelected[2], 0u); // the opposite face shares no vertex
    selectOnly(*m, {0});
    select5(*m, 0);
    EXPECT_EQ(selectedCount(*m), 4u);
    EXPECT_EQ(m->quadSelected[0], 0u);
    select1(*m, 0);
    select5(*m, 0); // closed mesh, all selected: no ring
    EXPECT_EQ(selectedCount(*m), 0u);

    // On a subdivided cube one quad's ring is the 8 quads around it: exactly one ring, not two.
    cubeMesh(*m);
    subd(*m, 0);
    subd(*m, 0);
    setnorm(*m);
    selectOnly(*m, {3 * 4 + 2}); // an inner quad of face 0
    select4(*m, 0);
    EXPECT_EQ(selectedCount(*m), 9u);
}

TEST(MeshOps, SlabSelectionUsesReferenceQuadExtent) {
    auto m = newMesh();
    cubeMesh(*m);
    subd(*m, 0);
    select2(*m, 0);
    select6(*m, 0); // select2 cleared the reference: nothing
    EXPECT_EQ(selectedCount(*m), 0u);
    select9(*m, 0); // child 0 of face z = -1 spans x in [-1, 0]
    ASSERT_EQ(referenceQuad, 0);
    select6(*m, 0);
    for (uint32_t q = 0; q < m->quadCount; q++) {
        float cx = centroi(*m, q).x;
        EXPECT_EQ(m->quadSelected[q] != 0, cx >= -1 && cx <= 0) << "quad " << q;
    }
    select3(*m, 0);
    EXPECT_EQ(referenceQuad, -1);
}

TEST(MeshOps, AddcubeAppendsWithoutWeldingOrTouchingOldFlags) {
    auto m = newMesh();
    cubeMesh(*m);
    selectOnly(*m, {});
    addcube(*m, 0);
    EXPECT_EQ(m->vertexCount, 16u);
    EXPECT_EQ(m->quadCount, 12u);
    expectQuad(*m, 7, 11, 10, 14, 15);
    for (uint32_t q = 0; q < 12; q++) EXPECT_EQ(m->quadSelected[q], q >= 6 ? 1u : 0u);
}
