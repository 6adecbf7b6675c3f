// cmd_mesh_sheet.cpp - `mesh-sheet`: every GPU mesh in one picture, each under its name.
//
//     qz001-tool mesh-sheet --out docs/meshes.png
//
// The 18 text meshes (three rows) and the 40 program meshes (five rows), eight to a row in GPU mesh
// order, each labelled with its number and its name in data/draw_names.h. Meshes are drawn on the
// CPU, so the sheet needs no GPU and is the same on every machine: flat-shaded triangles, seen
// orthographically from above and to the right, fitted to their cell and supersampled three times.
// Faces seen from behind (the inside of an open mesh) are blue. Labels are set by FreeType in the
// text meshes' own font.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ft2build.h>
#include <string>
#include <vector>
#include FT_FREETYPE_H

#include "base/arena.h"
#include "data/draw_names.h"
#include "data/mesh_programs.h"
#include "data/text_lines.h"
#include "mesh/mesh_program.h"
#include "tools/image-gen/canvas.h"
#include "tools/qz001-tool/tool.h"

namespace {

constexpr int kColumns = 8;
constexpr int kCellWidth = 208, kCellHeight = 150;
constexpr int kLabelHeight = 22;
constexpr int kGap = 6;
constexpr int kSuper = 3;                   // samples per pixel along each axis
constexpr int kFirstProgramRow = 3;         // the text meshes fill rows 0..2
constexpr int kRows = kFirstProgramRow + 5; // 40 programs, eight to a row
constexpr float kLabelPixels = 14;          // label height, pixels a em
constexpr EnumNames kMeshNames = readEnumNames(GpuMeshIdText);
constexpr int kMeshCount = kMeshNames.last + 1;
static_assert(kMeshNames.ok && kMeshCount == kGpuMeshFirstProgram + kMeshProgramCount);

struct Triangles {
    std::vector<Vec3> corners; // three a triangle, wound so that the cross product points out
};

// The quads of program k's mesh, two triangles each (a quad's corners run clockwise seen from
// outside); false (with the error printed) if the program fails.
bool programTriangles(uint32_t k, Triangles& out) {
    clearMesh(quadMesh);
    UnpackResult r = unpacko(meshPrograms[k], quadMesh);
    if (r.error != MeshError::none) {
        toolError("mesh program %u, operation %u: %s", k, r.opIndex, meshErrorText(r.error));
        return false;
    }
    for (uint32_t q = 0; q < quadMesh.quadCount; q++) {
        const uint32_t* c = quadMesh.quads[q];
        for (int i : {0, 2, 1, 0, 3, 2}) out.corners.push_back(quadMesh.positions[c[i]]);
    }
    return true;
}

void textTriangles(int k, Triangles& out) {
    const TextMesh& m = textMeshes[k];
    for (uint32_t i = 0; i < m.indexCount; i++) {
        const TextVertex& v = m.vertices[m.indices[i]];
        out.corners.push_back({v.px, v.py, v.pz});
    }
}

// The view: turned `yaw` about y, then tilted `pitch` about x; x right, y up, z away from the eye.
Vec3 viewOf(Vec3 p, float yaw, float pitch) {
    const float cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
    const Vec3 t = {cy * p.x + sy * p.z, p.y, -sy * p.x + cy * p.z};
    return {t.x, cp * t.y + sp * t.z, -sp * t.y + cp * t.z};
}

// Flat shade of a triangle with view-space corners a, b, c: its colour, lit from the upper left.
Color shadeOf(Vec3 a, Vec3 b, Vec3 c) {
    const Vec3 u = {b.x - a.x, b.y - a.y, b.z - a.z}, v = {c.x - a.x, c.y - a.y, c.z - a.z};
    Vec3 n = {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length == 0) return rgb(0, 0, 0);
    const bool back = n.z > 0; // the outward normal points away from the eye
    const float s = back ? -1 / length : 1 / length;
    const float light = std::max(0.0f, (-0.45f * n.x + 0.6f * n.y - 0.66f * n.z) * s);
    const float k = 0.28f + 0.72f * light;
    return back ? rgb(0.30f * k, 0.42f * k, 0.75f * k) : rgb(0.92f * k, 0.86f * k, 0.74f * k);
}

// One cell drawn kSuper times larger than it shows: colour and depth (nearer is smaller).
struct CellImage {
    static constexpr int w = kCellWidth * kSuper, h = kCellHeight * kSuper;
    std::vector<Color> colour = std::vector<Color>((size_t)w * h, rgb8(34, 36, 44));
    std::vector<float> depth = std::vector<float>((size_t)w * h, 1e30f);
};

// Fills the triangle with screen corners (px, py) and view-space corners v with one shade, depth-tested.
void fillTriangle(CellImage& cell, const float px[3], const float py[3], const Vec3* v) {
    const float area = (px[1] - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (py[1] - py[0]);
    if (area == 0) return;
    const Color shade = shadeOf(v[0], v[1], v[2]);
    const int xa = std::max(0, (int)std::floor(std::min({px[0], px[1], px[2]})));
    const int xb = std::min(cell.w - 1, (int)std::ceil(std::max({px[0], px[1], px[2]})));
    const int ya = std::max(0, (int)std::floor(std::min({py[0], py[1], py[2]})));
    const int yb = std::min(cell.h - 1, (int)std::ceil(std::max({py[0], py[1], py[2]})));
    for (int y = ya; y <= yb; y++)
        for (int x = xa; x <= xb; x++) {
            const float sx = x + 0.5f, sy = y + 0.5f;
            const float b0 = ((px[1] - sx) * (py[2] - sy) - (px[2] - sx) * (py[1] - sy)) / area;
            const float b1 = ((px[2] - sx) * (py[0] - sy) - (px[0] - sx) * (py[2] - sy)) / area;
            const float b2 = 1 - b0 - b1;
            if (b0 < 0 || b1 < 0 || b2 < 0) continue;
            const float z = b0 * v[0].z + b1 * v[1].z + b2 * v[2].z;
            const size_t at = (size_t)y * cell.w + x;
            if (z >= cell.depth[at]) continue;
            cell.depth[at] = z;
            cell.colour[at] = shade;
        }
}

// Draws the triangles, fitted to the cell, and box-filters them into `sheet` at (x0, y0).
void drawSheetMesh(Canvas& sheet, int x0, int y0, const Triangles& t, float yaw, float pitch) {
    std::vector<Vec3> view(t.corners.size());
    float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
    for (size_t i = 0; i < view.size(); i++) {
        view[i] = viewOf(t.corners[i], yaw, pitch);
        lo[0] = std::min(lo[0], view[i].x), hi[0] = std::max(hi[0], view[i].x);
        lo[1] = std::min(lo[1], view[i].y), hi[1] = std::max(hi[1], view[i].y);
    }
    CellImage cell;
    const float fit =
        0.88f * std::min(cell.w / std::max(hi[0] - lo[0], 1e-6f), cell.h / std::max(hi[1] - lo[1], 1e-6f));
    const float cx = 0.5f * (lo[0] + hi[0]), cy = 0.5f * (lo[1] + hi[1]);
    for (size_t i = 0; i + 2 < view.size(); i += 3) {
        float px[3], py[3];
        for (int j = 0; j < 3; j++) {
            px[j] = cell.w * 0.5f + (view[i + j].x - cx) * fit;
            py[j] = cell.h * 0.5f - (view[i + j].y - cy) * fit;
        }
        fillTriangle(cell, px, py, &view[i]);
    }
    for (int y = 0; y < kCellHeight; y++)
        for (int x = 0; x < kCellWidth; x++) {
            float sum[3] = {0, 0, 0};
            for (int j = 0; j < kSuper * kSuper; j++) {
                const Color& c =
                    cell.colour[(size_t)(y * kSuper + j / kSuper) * cell.w + x * kSuper + j % kSuper];
                sum[0] += c.r, sum[1] += c.g, sum[2] += c.b;
            }
            const float n = kSuper * kSuper;
            setPixel(sheet, x0 + x, y0 + y, rgb(sum[0] / n, sum[1] / n, sum[2] / n));
        }
}

// Sets `text` with its baseline at (x, y) in the text meshes' font.
void drawLabel(Canvas& sheet, FT_Face face, int x, int y, const char* text, Color c) {
    for (const char* p = text; *p; p++) {
        if (FT_Load_Char(face, (unsigned char)*p, FT_LOAD_RENDER)) continue;
        const FT_GlyphSlot g = face->glyph;
        for (unsigned row = 0; row < g->bitmap.rows; row++)
            for (unsigned col = 0; col < g->bitmap.width; col++) {
                const float coverage = g->bitmap.buffer[row * g->bitmap.pitch + col] / 255.0f;
                const int px = x + g->bitmap_left + (int)col, py = y - g->bitmap_top + (int)row;
                if (coverage > 0 && px >= 0 && py >= 0 && px < sheet.width && py < sheet.height)
                    blendPixel(sheet, px, py, c, coverage);
            }
        x += (int)(g->advance.x >> 6);
    }
}

// Draws mesh `id` into its cell with its label.
bool drawCell(Canvas& sheet, FT_Face face, int id) {
    const bool text = id < kGpuMeshFirstProgram;
    const int slot = text ? id : kFirstProgramRow * kColumns + id - kGpuMeshFirstProgram;
    const int x0 = kGap + (slot % kColumns) * (kCellWidth + kGap);
    const int y0 = kGap + (slot / kColumns) * (kCellHeight + kLabelHeight + kGap);
    Triangles t;
    if (text) {
        textTriangles(id, t);
        drawSheetMesh(sheet, x0, y0, t, -0.35f, 0.25f);
    } else {
        if (!programTriangles(uint32_t(id - kGpuMeshFirstProgram), t)) return false;
        drawSheetMesh(sheet, x0, y0, t, 0.75f, 0.45f);
    }
    char label[64];
    std::snprintf(label, sizeof label, "%d %s", id, enumName(kMeshNames, id));
    drawLabel(sheet, face, x0 + 2, y0 + kCellHeight + 16, label, rgb8(220, 220, 228));
    return true;
}

int runMeshSheet(const std::string& out) {
    arenaInit();
    TextMeshStatus s = createTextMeshes(textStrings, kTextLineCount);
    if (!s.ok) return toolError("%s", s.message);
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) ||
        FT_New_Memory_Face(library, textFontData, (FT_Long)textFontSize, 0, &face))
        return toolError("the embedded font cannot be read by FreeType");
    FT_Set_Pixel_Sizes(face, 0, (FT_UInt)kLabelPixels);
    Canvas sheet =
        canvasMake(kGap + kColumns * (kCellWidth + kGap), kGap + kRows * (kCellHeight + kLabelHeight + kGap));
    fillRect(sheet, {0, 0, (float)sheet.width, (float)sheet.height}, rgb8(18, 18, 24));
    bool ok = true;
    for (int id = 0; id < kMeshCount && ok; id++) ok = drawCell(sheet, face, id);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!ok) return 1;
    std::vector<uint8_t> bytes = canvasToBytes(sheet, 4);
    OutputTarget target;
    if (!openToolOutput(out, target)) return 1;
    const bool written = writePngTarget(target, sheet.width, sheet.height, bytes.data());
    closeOutputTarget(target);
    return written ? 0 : 1;
}

} // namespace

void addMeshSheetCommands(CLI::App& app, ToolCommands& commands) {
    static std::string out;
    CLI::App* sheet =
        app.add_subcommand("mesh-sheet", "Draw every GPU mesh, labelled with its name, into one PNG");
    sheet->add_option("--out", out, "PNG file to write (docs/meshes.png)")->required();
    addToolCommand(commands, sheet, [] { return runMeshSheet(out); });
}
