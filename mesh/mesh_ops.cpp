// mesh_ops.cpp - the 32 mesh operators.
//
// The operators give exactly the results of the straightforward algorithms (a linear scan over all
// quads for every vertex's selection, a linear search for every welded vertex, one shift of the
// quad array for every deleted quad), but use one pass each instead:
// - the selected-vertex set is marked once per operator (no transform changes a flag);
// - `smooth` welds edge points through a hash table that keeps the lowest index per position;
// - `addquad` and `delQuad` compact the quad array once, keeping its order.
#include "mesh/mesh_ops.h"

#include <algorithm>
#include <cmath>
#include <cstring>

//-----------------------------------------------------------------------------
// Scratch space (start-up only)
//-----------------------------------------------------------------------------

static uint8_t vertexMarks[kMeshMaxVertices];    // per vertex: used by a marked quad
static Vec3 smoothSum[kMeshMaxVertices];         // per vertex: sums gathered by smooth
static uint32_t smoothCount[kMeshMaxVertices];   // per vertex: counts gathered by smooth
static uint32_t extrudeQuads[kMeshMaxQuads][4];  // corners of the quads addquad extrudes
static constexpr uint32_t kWeldSlots = 1u << 19; // > 2 x the most vertices one smooth can add
static uint32_t weldTable[kWeldSlots];           // vertex index + 1, 0 = empty

// Marks every vertex used by a quad whose flag is non-zero (mask 0xFFFFFFFF) or odd (mask 1).
static void markVerticesOfQuads(const QuadMesh& m, uint32_t flagMask) {
    std::memset(vertexMarks, 0, m.vertexCount);
    for (uint32_t q = 0; q < m.quadCount; q++)
        if (m.quadSelected[q] & flagMask)
            for (int j = 0; j < 4; j++) vertexMarks[m.quads[q][j]] = 1;
}

//-----------------------------------------------------------------------------
// Transform cores
//-----------------------------------------------------------------------------

static void scaleob(QuadMesh& m, Vec3 f, bool all) {
    if (!all) markVerticesOfQuads(m, 0xFFFFFFFFu);
    for (uint32_t i = 0; i < m.vertexCount; i++)
        if (all || vertexMarks[i]) m.positions[i] = maths3(m.positions[i], f);
}

static void transob(QuadMesh& m, Vec3 o, int mode) {
    if (mode == 1) markVerticesOfQuads(m, 0xFFFFFFFFu);
    for (uint32_t i = 0; i < m.vertexCount; i++)
        if (mode == 0 || vertexMarks[i]) m.positions[i] = maths1(m.positions[i], o);
}

enum Axis { axisX, axisY, axisZ };

static void rotobj(QuadMesh& m, float v, Axis axis) {
    float a = v * 22.5f * 0.01745328f;
    float s = std::sin(a), c = std::cos(a);
    markVerticesOfQuads(m, 0xFFFFFFFFu);
    for (uint32_t i = 0; i < m.vertexCount; i++) {
        if (!vertexMarks[i]) continue;
        Vec3& p = m.positions[i];
        Vec3 r = p;
        if (axis == axisX) r.y = p.y * c - p.z * s, r.z = p.y * s + p.z * c;
        if (axis == axisY) r.x = p.x * c + p.z * s, r.z = p.z * c - p.x * s;
        if (axis == axisZ) r.x = p.x * c - p.y * s, r.y = p.x * s + p.y * c;
        p = r;
    }
}

