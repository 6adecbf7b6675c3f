// mesh_bench.cpp - builds all 40 embedded mesh programs with the library and with the literal
// reference, in the same run.
//
//     build/bench/qz_bench_mesh
#include <benchmark/benchmark.h>

#include <memory>

#include "data/mesh_programs.h"
#include "mesh/mesh_program.h"
#include "tests/mesh/reference_mesh.h"

static void BM_AllMeshes_Library(benchmark::State& state) {
    auto mesh = std::make_unique<QuadMesh>();
    for (auto _ : state) {
        for (uint32_t k = 0; k < kMeshProgramCount; k++) {
            clearMesh(*mesh);
            unpacko(meshPrograms[k], *mesh);
        }
        benchmark::DoNotOptimize(mesh->vertexCount);
    }
}
BENCHMARK(BM_AllMeshes_Library)->Unit(benchmark::kMillisecond);

static void BM_AllMeshes_Reference(benchmark::State& state) {
    auto mesh = std::make_unique<QuadMesh>();
    for (auto _ : state) {
        for (uint32_t k = 0; k < kMeshProgramCount; k++) {
            clearMesh(*mesh);
            ref::unpacko(meshPrograms[k], *mesh);
        }
        benchmark::DoNotOptimize(mesh->vertexCount);
    }
}
BENCHMARK(BM_AllMeshes_Reference)->Unit(benchmark::kMillisecond);
