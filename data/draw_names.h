// draw_names.h - the numbers by which scene data names GPU meshes and shader entries.
//
// GPU meshes 0..17 are the text lines, 18 + k is mesh program k. Shader numbers are positions in
// the renderer's vertex- and pixel-shader name tables; shaders are used in vertex/pixel pairs.
// tests/render checks every name here against the renderer's own tables.
//
//     node(kOpDrawMesh, {pos}, {kMeshCube, 64, kVsBaseCook, kPsBaseCook, kImgCheckerCoarse}, 1)
#pragma once

#include <cstdint>

inline constexpr int32_t kGpuMeshFirstProgram = 18; // GPU mesh of mesh program 0

enum GpuMeshId : int32_t {
    kMeshSmoothCube = kGpuMeshFirstProgram + 1, // program 1: cube smoothed three times, spherical uv
    kMeshCube = kGpuMeshFirstProgram + 2,       // program 2: the bare 2 x 2 x 2 cube
};

enum VertexShaderId : int32_t {
    kVsBaseCook = 10, // baseCookVS: Cook-Torrance, options ambient, diffuse, specular
    kVsTexTest = 17,  // texTestVS: the record's texture
};

enum PixelShaderId : int32_t {
    kPsBaseCook = 10, // baseCookPS
    kPsTexTest = 18,  // texTestPS
};
