// text_mesh_test.cpp - the extruded text meshes: placement, depth, closed surfaces, outward
// normals, holes kept, and refusal of oversized lines.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <string>
#include <tuple>

#include "base/arena.h"
#include "data/text_lines.h"
#include "mesh/text_mesh.h"

namespace {

class TextMeshTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        arenaInit();
        status = createTextMeshes(textStrings, kTextLineCount);
    }
    static TextMeshStatus status;
};
TextMeshStatus TextMeshTest::status;

// The surface with coincident vertices merged: walls and caps share positions, not indices.
struct Welded {
    std::vector<std::array<uint32_t, 3>> triangles;
    size_t vertexCount;
};

Welded weld(const TextMesh& m) {
    std::map<std::tuple<float, float, float>, uint32_t> ids;
    std::vector<uint32_t> id(m.vertexCount);
    for (uint32_t i = 0; i < m.vertexCount; i++) {
        const TextVertex& v = m.vertices[i];
        auto key = std::make_tuple(v.px, v.py, v.pz);
        auto it = ids.find(key);
        if (it == ids.end()) it = ids.emplace(key, static_cast<uint32_t>(ids.size())).first;
        id[i] = it->second;
    }
    Welded w{{}, ids.size()};
    for (uint32_t t = 0; t + 2 < m.indexCount; t += 3)
        w.triangles.push_back({id[m.indices[t]], id[m.indices[t + 1]], id[m.indices[t + 2]]});
    return w;
}

// Every directed edge must appear once and its reverse once: a closed, consistently wound surface.
// Returns the number of undirected edges, or 0 after reporting a failure.
size_t checkClosed(const TextMesh& m, const char* what) {
    Welded w = weld(m);
    std::map<std::pair<uint32_t, uint32_t>, int> directed;
    for (const auto& t : w.triangles)
        for (int k = 0; k < 3; k++) directed[{t[k], t[(k + 1) % 3]}]++;
    size_t bad = 0;
    for (const auto& [edge, count] : directed) {
        auto back = directed.find({edge.second, edge.first});
        if (count != 1 || back == directed.end() || back->second != 1) bad++;
    }
    EXPECT_EQ(bad, 0u) << what << ": edges not shared by exactly two oppositely wound triangles";
    return bad == 0 ? directed.size() / 2 : 0;
}

// V - E + F of the welded surface: 2 for a solid without holes, 0 for a ring.
long eulerCharacteristic(const TextMesh& m) {
    Welded w = weld(m);
    size_t edges = checkClosed(m, "euler");
    return static_cast<long>(w.vertexCount) - static_cast<long>(edges) +
           static_cast<long>(w.triangles.size());
}

double signedVolume(const TextMesh& m) {
    double sum = 0;
    for (uint32_t t = 0; t + 2 < m.indexCount; t += 3) {
        const TextVertex &a = m.vertices[m.indices[t]], &b = m.vertices[m.indices[t + 1]],
                         &c = m.vertices[m.indices[t + 2]];
        sum += (a.px * (b.py * c.pz - b.pz * c.py) - a.py * (b.px * c.pz - b.pz * c.px) +
                a.pz * (b.px * c.py - b.py * c.px)) /
               6.0;
    }
    return sum;
}

} // namespace

TEST_F(TextMeshTest, AllLinesBuildCentredOnTheBaseline) {
    ASSERT_TRUE(status.ok) << status.message;
    ASSERT_EQ(textMeshCount, 18u);
    for (int i = 0; i < kTextLineCount; i++) {
        const TextMesh& m = textMeshes[i];
        SCOPED_TRACE(textStrings[i]);
        ASSERT_GT(m.vertexCount, 0);
        ASSERT_EQ(m.indexCount % 3, 0);
        float minX = 1e30f, maxX = -1e30f, minY = 1e30f, maxY = -1e30f, minZ = 1e30f, maxZ = -1e30f;
        for (uint32_t v = 0; v < m.vertexCount; v++) {
            const TextVertex& p = m.vertices[v];
            minX = std::fmin(minX, p.px), maxX = std::fmax(maxX, p.px);
            minY = std::fmin(minY, p.py), maxY = std::fmax(maxY, p.py);
            minZ = std::fmin(minZ, p.pz), maxZ = std::fmax(maxZ, p.pz);
        }
        for (uint32_t k = 0; k < m.indexCount; k++) ASSERT_LT(m.indices[k], m.vertexCount);
        EXPECT_NEAR(minX, -maxX, 1e-5f);
        EXPECT_EQ(minY, 0.0f);
        // Extruded from z = 0 towards the viewer: the front face (-z) lies at -0.05, the back at 0.
        EXPECT_EQ(minZ, -kTextExtrusion);
        EXPECT_EQ(maxZ, 0.0f);
        for (uint32_t v = 0; v < m.vertexCount; v++) {
            const TextVertex& p = m.vertices[v];
            if (p.nz == -1.0f) {
                EXPECT_EQ(p.pz, -kTextExtrusion) << "front vertex " << v;
            }
            if (p.nz == 1.0f) {
                EXPECT_EQ(p.pz, 0.0f) << "back vertex " << v;
            }
        }
        // Lines are set one em high: capitals reach about 0.7 em, and every line is wider than tall.
        EXPECT_GT(maxY, 0.45f);
        EXPECT_LT(maxY, 1.2f);
        EXPECT_GT(maxX - minX, maxY - minY);
    }
}

