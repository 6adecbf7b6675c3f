// mesh_vertices.cpp - program meshes and text meshes as 68-byte triangle-list vertices.
#include "mesh/mesh_vertices.h"

#include <cmath>

namespace {

// asin(w) as atan2(w, sqrt(1 - w^2)), in single precision; the radicand is kept at or above 0 so a
// rounding error in |w| > 1 cannot produce a NaN.
float asinByAtan(float w) {
    float radicand = 1.0f - w * w;
    return std::atan2(w, std::sqrt(radicand > 0.0f ? radicand : 0.0f));
}

const float kCornerCoords[kVerticesPerQuad][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
const int kCornerOrder[kVerticesPerQuad] = {0, 1, 3, 1, 2, 3};

} // namespace

SphereAngles sphereAngles(float x, float y, float z) {
    SphereAngles a = {0.0f, 0.0f, std::sqrt(x * x + y * y + z * z)};
    if (a.r == 0.0f) return a;
    float zr = z / a.r;
    float radicand = 1.0f - zr * zr;
    float u = std::sqrt(radicand > 0.0f ? radicand : 0.0f);
    a.theta = asinByAtan(u);
    float rho = std::sqrt(x * x + y * y);
    a.phi = rho == 0.0f ? 0.0f : asinByAtan(y / rho);
    return a;
}

UnpackResult runMeshProgram(const MeshProgram& program, QuadMesh& mesh) {
    clearMesh(mesh);
    return unpacko(program, mesh);
}

void writeProgramVertices(const QuadMesh& mesh, uint32_t texMode, MeshVertex* out) {
    for (uint32_t q = 0; q < mesh.quadCount; ++q) {
        const uint32_t* corners = mesh.quads[q];
        Vec3 c0 = mesh.positions[corners[0]], c1 = mesh.positions[corners[1]];
        Vec3 c2 = mesh.positions[corners[2]], c3 = mesh.positions[corners[3]];
        float centre[3] = {(c0.x + c1.x + c2.x + c3.x) * 0.25f, (c0.y + c1.y + c2.y + c3.y) * 0.25f,
                           (c0.z + c1.z + c2.z + c3.z) * 0.25f};
        for (uint32_t k = 0; k < kVerticesPerQuad; ++k) {
            uint32_t v = corners[kCornerOrder[k]];
            Vec3 p = mesh.positions[v];
            Vec3 n = mesh.vertexNormals[v];
            MeshVertex& out_v = out[q * kVerticesPerQuad + k];
            out_v = MeshVertex{{p.x, p.y, p.z, 1.0f},
                               {n.x, n.y, n.z, 1.0f},
                               {0.0f, 0.0f, 0.0f, 0.0f},
                               {0x80, 0x80, 0x80, 0x80},
                               {centre[0], centre[1], centre[2], 1.0f}};
            if (texMode == 1) {
                SphereAngles a = sphereAngles(p.x, p.y, p.z);
                out_v.T[0] = a.theta;
                out_v.T[1] = a.phi;
            } else {
                out_v.T[0] = kCornerCoords[k][0];
                out_v.T[1] = kCornerCoords[k][1];
            }
        }
    }
}

void writeTextVertices(const float* vertices, const uint16_t* indices, uint32_t indexCount, MeshVertex* out) {
    const float third = 0.33333331f;
    for (uint32_t t = 0; t + 2 < indexCount; t += 3) {
        const float* v[3] = {vertices + indices[t] * 6, vertices + indices[t + 1] * 6,
                             vertices + indices[t + 2] * 6};
        float centroid[4];
        for (int c = 0; c < 3; ++c) centroid[c] = (v[0][c] + v[1][c] + v[2][c]) * third;
        centroid[3] = (1.0f + 1.0f + 1.0f) * third;
        for (int k = 0; k < 3; ++k) {
            out[t + k] = MeshVertex{{v[k][0], v[k][1], v[k][2], 1.0f},
                                    {v[0][3], v[0][4], v[0][5], 1.0f},
                                    {0.5f, 0.5f, 0.0f, 0.0f},
                                    {0xFF, 0xFF, 0x00, 0xFF},
                                    {centroid[0], centroid[1], centroid[2], centroid[3]}};
        }
    }
}