void scale1(QuadMesh& m, float v) {
    scaleob(m, {v, 1, 1}, true);
}
void scale2(QuadMesh& m, float v) {
    scaleob(m, {1, v, 1}, true);
}
void scale3(QuadMesh& m, float v) {
    scaleob(m, {1, 1, v}, true);
}
void scale4(QuadMesh& m, float v) {
    scaleob(m, {v, v, v}, true);
}
void scale5(QuadMesh& m, float v) {
    scaleob(m, {v, 1, 1}, false);
}
void scale6(QuadMesh& m, float v) {
    scaleob(m, {1, v, 1}, false);
}
void scale7(QuadMesh& m, float v) {
    scaleob(m, {1, 1, v}, false);
}
void scale8(QuadMesh& m, float v) {
    scaleob(m, {v, v, v}, false);
}
void trans1(QuadMesh& m, float v) {
    transob(m, {v, 0, 0}, 0);
}
void transy(QuadMesh& m, float v) {
    transob(m, {0, v, 0}, 0);
}
void trans3(QuadMesh& m, float v) {
    transob(m, {0, 0, v}, 0);
}
void trans4(QuadMesh& m, float v) {
    transob(m, {v, 0, 0}, 1);
}
void trans5(QuadMesh& m, float v) {
    transob(m, {0, v, 0}, 1);
}
void trans6(QuadMesh& m, float v) {
    transob(m, {0, 0, v}, 1);
}
void rotate1(QuadMesh& m, float v) {
    rotobj(m, v, axisX);
}
void rotate2(QuadMesh& m, float v) {
    rotobj(m, v, axisY);
}
void rotate3(QuadMesh& m, float v) {
    rotobj(m, v, axisZ);
}

// Pulls each selected quad's corners towards its centroid; a corner shared by several selected quads
// is pulled once per quad, in quad order.
void scalece(QuadMesh& m, float v) {
    for (uint32_t q = 0; q < m.quadCount; q++) {
        if (m.quadSelected[q] == 0) continue;
        Vec3 centre = centroi(m, q);
        for (int j = 0; j < 4; j++) {
            Vec3& p = m.positions[m.quads[q][j]];
            p = maths8(centre, p, v);
        }
    }
}

// Moves each selected quad's corners along that quad's normal from the last setnorm.
void trans2(QuadMesh& m, float v) {
    for (uint32_t q = 0; q < m.quadCount; q++) {
        if (m.quadSelected[q] == 0) continue;
        for (int j = 0; j < 4; j++) {
            Vec3& p = m.positions[m.quads[q][j]];
            p = maths4(m.quadNormals[q], v, p);
        }
    }
}

//-----------------------------------------------------------------------------
// Selection
//-----------------------------------------------------------------------------

// Grows the selection by one ring: every unselected quad that shares a vertex with a selected one.
// keep = 0 drops the old selection and keeps only the ring.
static void expands(QuadMesh& m, uint32_t keep) {
    markVerticesOfQuads(m, 1u);
    for (uint32_t q = 0; q < m.quadCount; q++) {
        if (m.quadSelected[q] != 0) continue;
        const uint32_t* c = m.quads[q];
        if (vertexMarks[c[0]] | vertexMarks[c[1]] | vertexMarks[c[2]] | vertexMarks[c[3]])
            m.quadSelected[q] = 2;
    }
    for (uint32_t q = 0; q < m.quadCount; q++) {
        uint32_t& f = m.quadSelected[q];
        f = (f == 1) ? keep : (f > 1 ? 1 : 0);
    }
}

// Adds every quad whose centroid lies within referenceQuad's extent along the axis.
static void axissel(QuadMesh& m, int axis) {
    if (referenceQuad == -1) return;
    float lo = 1000000.0f, hi = -1000000.0f;
    for (int j = 0; j < 4; j++) {
        const Vec3& p = m.positions[m.quads[referenceQuad][j]];
        float t = axis == 0 ? p.x : axis == 1 ? p.y : p.z;
        if (t <= lo) lo = t;
        if (t >= hi) hi = t;
    }
    for (uint32_t q = 0; q < m.quadCount; q++) {
        Vec3 c = centroi(m, q);
        float t = axis == 0 ? c.x : axis == 1 ? c.y : c.z;
        if (lo <= t && t <= hi) m.quadSelected[q] = 1;
    }
}

void select1(QuadMesh& m, float) {
    selrang(m, 0, int32_t(m.quadCount) - 1, 1);
}
void select2(QuadMesh& m, float) {
    selrang(m, 0, int32_t(m.quadCount) - 1, 0);
    referenceQuad = -1;
}
void select3(QuadMesh& m, float) {
    selinvr(m);
    referenceQuad = -1;
}
void select4(QuadMesh& m, float) {
    expands(m, 1);
}
void select5(QuadMesh& m, float) {
    expands(m, 0);
}
void select6(QuadMesh& m, float) {
    axissel(m, 0);
}
void select7(QuadMesh& m, float) {
    axissel(m, 1);
}
void select8(QuadMesh& m, float) {
    axissel(m, 2);
}

