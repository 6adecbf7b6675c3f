// draw_names.h - the numbers by which scene data names GPU meshes and shader entries.
//
// GPU meshes 0..17 are the text lines (data/text_lines.cpp), 18 + k is mesh program k
// (data/mesh_programs.cpp); each has a name saying what it is, pictured in docs/meshes.md
// (`qz001-tool mesh-sheet --out docs/meshes.png` draws them). Identical programs carry a letter
// (kMeshCubeB). Shaders are named by their entries (the lists below) and used in vertex/pixel pairs.
//
//     node(kOpDrawMesh, {pos}, {kMeshCube, 64, kVsBaseCook, kPsBaseCook, kImgCheckerCoarse}, 1)
#pragma once

#include <cstdint>

#include "base/enum_names.h"

inline constexpr int32_t kGpuMeshFirstProgram = 18; // GPU mesh of mesh program 0

// clang-format off
QZ_NAMED_ENUM(GpuMeshId, int32_t,
    kMeshTextAndManyGroups,  // 0: "And Many Groups!!!"
    kMeshTextCodeQuillbit,   // 1: "Code Quillbit"
    kMeshTextCredits,        // 2: "Credits"
    kMeshTextSodiumOrchard,  // 3: "Sodium Orchard"
    kMeshTextEnd,            // 4: "END"
    kMeshTextFerrousMeadow,  // 5: "Ferrous Meadow"
    kMeshTextKilnTheory,     // 6: "Kiln Theory"
    kMeshTextVelvetAbacus,   // 7: "Velvet Abacus"
    kMeshTextNineCupboards,  // 8: "Nine Cupboards"
    kMeshTextMusic,          // 9: "Music"
    kMeshTextMossgrain,      // 10: "Mossgrain"
    kMeshTextProd01Pinwheel, // 11: "prod 01-pinwheel"
    kMeshTextStill,          // 12: "still"
    kMeshTextQuartzMoth,     // 13: "Quartz Moth"
    kMeshTextThankYou,       // 14: "Thank you!!!"
    kMeshTextLowtideRelay,   // 15: "Lowtide Relay"
    kMeshTextPaperTigerlily, // 16: "Paper Tigerlily"
    kMeshTextWantToBeLike,   // 17: "want to be like"
    kMeshSmoothCubeQuadUv,   // 18, program 0: the cube smoothed three times, a ball; uv per quad
    kMeshSmoothCube,         // 19, program 1: the cube smoothed three times, a ball; spherical uv
    kMeshCube,               // 20, program 2: the bare 2 x 2 x 2 cube
    kMeshRoundedCube,        // 21, program 3: a cube with rounded edges
    kMeshRoundedCubeB,       // 22, program 4: the same mesh as kMeshRoundedCube
    kMeshPlatedCube,         // 23, program 5: a cube of six raised plates
    kMeshBevelledCube,       // 24, program 6: a cube with bevelled edges
    kMeshFrameCrossFine,     // 25, program 7: kMeshFrameCross, subdivided
    kMeshLatticeCross,       // 26, program 8: a cross of open box frames with a few faces closed
    kMeshFrameCross,         // 27, program 9: a cross of open box frames
    kMeshSpikeStar,          // 28, program 10: a star of six long spikes, smoothed
    kMeshSmoothCubeCoarse,   // 29, program 11: the cube smoothed twice: a coarse ball
    kMeshStuddedRing,        // 30, program 12: a ring with short studs round it
    kMeshSpikedRing,         // 31, program 13: a ring with long spikes round it
    kMeshSpikedRingThin,     // 32, program 14: kMeshSpikedRing, half its quads gone
    kMeshSpikedRingTwisted,  // 33, program 15: kMeshSpikedRing, spikes turned: a crown
    kMeshSmoothCubeFine,     // 34, program 16: the cube smoothed four times: a fine ball
    kMeshPlatedCubeB,        // 35, program 17: the same mesh as kMeshPlatedCube
    kMeshPillar,             // 36, program 18: a tall thin box (mirrored: faces wind inwards)
    kMeshWireBall,           // 37, program 19: a wire globe of thin frames
    kMeshLatticeCrossB,      // 38, program 20: the same mesh as kMeshLatticeCross
    kMeshLatticeCrossC,      // 39, program 21: the same mesh as kMeshLatticeCross
    kMeshClaw,               // 40, program 22: a bent arm with four fingers
    kMeshOpenRoundedCube,    // 41, program 23: a hollow rounded cube open on four sides
    kMeshRing,               // 42, program 24: a plain band cut from the ball
    kMeshPlatedCubeTwisted,  // 43, program 25: kMeshPlatedCube, plates turned: saw teeth
    kMeshSmallRoundedCube,   // 44, program 26: kMeshRoundedCube at 0.47 of its size
    kMeshStuddedBallOpen,    // 45, program 27: a ball of hollow studs open at the tips
    kMeshStuddedBall,        // 46, program 28: a ball of short square studs
    kMeshWindowBlocks,       // 47, program 29: turned blocks with window frames
    kMeshCubeB,              // 48, program 30: the same mesh as kMeshCube
    kMeshJack,               // 49, program 31: an arm out of every face: a jack
    kMeshInsetCube,          // 50, program 32: every face inset, flat: looks like kMeshCube
    kMeshSoftCube,           // 51, program 33: a pillow-like cube, y from 1.1 to 3.1
    kMeshFrameRow,           // 52, program 34: a row of open box frames
    kMeshSquareTube,         // 53, program 35: a cube without two opposite faces
    kMeshHoledCube,          // 54, program 36: a square hole through two faces
    kMeshRibbedBarrel,       // 55, program 37: kMeshSpikedRingThin stretched: a barrel
    kMeshPipe,               // 56, program 38: kMeshRing stretched along its axis
    kMeshFloppyDisk,         // 57, program 39: a thin plate shaped like a 3.5-inch disk
    // the renderer's table holds kGpuMeshCount = 58 (render/gpu_mesh.h)
);
// clang-format on
static_assert(kMeshSmoothCubeQuadUv == kGpuMeshFirstProgram, "program meshes follow the 18 text meshes");

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
inline constexpr VertexShaderId kVsBaseCook =
    shader_entry::baseCookVS; // Cook-Torrance: ambient, diffuse, specular
inline constexpr VertexShaderId kVsTexTest = shader_entry::texTestVS; // the record's texture
inline constexpr PixelShaderId kPsBaseCook = shader_entry::baseCookPS;
inline constexpr PixelShaderId kPsTexTest = shader_entry::texTestPS;
