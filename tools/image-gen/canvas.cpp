// canvas.cpp - coverage-based shape drawing, compositing and noise for the image generator.
#include "tools/image-gen/canvas.h"

#include <algorithm>
#include <cmath>

//-----------------------------------------------------------------------------
// Colours and pixels
//-----------------------------------------------------------------------------

Color mixColor(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Color withAlpha(Color c, float a) {
    return {c.r, c.g, c.b, a};
}

Canvas canvasMake(int width, int height) {
    Canvas cv;
    cv.width = width;
    cv.height = height;
    cv.px.assign(static_cast<size_t>(width) * height * 4, 0.0f);
    return cv;
}

void blendPixel(Canvas& cv, int x, int y, Color c, float coverage) {
    if (x < 0 || y < 0 || x >= cv.width || y >= cv.height || coverage <= 0.0f) return;
    float a = c.a * std::min(coverage, 1.0f);
    float* p = &cv.px[(static_cast<size_t>(y) * cv.width + x) * 4];
    float k = 1.0f - a;
    p[0] = c.r * a + p[0] * k;
    p[1] = c.g * a + p[1] * k;
    p[2] = c.b * a + p[2] * k;
    p[3] = a + p[3] * k;
}

void setPixel(Canvas& cv, int x, int y, Color c) {
    if (x < 0 || y < 0 || x >= cv.width || y >= cv.height) return;
    float* p = &cv.px[(static_cast<size_t>(y) * cv.width + x) * 4];
    p[0] = c.r * c.a;
    p[1] = c.g * c.a;
    p[2] = c.b * c.a;
    p[3] = c.a;
}

Color getPixel(const Canvas& cv, int x, int y) {
    const float* p = &cv.px[(static_cast<size_t>(y) * cv.width + x) * 4];
    if (p[3] <= 0.0f) return {0, 0, 0, 0};
    return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

static float clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// Integer pixel range [lo, hi) touched by the span [a, b), clipped to [0, limit).
static void pixelSpan(float a, float b, int limit, int& lo, int& hi) {
    lo = std::max(0, static_cast<int>(std::floor(a)));
    hi = std::min(limit, static_cast<int>(std::ceil(b)));
}

//-----------------------------------------------------------------------------
// Shapes
//-----------------------------------------------------------------------------

void fillRect(Canvas& cv, Rect r, Color c) {
    int x0, x1, y0, y1;
    pixelSpan(r.x0, r.x1, cv.width, x0, x1);
    pixelSpan(r.y0, r.y1, cv.height, y0, y1);
    for (int y = y0; y < y1; y++) {
        float cy = std::min(r.y1, y + 1.0f) - std::max(r.y0, static_cast<float>(y));
        for (int x = x0; x < x1; x++) {
            float cx = std::min(r.x1, x + 1.0f) - std::max(r.x0, static_cast<float>(x));
            blendPixel(cv, x, y, c, clamp01(cx) * clamp01(cy));
        }
    }
}

// Signed distance from (px, py) to a rounded box given by its rectangle and corner radius.
float roundRectDistance(Rect r, float radius, float px, float py) {
    float hx = (r.x1 - r.x0) * 0.5f, hy = (r.y1 - r.y0) * 0.5f;
    float qx = std::fabs(px - (r.x0 + hx)) - hx + radius;
    float qy = std::fabs(py - (r.y0 + hy)) - hy + radius;
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

void fillRoundRect(Canvas& cv, Rect r, float radius, Color c) {
    int x0, x1, y0, y1;
    pixelSpan(r.x0 - 1, r.x1 + 1, cv.width, x0, x1);
    pixelSpan(r.y0 - 1, r.y1 + 1, cv.height, y0, y1);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            float d = roundRectDistance(r, radius, x + 0.5f, y + 0.5f);
            blendPixel(cv, x, y, c, clamp01(0.5f - d));
        }
}

void strokeRoundRect(Canvas& cv, Rect r, float radius, float width, Color c) {
    int x0, x1, y0, y1;
    pixelSpan(r.x0 - 1, r.x1 + 1, cv.width, x0, x1);
    pixelSpan(r.y0 - 1, r.y1 + 1, cv.height, y0, y1);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            float d = roundRectDistance(r, radius, x + 0.5f, y + 0.5f);
            blendPixel(cv, x, y, c, clamp01(0.5f - d) - clamp01(0.5f - (d + width)));
        }
}

void fillRing(Canvas& cv, Point centre, float inner, float outer, Color c) {
    int x0, x1, y0, y1;
    pixelSpan(centre.x - outer - 1, centre.x + outer + 1, cv.width, x0, x1);
    pixelSpan(centre.y - outer - 1, centre.y + outer + 1, cv.height, y0, y1);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            float d = std::hypot(x + 0.5f - centre.x, y + 0.5f - centre.y);
            blendPixel(cv, x, y, c, clamp01(outer + 0.5f - d) - clamp01(inner + 0.5f - d));
        }
}

