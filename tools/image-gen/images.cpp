// images.cpp - the image table: which drawing makes image i, at which colour type.
#include "tools/image-gen/images.h"

static GeneratedImage fromCanvas(const Canvas& cv, int colorType) {
    return {cv.width, cv.height, colorType, canvasToBytes(cv, colorType == kPngRgb ? 3 : 4), {}};
}

GeneratedImage generateImage(int index) {
    switch (index) {
    case 0:
        return fromCanvas(drawChecker(2), kPngRgb);
    case 1:
        return fromCanvas(drawChecker(8), kPngRgb);
    case 2:
        return fromCanvas(drawMagentaGrid(true), kPngRgb);
    case 3:
        return fromCanvas(drawMagentaGrid(false), kPngRgba);
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
        return fromCanvas(drawHighlightBars(index - 4), kPngRgba);
    case 12:
        return fromCanvas(drawCreditsPanel(), kPngRgb);
    case 13:
        return fromCanvas(drawRedSquares(), kPngRgba);
    case 14:
        return fromCanvas(drawZigzagPanel(0), kPngRgba);
    case 15:
        return fromCanvas(drawFloppy(false, false, 1), kPngRgb);
    case 16:
        return fromCanvas(drawFloppy(false, true, 2), kPngRgb);
    case 17:
        return fromCanvas(drawFloppy(true, false, 1), kPngRgb);
    case 18:
        return fromCanvas(drawFloppy(true, true, 2), kPngRgb);
    case 19:
        return fromCanvas(drawZigzagPanel(1), kPngRgba);
    case 20:
        return fromCanvas(drawPanelPieces(), kPngRgba);
    case 21:
        return drawMarble();
    case 22:
        return fromCanvas(drawZigzagPanel(2), kPngRgba);
    case 23:
        return fromCanvas(drawRedBars(), kPngRgba);
    case 24:
        return fromCanvas(drawBinaryDigits(), kPngRgba);
    case 25:
        return fromCanvas(drawGreenSquare(), kPngRgba);
    case 26:
        return fromCanvas(drawGreenBars(), kPngRgba);
    case 27:
        return fromCanvas(drawCaptions(), kPngRgba);
    case 28:
        return fromCanvas(drawLattice(), kPngRgba);
    case 29:
        return fromCanvas(drawYellowBar(256), kPngRgba);
    default:
        return fromCanvas(drawYellowBar(120), kPngRgba);
    }
}
