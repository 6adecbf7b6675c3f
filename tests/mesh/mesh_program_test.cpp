// The interpreter: operand decoding, stale bytes, picks, unknown opcodes, refused operations.
#include <cmath>
#include <cstddef>
#include <vector>

#include "data/mesh_programs.h"
#include "tests/mesh/mesh_test_util.h"

struct Op {
    uint8_t opcode, operand;
    uint32_t pick;
};

static MeshProgram makeProgram(std::vector<Op> ops) {
    MeshProgram p{};
    p.opCount = uint8_t(ops.size());
    uint32_t picks = 0;
    for (size_t k = 0; k < ops.size(); k++) {
        p.opcodes[k] = ops[k].opcode;
        p.operands[k] = ops[k].operand;
        if (ops[k].opcode == 50) std::memcpy(p.picks + 4 * picks++, &ops[k].pick, 4);
    }
    return p;
}

TEST(MeshProgram, DecodeOperandMatchesTheTable) {
    EXPECT_EQ(decodeOperand(0), -8.0f);
    EXPECT_EQ(decodeOperand(255), std::nextafter(8.0f, 9.0f)); // 8.000001, not 8
    EXPECT_NEAR(decodeOperand(128), 0.0314f, 5e-5f);
    EXPECT_NEAR(decodeOperand(135), 0.4706f, 5e-5f);
}

TEST(MeshProgram, RecordLayout) {
    EXPECT_EQ(offsetof(MeshProgram, opcodes), 1u);
    EXPECT_EQ(offsetof(MeshProgram, operands), 257u);
    EXPECT_EQ(offsetof(MeshProgram, picks), 513u);
    EXPECT_EQ(offsetof(MeshProgram, texMode), 1540u);
    for (uint32_t k = 0; k < kMeshProgramCount; k++) {
        EXPECT_EQ(meshPrograms[k].opcodes[0], uint8_t(MeshOpcode::addcube)) << "program " << k;
        EXPECT_EQ(meshPrograms[k].texMode, k == 1 ? 1u : 0u);
    }
}

TEST(MeshProgram, Program35IsAnOpenTubeAlongX) {
    const uint8_t expected[] = {0x05, 0x1F, 0x32, 0x32, 0x15, 0x1E};
    const MeshProgram& p = meshPrograms[35];
    EXPECT_EQ(0, std::memcmp(&p, expected, 6));
    const uint8_t picks[] = {4, 0, 0, 0, 5, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(p.picks, picks, 8));
    auto m = newMesh();
    ASSERT_EQ(unpacko(p, *m).error, MeshError::none);
    EXPECT_EQ(m->vertexCount, 8u);
    ASSERT_EQ(m->quadCount, 4u);
    for (uint32_t q = 0; q < 4; q++) {
        EXPECT_EQ(m->quadSelected[q], 0u);
        EXPECT_EQ(m->quadNormals[q].x, 0.0f) << "no face of the tube looks along X";
    }
}

TEST(MeshProgram, OnlyOpCountOperationsRun) {
    MeshProgram p = makeProgram({{31, 128, 0}});
    p.opcodes[1] = 31; // stale bytes behind opCount
    p.opcodes[2] = 28;
    auto m = newMesh();
    unpacko(p, *m);
    EXPECT_EQ(m->vertexCount, 8u);
    EXPECT_EQ(m->quadCount, 6u);
    expectVec(m->quadNormals[0], 0, 0, -8); // normals refreshed after addcube

    p.opCount = 0;
    clearMesh(*m);
    unpacko(p, *m);
    EXPECT_EQ(m->quadCount, 0u);
}

TEST(MeshProgram, UnknownOpcodesAreSkippedWithTheirOperand) {
    auto m = newMesh();
    unpacko(makeProgram({{31, 128, 0}, {40, 0, 0}, {9, 144, 0}, {255, 0, 0}}), *m);
    EXPECT_FLOAT_EQ(m->positions[0].x, -1 + decodeOperand(144));
}

TEST(MeshProgram, PickTwiceRestoresFlagAndReference) {
    auto m = newMesh();
    referenceQuad = -1;
    // Quad 2 selected before the pair: flag back to 1, reference at 2.
    unpacko(makeProgram({{31, 128, 0}, {50, 128, 2}, {50, 128, 2}}), *m);
    EXPECT_EQ(m->quadSelected[2], 1u);
    EXPECT_EQ(referenceQuad, 2);
    // Quad 2 clear before the pair: flag back to 0, reference none.
    clearMesh(*m);
    unpacko(makeProgram({{31, 128, 0}, {20, 128, 0}, {50, 128, 2}, {50, 128, 2}}), *m);
    EXPECT_EQ(m->quadSelected[2], 0u);
    EXPECT_EQ(referenceQuad, -1);
}

TEST(MeshProgram, RefusesPicksPastTheLastQuadAndGrowthPastCapacity) {
    auto m = newMesh();
    UnpackResult r = unpacko(makeProgram({{31, 128, 0}, {50, 128, 6}}), *m);
    EXPECT_EQ(r.error, MeshError::badPick);
    EXPECT_EQ(r.opIndex, 1u);
    for (uint32_t q = 0; q < 6; q++) EXPECT_EQ(m->quadSelected[q], 1u);

    // 6 x 4^6 = 24576 quads smooth once more to 98304; one more would hold 5 x 98304 at once.
    std::vector<Op> ops = {{31, 128, 0}};
    for (int i = 0; i < 8; i++) ops.push_back({28, 128, 0});
    clearMesh(*m);
    r = unpacko(makeProgram(ops), *m);
    EXPECT_EQ(r.error, MeshError::capacity);
    EXPECT_EQ(r.opIndex, 8u);
    EXPECT_EQ(m->quadCount, 98304u);
    EXPECT_STRNE(meshErrorText(r.error), "");
}
