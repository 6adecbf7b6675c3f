// text_mesh.h - the show's 18 lines of solid 3D text.
//
// `createTextMeshes` turns each of the lines it is handed (the show's are data/text_lines.h) into a closed,
// extruded triangle mesh set in Liberation Sans (embedded in the executable): glyph outlines are flattened to
// a deviation of 0.001 em, the front face (z = -0.05, facing -z) and back face (z = 0, facing +z) are
// triangulated, and the outline walls join them with outward normals. The text is extruded from
// z = 0 towards -z, so its front face is the one nearer a viewer looking along +z. One em is one
// unit. Each line is then centred on x = 0 and made to stand on y = 0. Vertex and index arrays are
// reserved from the work arena (vertices first) and live until the process ends; `textMeshes[i]` is
// line i, and the GPU mesh with the same number.
//
//     arenaInit();
//     TextMeshStatus s = createTextMeshes(textStrings, kTextLineCount);
//     if (!s.ok) fail(s.message);
//     drawTriangles(textMeshes[2].vertices, textMeshes[2].indices, textMeshes[2].indexCount);
//
// Triangles wind so that (p1 - p0) x (p2 - p0) points out of the solid, along the stored normal.
// A line whose mesh would need more than 65535 vertices or indices is refused with a message; it is
// never truncated.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int kTextLineCount = 18;
inline constexpr float kTextDeviation = 0.001f; // largest distance of a flattened curve from the glyph, em
inline constexpr float kTextExtrusion = 0.05f;  // depth of the solid text, em

struct TextVertex {
    float px, py, pz; // position
    float nx, ny, nz; // unit normal
};
static_assert(sizeof(TextVertex) == 24, "text vertices are 24 bytes");

struct TextMesh {
    uint16_t vertexCount; // number of vertices
    uint16_t indexCount;  // 3 x the number of triangles
    TextVertex* vertices; // vertexCount records, from the work arena
    uint16_t* indices;    // indexCount vertex indices, three per triangle, from the work arena
};

struct TextMeshStatus {
    bool ok;
    char message[256]; // what went wrong, naming the line; empty when ok
};

extern TextMesh textMeshes[kTextLineCount];
extern uint32_t textMeshCount; // 18 once createTextMeshes has run

// Builds one record per line (count at most kTextLineCount) from the work arena, which must be
// initialised. Stops at the first line that cannot be built.
TextMeshStatus createTextMeshes(const char* const* lines, int count);

// Builds one mesh of `text` into `out`, reserving from the work arena. The same steps as each line
// of createTextMeshes (used by the tool and the tests).
TextMeshStatus buildTextMesh(const char* text, TextMesh* out);

// The font the meshes are set in: a TrueType file embedded at build time.
extern const unsigned char* const textFontData;
extern const size_t textFontSize;
