// canvas.h - a small deterministic software rasteriser for the show's images.
//
// A `Canvas` holds premultiplied RGBA floats, one per pixel, starting fully transparent. Shapes are
// drawn with analytic or scanline coverage (no random sampling), so the same calls always give the
// same pixels. Colours are given straight (not premultiplied) and composited "over".
//
//     Canvas c = canvasMake(1024, 1024);
//     fillRect(c, {0, 0, 1024, 1024}, rgb(0.1f, 0.1f, 0.3f));
//     fillRoundRect(c, {100, 100, 400, 200}, 12, rgba(0.5f, 0.8f, 1.0f, 0.9f));
//     std::vector<uint8_t> px = canvasToBytes(c, 4); // straight RGBA8, rows top first
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Color {
    float r, g, b, a; // straight (not premultiplied), 0..1
};

struct Rect {
    float x0, y0, x1, y1; // pixels; x1, y1 exclusive
};

struct Point {
    float x, y;
};

struct Canvas {
    int width, height;
    std::vector<float> px; // premultiplied r, g, b, a per pixel, rows top first
};

inline Color rgb(float r, float g, float b) {
    return {r, g, b, 1.0f};
}
inline Color rgba(float r, float g, float b, float a) {
    return {r, g, b, a};
}
inline Color rgb8(int r, int g, int b, float a = 1.0f) {
    return {r / 255.0f, g / 255.0f, b / 255.0f, a};
}
Color mixColor(Color a, Color b, float t);
Color withAlpha(Color c, float a);

Canvas canvasMake(int width, int height);

// Composites `c` over pixel (x, y) with the given coverage 0..1; out-of-range pixels are ignored.
void blendPixel(Canvas& cv, int x, int y, Color c, float coverage);
// Replaces pixel (x, y) outright.
void setPixel(Canvas& cv, int x, int y, Color c);
Color getPixel(const Canvas& cv, int x, int y); // straight colour

//-----------------------------------------------------------------------------
// Shapes
//-----------------------------------------------------------------------------

void fillRect(Canvas& cv, Rect r, Color c);                    // exact area coverage at fractional edges
void fillRoundRect(Canvas& cv, Rect r, float radius, Color c); // anti-aliased rounded corners
void strokeRoundRect(Canvas& cv, Rect r, float radius, float width, Color c);
void fillCircle(Canvas& cv, Point centre, float radius, Color c);
void fillRing(Canvas& cv, Point centre, float inner, float outer, Color c);
void fillPolygon(Canvas& cv, const std::vector<Point>& pts, Color c); // even-odd, 4 sub-scanlines
void fillPolygonShaded(Canvas& cv, const std::vector<Point>& pts,
                       const std::function<Color(float, float)>& fn);
void drawLine(Canvas& cv, Point a, Point b, float width, Color c); // round caps

// Signed distance in pixels from (px, py) to the rounded rectangle (negative inside).
float roundRectDistance(Rect r, float radius, float px, float py);

// Soft glow: adds `c` with alpha falling off as exp(-(d/radius)^2) around the rectangle `r`.
void glowRect(Canvas& cv, Rect r, float radius, Color c);

// Paints every pixel inside `r` with colour fn(x, y) (pixel centres), composited over.
void shadeRect(Canvas& cv, Rect r, const std::function<Color(float, float)>& fn);

// Multiplies the alpha (and premultiplied colour) of every pixel by mask(x, y) inside `r`.
void maskRect(Canvas& cv, Rect r, const std::function<float(float, float)>& mask);

void flipHorizontal(Canvas& cv);

// Straight 8-bit pixels with `channels` 3 (RGB, alpha dropped) or 4 (RGBA), rows top first.
std::vector<uint8_t> canvasToBytes(const Canvas& cv, int channels);

//-----------------------------------------------------------------------------
// Noise (hash based, deterministic)
//-----------------------------------------------------------------------------

float hash2(int x, int y, uint32_t seed);                // 0..1
float valueNoise(float x, float y, uint32_t seed);       // smooth, 0..1
float fbm(float x, float y, int octaves, uint32_t seed); // 0..1
