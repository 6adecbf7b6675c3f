// director_bench.cpp - per-frame cost of the director: one evaluation of each scene of the show, and
// of a graph that draws 1024 instances (lattice, random sizes, swaying positions, one drawMesh).
#include <benchmark/benchmark.h>

#include "base/arena.h"
#include "data/scene_data.h"
#include "director/director_state.h"
#include "director/graph.h"
#include "director/show_step.h"
#include "tests/director/graph_node.h"

static void startDirector() {
    static bool started = false;
    if (started) return;
    started = true;
    arenaInit();
    resetDirectorState();
    allocDirectorTables();
    convertSceneData(sceneTable, embeddedTracks);
}

// One frame of scene s, at local frames cycling through the scene.
static void BM_EvaluateScene(benchmark::State& state) {
    startDirector();
    int s = static_cast<int>(state.range(0));
    const int32_t start = sceneFirstFrame(s, sceneTable);
    int32_t frame = 0;
    for (auto _ : state) {
        evaluateFrame(demoClockAtFrame(start + frame, sceneTable), kShowAspect);
        endFrameOutputs(frameSettings, &lineList);
        frame = (frame + 1) % sceneTable.scenes[s].duration;
    }
    state.counters["draws"] = drawListOpaque.count + drawListBlended.count;
}
BENCHMARK(BM_EvaluateScene)->DenseRange(0, kSceneCount - 1)->Unit(benchmark::kMicrosecond);

static void node(GraphNode* nodes, NodeValue* values, int k, NodeOp op, std::initializer_list<int32_t> inputs,
                 std::initializer_list<float> params, uint32_t count) {
    nodes[k] = makeNode(op, inputs, params);
    values[k].count = count;
    values[k].data = static_cast<Float4*>(arenaReserve(count * 16));
}

// A 32 x 32 lattice of cubes with random sizes and colours, swaying with the clock.
static void BM_Draw1024Instances(benchmark::State& state) {
    startDirector();
    static GraphNode nodes[kSlotsPerScene];
    static NodeValue values[kSlotsPerScene];
    node(nodes, values, 0, kOpGrid, {}, {32, 32, 0.6f, 0.6f, 0}, 1024);
    node(nodes, values, 1, kOpRandom, {}, {0.25f, 0.1f, 0.3f}, 1024);
    node(nodes, values, 2, kOpRandom, {}, {0.75f, 0, 1}, 1024);
    node(nodes, values, 3, kOpFrameTime, {}, {0.05f}, 1);
    node(nodes, values, 4, kOpSine, {3}, {2}, 1);
    node(nodes, values, 5, kOpAdd, {0, 4}, {}, 1024);
    node(nodes, values, 6, kOpModulo, {5}, {20}, 1024);
    node(nodes, values, 7, kOpConstant, {}, {0, 10, 20}, 1);
    node(nodes, values, 8, kOpCamera, {7}, {}, 1);
    node(nodes, values, 9, kOpDrawMesh, {6, 1, -1, 2}, {20, 1024, 17, 18, 15, 0}, 1);
    DirectorRenderer renderer = directorRenderer(kShowAspect);
    GraphArgs args = {};
    int32_t frame = 0;
    for (auto _ : state) {
        localFrame = frame++;
        beginDirectorFrame();
        evaluateScene(nodes, values, args, renderer);
        endFrameOutputs(frameSettings, &lineList);
    }
    state.counters["draws"] = drawListOpaque.count;
}
BENCHMARK(BM_Draw1024Instances)->Unit(benchmark::kMicrosecond);