void fillCircle(Canvas& cv, Point centre, float radius, Color c) {
    fillRing(cv, centre, -1.0f, radius, c);
}

void fillPolygon(Canvas& cv, const std::vector<Point>& pts, Color c) {
    fillPolygonShaded(cv, pts, [&](float, float) { return c; });
}

void fillPolygonShaded(Canvas& cv, const std::vector<Point>& pts,
                       const std::function<Color(float, float)>& fn) {
    if (pts.size() < 3) return;
    float minY = pts[0].y, maxY = pts[0].y;
    for (const Point& p : pts) minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    int y0, y1;
    pixelSpan(minY, maxY, cv.height, y0, y1);
    constexpr int kSub = 4;
    std::vector<float> cover(cv.width + 1);
    std::vector<float> xs;
    for (int y = y0; y < y1; y++) {
        std::fill(cover.begin(), cover.end(), 0.0f);
        for (int s = 0; s < kSub; s++) {
            float sy = y + (s + 0.5f) / kSub;
            xs.clear();
            for (size_t i = 0; i < pts.size(); i++) {
                Point a = pts[i], b = pts[(i + 1) % pts.size()];
                if ((a.y <= sy) == (b.y <= sy)) continue;
                xs.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2) {
                float a = std::max(0.0f, xs[i]), b = std::min(static_cast<float>(cv.width), xs[i + 1]);
                if (b <= a) continue;
                int ia = static_cast<int>(a), ib = static_cast<int>(b);
                if (ia == ib) {
                    cover[ia] += (b - a) / kSub;
                    continue;
                }
                cover[ia] += (ia + 1 - a) / kSub;
                for (int x = ia + 1; x < ib; x++) cover[x] += 1.0f / kSub;
                if (ib < cv.width) cover[ib] += (b - ib) / kSub;
            }
        }
        for (int x = 0; x < cv.width; x++)
            if (cover[x] > 0.0f) blendPixel(cv, x, y, fn(x + 0.5f, y + 0.5f), cover[x]);
    }
}

void drawLine(Canvas& cv, Point a, Point b, float width, Color c) {
    float h = width * 0.5f;
    int x0, x1, y0, y1;
    pixelSpan(std::min(a.x, b.x) - h - 1, std::max(a.x, b.x) + h + 1, cv.width, x0, x1);
    pixelSpan(std::min(a.y, b.y) - h - 1, std::max(a.y, b.y) + h + 1, cv.height, y0, y1);
    float dx = b.x - a.x, dy = b.y - a.y;
    float len2 = std::max(dx * dx + dy * dy, 1e-6f);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            float px = x + 0.5f - a.x, py = y + 0.5f - a.y;
            float t = clamp01((px * dx + py * dy) / len2);
            float d = std::hypot(px - t * dx, py - t * dy) - h;
            blendPixel(cv, x, y, c, clamp01(0.5f - d));
        }
}

