// png_bench.cpp - decodes all 31 embedded images the way start-up does (the quick path for the plain
// files, libpng for the rest) and with libpng's simplified API alone, in the same run; and writes one
// 1280x720 frame as the tool does.
//
//     build/bench/qz_bench_png
#include <benchmark/benchmark.h>

#include <cstdio>
#include <png.h>
#include <vector>

#include "data/images.h"
#include "render/png_io.h"
#include "render/png_plain.h"

static void BM_EmbeddedImages_Show(benchmark::State& state) {
    std::vector<uint8_t> pixels(plainPngCapacity(1024, 1024));
    char error[160];
    for (auto _ : state)
        for (const EmbeddedImage& image : embeddedImages)
            if (!decodePngInto(image.data, image.size, pixels.data(), pixels.size(), error, sizeof error))
                state.SkipWithError(error);
}
BENCHMARK(BM_EmbeddedImages_Show)->Unit(benchmark::kMillisecond);

static void BM_EmbeddedImages_Libpng(benchmark::State& state) {
    std::vector<uint8_t> pixels(1024 * 1024 * 4);
    for (auto _ : state)
        for (const EmbeddedImage& image : embeddedImages) {
            png_image png = {};
            png.version = PNG_IMAGE_VERSION;
            png_image_begin_read_from_memory(&png, image.data, image.size);
            png.format = PNG_FORMAT_RGBA;
            if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr))
                state.SkipWithError(png.message);
        }
}
BENCHMARK(BM_EmbeddedImages_Libpng)->Unit(benchmark::kMillisecond);

// A frame-like picture: image 2 (a grid) tiled into 1280x720.
static std::vector<uint8_t> gridFrame() {
    std::vector<uint8_t> grid(plainPngCapacity(1024, 1024)), frame(1280 * 720 * 4);
    char error[160];
    const EmbeddedImage& source = embeddedImages[kImgGreyGrid];
    decodePngInto(source.data, source.size, grid.data(), grid.size(), error, sizeof error);
    for (size_t y = 0; y < 720; ++y)
        for (size_t x = 0; x < 1280 * 4; ++x) frame[y * 1280 * 4 + x] = grid[y * 1024 * 4 + x % (1024 * 4)];
    return frame;
}

static void BM_WriteFrame_Show(benchmark::State& state) {
    const std::vector<uint8_t> frame = gridFrame();
    for (auto _ : state) {
        FILE* file = std::tmpfile();
        if (!file || !writePng(file, 1280, 720, frame.data())) state.SkipWithError("writePng failed");
        if (file) std::fclose(file);
    }
}
BENCHMARK(BM_WriteFrame_Show)->Unit(benchmark::kMillisecond);

// libpng's simplified writer, which tries every filter on every row.
static void BM_WriteFrame_Libpng(benchmark::State& state) {
    const std::vector<uint8_t> frame = gridFrame();
    for (auto _ : state) {
        FILE* file = std::tmpfile();
        png_image png = {};
        png.version = PNG_IMAGE_VERSION;
        png.width = 1280;
        png.height = 720;
        png.format = PNG_FORMAT_RGBA;
        if (!file || !png_image_write_to_stdio(&png, file, 0, frame.data(), 0, nullptr))
            state.SkipWithError("libpng failed");
        if (file) std::fclose(file);
    }
}
BENCHMARK(BM_WriteFrame_Libpng)->Unit(benchmark::kMillisecond);
