// cmd_contact_sheet.cpp - `contact-sheet`: the whole show as one picture, a grid of small frames.
//
//     qz001-tool contact-sheet --out docs/contact-sheet.png [--every 60] [--size 160x90]
//
// One frame every N frames, twelve to a row, each labelled with its global frame number; the first
// frame of each scene carries a coloured bar and the scene's number. Frames are rendered headless at
// the show's 1280x720 (sprites are sized in texture pixels, so a smaller target would enlarge them)
// with music off (spectrum zero), antialiasing on, and box-filtered down to the thumbnail size; a
// progress bar runs on stderr.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "director/director_types.h"
#include "director/scene_data.h"
#include "render/png_io.h"
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

// The one place that talks to the headless show: starts it and renders `frames` in order, handing
// each frame's pixels (RGBA8, rows top first) to `take`.
bool renderFrames(int width, int height, const std::vector<int>& frames,
                  const std::function<void(int index, const uint8_t* rgba)>& take) {
    RenderDevice dev = {};
    if (!startToolShow(dev, width, height, true)) return false;
    std::vector<uint8_t> pixels((size_t)width * height * 4);
    ShowCursor cursor = {};
    for (size_t i = 0; i < frames.size(); ++i) {
        showRenderAt(dev, cursor, frames[i]);
        readBackBuffer(dev, pixels.data());
        take((int)i, pixels.data());
    }
    return true;
}

Color sceneColour(int scene) {
    const Color colours[3] = {rgb8(255, 196, 64), rgb8(96, 200, 255), rgb8(255, 110, 160)};
    return colours[scene % 3];
}

constexpr int kFrameWidth = 1280;
constexpr int kFrameHeight = 720;

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

int runContactSheet(const SheetOptions& o) {
    int width = 0, height = 0;
    char tail = 0;
    if (std::sscanf(o.size.c_str(), "%dx%d%c", &width, &height, &tail) != 2 || width < 16 || height < 16 ||
        width > 1280 || height > 720)
        return toolError("--size %s is not WIDTHxHEIGHT between 16x16 and 1280x720", o.size.c_str());
    if (o.every < 1) return toolError("--every %d must be 1 or more", o.every);

    std::vector<int> frames;
    for (int f = 0; f < kShowFrameCount; f += o.every) frames.push_back(f);
    const int rows = ((int)frames.size() + kColumns - 1) / kColumns;
    const int cellW = width + kGap, cellH = height + kLabelHeight + kGap;
    Canvas sheet = canvasMake(kColumns * cellW + kGap, rows * cellH + kGap);
    fillRect(sheet, {0, 0, (float)sheet.width, (float)sheet.height}, rgb8(18, 18, 24));

    const int total = (int)frames.size();
    ToolProgress progress = {total, 0};
    drawProgress(progress, 0);
    int lastScene = -1;
    bool ok = renderFrames(kFrameWidth, kFrameHeight, frames, [&](int i, const uint8_t* pixels) {
        int x0 = kGap + (i % kColumns) * cellW, y0 = kGap + (i / kColumns) * cellH;
        pasteFrame(sheet, x0, y0, width, height, pixels);
        int scene = demoClockAtFrame(frames[i], sceneTable).sceneIndex;
        char label[32];
        TextStyle style = {1.5f, 0, rgb8(200, 200, 210), rgba(0, 0, 0, 0), 0};
        if (scene != lastScene) {
            fillRect(sheet, {(float)x0, (float)(y0 + height), (float)(x0 + width), (float)(y0 + height + 2)},
                     sceneColour(scene));
            std::snprintf(label, sizeof label, "S%d  %d", scene, frames[i]);
            style.color = sceneColour(scene);
            lastScene = scene;
        } else {
            std::snprintf(label, sizeof label, "%d", frames[i]);
        }
        drawText(sheet, (float)x0 + 1, (float)(y0 + height + 3), label, style);
        drawProgress(progress, i + 1);
    });
    if (!ok) return 1;
    std::vector<uint8_t> bytes = canvasToBytes(sheet, 4);
    return writeToolFile(o.out,
                         [&](FILE* f) {
                             return writePng(f, (uint32_t)sheet.width, (uint32_t)sheet.height, bytes.data());
                         })
               ? 0
               : 1;
}

} // namespace

void addContactSheetCommands(CLI::App& app) {
    static SheetOptions o;
    CLI::App* sheet = app.add_subcommand(
        "contact-sheet", "Render one small frame every N frames of the show into a labelled grid");
    sheet->add_option("--out", o.out, "PNG file to write")->required();
    sheet->add_option("--every", o.every, "frames between two thumbnails (default 60)");
    sheet->add_option("--size", o.size, "thumbnail size WIDTHxHEIGHT (default 160x90)");
    sheet->callback([] { toolExitCode = runContactSheet(o); });
}