void glowRect(Canvas& cv, Rect r, float radius, Color c) {
    float reach = radius * 3.0f;
    int x0, x1, y0, y1;
    pixelSpan(r.x0 - reach, r.x1 + reach, cv.width, x0, x1);
    pixelSpan(r.y0 - reach, r.y1 + reach, cv.height, y0, y1);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            float px = x + 0.5f, py = y + 0.5f;
            float dx = std::max({r.x0 - px, 0.0f, px - r.x1});
            float dy = std::max({r.y0 - py, 0.0f, py - r.y1});
            float d = std::sqrt(dx * dx + dy * dy) / radius;
            blendPixel(cv, x, y, c, std::exp(-d * d));
        }
}

void shadeRect(Canvas& cv, Rect r, const std::function<Color(float, float)>& fn) {
    int x0, x1, y0, y1;
    pixelSpan(r.x0, r.x1, cv.width, x0, x1);
    pixelSpan(r.y0, r.y1, cv.height, y0, y1);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) blendPixel(cv, x, y, fn(x + 0.5f, y + 0.5f), 1.0f);
}

void maskRect(Canvas& cv, Rect r, const std::function<float(float, float)>& mask) {
    int x0, x1, y0, y1;
    pixelSpan(r.x0, r.x1, cv.width, x0, x1);
    pixelSpan(r.y0, r.y1, cv.height, y0, y1);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            float m = clamp01(mask(x + 0.5f, y + 0.5f));
            float* p = &cv.px[(static_cast<size_t>(y) * cv.width + x) * 4];
            for (int k = 0; k < 4; k++) p[k] *= m;
        }
}

void flipHorizontal(Canvas& cv) {
    for (int y = 0; y < cv.height; y++)
        for (int x = 0; x < cv.width / 2; x++) {
            float* a = &cv.px[(static_cast<size_t>(y) * cv.width + x) * 4];
            float* b = &cv.px[(static_cast<size_t>(y) * cv.width + (cv.width - 1 - x)) * 4];
            for (int k = 0; k < 4; k++) std::swap(a[k], b[k]);
        }
}

std::vector<uint8_t> canvasToBytes(const Canvas& cv, int channels) {
    std::vector<uint8_t> out(static_cast<size_t>(cv.width) * cv.height * channels);
    for (size_t i = 0, n = static_cast<size_t>(cv.width) * cv.height; i < n; i++) {
        const float* p = &cv.px[i * 4];
        float a = clamp01(p[3]);
        for (int k = 0; k < 3; k++) {
            // RGB images are flattened onto black; RGBA ones keep straight colour.
            float v = channels == 3 ? p[k] : (a > 0.0f ? p[k] / a : 0.0f);
            out[i * channels + k] = static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f));
        }
        if (channels == 4) out[i * 4 + 3] = static_cast<uint8_t>(std::lround(a * 255.0f));
    }
    return out;
}

//-----------------------------------------------------------------------------
// Noise
//-----------------------------------------------------------------------------

float hash2(int x, int y, uint32_t seed) {
    uint32_t h =
        static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xffffffu) / 16777216.0f;
}

float valueNoise(float x, float y, uint32_t seed) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float fx = x - ix, fy = y - iy;
    fx = fx * fx * (3.0f - 2.0f * fx);
    fy = fy * fy * (3.0f - 2.0f * fy);
    float a = hash2(ix, iy, seed), b = hash2(ix + 1, iy, seed);
    float c = hash2(ix, iy + 1, seed), d = hash2(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float fbm(float x, float y, int octaves, uint32_t seed) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    for (int i = 0; i < octaves; i++) {
        sum += amp * valueNoise(x, y, seed + i * 7919u);
        norm += amp;
        amp *= 0.5f;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f + 5.3f;
    }
    return sum / norm;
}
