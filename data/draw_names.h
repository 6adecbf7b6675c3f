// draw_names.h - the numbers by which scene data names GPU meshes and shader entries.
//
// GPU meshes 0..17 are the text lines, 18 + k is mesh program k. Shaders are named by their entries
// (the lists below) and used in vertex/pixel pairs.
//
//     node(kOpDrawMesh, {pos}, {kMeshCube, 64, kVsBaseCook, kPsBaseCook, kImgCheckerCoarse}, 1)
#pragma once

#include <cstdint>

#include "base/enum_names.h"

inline constexpr int32_t kGpuMeshFirstProgram = 18; // GPU mesh of mesh program 0

enum GpuMeshId : int32_t {
    kMeshSmoothCube = kGpuMeshFirstProgram + 1, // program 1: cube smoothed three times, spherical uv
    kMeshCube = kGpuMeshFirstProgram + 2,       // program 2: the bare 2 x 2 x 2 cube
};

// Every entry of the shader library (render/shaders/*.glsl), by the name its GLSL function has, in
// table order: a draw record names a shader by its place here, and the renderer's name tables are read
// from these lists (render/shader_library.cpp), so the numbers and the names cannot fall apart.
namespace shader_entry {
// clang-format off
QZ_NAMED_ENUM(VertexShaderId, int32_t,
    A_0_debuglineVS, // 0
    A_1_create_velocity_and_depthVS,
    A_3_postprocessVS,
    A_4_fxaaVS,
    A_5_bloomHighlightVS,
    A_6_gauss1VS, // 5
    A_7_gauss2VS,
    A_8_spriteVS,
    A_backcubeVS,
    baseAmbientVS,
    baseCookVS, // 10
    crashVS,
    juliaVS,
    neuronVS,
    spikeVS,
    testModelVS, // 15
    testVS,
    texTestVS,
    x_cam_VS,
);
QZ_NAMED_ENUM(PixelShaderId, int32_t,
    A_0_debuglinePS, // 0
    A_1_create_velocity_and_depthPS,
    A_3_postprocessPS,
    A_4_fxaaPS,
    A_5_bloomHighlightPS,
    A_6_gauss1PS, // 5
    A_7_gauss2PS,
    A_8_spritePS,
    A_backcubePS,
    baseAmbientPS,
    baseCookPS, // 10
    crashPS,
    hogePS,
    juliaPS,
    neuronPS,
    spikePS, // 15
    testModelPS,
    testPS,
    texTestPS,
    x_cam_lookat_PS,
    x_cam_pos_PS, // 20
);
// clang-format on
} // namespace shader_entry

using shader_entry::PixelShaderId;
using shader_entry::VertexShaderId;
inline constexpr int kVertexShaderCount = shader_entry::x_cam_VS + 1;
inline constexpr int kPixelShaderCount = shader_entry::x_cam_pos_PS + 1;

// The entries the scene data draws with.
inline constexpr VertexShaderId kVsBaseCook = shader_entry::baseCookVS; // Cook-Torrance: ambient, diffuse, specular
inline constexpr VertexShaderId kVsTexTest = shader_entry::texTestVS;   // the record's texture
inline constexpr PixelShaderId kPsBaseCook = shader_entry::baseCookPS;
inline constexpr PixelShaderId kPsTexTest = shader_entry::texTestPS;