//-----------------------------------------------------------------------------
// Subdivision
//-----------------------------------------------------------------------------

static uint32_t canonicalBits(float f) {
    uint32_t bits;
    if (f == 0.0f) f = 0.0f; // +0 and -0 weld
    std::memcpy(&bits, &f, 4);
    return bits;
}

static uint32_t weldSlot(Vec3 p, uint32_t mask) {
    uint64_t h = canonicalBits(p.x) * 0x9E3779B97F4A7C15ull;
    h ^= canonicalBits(p.y) * 0xC2B2AE3D27D4EB4Full;
    h ^= canonicalBits(p.z) * 0x165667B19E3779F9ull;
    return static_cast<uint32_t>(h >> 32) & mask;
}

// Index of the vertex at exactly p among those in the weld table (NaN never matches), or the empty
// slot where p belongs.
static bool findWelded(const QuadMesh& m, Vec3 p, uint32_t mask, uint32_t& slotOrIndex) {
    uint32_t slot = weldSlot(p, mask);
    for (; weldTable[slot] != 0; slot = (slot + 1) & mask) {
        const Vec3& q = m.positions[weldTable[slot] - 1];
        if (q.x == p.x && q.y == p.y && q.z == p.z) {
            slotOrIndex = weldTable[slot] - 1;
            return true;
        }
    }
    slotOrIndex = slot;
    return false;
}

static bool hasNan(Vec3 p) {
    return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z);
}

// Appends a vertex (addvert from vertexCount) and makes it weldable unless a lower index already
// holds its position.
static uint32_t appendWeldable(QuadMesh& m, Vec3 p, uint32_t mask) {
    uint32_t k = m.vertexCount++, slot;
    m.positions[k] = p;
    if (!hasNan(p) && !findWelded(m, p, mask, slot)) weldTable[slot] = k + 1;
    return k;
}

// Same result as addvert(p, start) when every vertex from start on went through the weld table: the
// lowest such index with exactly p's position, else a new vertex.
static uint32_t weldVertex(QuadMesh& m, Vec3 p, uint32_t mask) {
    if (hasNan(p)) return appendWeldable(m, p, mask);
    uint32_t found;
    if (findWelded(m, p, mask, found)) {
        m.positions[found] = p;
        return found;
    }
    uint32_t k = m.vertexCount++;
    m.positions[k] = p;
    weldTable[found] = k + 1;
    return k;
}

// The table never holds more than kMeshMaxVertices entries, so it is never more than half full.
static uint32_t weldMaskFor(uint32_t newVertices) {
    uint32_t size = 16;
    while (size < 2 * newVertices && size < kWeldSlots) size *= 2;
    return size - 1;
}

// Moves every vertex to its Catmull-Clark position from the sums gathered by smooth. An old vertex
// that no quad uses (count 0) stays where it is.
static void applyCatmullClark(QuadMesh& m, uint32_t oldVertexCount) {
    for (uint32_t i = 0; i < m.vertexCount; i++) {
        float n = static_cast<float>(smoothCount[i]);
        Vec3& p = m.positions[i];
        Vec3 s = smoothSum[i];
        if (i < oldVertexCount) {
            if (smoothCount[i] == 0) continue;
            maths9(s, 1 / n);
            p = maths4(p, n - 3, s);
            maths9(p, 1 / n);
        } else {
            p = maths1(p, s);
            maths9(p, 1 / n);
        }
    }
}

