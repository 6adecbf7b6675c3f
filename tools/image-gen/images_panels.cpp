// images_panels.cpp - white zig-zag-edged shapes over blue-violet panels (14, 19, 22) and the
// panel pieces with white rectangles (20).
#include <cmath>

#include "tools/image-gen/images.h"

static const Color kVioletA = rgb8(74, 60, 212);
static const Color kVioletB = rgb8(128, 56, 226);
static const Color kPaper = rgb8(252, 251, 255);

// A blue-violet panel with a soft drop shadow, a diagonal gradient and a lit rim.
static void violetPanel(Canvas& cv, Rect r, float radius) {
    glowRect(cv, {r.x0 + 10, r.y0 + 14, r.x1 + 10, r.y1 + 14}, 14, rgba(0.02f, 0.0f, 0.08f, 0.45f));
    float span = (r.x1 - r.x0) + (r.y1 - r.y0);
    shadeRect(cv, {r.x0 - 1, r.y0 - 1, r.x1 + 1, r.y1 + 1}, [&](float x, float y) {
        float d = roundRectDistance(r, radius, x, y);
        float cover = std::fmin(std::fmax(0.5f - d, 0.0f), 1.0f);
        float t = ((x - r.x0) + (y - r.y0)) / span;
        Color c = mixColor(kVioletA, kVioletB, t);
        if (d > -5.0f) c = mixColor(c, rgb8(190, 170, 255), 0.45f); // rim
        return withAlpha(c, cover);
    });
}

// Points along a zig-zag from a to b with `teeth` teeth of `depth` pixels, offset along `normal`.
static void zigzag(std::vector<Point>& pts, Point a, Point b, int teeth, float depth, Point normal) {
    for (int k = 0; k < teeth * 2; k++) {
        float t = k / (teeth * 2.0f);
        float off = (k & 1) ? depth : 0.0f;
        pts.push_back({a.x + (b.x - a.x) * t + normal.x * off, a.y + (b.y - a.y) * t + normal.y * off});
    }
}

// A white shape with zig-zag top and bottom edges (and sides when `sideTeeth` > 0), with a shadow.
static void zigzagShape(Canvas& cv, Rect r, int teeth, float depth, int sideTeeth) {
    std::vector<Point> pts;
    zigzag(pts, {r.x0, r.y0}, {r.x1, r.y0}, teeth, depth, {0, 1});
    if (sideTeeth > 0)
        zigzag(pts, {r.x1, r.y0}, {r.x1, r.y1}, sideTeeth, depth, {-1, 0});
    else
        pts.push_back({r.x1, r.y0});
    zigzag(pts, {r.x1, r.y1}, {r.x0, r.y1}, teeth, depth, {0, -1});
    if (sideTeeth > 0)
        zigzag(pts, {r.x0, r.y1}, {r.x0, r.y0}, sideTeeth, depth, {1, 0});
    else
        pts.push_back({r.x0, r.y1});
    std::vector<Point> shadow = pts;
    for (Point& p : shadow) p.x += 10, p.y += 12;
    fillPolygon(cv, shadow, rgba(0.12f, 0.02f, 0.3f, 0.45f));
    fillPolygonShaded(cv, pts, [&](float, float y) {
        return mixColor(kPaper, rgb8(222, 218, 246), (y - r.y0) / (r.y1 - r.y0));
    });
}

// A white rectangle with its shadow; a block that spans the whole panel casts none past its end.
static void whiteBlock(Canvas& cv, Rect r, bool spansPanel = false) {
    float shadowEnd = spansPanel ? r.y1 : r.y1 + 8;
    fillRect(cv, {r.x0 + 6, r.y0 + 8, r.x1 + 6, shadowEnd}, rgba(0.12f, 0.02f, 0.3f, 0.45f));
    shadeRect(cv, r, [&](float, float y) {
        return mixColor(kPaper, rgb8(222, 218, 246), (y - r.y0) / (r.y1 - r.y0));
    });
}

Canvas drawZigzagPanel(int variant) {
    Canvas cv = canvasMake(1024, 1024);
    if (variant == 0) {
        violetPanel(cv, {80, 176, 944, 848}, 28);
        zigzagShape(cv, {176, 380, 848, 644}, 12, 36, 0);
    } else if (variant == 1) {
        violetPanel(cv, {48, 96, 976, 928}, 32);
        zigzagShape(cv, {120, 232, 904, 792}, 14, 26, 10);
    } else {
        violetPanel(cv, {80, 176, 944, 848}, 28);
        zigzagShape(cv, {160, 392, 624, 632}, 8, 32, 0);
        whiteBlock(cv, {712, 176, 784, 848}, true);
    }
    return cv;
}

Canvas drawPanelPieces() {
    Canvas cv = canvasMake(1024, 1024);
    violetPanel(cv, {64, 80, 488, 408}, 20);
    whiteBlock(cv, {112, 136, 440, 184});
    whiteBlock(cv, {112, 224, 360, 264});
    whiteBlock(cv, {112, 304, 400, 344});

    violetPanel(cv, {552, 144, 960, 472}, 20);
    whiteBlock(cv, {600, 192, 912, 424});
    violetPanel(cv, {648, 240, 864, 376}, 12);

    violetPanel(cv, {96, 536, 440, 936}, 20);
    for (int k = 0; k < 3; k++) whiteBlock(cv, {144.0f + k * 96, 600, 208.0f + k * 96, 664});
    whiteBlock(cv, {144, 728, 400, 872});

    violetPanel(cv, {520, 568, 960, 888}, 20);
    whiteBlock(cv, {568, 616, 912, 672});
    whiteBlock(cv, {568, 728, 680, 840});
    whiteBlock(cv, {728, 728, 912, 760});
    whiteBlock(cv, {728, 800, 848, 832});
    return cv;
}
