// mesh_vertices_test.cpp - program and text meshes as 68-byte vertices, without a GPU.
#include "mesh/mesh_vertices.h"

#include <cmath>
#include <cstddef>
#include <gtest/gtest.h>
#include <vector>

#include "mesh/mesh_ops.h"

namespace {

constexpr float kPi = 3.14159265f;

void expectVec4(const float* v, float x, float y, float z, float w) {
    EXPECT_FLOAT_EQ(v[0], x);
    EXPECT_FLOAT_EQ(v[1], y);
    EXPECT_FLOAT_EQ(v[2], z);
    EXPECT_FLOAT_EQ(v[3], w);
}

} // namespace

TEST(MeshVertices, LayoutMatchesTheInputLayout) {
    EXPECT_EQ(sizeof(MeshVertex), 68u);
    EXPECT_EQ(offsetof(MeshVertex, N), 16u);
    EXPECT_EQ(offsetof(MeshVertex, T), 32u);
    EXPECT_EQ(offsetof(MeshVertex, C), 48u);
    EXPECT_EQ(offsetof(MeshVertex, G), 52u);
}

TEST(MeshVertices, BareCubeGivesSixVerticesPerQuadInCornerOrder) {
    clearMesh(quadMesh);
    addcube(quadMesh, 0.0f);
    setnorm(quadMesh);
    ASSERT_EQ(quadMesh.quadCount, 6u);
    std::vector<MeshVertex> v(quadMesh.quadCount * kVerticesPerQuad);
    writeProgramVertices(quadMesh, 0, v.data());
    EXPECT_EQ(v.size(), 36u);

    // Face z = -1 comes first: corners c0 c1 c3 c1 c2 c3.
    const float positions[6][3] = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1},
                                   {1, -1, -1},  {1, 1, -1},  {-1, 1, -1}};
    const float uvs[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(k);
        expectVec4(v[k].P, positions[k][0], positions[k][1], positions[k][2], 1.0f);
        expectVec4(v[k].N, 8 * positions[k][0], 8 * positions[k][1], 8 * positions[k][2], 1.0f);
        expectVec4(v[k].G, 0.0f, 0.0f, -1.0f, 1.0f);
        expectVec4(v[k].T, uvs[k][0], uvs[k][1], 0.0f, 0.0f);
        EXPECT_EQ(v[k].C[0], 0x80);
        EXPECT_EQ(v[k].C[3], 0x80);
    }
    // Every vertex carries the centre of its own face.
    for (size_t i = 0; i < v.size(); ++i) {
        float len = std::sqrt(v[i].G[0] * v[i].G[0] + v[i].G[1] * v[i].G[1] + v[i].G[2] * v[i].G[2]);
        EXPECT_FLOAT_EQ(len, 1.0f) << i;
    }
}

TEST(MeshVertices, SphereAnglesFoldOntoOneHemisphere) {
    SphereAngles pole = sphereAngles(0, 0, 1);
    EXPECT_FLOAT_EQ(pole.theta, 0.0f);
    EXPECT_FLOAT_EQ(pole.phi, 0.0f);
    EXPECT_FLOAT_EQ(pole.r, 1.0f);
    SphereAngles equator = sphereAngles(1, 0, 0);
    EXPECT_NEAR(equator.theta, kPi / 2, 1e-6);
    EXPECT_FLOAT_EQ(equator.phi, 0.0f);
    SphereAngles south = sphereAngles(0, 0, -1);
    EXPECT_EQ(south.theta, pole.theta);
    EXPECT_EQ(south.phi, pole.phi);
    EXPECT_FLOAT_EQ(sphereAngles(0, 0, -3.5f).phi, 0.0f); // on the z axis
    SphereAngles origin = sphereAngles(0, 0, 0);
    EXPECT_EQ(origin.phi, 0.0f);
    EXPECT_EQ(origin.theta, 0.0f);
    EXPECT_NEAR(sphereAngles(0, 2, 0).phi, kPi / 2, 1e-6);
    EXPECT_EQ(sphereAngles(1, 1, 0).phi, sphereAngles(-1, 1, 0).phi); // the same for x and -x
    // Never NaN, even where rounding puts |z| / r a hair above 1.
    for (float z = -2.0f; z <= 2.0f; z += 0.01f) EXPECT_FALSE(std::isnan(sphereAngles(1e-20f, 0, z).theta));
}

TEST(MeshVertices, SphericalModeWritesThetaThenPhi) {
    clearMesh(quadMesh);
    addcube(quadMesh, 0.0f);
    setnorm(quadMesh);
    std::vector<MeshVertex> v(36);
    writeProgramVertices(quadMesh, 1, v.data());
    for (const MeshVertex& m : v) {
        SphereAngles a = sphereAngles(m.P[0], m.P[1], m.P[2]);
        EXPECT_EQ(m.T[0], a.theta);
        EXPECT_EQ(m.T[1], a.phi);
    }
}

TEST(MeshVertices, TextTrianglesAreFlatShadedWithTheirCentroid) {
    // Two triangles over four vertices (position, normal).
    const float vertices[4 * 6] = {
        0, 0, 0, 0, 0, -1, //
        3, 0, 0, 1, 0, 0,  //
        0, 3, 0, 0, 1, 0,  //
        3, 3, 3, 0, 0, 1,  //
    };
    const uint16_t indices[6] = {0, 1, 2, 3, 2, 1};
    MeshVertex out[6];
    writeTextVertices(vertices, indices, 6, out);
    for (int t = 0; t < 2; ++t) {
        for (int k = 0; k < 3; ++k) {
            const MeshVertex& m = out[3 * t + k];
            const float* first = vertices + indices[3 * t] * 6;
            expectVec4(m.N, first[3], first[4], first[5], 1.0f);
            EXPECT_FLOAT_EQ(m.T[0], 0.5f);
            EXPECT_FLOAT_EQ(m.T[1], 0.5f);
            EXPECT_EQ(m.C[0], 0xFF);
            EXPECT_EQ(m.C[1], 0xFF);
            EXPECT_EQ(m.C[2], 0x00);
            EXPECT_EQ(m.C[3], 0xFF);
        }
    }
    EXPECT_FLOAT_EQ(out[0].G[0], 3 * 0.33333331f);
    EXPECT_FLOAT_EQ(out[0].G[1], 3 * 0.33333331f);
    EXPECT_FLOAT_EQ(out[0].G[3], 3 * 0.33333331f);
    expectVec4(out[4].P, 0, 3, 0, 1);
    EXPECT_FLOAT_EQ(out[5].G[2], 3 * 0.33333331f);
}