// Splits every quad into four around a face point and its four edge points. The children of old
// quad i become quads 4i .. 4i+3, child j holding corner j; with catmullClark the vertices then
// move to their smoothed positions.
static void smooth(QuadMesh& m, bool catmullClark) {
    const uint32_t Q = m.quadCount, V = m.vertexCount;
    const uint32_t touched =
        std::min(V + 5 * Q, kMeshMaxVertices); // at most one face and four edge points per quad
    std::memset(smoothSum, 0, sizeof(Vec3) * touched);
    std::memset(smoothCount, 0, sizeof(uint32_t) * touched);
    const uint32_t mask = weldMaskFor(5 * Q);
    std::memset(weldTable, 0, sizeof(uint32_t) * (mask + 1));

    for (uint32_t i = 0; i < Q; i++) {
        const uint32_t c[4] = {m.quads[i][0], m.quads[i][1], m.quads[i][2], m.quads[i][3]};
        const uint32_t flag = m.quadSelected[i];
        const Vec3 F = centroi(m, i);
        const uint32_t fi = appendWeldable(m, F, mask);
        smoothCount[fi] += 1;
        uint32_t e[4];
        for (int j = 0; j < 4; j++) {
            Vec3 E = maths1(m.positions[c[j]], m.positions[c[(j + 1) % 4]]);
            if (!catmullClark) maths9(E, 0.5f);
            e[j] = weldVertex(m, E, mask);
            if (smoothCount[e[j]] == 0) smoothCount[e[j]] = 2;
            smoothSum[e[j]] = maths1(smoothSum[e[j]], F);
            smoothCount[c[j]] += 1;
            smoothSum[c[j]] = maths1(smoothSum[c[j]], F);
            smoothSum[c[j]] = maths1(smoothSum[c[j]], E);
            smoothCount[e[j]] += 1;
        }
        for (int j = 0; j < 4; j++) addQ(m, c[j], e[j], fi, e[(j + 3) % 4], flag);
    }
    if (catmullClark && m.vertexCount > 0) applyCatmullClark(m, V);
    delquad(m, 0, Q);
}

void subd(QuadMesh& m, float) {
    smooth(m, false);
}
void smoooth(QuadMesh& m, float) {
    smooth(m, true);
}

//-----------------------------------------------------------------------------
// Extrusion, deletion, cube
//-----------------------------------------------------------------------------

// Keeps the unselected quads in order at the front; behind them, for each selected quad in its old
// order, a selected cap on four new vertices at its corners, then its four unselected sides.
void addquad(QuadMesh& m, float) {
    uint32_t kept = 0, extruded = 0;
    for (uint32_t q = 0; q < m.quadCount; q++) {
        if (m.quadSelected[q] != 0) {
            std::memcpy(extrudeQuads[extruded++], m.quads[q], sizeof(m.quads[q]));
            continue;
        }
        std::memcpy(m.quads[kept], m.quads[q], sizeof(m.quads[q]));
        m.quadSelected[kept++] = m.quadSelected[q];
    }
    m.quadCount = kept;
    for (uint32_t s = 0; s < extruded; s++) {
        const uint32_t* c = extrudeQuads[s];
        uint32_t n[4];
        for (int j = 0; j < 4; j++) {
            n[j] = m.vertexCount++;
            m.positions[n[j]] = m.positions[c[j]];
        }
        addQ(m, n[0], n[1], n[2], n[3], 1);
        for (int k = 0; k < 4; k++) addQ(m, n[k], c[k], c[(k + 1) % 4], n[(k + 1) % 4], 0);
    }
}

void delQuad(QuadMesh& m, float) {
    uint32_t kept = 0;
    for (uint32_t q = 0; q < m.quadCount; q++) {
        if (m.quadSelected[q] != 0) continue;
        std::memcpy(m.quads[kept], m.quads[q], sizeof(m.quads[q]));
        m.quadSelected[kept++] = m.quadSelected[q];
    }
    m.quadCount = kept;
}

static const float cubeVertices[8][3] = {
    {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1},
};
static const int8_t cubeQuads[6][4] = {
    {0, 1, 2, 3}, // z = -1
    {3, 2, 6, 7}, // y = +1
    {7, 6, 5, 4}, // z = +1
    {1, 0, 4, 5}, // y = -1
    {0, 3, 7, 4}, // x = -1
    {2, 1, 5, 6}, // x = +1
};

void addcube(QuadMesh& m, float) {
    const uint32_t base = m.vertexCount, firstQuad = m.quadCount;
    for (int i = 0; i < 8; i++)
        m.positions[base + i] = {cubeVertices[i][0], cubeVertices[i][1], cubeVertices[i][2]};
    for (int q = 0; q < 6; q++)
        for (int j = 0; j < 4; j++) m.quads[firstQuad + q][j] = base + static_cast<uint32_t>(cubeQuads[q][j]);
    selrang(m, int32_t(firstQuad), int32_t(firstQuad) + 5, 1);
    m.vertexCount += 8;
    m.quadCount += 6;
    if (m.quadCount > m.quadsWritten) m.quadsWritten = m.quadCount;
}
