// reference_mesh.cpp - the literal mesh operators (see reference_mesh.h).
#include "tests/mesh/reference_mesh.h"

#include <cmath>
#include <cstring>

namespace ref {

int32_t referenceQuad = -1;

static Vec3 sums[kMeshMaxVertices];
static uint32_t counts[kMeshMaxVertices];

//-----------------------------------------------------------------------------
// Transforms
//-----------------------------------------------------------------------------

static void scaleob(QuadMesh& m, Vec3 f, bool all) {
    for (uint32_t i = 0; i < m.vertexCount; i++)
        if (all || vselect(m, i)) m.positions[i] = maths3(m.positions[i], f);
}

static void transob(QuadMesh& m, Vec3 o, int mode) {
    for (uint32_t i = 0; i < m.vertexCount; i++)
        if (mode == 0 || vselect(m, i)) m.positions[i] = maths1(m.positions[i], o);
}

static void rotobj(QuadMesh& m, float v, int axis) {
    float a = v * 22.5f * 0.01745328f;
    float s = std::sin(a), c = std::cos(a);
    for (uint32_t i = 0; i < m.vertexCount; i++) {
        if (!vselect(m, i)) continue;
        float x = m.positions[i].x, y = m.positions[i].y, z = m.positions[i].z;
        if (axis == 0) m.positions[i].y = y * c - z * s, m.positions[i].z = y * s + z * c;
        if (axis == 1) m.positions[i].x = x * c + z * s, m.positions[i].z = z * c - x * s;
        if (axis == 2) m.positions[i].x = x * c - y * s, m.positions[i].y = x * s + y * c;
    }
}

static void scalece(QuadMesh& m, float v) {
    for (uint32_t q = 0; q < m.quadCount; q++) {
        if (!m.quadSelected[q]) continue;
        Vec3 centre = centroi(m, q);
        for (int k = 0; k < 4; k++) {
            uint32_t c = m.quads[q][k];
            m.positions[c] = maths8(centre, m.positions[c], v);
        }
    }
}

static void trans2(QuadMesh& m, float v) {
    for (uint32_t q = 0; q < m.quadCount; q++) {
        if (!m.quadSelected[q]) continue;
        for (int k = 0; k < 4; k++) {
            uint32_t c = m.quads[q][k];
            m.positions[c] = maths4(m.quadNormals[q], v, m.positions[c]);
        }
    }
}

//-----------------------------------------------------------------------------
// Selection
//-----------------------------------------------------------------------------

static void expands(QuadMesh& m, uint32_t keep) {
    for (uint32_t i = 0; i < m.quadCount; i++) {
        if ((m.quadSelected[i] & 1) == 0) continue;
        for (uint32_t j = 0; j < m.quadCount; j++)
            if (m.quadSelected[j] == 0) m.quadSelected[j] = 2 * adjquad(m, i, j);
    }
    for (uint32_t i = 0; i < m.quadCount; i++) {
        if (m.quadSelected[i] == 1)
            m.quadSelected[i] = keep;
        else if (m.quadSelected[i] > 1)
            m.quadSelected[i] = 1;
    }
}

static float component(Vec3 v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

static void axissel(QuadMesh& m, int axis) {
    if (referenceQuad == -1) return;
    float lo = 1000000, hi = -1000000;
    for (int k = 0; k < 4; k++) {
        float t = component(m.positions[m.quads[referenceQuad][k]], axis);
        if (t <= lo) lo = t;
        if (t >= hi) hi = t;
    }
    for (uint32_t q = 0; q < m.quadCount; q++) {
        float c = component(centroi(m, q), axis);
        if (lo <= c && c <= hi) m.quadSelected[q] = 1;
    }
}

void select9(QuadMesh& m, uint32_t index) {
    m.quadSelected[index] = m.quadSelected[index] == 0 ? 1 : 0;
    referenceQuad = m.quadSelected[index] == 1 ? int32_t(index) : -1;
}

//-----------------------------------------------------------------------------
// Topology
//-----------------------------------------------------------------------------

static void smooth(QuadMesh& m, int catmullClark) {
    uint32_t Q = m.quadCount, V = m.vertexCount;
    std::memset(sums, 0, sizeof(sums));
    std::memset(counts, 0, sizeof(counts));
    for (uint32_t i = 0; i < Q; i++) {
        uint32_t c[4];
        std::memcpy(c, m.quads[i], sizeof(c));
        uint32_t f = m.quadSelected[i];
        Vec3 F = centroi(m, i);
        uint32_t fi = addvert(m, F, m.vertexCount);
        counts[fi] += 1;
        uint32_t e[4];
        for (int j = 0; j < 4; j++) {
            Vec3 E = maths1(m.positions[c[j]], m.positions[c[(j + 1) % 4]]);
            if (catmullClark == 0) maths9(E, 0.5f);
            e[j] = addvert(m, E, V);
            if (counts[e[j]] == 0) counts[e[j]] = 2;
            sums[e[j]] = maths1(sums[e[j]], F);
            counts[c[j]] += 1;
            sums[c[j]] = maths1(sums[c[j]], F);
            sums[c[j]] = maths1(sums[c[j]], E);
            counts[e[j]] += 1;
        }
        for (int j = 0; j < 4; j++) addQ(m, c[j], e[j], fi, e[(j + 3) % 4], f);
    }
    if (catmullClark && m.vertexCount > 0) {
        for (uint32_t i = 0; i < m.vertexCount; i++) {
            float n = float(counts[i]);
            Vec3 P = m.positions[i], S = sums[i];
            if (i < V) {
                if (counts[i] == 0) continue; // unused old vertex: stays put
                maths9(S, 1 / n);
                P = maths4(P, n - 3, S);
                maths9(P, 1 / n);
            } else {
                P = maths1(P, S);
                maths9(P, 1 / n);
            }
            m.positions[i] = P;
        }
    }
    delquad(m, 0, Q);
}

static void addquad(QuadMesh& m) {
    uint32_t Q = m.quadCount, i = 0;
    while (i < Q) {
        if (!m.quadSelected[i]) {
            i++;
            continue;
        }
        uint32_t c[4], n[4];
        std::memcpy(c, m.quads[i], sizeof(c));
        for (int j = 0; j < 4; j++) n[j] = addvert(m, m.positions[c[j]], m.vertexCount);
        addQ(m, n[0], n[1], n[2], n[3], 1);
        for (int k = 0; k < 4; k++) addQ(m, n[k], c[k], c[(k + 1) % 4], n[(k + 1) % 4], 0);
        delquad(m, i, 1);
        Q--;
    }
}

static void delQuad(QuadMesh& m) {
    uint32_t i = 0;
    while (i < m.quadCount) {
        if (m.quadSelected[i])
            delquad(m, i, 1);
        else
            i++;
    }
}

static void addcube(QuadMesh& m) {
    static const float verts[24] = {-1, -1, -1, 1, -1, -1, 1, 1, -1, -1, 1, -1,
                                    -1, -1, 1,  1, -1, 1,  1, 1, 1,  -1, 1, 1};
    static const int8_t quads[24] = {0, 1, 2, 3, 3, 2, 6, 7, 7, 6, 5, 4, 1, 0, 4, 5, 0, 3, 7, 4, 2, 1, 5, 6};
    uint32_t base = m.vertexCount;
    for (int i = 0; i < 8; i++) m.positions[base + i] = {verts[3 * i], verts[3 * i + 1], verts[3 * i + 2]};
    for (int q = 0; q < 6; q++)
        for (int j = 0; j < 4; j++) m.quads[m.quadCount + q][j] = base + uint32_t(quads[4 * q + j]);
    selrang(m, int32_t(m.quadCount), int32_t(m.quadCount) + 5, 1);
    m.vertexCount += 8;
    m.quadCount += 6;
    if (m.quadCount > m.quadsWritten) m.quadsWritten = m.quadCount;
}

//-----------------------------------------------------------------------------
// Operator table and interpreter
//-----------------------------------------------------------------------------

// clang-format off
const MeshOperator functio[kMeshOperatorCount] = {
    [](QuadMesh& m, float v) { scaleob(m, {v, 1, 1}, true); },
    [](QuadMesh& m, float v) { scaleob(m, {1, v, 1}, true); },
    [](QuadMesh& m, float v) { scaleob(m, {1, 1, v}, true); },
    [](QuadMesh& m, float v) { scaleob(m, {v, v, v}, true); },
    [](QuadMesh& m, float v) { scaleob(m, {v, 1, 1}, false); },
    [](QuadMesh& m, float v) { scaleob(m, {1, v, 1}, false); },
    [](QuadMesh& m, float v) { scaleob(m, {1, 1, v}, false); },
    [](QuadMesh& m, float v) { scaleob(m, {v, v, v}, false); },
    scalece,
    [](QuadMesh& m, float v) { transob(m, {v, 0, 0}, 0); },
    [](QuadMesh& m, float v) { transob(m, {0, v, 0}, 0); },
    [](QuadMesh& m, float v) { transob(m, {0, 0, v}, 0); },
    [](QuadMesh& m, float v) { transob(m, {v, 0, 0}, 1); },
    [](QuadMesh& m, float v) { transob(m, {0, v, 0}, 1); },
    [](QuadMesh& m, float v) { transob(m, {0, 0, v}, 1); },
    trans2,
    [](QuadMesh& m, float v) { rotobj(m, v, 0); },
    [](QuadMesh& m, float v) { rotobj(m, v, 1); },
    [](QuadMesh& m, float v) { rotobj(m, v, 2); },
    [](QuadMesh& m, float) { selrang(m, 0, int32_t(m.quadCount) - 1, 1); },
    [](QuadMesh& m, float) { selrang(m, 0, int32_t(m.quadCount) - 1, 0); referenceQuad = -1; },
    [](QuadMesh& m, float) { selinvr(m); referenceQuad = -1; },
    [](QuadMesh& m, float) { expands(m, 1); },
    [](QuadMesh& m, float) { expands(m, 0); },
    [](QuadMesh& m, float) { axissel(m, 0); },
    [](QuadMesh& m, float) { axissel(m, 1); },
    [](QuadMesh& m, float) { axissel(m, 2); },
    [](QuadMesh& m, float) { smooth(m, 0); },
    [](QuadMesh& m, float) { smooth(m, 1); },
    [](QuadMesh& m, float) { addquad(m); },
    [](QuadMesh& m, float) { delQuad(m); },
    [](QuadMesh& m, float) { addcube(m); },
};
// clang-format on

void unpacko(const MeshProgram& program, QuadMesh& m) {
    const uint8_t* pick = program.picks;
    for (uint32_t k = 0; k < program.opCount; k++) {
        uint8_t op = program.opcodes[k];
        if (op < 32) {
            float v = float(double(program.operands[k]) * double(0.0627451f) - 8.0);
            functio[op](m, v);
            if (op < 19 || op > 26) setnorm(m);
        } else if (op == 50) {
            uint32_t index;
            std::memcpy(&index, pick, 4);
            pick += 4;
            ref::select9(m, index);
        }
    }
}

} // namespace ref
