// The fast operators against the literal reference: bit-identical meshes for the 40 embedded
// programs and for random programs built to stress welding, ordering and selection.
#include <cstdio>
#include <random>
#include <vector>

#include "data/mesh_programs.h"
#include "tests/mesh/mesh_test_util.h"
#include "tests/mesh/reference_mesh.h"

static const uint32_t expectedCounts[kMeshProgramCount][2] = {
    {386, 384},   {386, 384}, {8, 6},     {386, 384},   {386, 384}, {482, 480}, {32, 30},     {500, 384},
    {506, 408},   {152, 120}, {866, 864}, {98, 96},     {642, 320}, {642, 320}, {642, 160},   {642, 320},
    {1538, 1536}, {482, 480}, {8, 6},     {1922, 1536}, {506, 408}, {506, 408}, {1767, 1792}, {5184, 4096},
    {386, 64},    {482, 480}, {386, 384}, {3242, 3072}, {122, 120}, {314, 288}, {8, 6},       {32, 30},
    {32, 30},     {386, 384}, {96, 76},   {8, 4},       {16, 12},   {642, 160}, {386, 64},    {394, 372},
};

TEST(ReferenceAgreement, AllEmbeddedProgramsAreBitIdentical) {
    auto fast = newMesh(), slow = newMesh();
    referenceQuad = -1;
    ref::referenceQuad = -1;
    for (uint32_t k = 0; k < kMeshProgramCount; k++) {
        clearMesh(*fast);
        clearMesh(*slow);
        ASSERT_EQ(unpacko(meshPrograms[k], *fast).error, MeshError::none) << "program " << k;
        ref::unpacko(meshPrograms[k], *slow);
        EXPECT_EQ(fast->vertexCount, expectedCounts[k][0]) << "program " << k;
        EXPECT_EQ(fast->quadCount, expectedCounts[k][1]) << "program " << k;
        EXPECT_TRUE(meshesIdentical(*fast, *slow)) << "program " << k;
        EXPECT_EQ(referenceQuad, ref::referenceQuad) << "program " << k;
    }
}

// A random program that keeps the mesh small enough for the reference's quadratic scans.
static MeshProgram randomProgram(std::mt19937& rng, QuadMesh& probe) {
    MeshProgram p{};
    clearMesh(probe);
    referenceQuad = -1;
    uint32_t picks = 0, length = 8 + rng() % 40;
    for (uint32_t k = 0; k < length; k++) {
        uint8_t op = uint8_t(rng() % 36);
        if (k == 0 || op >= 32) op = (k == 0 || rng() % 3 == 0) ? 31 : 50;
        if ((op == 27 || op == 28) && probe.quadCount > 300) op = 30;
        if (op == 29 && probe.quadCount > 1200) op = 30;
        if (op == 50 && probe.quadCount == 0) op = 31;
        // Operands that flatten, mirror and keep coordinates coinciding (so edge points weld).
        static const uint8_t operands[] = {0, 64, 120, 124, 127, 128, 129, 132, 136, 142, 160, 191, 255};
        p.opcodes[k] = op;
        p.operands[k] = operands[rng() % sizeof(operands)];
        if (op == 50) {
            uint32_t index = rng() % probe.quadCount;
            std::memcpy(p.picks + 4 * picks++, &index, 4);
            select9(probe, index);
        } else {
            functio[op](probe, decodeOperand(p.operands[k]));
            if (op < 19 || op > 26) setnorm(probe);
        }
        p.opCount = uint8_t(k + 1);
    }
    return p;
}

TEST(ReferenceAgreement, RandomProgramsAreBitIdentical) {
    auto fast = newMesh(), slow = newMesh(), probe = newMesh();
    std::mt19937 rng(20261208);
    for (int trial = 0; trial < 150; trial++) {
        MeshProgram p = randomProgram(rng, *probe);
        clearMesh(*fast);
        clearMesh(*slow);
        referenceQuad = ref::referenceQuad = -1;
        ASSERT_EQ(unpacko(p, *fast).error, MeshError::none) << "trial " << trial;
        ref::unpacko(p, *slow);
        ASSERT_TRUE(meshesIdentical(*fast, *slow)) << "trial " << trial;
        ASSERT_EQ(referenceQuad, ref::referenceQuad) << "trial " << trial;
    }
}

TEST(ReferenceAgreement, CoincidentCubesWeldEdgePointsAcrossCubes) {
    // Two identical cubes: every edge point of the second cube's quads equals one of the first's, so
    // welding must return the first cube's (lowest) edge points, in both implementations.
    MeshProgram p{};
    const uint8_t ops[] = {31, 31, 28, 27, 13, 28};
    p.opCount = sizeof(ops);
    std::memcpy(p.opcodes, ops, sizeof(ops));
    std::memset(p.operands, 140, sizeof(ops));
    auto fast = newMesh(), slow = newMesh();
    unpacko(p, *fast);
    ref::unpacko(p, *slow);
    EXPECT_TRUE(meshesIdentical(*fast, *slow));
    // After the first smoooth: 16 cube vertices + 12 face points + 12 edge points shared by both cubes.
    clearMesh(*fast);
    p.opCount = 3;
    unpacko(p, *fast);
    EXPECT_EQ(fast->vertexCount, 16u + 12 + 12);
}