TEST_F(TextMeshTest, ArraysLieInTheArenaVerticesThenIndicesLineByLine) {
    ASSERT_TRUE(status.ok) << status.message;
    const uint8_t* next = reinterpret_cast<const uint8_t*>(textMeshes[0].vertices);
    for (int i = 0; i < kTextLineCount; i++) {
        const TextMesh& m = textMeshes[i];
        EXPECT_EQ(reinterpret_cast<const uint8_t*>(m.vertices), next) << "vertices of line " << i;
        next += m.vertexCount * sizeof(TextVertex);
        EXPECT_EQ(reinterpret_cast<const uint8_t*>(m.indices), next) << "indices of line " << i;
        next += m.indexCount * sizeof(uint16_t);
    }
}

TEST_F(TextMeshTest, EveryLineIsAClosedSolidWithOutwardNormals) {
    ASSERT_TRUE(status.ok) << status.message;
    for (int i = 0; i < kTextLineCount; i++) {
        const TextMesh& m = textMeshes[i];
        SCOPED_TRACE(textStrings[i]);
        EXPECT_GT(checkClosed(m, textStrings[i]), 0u);
        EXPECT_GT(signedVolume(m), 0.0) << "triangles wind inwards";
        size_t against = 0;
        for (uint32_t t = 0; t + 2 < m.indexCount; t += 3) {
            const TextVertex &a = m.vertices[m.indices[t]], &b = m.vertices[m.indices[t + 1]],
                             &c = m.vertices[m.indices[t + 2]];
            double ux = b.px - a.px, uy = b.py - a.py, uz = b.pz - a.pz;
            double vx = c.px - a.px, vy = c.py - a.py, vz = c.pz - a.pz;
            double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
            for (const TextVertex* v : {&a, &b, &c}) {
                EXPECT_NEAR(std::hypot(v->nx, v->ny, v->nz), 1.0, 1e-5);
                if (nx * v->nx + ny * v->ny + nz * v->nz < 0) against++;
            }
        }
        EXPECT_EQ(against, 0u) << "stored normals against the winding";
    }
}

TEST_F(TextMeshTest, LettersWithHolesKeepThem) {
    // "o", "a", "e" are rings: Euler characteristic 0 (a solid without a hole has 2), and the
    // front face leaves the counter open.
    for (const char* letter : {"o", "a", "e", "O", "D"}) {
        TextMesh m{};
        TextMeshStatus s = buildTextMesh(letter, &m);
        ASSERT_TRUE(s.ok) << s.message;
        EXPECT_EQ(eulerCharacteristic(m), 0) << letter;
    }
    TextMesh solid{};
    ASSERT_TRUE(buildTextMesh("l", &solid).ok);
    EXPECT_EQ(eulerCharacteristic(solid), 2);

    // The centre of the "o" (x = 0 after centring, half its height) lies on no front triangle.
    TextMesh o{};
    ASSERT_TRUE(buildTextMesh("o", &o).ok);
    float top = 0;
    for (uint32_t v = 0; v < o.vertexCount; v++) top = std::fmax(top, o.vertices[v].py);
    const float px = 0, py = top * 0.5f;
    int covering = 0;
    for (uint32_t t = 0; t + 2 < o.indexCount; t += 3) {
        const TextVertex &a = o.vertices[o.indices[t]], &b = o.vertices[o.indices[t + 1]],
                         &c = o.vertices[o.indices[t + 2]];
        if (a.pz != 0 || b.pz != 0 || c.pz != 0) continue;
        auto side = [&](const TextVertex& p, const TextVertex& q) {
            return (q.px - p.px) * (py - p.py) - (q.py - p.py) * (px - p.px);
        };
        float s0 = side(a, b), s1 = side(b, c), s2 = side(c, a);
        if ((s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0)) covering++;
    }
    EXPECT_EQ(covering, 0);
}

TEST_F(TextMeshTest, CurvesAreFlattenedFinely) {
    // A deviation of 0.001 em needs many points around an "O"; a coarse outline would have few.
    TextMesh m{};
    ASSERT_TRUE(buildTextMesh("O", &m).ok);
    size_t front = 0;
    for (uint32_t v = 0; v < m.vertexCount; v++) front += m.vertices[v].nz == -1.0f;
    EXPECT_GT(front, 80u);
    EXPECT_LT(front, 2000u);
}

TEST_F(TextMeshTest, OversizedLineIsRefusedNotTruncated) {
    std::string longLine(400, '@');
    TextMesh m{};
    TextMeshStatus s = buildTextMesh(longLine.c_str(), &m);
    EXPECT_FALSE(s.ok);
    EXPECT_NE(std::string(s.message).find("65535"), std::string::npos) << s.message;
    EXPECT_EQ(m.vertexCount, 0);
    EXPECT_EQ(m.vertices, nullptr);
}

TEST_F(TextMeshTest, SpacesAndEmptyLinesGiveEmptyMeshes) {
    TextMesh m{};
    TextMeshStatus s = buildTextMesh("   ", &m);
    EXPECT_TRUE(s.ok) << s.message;
    EXPECT_EQ(m.vertexCount, 0);
    EXPECT_EQ(m.indexCount, 0);
}

TEST(TextLines, FixedLinesAndInventedNames) {
    EXPECT_STREQ(textStrings[0], "And Many Groups!!!");
    EXPECT_EQ(std::string(textStrings[1]).rfind("Code ", 0), 0u);
    EXPECT_GT(std::string(textStrings[1]).size(), 5u);
    EXPECT_STREQ(textStrings[2], "Credits");
    EXPECT_STREQ(textStrings[4], "END");
    EXPECT_STREQ(textStrings[9], "Music");
    EXPECT_STREQ(textStrings[11], "prod 01-pinwheel");
    EXPECT_STREQ(textStrings[12], "still");
    EXPECT_STREQ(textStrings[14], "Thank you!!!");
    EXPECT_STREQ(textStrings[17], "want to be like");
    for (int i : {3, 5, 6, 7, 8, 10, 13, 15, 16}) EXPECT_GT(std::string(textStrings[i]).size(), 2u) << i;
}
