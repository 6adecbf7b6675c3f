// text_mesh.cpp - extruded text meshes: FreeType outlines, GLU tessellation, arena records.
#include "mesh/text_mesh.h"

#include <GL/glu.h>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ft2build.h>
#include <utility>
#include <vector>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "base/arena.h"
#include "base/printf_check.h"

TextMesh textMeshes[kTextLineCount];
uint32_t textMeshCount = 0;

namespace {

using TessCallback = void(APIENTRY*)(); // what gluTessCallback takes, on every platform

struct Pt {
    double x, y; // em units
};

struct Contour {
    size_t first, count; // range of points in GlyphShape::points
};

// One glyph's flattened outline and the triangles that fill it.
struct GlyphShape {
    std::vector<Pt> points;          // outline points, then any the tessellator had to add
    std::vector<Contour> contours;   // closed loops over the leading points
    std::vector<uint32_t> triangles; // three point indices per filled triangle
    double outward;                  // +1: the outside of an edge a->b lies to its left, -1: to its right
};

// The growing line mesh before it is copied into the arena.
struct LineMesh {
    std::vector<TextVertex> vertices;
    std::vector<uint32_t> indices;
};

TextMeshStatus makeStatus(bool ok, const char* format, ...) QZ_PRINTF_CHECK(2, 3);

TextMeshStatus makeStatus(bool ok, const char* format, ...) {
    TextMeshStatus s{ok, {}};
    va_list args;
    va_start(args, format);
    std::vsnprintf(s.message, sizeof s.message, format, args);
    va_end(args);
    return s;
}

//-----------------------------------------------------------------------------
// Outline flattening
//-----------------------------------------------------------------------------

struct Flattener {
    GlyphShape* shape;
    double scale; // em per font unit
    Pt last;      // current point, em
    size_t start; // first point of the open contour
    bool open;
};

void closeContour(Flattener& f) {
    if (!f.open) return;
    std::vector<Pt>& p = f.shape->points;
    // The outline repeats its first point at the end; walls and caps want each corner once.
    while (p.size() > f.start + 1 && p.back().x == p[f.start].x && p.back().y == p[f.start].y) p.pop_back();
    size_t count = p.size() - f.start;
    if (count >= 3)
        f.shape->contours.push_back({f.start, count});
    else
        p.resize(f.start);
    f.open = false;
}

void addPoint(Flattener& f, Pt q) {
    std::vector<Pt>& p = f.shape->points;
    if (p.size() > f.start && std::fabs(p.back().x - q.x) < 1e-9 && std::fabs(p.back().y - q.y) < 1e-9)
        return;
    p.push_back(q);
    f.last = q;
}

Pt toEm(const Flattener& f, const FT_Vector* v) {
    return {v->x * f.scale, v->y * f.scale};
}

int onMove(const FT_Vector* to, void* user) {
    Flattener& f = *static_cast<Flattener*>(user);
    closeContour(f);
    f.start = f.shape->points.size();
    f.open = true;
    addPoint(f, toEm(f, to));
    return 0;
}

int onLine(const FT_Vector* to, void* user) {
    Flattener& f = *static_cast<Flattener*>(user);
    addPoint(f, toEm(f, to));
    return 0;
}

// Uniform steps whose chords stay within the deviation: a curve whose second derivative never
// exceeds M strays at most M h^2 / 8 from a chord over a parameter step h.
int stepsFor(double maxSecondDerivative) {
    double n = std::ceil(std::sqrt(maxSecondDerivative / (8.0 * kTextDeviation)));
    return n < 1 ? 1 : (n > 256 ? 256 : static_cast<int>(n));
}

int onConic(const FT_Vector* control, const FT_Vector* to, void* user) {
    Flattener& f = *static_cast<Flattener*>(user);
    Pt p0 = f.last, p1 = toEm(f, control), p2 = toEm(f, to);
    double m = 2.0 * std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
    int n = stepsFor(m);
    for (int k = 1; k <= n; k++) {
        double t = static_cast<double>(k) / n, u = 1 - t;
        addPoint(f, {u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                     u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
    }
    return 0;
}

int onCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    Flattener& f = *static_cast<Flattener*>(user);
    Pt p0 = f.last, p1 = toEm(f, c1), p2 = toEm(f, c2), p3 = toEm(f, to);
    double a = std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
    double b = std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y);
    int n = stepsFor(6.0 * std::fmax(a, b));
    for (int k = 1; k <= n; k++) {
        double t = static_cast<double>(k) / n, u = 1 - t;
        double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
        addPoint(f, {w0 * p0.x + w1 * p1.x + w2 * p2.x + w3 * p3.x,
                     w0 * p0.y + w1 * p1.y + w2 * p2.y + w3 * p3.y});
    }
    return 0;
}

bool flattenOutline(FT_Outline* outline, double scale, GlyphShape& shape) {
    FT_Outline_Funcs funcs{onMove, onLine, onConic, onCubic, 0, 0};
    Flattener f{&shape, scale, {0, 0}, 0, false};
    if (FT_Outline_Decompose(outline, &funcs, &f) != 0) return false;
    closeContour(f);
    // TrueType fills to the right of the outline's direction, PostScript to the left.
    shape.outward = FT_Outline_Get_Orientation(outline) == FT_ORIENTATION_POSTSCRIPT ? -1.0 : 1.0;
    return true;
}

//-----------------------------------------------------------------------------
// Tessellation of the glyph face
//-----------------------------------------------------------------------------

struct Tessellation {
    GlyphShape* shape;
    GLenum error; // 0 = none
};

void APIENTRY tessBegin(GLenum, void*) {}
void APIENTRY tessEdgeFlag(GLboolean, void*) {} // registered so that only GL_TRIANGLES come out

void APIENTRY tessVertex(void* vertex, void* user) {
    auto* t = static_cast<Tessellation*>(user);
    t->shape->triangles.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(vertex)));
}

