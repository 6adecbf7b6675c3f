// images_floppy.cpp - the front (label) and back (hub) faces of a blue 3.5-inch floppy disk, each
// also mirrored. The disk fills the square; the chamfered corner, the two corner holes and the
// shutter flip with the face, the label text never does.
#include <cmath>
#include <cstdio>

#include "tools/image-gen/images.h"
#include "tools/image-gen/pixel_font.h"

namespace {

const Color kBody = rgb8(34, 88, 184);
const Color kBodyEdge = rgb8(14, 40, 96);
const Color kRecess = rgb8(24, 66, 146);
const Color kInk = rgb8(22, 34, 96);

// Maps the disk's drawing coordinates to the image: mirrored faces flip x.
struct Face {
    bool flip;
    float x(float v) const { return flip ? 1024.0f - v : v; }
    Rect rect(Rect r) const { return flip ? Rect{1024.0f - r.x1, r.y0, 1024.0f - r.x0, r.y1} : r; }
};

// The outline of the disk inset by `inset`: rounded corners, the top-right corner cut off.
std::vector<Point> bodyOutline(const Face& f, float inset) {
    const float lo = 6 + inset, hi = 1018 - inset, radius = 22 - inset * 0.5f, cut = 64 - inset * 0.4f;
    std::vector<Point> pts;
    auto arc = [&](float cx, float cy, float a0) {
        for (int k = 0; k <= 8; k++) {
            float a = a0 + k * (3.14159265f * 0.5f) / 8;
            pts.push_back({f.x(cx + radius * std::cos(a)), cy + radius * std::sin(a)});
        }
    };
    arc(lo + radius, lo + radius, 3.14159265f); // top-left
    pts.push_back({f.x(hi - cut), lo});         // chamfer
    pts.push_back({f.x(hi), lo + cut});
    arc(hi - radius, hi - radius, 0.0f);               // bottom-right
    arc(lo + radius, hi - radius, 3.14159265f * 0.5f); // bottom-left
    return pts;
}

void drawBody(Canvas& cv, const Face& f) {
    fillRect(cv, {0, 0, 1024, 1024}, rgb8(6, 8, 14));
    fillPolygon(cv, bodyOutline(f, 0), kBodyEdge);
    fillPolygon(cv, bodyOutline(f, 3), mixColor(kBody, rgb(1, 1, 1), 0.25f));
    fillPolygonShaded(cv, bodyOutline(f, 7), [](float x, float y) {
        float t = y / 1024.0f, s = x / 1024.0f;
        Color c = mixColor(kBody, kBodyEdge, 0.05f + 0.25f * t * t);
        return mixColor(c, rgb(1, 1, 1), 0.06f * (1.0f - s) * (1.0f - t));
    });
}

// The metal shutter over the disk window, brushed horizontally.
void drawShutter(Canvas& cv, const Face& f, Rect shutter, Rect window) {
    Rect travel = f.rect({shutter.x0 - 16, 0, 884, shutter.y1 + 16});
    fillRoundRect(cv, {travel.x0, -20, travel.x1, travel.y1}, 10, kRecess);
    Rect s = f.rect(shutter);
    glowRect(cv, {s.x0 + 4, s.y0, s.x1 + 4, s.y1 + 6}, 6, rgba(0, 0, 0.1f, 0.5f));
    shadeRect(cv, s, [&](float, float y) {
        float t = (y - s.y0) / (s.y1 - s.y0);
        float v = 0.84f - 0.22f * t + 0.03f * (hash2(0, static_cast<int>(y), 15) - 0.5f);
        return rgb(v, v * 1.01f, v * 1.05f);
    });
    fillRect(cv, {s.x0, s.y0, s.x0 + 3, s.y1}, rgba(1, 1, 1, 0.5f));
    fillRect(cv, {s.x1 - 3, s.y0, s.x1, s.y1}, rgba(0, 0, 0, 0.35f));
    fillRect(cv, {s.x0, s.y1 - 3, s.x1, s.y1}, rgba(0, 0, 0, 0.35f));
    Rect w = f.rect(window);
    fillRoundRect(cv, {w.x0 - 3, w.y0 - 3, w.x1 + 3, w.y1 + 3}, 10, rgb8(90, 94, 104));
    shadeRect(cv, w, [&](float x, float y) {
        float d = roundRectDistance(w, 8, x, y);
        float cover = std::fmin(std::fmax(0.5f - d, 0.0f), 1.0f);
        float t = (y - w.y0) / (w.y1 - w.y0);
        Color c = mixColor(rgb8(92, 64, 44), rgb8(34, 24, 20), t);
        return withAlpha(c, cover);
    });
}

// Write-protect window (with its slider) and the high-density hole, in the two bottom corners.
// They go through the disk, so the back face shows them swapped, as `f` flips it.
void drawCornerHoles(Canvas& cv, const Face& f) {
    Rect wp = f.rect({52, 890, 106, 962});
    Rect hd = f.rect({918, 890, 972, 962});
    fillRoundRect(cv, wp, 5, rgb8(8, 10, 16));
    fillRoundRect(cv, {wp.x0 + 6, wp.y0 + 6, wp.x1 - 6, wp.y0 + 34}, 3, rgb8(70, 80, 100));
    fillRoundRect(cv, hd, 5, rgb8(8, 10, 16));
}

void drawArrow(Canvas& cv, const Face& f, float cx, float cy) {
    std::vector<Point> tri = {{f.x(cx), cy - 22}, {f.x(cx - 20), cy + 14}, {f.x(cx + 20), cy + 14}};
    fillPolygon(cv, tri, mixColor(kBody, rgb(1, 1, 1), 0.3f));
}

void drawLabel(Canvas& cv, const Face& f, int diskNumber) {
    Rect recess = f.rect({112, 440, 912, 1010});
    fillRoundRect(cv, recess, 18, kRecess);
    Rect label = f.rect({128, 456, 896, 1002});
    glowRect(cv, label, 4, rgba(0, 0, 0.1f, 0.4f));
    shadeRect(cv, label, [&](float, float y) {
        return mixColor(rgb8(250, 247, 238), rgb8(232, 226, 212), (y - label.y0) / (label.y1 - label.y0));
    });
    fillRect(cv, {label.x0, label.y0, label.x1, label.y0 + 56}, rgb8(236, 112, 36));
    fillRect(cv, {label.x0, label.y0 + 56, label.x1, label.y0 + 62}, rgb8(40, 40, 52));
    TextStyle tag{5, 0, rgb(1, 1, 1), rgba(0.4f, 0.1f, 0, 0.6f), 3};
    drawText(cv, label.x0 + 28, label.y0 + 12, "HD  1.44 MB", tag);
    drawText(cv, label.x1 - 28 - textWidth("3.5", 5), label.y0 + 12, "3.5", tag);
    for (int k = 0; k < 4; k++) {
        float y = 700 + k * 80.0f;
        fillRect(cv, {label.x0 + 32, y, label.x1 - 32, y + 2}, rgb8(150, 190, 230));
    }
    TextStyle ink{11, 0.8f, kInk, rgba(0, 0, 0, 0), 0};
    drawText(cv, label.x0 + 40, 560, "PINWHEEL", ink);
    char disk[32];
    std::snprintf(disk, sizeof disk, "DISK %d OF 2", diskNumber);
    TextStyle pen{5, 0.4f, rgb8(40, 60, 150), rgba(0, 0, 0, 0), 0};
    drawText(cv, label.x0 + 44, 664, disk, pen);
    drawText(cv, label.x0 + 44, 740, diskNumber == 1 ? "SHOW + SCENES" : "MUSIC + IMAGES", pen);
    drawText(cv, label.x0 + 44, 820, "QZ001", pen);
    fillRect(cv, {label.x0 + 40, 648, label.x0 + 40 + textWidth("PINWHEEL", 11), 652}, rgb8(206, 44, 54));
}

// The metal hub: spindle hole, drive-pin hole, and a plastic ring around it.
void drawHub(Canvas& cv, const Face& f) {
    Point c{512, 612};
    fillCircle(cv, c, 176, kRecess);
    fillRing(cv, c, 166, 176, rgb8(20, 56, 128));
    shadeRect(cv, {c.x - 152, c.y - 152, c.x + 152, c.y + 152}, [&](float x, float y) {
        float dx = x - c.x, dy = y - c.y, r = std::hypot(dx, dy);
        float cover = std::fmin(std::fmax(150.5f - r, 0.0f), 1.0f);
        float a = std::atan2(dy, dx);
        float v = 0.68f + 0.16f * std::cos(2.0f * a + 0.6f) + 0.05f * std::cos(6.0f * a);
        if (r > 140) v -= 0.12f;
        return withAlpha(rgb(v, v * 1.01f, v * 1.05f), cover);
    });
    fillRing(cv, c, 98, 102, rgba(0, 0, 0, 0.18f));
    fillRoundRect(cv, {c.x - 34, c.y - 34, c.x + 34, c.y + 34}, 6, rgb8(10, 12, 18));
    Rect pin = f.rect({c.x + 62, c.y - 44, c.x + 90, c.y + 14});
    fillRoundRect(cv, pin, 5, rgb8(10, 12, 18));
}

} // namespace

Canvas drawFloppy(bool back, bool mirrored, int diskNumber) {
    Canvas cv = canvasMake(1024, 1024);
    Face f{mirrored != back};
    drawBody(cv, f);
    drawShutter(cv, f, {252, 6, 700, 372}, {414, 56, 540, 308});
    drawCornerHoles(cv, f);
    if (!back) {
        drawArrow(cv, f, 96, 84);
        drawLabel(cv, Face{mirrored}, diskNumber);
    } else {
        drawHub(cv, f);
        TextStyle emboss{4, 0, mixColor(kBody, rgb(1, 1, 1), 0.22f), rgba(0, 0, 0.1f, 0.35f), 2};
        drawText(cv, 512 - textWidth("QZ001 - 2HD", 4) * 0.5f, 900, "QZ001 - 2HD", emboss);
        drawArrow(cv, f, 96, 84);
    }
    return cv;
}
