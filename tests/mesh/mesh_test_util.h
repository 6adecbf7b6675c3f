// mesh_test_util.h - small helpers shared by the mesh tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "mesh/mesh_ops.h"
#include "mesh/mesh_program.h"

// A cleared mesh of its own on the heap (the type is 14 MB).
inline std::unique_ptr<QuadMesh> newMesh() {
    return std::make_unique<QuadMesh>();
}

inline QuadMesh& cubeMesh(QuadMesh& m) {
    clearMesh(m);
    addcube(m, 0);
    setnorm(m);
    return m;
}

inline void expectVec(Vec3 v, float x, float y, float z, float tol = 0) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

inline void expectQuad(const QuadMesh& m, uint32_t q, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    EXPECT_EQ(m.quads[q][0], a) << "quad " << q;
    EXPECT_EQ(m.quads[q][1], b) << "quad " << q;
    EXPECT_EQ(m.quads[q][2], c) << "quad " << q;
    EXPECT_EQ(m.quads[q][3], d) << "quad " << q;
}

// Bit-for-bit comparison of everything in use: counts, quads, flags, positions and both normals.
inline ::testing::AssertionResult meshesIdentical(const QuadMesh& a, const QuadMesh& b) {
    if (a.vertexCount != b.vertexCount || a.quadCount != b.quadCount)
        return ::testing::AssertionFailure() << "counts " << a.vertexCount << "/" << a.quadCount << " vs "
                                             << b.vertexCount << "/" << b.quadCount;
    for (uint32_t q = 0; q < a.quadCount; q++) {
        if (std::memcmp(a.quads[q], b.quads[q], 16) != 0)
            return ::testing::AssertionFailure() << "quad " << q << " corners differ";
        if (a.quadSelected[q] != b.quadSelected[q])
            return ::testing::AssertionFailure() << "quad " << q << " flag differs";
        if (std::memcmp(&a.quadNormals[q], &b.quadNormals[q], sizeof(Vec3)) != 0)
            return ::testing::AssertionFailure() << "quad " << q << " normal differs";
    }
    for (uint32_t v = 0; v < a.vertexCount; v++) {
        if (std::memcmp(&a.positions[v], &b.positions[v], sizeof(Vec3)) != 0)
            return ::testing::AssertionFailure() << "vertex " << v << " position differs";
        if (std::memcmp(&a.vertexNormals[v], &b.vertexNormals[v], sizeof(Vec3)) != 0)
            return ::testing::AssertionFailure() << "vertex " << v << " normal differs";
    }
    return ::testing::AssertionSuccess();
}
