// contact_sheet.cpp - thumbnails by area averaging, laid out 8 to a row with their numbers.
#include "tools/image-gen/contact_sheet.h"

#include <cstdio>

#include "tools/image-gen/pixel_font.h"

static const int kThumb = 224, kGap = 24, kLabel = 40, kColumns = 8;

// Straight RGBA of pixel (x, y) of any generated image.
static Color imagePixel(const GeneratedImage& img, int x, int y) {
    size_t i = static_cast<size_t>(y) * img.width + x;
    if (img.colorType == kPngPalette) {
        const uint8_t* p = &img.palette[img.pixels[i] * 3];
        return rgb8(p[0], p[1], p[2]);
    }
    if (img.colorType == kPngRgb)
        return rgb8(img.pixels[i * 3], img.pixels[i * 3 + 1], img.pixels[i * 3 + 2]);
    const uint8_t* p = &img.pixels[i * 4];
    return rgb8(p[0], p[1], p[2], p[3] / 255.0f);
}

static void drawThumbnail(Canvas& cv, const GeneratedImage& img, int ox, int oy) {
    for (int ty = 0; ty < kThumb; ty++)
        for (int tx = 0; tx < kThumb; tx++) {
            bool light = ((tx / 14) + (ty / 14)) & 1;
            setPixel(cv, ox + tx, oy + ty, light ? rgb8(96, 96, 104) : rgb8(64, 64, 72));
            int x0 = tx * img.width / kThumb, x1 = (tx + 1) * img.width / kThumb;
            int y0 = ty * img.height / kThumb, y1 = (ty + 1) * img.height / kThumb;
            if (x1 <= x0) x1 = x0 + 1;
            if (y1 <= y0) y1 = y0 + 1;
            float r = 0, g = 0, b = 0, a = 0;
            for (int y = y0; y < y1; y++)
                for (int x = x0; x < x1; x++) {
                    Color c = imagePixel(img, x, y);
                    r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a;
                }
            if (a <= 0) continue;
            float n = static_cast<float>((x1 - x0) * (y1 - y0));
            blendPixel(cv, ox + tx, oy + ty, rgba(r / a, g / a, b / a, 1.0f), a / n);
        }
}

GeneratedImage makeContactSheet(const std::vector<GeneratedImage>& images) {
    int rows = (static_cast<int>(images.size()) + kColumns - 1) / kColumns;
    int width = kColumns * kThumb + (kColumns + 1) * kGap;
    int height = rows * (kThumb + kLabel) + (rows + 1) * kGap;
    Canvas cv = canvasMake(width, height);
    fillRect(cv, {0, 0, static_cast<float>(width), static_cast<float>(height)}, rgb8(22, 22, 28));
    for (size_t i = 0; i < images.size(); i++) {
        int col = static_cast<int>(i) % kColumns, row = static_cast<int>(i) / kColumns;
        int ox = kGap + col * (kThumb + kGap), oy = kGap + row * (kThumb + kLabel + kGap);
        drawThumbnail(cv, images[i], ox, oy);
        char label[32];
        std::snprintf(label, sizeof label, "%02zu  %dX%d", i, images[i].width, images[i].height);
        TextStyle style{3, 0, rgb8(220, 220, 230), rgba(0, 0, 0, 0), 0};
        drawText(cv, static_cast<float>(ox), static_cast<float>(oy + kThumb + 12), label, style);
    }
    return {width, height, kPngRgb, canvasToBytes(cv, 3), {}};
}
