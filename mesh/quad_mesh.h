// quad_mesh.h - the one editable quad mesh and the small helpers every mesh operator is built on.
//
// `quadMesh` is a single instance in static storage with fixed capacities, cleared (`clearMesh`)
// before each mesh program runs. Vertices are shared by index and never removed; deleting quads
// leaves their vertices in place. Selection belongs to quads (`quadSelected`); a vertex counts as
// selected when a selected quad uses it (`vselect`).
//
// Quad normals are the sum over the four edges of p[c(j+1)] x p[c(j)], twice the vector area (length
// 8 on a face of the 2x2x2 cube); vertex normals are the area-weighted sums of the quad normals that
// use them. Neither is normalised.
//
// The helpers keep the names of the original mesh toolkit (`addQ`, `dupvert`, `maths4`, ...), so a
// reader can follow the operators in mesh_ops.cpp line by line.
#pragma once

#include <cstdint>

inline constexpr uint32_t kMeshMaxVertices = 250000;
inline constexpr uint32_t kMeshMaxQuads = 250000;

struct Vec3 {
    float x, y, z;
};

struct QuadMesh {
    uint32_t vertexCount;                 // vertices in use: 0 .. vertexCount-1
    uint32_t quadCount;                   // quads in use: 0 .. quadCount-1
    uint32_t quads[kMeshMaxQuads][4];     // corner vertex indices c0..c3, in winding order
    Vec3 positions[kMeshMaxVertices];     // vertex positions
    Vec3 vertexNormals[kMeshMaxVertices]; // unnormalised, see setnorm
    Vec3 quadNormals[kMeshMaxQuads];      // unnormalised, see setnorm
    uint32_t quadSelected[kMeshMaxQuads]; // 0 = not selected, non-zero = selected
    uint32_t quadsWritten;                // quad slots ever written since the last clear (bookkeeping)
};

extern QuadMesh quadMesh;     // the one mesh that programs build
extern int32_t referenceQuad; // quad whose extent `select6`..`select8` use; -1 = none; survives clearMesh

//-----------------------------------------------------------------------------
// Whole-mesh helpers
//-----------------------------------------------------------------------------

void clearMesh(QuadMesh& m); // every field and array element to zero
void setnorm(QuadMesh& m);   // recomputes quadNormals and vertexNormals

//-----------------------------------------------------------------------------
// Quads and vertices
//-----------------------------------------------------------------------------

uint32_t vinq(uint32_t v, const uint32_t quad[4]); // 1 when a corner equals v
void addQ(QuadMesh& m, uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t flag);
void delquad(QuadMesh& m, uint32_t first, uint32_t count);              // removes a run, keeps order
uint32_t adjquad(const QuadMesh& m, uint32_t a, uint32_t b);            // matching corner pairs, 0..16
uint32_t dupvert(const QuadMesh& m, Vec3 p, uint32_t start);            // first exact match at >= start
uint32_t addvert(QuadMesh& m, Vec3 p, uint32_t start);                  // welds from start, else appends
uint32_t vselect(const QuadMesh& m, uint32_t v);                        // 1 when a selected quad uses v
void selrang(QuadMesh& m, int32_t first, int32_t last, uint32_t value); // inclusive; none if first > last
void selinvr(QuadMesh& m);                                              // 0 becomes 1, anything else 0
Vec3 centroi(const QuadMesh& m, uint32_t q);                            // mean of the four corners

//-----------------------------------------------------------------------------
// Vector arithmetic (single precision, in the order written)
//-----------------------------------------------------------------------------

inline Vec3 maths1(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 maths3(Vec3 a, Vec3 b) {
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}
inline Vec3 maths4(Vec3 a, float s, Vec3 b) {
    return {a.x * s + b.x, a.y * s + b.y, a.z * s + b.z};
}
inline Vec3 maths8(Vec3 a, Vec3 b, float t) {
    return {a.x * (1 - t) + b.x * t, a.y * (1 - t) + b.y * t, a.z * (1 - t) + b.z * t};
}
inline void maths9(Vec3& a, float s) {
    a = {a.x * s, a.y * s, a.z * s};
}
inline void maths11(Vec3 a, Vec3 b, Vec3& out) {
    out.x += a.y * b.z - a.z * b.y;
    out.y += a.z * b.x - a.x * b.z;
    out.z += a.x * b.y - a.y * b.x;
}
