// images_patterns.cpp - checkerboards, the magenta grid, highlight bars, the credits panel and the
// small sprites (red squares and bars, binary digits, green shapes, captions, lattice, yellow bars).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/image-gen/images.h"
#include "tools/image-gen/pixel_font.h"

static const Color kWhite = rgb8(250, 250, 248);
static const Color kLightBlue = rgb8(138, 208, 255);
static const Color kRed = rgb8(226, 38, 52);
static const Color kMagenta = rgb8(255, 46, 206);
static const Color kGreen = rgb8(64, 224, 118);
static const Color kYellow = rgb8(255, 214, 38);

static float clampf(float v, float lo, float hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Lightens (amount > 0) or darkens (amount < 0) a colour, keeping alpha.
static Color shade(Color c, float amount) {
    Color target = amount > 0 ? rgb(1, 1, 1) : rgb(0, 0, 0);
    Color m = mixColor(c, target, std::fabs(amount));
    m.a = c.a;
    return m;
}

// A rounded bar with a soft glow, a lit band near the top and a darker lower edge: every bar's look.
static void glossyBar(Canvas& cv, Rect r, float radius, Color c, float glowAlpha) {
    if (glowAlpha > 0) glowRect(cv, r, (r.y1 - r.y0) * 0.35f, withAlpha(c, glowAlpha));
    float h = r.y1 - r.y0;
    shadeRect(cv, {r.x0 - 1, r.y0 - 1, r.x1 + 1, r.y1 + 1}, [&](float x, float y) {
        float cover = clampf(0.5f - roundRectDistance(r, radius, x, y), 0.0f, 1.0f);
        float t = (y - r.y0) / h;
        float gloss = (t - 0.2f) / 0.09f;
        Color k = shade(c, -0.28f * t * t);
        k = mixColor(k, rgb(1, 1, 1), 0.3f * std::exp(-gloss * gloss));
        return withAlpha(k, c.a * cover);
    });
}

//-----------------------------------------------------------------------------
// 0, 1: red and white checkerboards
//-----------------------------------------------------------------------------

Canvas drawChecker(int squares) {
    Canvas cv = canvasMake(1024, 1024);
    const Color red = rgb8(204, 30, 44), white = rgb8(244, 241, 234);
    float s = 1024.0f / squares, bevel = s / 40.0f;
    for (int j = 0; j < squares; j++)
        for (int i = 0; i < squares; i++) {
            Color c = ((i + j) & 1) ? red : white;
            Rect r{i * s, j * s, (i + 1) * s, (j + 1) * s};
            shadeRect(cv, r, [&](float x, float y) {
                // a gentle top-to-bottom fall-off and a bevel: lit top and left edges, shaded bottom and
                // right
                float t = (y - r.y0) / s;
                Color k = shade(c, -0.08f * t);
                if (x - r.x0 < bevel || y - r.y0 < bevel) k = shade(c, 0.18f);
                if (r.x1 - x < bevel || r.y1 - y < bevel) k = shade(c, -0.22f);
                return k;
            });
        }
    return cv;
}

//-----------------------------------------------------------------------------
// 2, 3: magenta grid lines, 18 x 18 cells
//-----------------------------------------------------------------------------

// Distance in pixels from (x, y) to the nearest grid line of an n x n grid over the image.
static float gridDistance(float x, float y, int n, float size) {
    float pitch = size / n;
    float dx = std::fabs(x - std::round(x / pitch) * pitch);
    float dy = std::fabs(y - std::round(y / pitch) * pitch);
    return std::min(dx, dy);
}

Canvas drawMagentaGrid(bool opaque) {
    Canvas cv = canvasMake(1024, 1024);
    const int n = 18;
    const float pitch = 1024.0f / n;
    if (opaque)
        for (int j = 0; j < n; j++)
            for (int i = 0; i < n; i++) {
                float g = 0.36f + 0.07f * hash2(i, j, 2);
                Rect r{i * pitch, j * pitch, (i + 1) * pitch, (j + 1) * pitch};
                shadeRect(cv, r, [&](float, float y) {
                    float t = (y - r.y0) / pitch;
                    float v = g + 0.06f * (0.5f - t);
                    return rgb(v, v, v * 1.04f);
                });
            }
    shadeRect(cv, {0, 0, 1024, 1024}, [&](float x, float y) {
        float d = gridDistance(x, y, n, 1024.0f);
        float core = clampf(3.5f - d, 0.0f, 1.0f);
        float glow = 0.45f * std::exp(-(d / 7.0f) * (d / 7.0f));
        Color c = mixColor(kMagenta, rgb8(255, 190, 240), clampf(2.0f - d, 0.0f, 1.0f) * 0.6f);
        return withAlpha(c, std::max(core, glow));
    });
    return cv;
}

//-----------------------------------------------------------------------------
// 4..11: light-blue text-line highlight marks
//-----------------------------------------------------------------------------

struct Mark {
    int line;           // text line 0..9
    float start, width; // pixels from the left margin
};

Canvas drawHighlightBars(int variant) {
    static const Mark kPatterns[8][7] = {
        {{0, 0, 620}, {1, 0, 780}, {2, 0, 540}, {3, 0, 700}, {4, 0, 460}, {5, 0, 820}, {6, 0, 300}},
        {{2, 0, 700}},
        {{4, 0, 180}},
        {{1, 0, 640}, {3, 0, 520}},
        {{0, 0, 560}, {2, 0, 720}, {4, 0, 380}},
        {{1, 120, 680}, {2, 120, 300}, {5, 0, 610}},
        {{3, 0, 760}, {4, 0, 590}, {6, 240, 200}},
        {{6, 420, 240}},
    };
    static const int kCounts[8] = {7, 1, 1, 2, 3, 3, 3, 1};
    Canvas cv = canvasMake(1024, 1024);
    const float left = 96, top = 196, pitch = 88, height = 56;
    for (int k = 0; k < kCounts[variant]; k++) {
        const Mark& m = kPatterns[variant][k];
        Rect r{left + m.start, top + m.line * pitch, left + m.start + m.width, top + m.line * pitch + height};
        glossyBar(cv, r, 14, withAlpha(kLightBlue, 0.9f), 0.22f);
    }
    return cv;
}

//-----------------------------------------------------------------------------
// 12: framed credits panel
//-----------------------------------------------------------------------------

Canvas drawCreditsPanel() {
    Canvas cv = canvasMake(1024, 1024);
    shadeRect(cv, {0, 0, 1024, 1024}, [](float x, float y) {
        float t = y / 1024.0f;
        float v = 1.0f - 0.45f * std::hypot(x / 1024.0f - 0.5f, y / 1024.0f - 0.4f);
        Color c = mixColor(rgb8(16, 30, 92), rgb8(5, 9, 40), t);
        c = mixColor(rgb(0, 0, 0), c, v);
        if (static_cast<int>(y) % 4 >= 2) c = shade(c, -0.12f); // faint scan lines
        return c;
    });
    const Color frame = rgb8(120, 182, 255);
    strokeRoundRect(cv, {40, 40, 984, 984}, 28, 8, frame);
    strokeRoundRect(cv, {60, 60, 964, 964}, 14, 2, withAlpha(frame, 0.7f));
    for (Point p : {Point{60, 60}, Point{964, 60}, Point{60, 964}, Point{964, 964}})
        fillRect(cv, {p.x - 10, p.y - 10, p.x + 10, p.y + 10}, rgb8(210, 232, 255));

    TextStyle title{18, 0, kWhite, withAlpha(rgb8(40, 110, 255), 0.9f), 6};
    const char* heading = "CREDITS";
    drawText(cv, 512 - textWidth(heading, 18) * 0.5f, 136, heading, title);
    fillRect(cv, {140, 320, 884, 326}, withAlpha(frame, 0.85f));

    struct Line {
        const char* role;
        const char* handle;
    };
    const Line lines[3] = {{"CODE", kCoderHandle}, {"MUSIC", kMusicianHandle}, {"DESIGN", kCoderHandle}};
    TextStyle body{8, 0.5f, kWhite, withAlpha(rgb8(20, 60, 170), 0.9f), 4};
    for (int i = 0; i < 3; i++) {
        float y = 410 + i * 150;
        drawText(cv, 140, y, lines[i].role, body);
        float hx = 884 - textWidth(lines[i].handle, 8);
        drawText(cv, hx, y, lines[i].handle, body);
        float from = 140 + textWidth(lines[i].role, 8) + 24;
        for (float x = from; x < hx - 24; x += 24)
            fillRect(cv, {x, y + 48, x + 8, y + 56}, withAlpha(frame, 0.8f));
    }
    TextStyle small{4, 0, rgb8(150, 196, 255), rgba(0, 0, 0, 0), 0};
    const char* footer = "QZ001  -  PROD 01-PINWHEEL";
    drawText(cv, 512 - textWidth(footer, 4) * 0.5f, 880, footer, small);
    return cv;
}

//-----------------------------------------------------------------------------
// 13, 23, 24: red sprites
//-----------------------------------------------------------------------------

Canvas drawRedSquares() {
    Canvas cv = canvasMake(256, 256);
    const float margin = 16, size = 66, gap = 13;
    for (int j = 0; j < 3; j++)
        for (int i = 0; i < 3; i++) {
            float x = margin + i * (size + gap), y = margin + j * (size + gap);
            float w = (i == 2 && j == 2) ? size * 0.45f : size;
            glossyBar(cv, {x, y, x + w, y + size}, 7, kRed, 0.0f);
        }
    return cv;
}

Canvas drawRedBars() {
    Canvas cv = canvasMake(256, 256);
    const float height = 24, gap = 14, top = (256 - (6 * height + 5 * gap)) * 0.5f;
    for (int k = 0; k < 6; k++) {
        float y = top + k * (height + gap);
        glossyBar(cv, {20, y, 236, y + height}, 5, kRed, 0.0f);
    }
    return cv;
}

Canvas drawBinaryDigits() {
    Canvas cv = canvasMake(256, 256);
    glossyBar(cv, {16, 16, 240, 50}, 6, kRed, 0.0f);
    const int rows = 7, cols = 12;
    const float scale = 3, x0 = 21, y0 = 66;
    for (int r = 0; r < rows; r++) {
        char digits[cols + 1];
        for (int c = 0; c < cols; c++) digits[c] = hash2(c, r, 24) < 0.5f ? '0' : '1';
        digits[cols] = 0;
        float fade = r / static_cast<float>(rows - 1);
        Color c = mixColor(kRed, rgb8(10, 0, 0), fade);
        drawTextShaded(cv, x0, y0 + r * 26, digits, scale, 0.0f, [&](int, int) { return c; });
    }
    return cv;
}

//-----------------------------------------------------------------------------
// 25, 26: green sprites
//-----------------------------------------------------------------------------

Canvas drawGreenSquare() {
    Canvas cv = canvasMake(256, 256);
    Rect r{16, 16, 240, 240};
    fillRoundRect(cv, r, 14, kGreen);
    shadeRect(cv, {16, 16, 240, 240}, [&](float x, float y) {
        float t = (y - 16) / 224.0f;
        float inside = (x > 17 && x < 239) ? 1.0f : 0.0f;
        return withAlpha(rgb8(12, 110, 48), 0.45f * t * inside);
    });
    strokeRoundRect(cv, {22, 22, 234, 234}, 9, 3, withAlpha(rgb(1, 1, 1), 0.35f));
    return cv;
}

Canvas drawGreenBars() {
    Canvas cv = canvasMake(256, 256);
    glossyBar(cv, {60, 20, 108, 236}, 8, kGreen, 0.0f);
    glossyBar(cv, {148, 20, 196, 236}, 8, kGreen, 0.0f);
    return cv;
}

//-----------------------------------------------------------------------------
// 27, 28, 29, 30: captions, lattice, yellow bars
//-----------------------------------------------------------------------------

Canvas drawCaptions() {
    Canvas cv = canvasMake(1024, 1024);
    static const char* kLines[] = {
        "PROD 01-PINWHEEL", "A REAL-TIME SHOW",  "FORTY CUBES,",   "ONE CLOCK.",
        "EVERY FRAME IS",   "BUILT AT START-UP", "CODE  QUILLBIT", "MUSIC MOSSGRAIN",
    };
    TextStyle style{6, 0, kWhite, rgba(0.02f, 0.02f, 0.08f, 0.7f), 4};
    for (int i = 0; i < 8; i++) {
        float y = 112 + i * 104 + (i >= 6 ? 24 : 0);
        TextStyle s = style;
        if (i == 0) s.scale = 8;
        drawText(cv, 72, y, kLines[i], s);
    }
    return cv;
}

Canvas drawLattice() {
    Canvas cv = canvasMake(1024, 1024);
    const float pitch = 128;
    shadeRect(cv, {0, 0, 1024, 1024}, [&](float x, float y) {
        // diagonal lines x + y = k p and x - y = k p, 45 degrees, so distances scale by 1/sqrt 2
        float u = x + y, v = x - y;
        float du = std::fabs(u - std::round(u / pitch) * pitch) * 0.70710678f;
        float dv = std::fabs(v - std::round(v / pitch) * pitch) * 0.70710678f;
        float d = std::min(du, dv);
        float core = clampf(2.0f - d, 0.0f, 1.0f);
        float glow = 0.3f * std::exp(-(d / 5.0f) * (d / 5.0f));
        float knot = 0.0f;
        if (du < 8 && dv < 8) knot = clampf(6.5f - std::hypot(du, dv), 0.0f, 1.0f);
        return withAlpha(kWhite, std::max({core, glow, knot}));
    });
    return cv;
}

Canvas drawYellowBar(float top) {
    Canvas cv = canvasMake(1024, 1024);
    glossyBar(cv, {64, top, 600, top + 72}, 16, kYellow, 0.25f);
    return cv;
}
