// value_edit_bench.cpp - what a value changed in the inspector costs before it is on screen: a dragged
// value is written into the running tables and the next evaluation reads it; a value let go of is
// also written back into its scene file (found, replaced, written atomically) and undone the same way.
// Runs on a scratch copy of data/; the frame itself and the reload's rebuild are measured elsewhere
// (bench/edit_fps.sh, bench/reload_latency.sh). Each edit says what it did on stderr: run it with
// 2>/dev/null.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "data/scene_data.h"
#include "director/director_state.h"
#include "director/show_step.h"
#include "edit/session/value_edit.h"
#include "show/show.h"

namespace fs = std::filesystem;

namespace {

EditSession edits;
fs::path scratch;

void start() {
    static bool started = false;
    if (started) return;
    started = true;
    showInit();
    showStartDirector();
    scratch = fs::temp_directory_path() / ("qz001-value-bench-" + std::to_string(getpid()));
    fs::create_directories(scratch / "data");
    for (const auto& entry : fs::directory_iterator(fs::path(QZ_SOURCE_DIR) / "data"))
        if (entry.path().extension() == ".cpp" || entry.path().extension() == ".h")
            fs::copy_file(entry.path(), scratch / "data" / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
    startEditSession(edits, scratch.c_str(), embeddedSceneSet());
    std::atexit([] { fs::remove_all(scratch); });
}

// A drag step: scene 4's clear colour set in the running tables, then the frame evaluated with it.
void BM_DraggedValueToEvaluatedFrame(benchmark::State& state) {
    start();
    const int32_t first = sceneFirstFrame(4, sceneTable);
    float red = 0.1f;
    for (auto _ : state) {
        red = red > 0.5f ? 0.1f : red + 0.001f;
        nodeBlocks[4][1].params[0] = red;
        evaluateFrame(demoClockAtFrame(first + 100, sceneTable), kShowAspect);
        if (frameSettings.clearColor.x != red)
            state.SkipWithError("the evaluation did not read the new value");
        endFrameOutputs(frameSettings, &lineList);
    }
    nodeBlocks[4][1].params[0] = sceneTable.scenes[4].nodes[1].params[0];
}
BENCHMARK(BM_DraggedValueToEvaluatedFrame)->Unit(benchmark::kMicrosecond);

// A drag let go of: the value checked, patched, written into scene_04_drop.cpp; then Ctrl+Z.
void BM_WriteBackAndUndo(benchmark::State& state) {
    start();
    SceneSet scenes = embeddedSceneSet();
    for (auto _ : state) {
        if (!editSlotValue(edits, scenes, 4, 1, 0, 0.25f) || edits.failed || !undoEdit(edits, scenes) ||
            edits.failed)
            state.SkipWithError(edits.message);
    }
}
BENCHMARK(BM_WriteBackAndUndo)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
