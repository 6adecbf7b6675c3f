// cmd_contact_sheet.cpp - `contact-sheet`: the whole show as one picture, a grid of small frames.
//
//     qz001-tool contact-sheet --out docs/contact-sheet.png [--every 60] [--size 160x90]
//
// One frame every N frames, twelve to a row, each labelled with its global frame number; the first
// frame of each scene carries a coloured bar and the scene's number. Frames are rendered headless at
// the show's 1280x720 with music off (spectrum zero) and antialiasing on, and box-filtered down to the
// thumbnail size, which gives smoother thumbnails than rendering them small; a progress bar runs on
// stderr.
#include <CLI/CLI.hpp>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "data/scene_data.h"
#include "director/director_types.h"
#include "show/show.h"
#include "tools/image-gen/pixel_font.h"
#include "tools/qz001-tool/tool.h"

namespace {

struct SheetOptions {
    std::string out;
    int every = 60;
    std::string size = "160x90";
};

constexpr int kColumns = 12;
constexpr int kGap = 4;
constexpr int kLabelHeight = 14;
// The largest sheet made: a side PNG readers take, and about 1.3 GB of memory while it is drawn.
constexpr int kMaxSheetSide = 32767;
constexpr int64_t kMaxSheetPixels = 64ll << 20;

Color sceneColour(int scene) {
    const Color colours[3] = {rgb8(255, 196, 64), rgb8(96, 200, 255), rgb8(255, 110, 160)};
    return colours[scene % 3];
}

constexpr int kFrameWidth = kShowWidth;
constexpr int kFrameHeight = kShowHeight;

// Box-filters a kFrameWidth x kFrameHeight frame into a width x height cell at (x0, y0).
void pasteFrame(Canvas& sheet, int x0, int y0, int width, int height, const uint8_t* rgba) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int sx0 = x * kFrameWidth / width, sx1 = (x + 1) * kFrameWidth / width;
            int sy0 = y * kFrameHeight / height, sy1 = (y + 1) * kFrameHeight / height;
            float sum[3] = {0, 0, 0};
            for (int sy = sy0; sy < sy1; ++sy)
                for (int sx = sx0; sx < sx1; ++sx)
                    for (int c = 0; c < 3; ++c) sum[c] += rgba[((size_t)sy * kFrameWidth + sx) * 4 + c];
            float n = 255.0f * (float)((sx1 - sx0) * (sy1 - sy0));
            setPixel(sheet, x0 + x, y0 + y, rgb(sum[0] / n, sum[1] / n, sum[2] / n));
        }
}

// The sheet's size in pixels for thumbnails of width x height, one every `every` frames.
void sheetSize(int width, int height, int every, int64_t& sheetWidth, int64_t& sheetHeight) {
    const int64_t total = toolFrameCount(0, kShowFrameCount - 1, every);
    const int64_t rows = (total + kColumns - 1) / kColumns;
    sheetWidth = kColumns * (int64_t)(width + kGap) + kGap;
    sheetHeight = rows * (int64_t)(height + kLabelHeight + kGap) + kGap;
}

// Draws the sheet into an opened target.
int drawSheet(const SheetOptions& o, const OutputTarget& target, int width, int height) {
    int64_t sheetWidth = 0, sheetHeight = 0;
    sheetSize(width, height, o.every, sheetWidth, sheetHeight);
    const int cellW = width + kGap, cellH = height + kLabelHeight + kGap;
    Canvas sheet = canvasMake((int)sheetWidth, (int)sheetHeight);
    fillRect(sheet, {0, 0, (float)sheet.width, (float)sheet.height}, rgb8(18, 18, 24));

    int lastScene = -1;
    ToolFrames frames = {};
    frames.width = kFrameWidth;
    frames.height = kFrameHeight;
    frames.antialias = true;
    frames.to = kShowFrameCount - 1;
    frames.step = o.every;
    bool ok = renderToolFrames(frames, [&](int frame, const std::vector<uint8_t>& pixels) {
        const int i = frame / o.every;
        int x0 = kGap + (i % kColumns) * cellW, y0 = kGap + (i / kColumns) * cellH;
        pasteFrame(sheet, x0, y0, width, height, pixels.data());
        int scene = demoClockAtFrame(frame, sceneTable).sceneIndex;
        char label[32];
        TextStyle style = {1.5f, 0, rgb8(200, 200, 210), rgba(0, 0, 0, 0), 0};
        if (scene != lastScene) {
            fillRect(sheet, {(float)x0, (float)(y0 + height), (float)(x0 + width), (float)(y0 + height + 2)},
                     sceneColour(scene));
            std::snprintf(label, sizeof label, "S%d  %d", scene, frame);
            style.color = sceneColour(scene);
            lastScene = scene;
        } else {
            std::snprintf(label, sizeof label, "%d", frame);
        }
        drawText(sheet, (float)x0 + 1, (float)(y0 + height + 3), label, style);
        return true;
    });
    if (toolStopSignal) return toolStoppedStatus("nothing was written");
    if (!ok) return 1;
    std::vector<uint8_t> bytes = canvasToBytes(sheet, 4);
    return writePngTarget(target, sheet.width, sheet.height, bytes.data()) ? 0 : 1;
}

int runContactSheet(const SheetOptions& o) {
    int width = 0, height = 0;
    if (!parseSizeOption(o.size, kFrameWidth, kFrameHeight, width, height)) return kToolUsageStatus;
    // The canvas holds four floats a pixel and the PNG's bytes four more: refuse what cannot be made
    // before anything is rendered.
    int64_t sheetWidth = 0, sheetHeight = 0;
    sheetSize(width, height, o.every, sheetWidth, sheetHeight);
    if (sheetWidth > kMaxSheetSide || sheetHeight > kMaxSheetSide ||
        sheetWidth * sheetHeight > kMaxSheetPixels)
        return toolUsageError(
            "a sheet of --size %s thumbnails --every %d frames would be %lldx%lld pixels, more "
            "than the %dx%d (and %lld pixels) a sheet may have: use a smaller --size or a "
            "larger --every",
            o.size.c_str(), o.every, (long long)sheetWidth, (long long)sheetHeight, kMaxSheetSide,
            kMaxSheetSide, (long long)kMaxSheetPixels);
    catchStopSignals();
    OutputTarget target;
    if (!openToolOutput(o.out, target)) return 1;
    const int status = drawSheet(o, target, width, height);
    closeOutputTarget(target);
    return status;
}

} // namespace

void addContactSheetCommands(CLI::App& app, ToolCommands& commands) {
    static SheetOptions o;
    CLI::App* sheet = app.add_subcommand(
        "contact-sheet", "Render one small frame every N frames of the show into a labelled grid");
    sheet->add_option("--out", o.out, "PNG file to write")->required();
    addIntegerOption(sheet, "--every", o.every, 1, INT_MAX, nullptr,
                     "frames between two thumbnails (default 60)");
    sheet->add_option("--size", o.size, "thumbnail size WIDTHxHEIGHT (default 160x90)");
    addGlOption(sheet);
    addToolCommand(commands, sheet, [] { return runContactSheet(o); });
}
