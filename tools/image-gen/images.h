// images.h - the show's 31 images, drawn from code.
//
// `generateImage(i)` draws image i of the show's image table at its exact size and colour type.
// The drawing is deterministic: the same index always gives the same pixels. The groups of images
// live in their own files: patterns (checkerboards, grids, bars, captions), panels (zig-zag shapes
// on blue-violet), floppy disk faces, and the palette marble.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/image-gen/canvas.h"

inline constexpr int kImageCount = 31;

enum PngColorType : int { kPngRgb = 2, kPngPalette = 3, kPngRgba = 6 };

struct GeneratedImage {
    int width, height;
    int colorType;                // kPngRgb, kPngRgba or kPngPalette
    std::vector<uint8_t> pixels;  // rows top first: 3 or 4 bytes per pixel, or one palette index
    std::vector<uint8_t> palette; // RGB triplets (palette images only)
};

GeneratedImage generateImage(int index);

// The named texts the images show (also the text lines' invented handles).
inline constexpr const char* kCoderHandle = "QUILLBIT";
inline constexpr const char* kMusicianHandle = "MOSSGRAIN";
inline constexpr const char* kProdName = "PROD 01-PINWHEEL";

// Drawing functions of each group; every one returns a canvas of the image's size.
Canvas drawChecker(int squares);                             // 0, 1
Canvas drawMagentaGrid(bool opaque);                         // 2, 3
Canvas drawHighlightBars(int variant);                       // 4..11
Canvas drawCreditsPanel();                                   // 12
Canvas drawRedSquares();                                     // 13
Canvas drawRedBars();                                        // 23
Canvas drawBinaryDigits();                                   // 24
Canvas drawGreenSquare();                                    // 25
Canvas drawGreenBars();                                      // 26
Canvas drawCaptions();                                       // 27
Canvas drawLattice();                                        // 28
Canvas drawYellowBar(float top);                             // 29, 30
Canvas drawZigzagPanel(int variant);                         // 14, 19, 22
Canvas drawPanelPieces();                                    // 20
Canvas drawFloppy(bool back, bool mirrored, int diskNumber); // 15..18
GeneratedImage drawMarble();                                 // 21