void APIENTRY tessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* user) {
    auto* t = static_cast<Tessellation*>(user);
    t->shape->points.push_back({coords[0], coords[1]});
    *out = reinterpret_cast<void*>(static_cast<uintptr_t>(t->shape->points.size() - 1));
}

void APIENTRY tessError(GLenum error, void* user) {
    static_cast<Tessellation*>(user)->error = error;
}

bool tessellate(GlyphShape& shape, const char** why) {
    // GLU keeps pointers to the coordinates until the polygon ends, so they live in one fixed array.
    std::vector<GLdouble> coords(shape.points.size() * 3);
    for (size_t i = 0; i < shape.points.size(); i++) {
        coords[i * 3] = shape.points[i].x;
        coords[i * 3 + 1] = shape.points[i].y;
        coords[i * 3 + 2] = 0.0;
    }
    GLUtesselator* tess = gluNewTess();
    if (!tess) {
        *why = "the tessellator could not start";
        return false;
    }
    Tessellation t{&shape, 0};
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<TessCallback>(tessBegin));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<TessCallback>(tessEdgeFlag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<TessCallback>(tessVertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<TessCallback>(tessCombine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<TessCallback>(tessError));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0, 0, 1);
    gluTessBeginPolygon(tess, &t);
    for (const Contour& c : shape.contours) {
        gluTessBeginContour(tess);
        for (size_t i = c.first; i < c.first + c.count; i++)
            gluTessVertex(tess, &coords[i * 3], reinterpret_cast<void*>(static_cast<uintptr_t>(i)));
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    if (t.error != 0) *why = reinterpret_cast<const char*>(gluErrorString(t.error));
    return t.error == 0 && shape.triangles.size() % 3 == 0;
}

//-----------------------------------------------------------------------------
// Solid assembly
//-----------------------------------------------------------------------------

// Appends a triangle wound so that (p1 - p0) x (p2 - p0) points along `normal`.
void addTriangle(LineMesh& m, uint32_t a, uint32_t b, uint32_t c, const float normal[3]) {
    const TextVertex &p = m.vertices[a], &q = m.vertices[b], &r = m.vertices[c];
    double ux = q.px - p.px, uy = q.py - p.py, uz = q.pz - p.pz;
    double vx = r.px - p.px, vy = r.py - p.py, vz = r.pz - p.pz;
    double cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
    bool flip = cx * normal[0] + cy * normal[1] + cz * normal[2] < 0;
    m.indices.insert(m.indices.end(), {a, flip ? c : b, flip ? b : c});
}

TextVertex makeVertex(Pt p, double pen, float z, const float n[3]) {
    return {static_cast<float>(p.x + pen), static_cast<float>(p.y), z, n[0], n[1], n[2]};
}

void addGlyphSolid(LineMesh& m, const GlyphShape& g, double pen) {
    static const float front[3] = {0, 0, -1}, back[3] = {0, 0, 1};
    const uint32_t base = static_cast<uint32_t>(m.vertices.size()),
                   n = static_cast<uint32_t>(g.points.size());
    // The solid reaches from the back face at z = 0 towards the viewer: the front face lies at
    // z = -extrusion.
    for (const Pt& p : g.points) m.vertices.push_back(makeVertex(p, pen, -kTextExtrusion, front));
    for (const Pt& p : g.points) m.vertices.push_back(makeVertex(p, pen, 0.0f, back));
    // The tessellator winds all its triangles one way, including the zero-area ones it makes from
    // collinear outline points; those must follow the rest for the surface to stay closed, so the
    // winding is decided once for the glyph from its total area.
    double area = 0;
    for (size_t t = 0; t + 2 < g.triangles.size(); t += 3) {
        Pt a = g.points[g.triangles[t]], b = g.points[g.triangles[t + 1]], c = g.points[g.triangles[t + 2]];
        area += (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    }
    const bool counterClockwise = area > 0;
    for (size_t t = 0; t + 2 < g.triangles.size(); t += 3) {
        uint32_t a = g.triangles[t], b = g.triangles[t + 1], c = g.triangles[t + 2];
        if (!counterClockwise) std::swap(b, c);
        m.indices.insert(m.indices.end(), {base + a, base + c, base + b});             // front faces -z
        m.indices.insert(m.indices.end(), {base + n + a, base + n + b, base + n + c}); // back faces +z
    }
    for (const Contour& c : g.contours)
        for (size_t i = 0; i < c.count; i++) {
            Pt a = g.points[c.first + i], b = g.points[c.first + (i + 1) % c.count];
            double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
            float wall[3] = {static_cast<float>(-dy / len * g.outward),
                             static_cast<float>(dx / len * g.outward), 0};
            uint32_t v = static_cast<uint32_t>(m.vertices.size());
            m.vertices.push_back(makeVertex(a, pen, -kTextExtrusion, wall));
            m.vertices.push_back(makeVertex(b, pen, -kTextExtrusion, wall));
            m.vertices.push_back(makeVertex(b, pen, 0.0f, wall));
            m.vertices.push_back(makeVertex(a, pen, 0.0f, wall));
            addTriangle(m, v, v + 1, v + 2, wall);
            addTriangle(m, v, v + 2, v + 3, wall);
        }
}

// Sets the line in the font and extrudes every glyph; pen positions advance in font units.
TextMeshStatus buildLine(FT_Face face, const char* text, LineMesh& m) {
    const double scale = 1.0 / face->units_per_EM;
    long pen = 0;
    for (const char* s = text; *s; s++) {
        unsigned char ch = static_cast<unsigned char>(*s);
        if (FT_Load_Char(face, ch, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            return makeStatus(false, "the font has no glyph for character 0x%02x", ch);
        FT_GlyphSlot slot = face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_contours > 0) {
            GlyphShape g;
            const char* why = "";
            if (!flattenOutline(&slot->outline, scale, g))
                return makeStatus(false, "cannot read the outline of '%c'", ch);
            if (!g.contours.empty() && !tessellate(g, &why))
                return makeStatus(false, "cannot triangulate '%c': %s", ch, why);
            addGlyphSolid(m, g, pen * scale);
        }
        pen += slot->advance.x;
    }
    return makeStatus(true, "%s", "");
}

// Moves the line so that its x extent is centred on 0 and its lowest point has y = 0.
void centreLine(TextVertex* v, uint32_t count) {
    float maxX = -FLT_MAX, minX = FLT_MAX, minY = FLT_MAX;
    for (uint32_t i = 0; i < count; i++) {
        maxX = std::fmax(maxX, v[i].px);
        minX = std::fmin(minX, v[i].px);
        minY = std::fmin(minY, v[i].py);
    }
    if (count == 0) return;
    float cx = (minX + maxX) * 0.5f;
    for (uint32_t i = 0; i < count; i++) {
        v[i].px -= cx;
        v[i].py -= minY;
    }
}

TextMeshStatus buildWithFace(FT_Face face, const char* text, TextMesh* out) {
    LineMesh m;
    TextMeshStatus s = buildLine(face, text, m);
    if (!s.ok) return s;
    if (m.vertices.size() > 65535 || m.indices.size() > 65535)
        return makeStatus(
            false, "the mesh of \"%.40s%s\" needs %zu vertices and %zu indices; at most 65535 of each fit",
            text, std::strlen(text) > 40 ? "..." : "", m.vertices.size(), m.indices.size());
    out->vertexCount = static_cast<uint16_t>(m.vertices.size());
    out->indexCount = static_cast<uint16_t>(m.indices.size());
    out->vertices = static_cast<TextVertex*>(arenaReserve(out->vertexCount * sizeof(TextVertex)));
    out->indices = static_cast<uint16_t*>(arenaReserve(out->indexCount * sizeof(uint16_t)));
    if (!m.vertices.empty())
        std::memcpy(out->vertices, m.vertices.data(), m.vertices.size() * sizeof(TextVertex));
    centreLine(out->vertices, out->vertexCount);
    for (size_t i = 0; i < m.indices.size(); i++) out->indices[i] = static_cast<uint16_t>(m.indices[i]);
    return s;
}

// Runs fn with the embedded font opened, and closes it again.
template <typename Fn> TextMeshStatus withFont(Fn fn) {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return makeStatus(false, "%s", "FreeType could not start");
    if (FT_New_Memory_Face(lib, textFontData, static_cast<FT_Long>(textFontSize), 0, &face) != 0) {
        FT_Done_FreeType(lib);
        return makeStatus(false, "%s", "the embedded font cannot be read");
    }
    TextMeshStatus s = fn(face);
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return s;
}

} // namespace

//-----------------------------------------------------------------------------
// Public
//-----------------------------------------------------------------------------

TextMeshStatus buildTextMesh(const char* text, TextMesh* out) {
    return withFont([&](FT_Face face) { return buildWithFace(face, text, out); });
}

TextMeshStatus createTextMeshes(const char* const* lines, int count) {
    if (count > kTextLineCount) count = kTextLineCount;
    textMeshCount = (uint32_t)count;
    return withFont([&](FT_Face face) {
        for (int i = 0; i < count; i++) {
            TextMeshStatus s = buildWithFace(face, lines[i], &textMeshes[i]);
            if (!s.ok) return makeStatus(false, "text line %d: %s", i, s.message);
        }
        return makeStatus(true, "%s", "");
    });
}
