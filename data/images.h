// images.h - the show's 31 PNG images, embedded in the executable at build time.
//
// `embeddedImages[i]` points at the complete PNG file of image i (signature to IEND chunk) in
// read-only data. The renderer decodes them once at start-up; nothing reads them from disk.
//
//     const EmbeddedImage& img = embeddedImages[12];
//     decodePng(img.data, img.size);
#pragma once

#include <cstdint>

inline constexpr int kEmbeddedImageCount = 31;

struct EmbeddedImage {
    uint32_t reserved;   // always 0, not read
    uint32_t size;       // byte length of the PNG file
    const uint8_t* data; // first byte of the PNG file
};

extern const EmbeddedImage embeddedImages[kEmbeddedImageCount];

// What each image shows, by its index in `embeddedImages` (draw records and sprites name them so).
enum ImageId : int32_t {
    kImgCheckerCoarse = 0,        // red and white checkerboard, 2 x 2
    kImgCheckerFine = 1,          // red and white checkerboard, 8 x 8
    kImgGreyGrid = 2,             // grey squares, magenta lines
    kImgMagentaGrid = 3,          // magenta lines on transparent
    kImgHighlightPage = 4,        // light-blue highlight bars, a page of lines
    kImgHighlightBar = 5,         // one bar
    kImgHighlightMark = 6,        // one short mark
    kImgHighlightTwoBars = 7,     // two bars
    kImgHighlightLinesA = 8,      // further line patterns
    kImgHighlightLinesB = 9,      //
    kImgHighlightLinesC = 10,     //
    kImgHighlightMarkLow = 11,    // a short mark, low on the page
    kImgCredits = 12,             // framed credits panel
    kImgRedSquares = 13,          // 3 x 3 red squares (256 x 256)
    kImgZigzagPanel = 14,         // white zig-zag shape on blue-violet
    kImgFloppyFront = 15,         // floppy disk, front
    kImgFloppyFrontMirrored = 16, // floppy disk, front, second label
    kImgFloppyBack = 17,          // floppy disk, back
    kImgFloppyBackMirrored = 18,  // floppy disk, back, mirrored
    kImgZigzagPanelLarge = 19,    // larger zig-zag shape on blue-violet
    kImgPanelPieces = 20,         // blue-violet panel pieces
    kImgMarble = 21,              // dark marble tiles (512 x 512, palette)
    kImgZigzagBand = 22,          // zig-zag shape with a white band
    kImgRedBars = 23,             // six red bars (256 x 256)
    kImgBinaryDigits = 24,        // red bar over binary digits (256 x 256)
    kImgGreenSquare = 25,         // solid green square (256 x 256)
    kImgGreenBars = 26,           // two green bars (256 x 256)
    kImgCaption = 27,             // lines of caption text on transparent
    kImgLattice = 28,             // white lattice lines on transparent
    kImgYellowBarLow = 29,        // one yellow bar, upper left
    kImgYellowBarHigh = 30,       // one yellow bar, higher
};
