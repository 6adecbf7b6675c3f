// quad_mesh.cpp - the quad mesh instance, normals and the basic quad and vertex helpers.
#include "mesh/quad_mesh.h"

#include <cstring>

QuadMesh quadMesh;
int32_t referenceQuad = -1;

//-----------------------------------------------------------------------------
// Whole-mesh helpers
//-----------------------------------------------------------------------------

// Vertices are never removed, so vertexCount bounds every vertex slot ever written; quads are only
// written through addQ and addcube, which keep quadsWritten. Everything past those is still zero.
void clearMesh(QuadMesh& m) {
    std::memset(m.positions, 0, sizeof(Vec3) * m.vertexCount);
    std::memset(m.vertexNormals, 0, sizeof(Vec3) * m.vertexCount);
    std::memset(m.quads, 0, sizeof(m.quads[0]) * m.quadsWritten);
    std::memset(m.quadNormals, 0, sizeof(Vec3) * m.quadsWritten);
    std::memset(m.quadSelected, 0, sizeof(uint32_t) * m.quadsWritten);
    m.vertexCount = m.quadCount = m.quadsWritten = 0;
}

void setnorm(QuadMesh& m) {
    std::memset(m.vertexNormals, 0, sizeof(Vec3) * m.vertexCount);
    std::memset(m.quadNormals, 0, sizeof(Vec3) * m.quadCount);
    for (uint32_t q = 0; q < m.quadCount; q++) {
        const uint32_t* c = m.quads[q];
        Vec3& n = m.quadNormals[q];
        for (int j = 0; j < 4; j++) maths11(m.positions[c[(j + 1) % 4]], m.positions[c[j]], n);
        for (int j = 0; j < 4; j++) m.vertexNormals[c[j]] = maths1(m.vertexNormals[c[j]], n);
    }
}

//-----------------------------------------------------------------------------
// Quads and vertices
//-----------------------------------------------------------------------------

uint32_t vinq(uint32_t v, const uint32_t quad[4]) {
    return (quad[0] == v || quad[1] == v || quad[2] == v || quad[3] == v) ? 1 : 0;
}

void addQ(QuadMesh& m, uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t flag) {
    uint32_t* q = m.quads[m.quadCount];
    q[0] = a, q[1] = b, q[2] = c, q[3] = d;
    m.quadSelected[m.quadCount] = flag;
    m.quadCount++;
    if (m.quadCount > m.quadsWritten) m.quadsWritten = m.quadCount;
}

void delquad(QuadMesh& m, uint32_t first, uint32_t count) {
    uint32_t tail = m.quadCount - first - count;
    std::memmove(m.quads[first], m.quads[first + count], sizeof(m.quads[0]) * tail);
    std::memmove(&m.quadSelected[first], &m.quadSelected[first + count], sizeof(uint32_t) * tail);
    m.quadCount -= count;
}

uint32_t adjquad(const QuadMesh& m, uint32_t a, uint32_t b) {
    uint32_t shared = 0;
    for (int j = 0; j < 4; j++)
        for (int k = 0; k < 4; k++) shared += (m.quads[a][j] == m.quads[b][k]) ? 1 : 0;
    return shared;
}

uint32_t dupvert(const QuadMesh& m, Vec3 p, uint32_t start) {
    for (uint32_t i = start; i < m.vertexCount; i++) {
        const Vec3& q = m.positions[i];
        if (q.x == p.x && q.y == p.y && q.z == p.z) return i;
    }
    return m.vertexCount;
}

uint32_t addvert(QuadMesh& m, Vec3 p, uint32_t start) {
    uint32_t k = dupvert(m, p, start);
    m.positions[k] = p;
    if (k == m.vertexCount) m.vertexCount++;
    return k;
}

uint32_t vselect(const QuadMesh& m, uint32_t v) {
    for (uint32_t i = 0; i < m.quadCount; i++)
        if (m.quadSelected[i] != 0 && vinq(v, m.quads[i])) return 1;
    return 0;
}

void selrang(QuadMesh& m, int32_t first, int32_t last, uint32_t value) {
    for (int32_t i = first; i <= last; i++) m.quadSelected[i] = value;
}

void selinvr(QuadMesh& m) {
    for (uint32_t i = 0; i < m.quadCount; i++) m.quadSelected[i] = (m.quadSelected[i] == 0) ? 1 : 0;
}

Vec3 centroi(const QuadMesh& m, uint32_t q) {
    Vec3 sum = {0, 0, 0};
    for (int j = 0; j < 4; j++) sum = maths1(sum, m.positions[m.quads[q][j]]);
    maths9(sum, 0.25f);
    return sum;
}
