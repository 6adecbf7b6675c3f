// pixel_font.h - a 5 x 7 block font for the show's captions, credits and digits.
//
// Upper-case letters, digits and common punctuation; lower case is drawn as upper case and any other
// character as a blank. Each font pixel becomes a `scale` x `scale` block; glyphs advance by 6 cells.
//
//     drawText(cv, 64, 100, 6, "CREDITS", rgb(1, 1, 1));
//     float w = textWidth("CREDITS", 6);
#pragma once

#include "tools/image-gen/canvas.h"

struct TextStyle {
    float scale;      // pixels per font pixel
    float blockInset; // gap left inside each block, pixels (0 = solid blocks)
    Color color;
    Color shadow;      // alpha 0 = no shadow
    float shadowShift; // shadow offset, pixels, down and right
};

float textWidth(const char* text, float scale); // without the trailing gap
void drawText(Canvas& cv, float x, float y, const char* text, const TextStyle& style);
// `colorOf(column, row)` picks each block's colour from its glyph-grid position (fades, stripes).
void drawTextShaded(Canvas& cv, float x, float y, const char* text, float scale, float inset,
                    const std::function<Color(int, int)>& colorOf);
