// render_bench.cpp - the renderer's start-up steps and one frame of each scene at 1280x720, headless.
//
//     build/bench/qz_bench_render              # OpenGL 3.3 core
//     QZ_GL=es build/bench/qz_bench_render     # OpenGL ES 3.0
//
// The renderer starts once per process (the first benchmark reports the time of each start-up step
// as counters). A frame is measured from renderFrame to glFinish, so the rasterizer's work is in
// it; the director's evaluation of the same frame runs outside the timed region.
//
// Pass by pass, for the table in docs/performance.md (scene 1, frame 1020, 1280x720, FXAA on; /0 skips the
// passes nobody reads, /1 runs every pass as the renderer used to):
//
//     build/bench/qz_bench_render --benchmark_filter=BM_Scene1Passes --benchmark_repetitions=3
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/scene_data.h"
#include "director/director_state.h"
#include "show/show.h"

namespace {

RenderDevice device;
StartupTimes startupTimes;
double startupTotal = 0.0;

RenderDevice& benchDevice() {
    static bool started = false;
    if (started) return device;
    auto start = std::chrono::steady_clock::now();
    showInit();
    ShowDesc desc = {};
    desc.width = kShowWidth;
    desc.height = kShowHeight;
    desc.noVsync = true; // offscreen: the passes are timed, not the display
    const char* api = std::getenv("QZ_GL");
    desc.api = api && std::strcmp(api, "es") == 0 ? kGlEs : kGlCore;
    if (!showStart(device, desc, &startupTimes)) {
        std::fprintf(stderr, "qz_bench_render: cannot start the show: %s\n", showError());
        std::exit(1);
    }
    startupTotal = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    started = true;
    return device;
}

void BM_Startup(benchmark::State& state) {
    for (auto _ : state) benchDevice();
    state.counters["total_s"] = startupTotal; // arena, text meshes, renderer, director tables
    state.counters["device_s"] = startupTimes.device;
    state.counters["shaders_s"] = startupTimes.shaders;
    state.counters["meshes_s"] = startupTimes.meshes;
    state.counters["textures_s"] = startupTimes.textures;
    state.counters["resources_s"] = startupTimes.resources;
}
BENCHMARK(BM_Startup)->Iterations(1)->Unit(benchmark::kMillisecond);

// One frame in the middle of scene `range(0)`, FXAA on as in the show.
void BM_SceneFrame(benchmark::State& state) {
    RenderDevice& dev = benchDevice();
    const int scene = (int)state.range(0);
    const int32_t frame = sceneFirstFrame(scene, sceneTable) + sceneTable.scenes[scene].duration / 2;
    ShowCursor cursor = {};
    const DemoClock clock = catchUpAndRenderFrame(dev, cursor, frame); // evaluates the scene up to the frame
    glFinish();
    for (auto _ : state) {
        state.PauseTiming();
        evaluateFrame(clock, dev.aspect);
        state.ResumeTiming();
        renderFrame(dev, directorFrameInput());
        glFinish();
    }
    state.counters["frame"] = frame;
}
BENCHMARK(BM_SceneFrame)->DenseRange(0, 10)->Unit(benchmark::kMillisecond)->Iterations(5);

// Each iteration renders the middle frame of scene 1 twice: once whole (the reported time, from
// renderFrame to glFinish) and once with a glFinish after every pass (the ms_* counters, averages
// over the frames in which the pass ran). passes_ms is the sum of the timed passes; frame_over_passes
// is the whole frame divided by it.
void BM_Scene1Passes(benchmark::State& state) {
    RenderDevice& dev = benchDevice();
    const bool every = state.range(0) != 0;
    const int32_t frame = sceneTable.scenes[0].duration + sceneTable.scenes[1].duration / 2;
    ShowCursor cursor = {};
    const DemoClock clock = catchUpAndRenderFrame(dev, cursor, frame);
    FramePassTimes times = {};
    double wholeSeconds = 0.0;
    for (auto _ : state) {
        evaluateFrame(clock, dev.aspect);
        FrameInput in = directorFrameInput();
        in.everyPass = every;
        glFinish();
        auto start = std::chrono::steady_clock::now();
        renderFrame(dev, in);
        glFinish();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        wholeSeconds += seconds;

        evaluateFrame(clock, dev.aspect);
        in = directorFrameInput();
        in.everyPass = every;
        in.passTimes = &times;
        renderFrame(dev, in);
    }
    double passes = 0.0;
    for (int p = 0; p < kFramePassCount; ++p) {
        if (times.runs[p] == 0) continue;
        const double ms = 1e3 * times.seconds[p] / times.runs[p];
        state.counters[std::string("ms_") + framePassName(p)] = ms;
        passes += ms;
    }
    const double frameMs = 1e3 * wholeSeconds / (double)state.iterations();
    state.counters["passes_ms"] = passes;
    state.counters["frame_ms"] = frameMs;
    state.counters["frame_over_passes"] = frameMs / passes;
}
BENCHMARK(BM_Scene1Passes)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

// 1024 textured cubes in a 32 x 32 lattice (like the 1024-instance scenes), FXAA on.
void BM_Cubes1024(benchmark::State& state) {
    RenderDevice& dev = benchDevice();
    static DrawList opaque, blended;
    static SpriteList sprites;
    static LineList lines;
    static FrameSettings settings;
    opaque.count = 0;
    for (int i = 0; i < 1024; ++i) {
        DrawRecord& r = opaque.records[opaque.count++];
        r = DrawRecord{};
        r.mesh = 20;         // the bare cube
        r.vertexShader = 17; // texTestVS
        r.pixelShader = 18;  // texTestPS
        r.texture = 15;
        r.position[0] = r.prevPosition[0] = (float)(i % 32) * 3.0f - 46.5f;
        r.position[2] = r.prevPosition[2] = (float)(i / 32) * -3.0f;
        for (int k = 0; k < 3; ++k) r.scale[k] = r.prevScale[k] = 1.0f;
    }
    const CameraState camera = {{0, 30, 30}, {0, 0, -40}, {0, 1, 0}, 1.5707964f, dev.aspect, 0.05f, 1000.0f};
    FrameInput in = {&opaque, &blended, &sprites, &camera, &settings, &lines};
    for (auto _ : state) {
        state.PauseTiming();
        settings = defaultFrameSettings();
        state.ResumeTiming();
        renderFrame(dev, in);
        glFinish();
    }
}
BENCHMARK(BM_Cubes1024)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
