// mesh_program.h - the byte-code mesh programs and their interpreter.
//
// A `MeshProgram` is a 1544-byte record: up to 255 operations of one opcode byte and one operand
// byte each, a list of quad picks consumed by the pick opcode (50), and the texture-coordinate mode
// of the GPU build. `unpacko` runs one program over a mesh the caller has cleared:
//
//     clearMesh(quadMesh);
//     UnpackResult r = unpacko(meshPrograms[k], quadMesh);
//     if (r.error != MeshError::none) { ... r.opIndex names the operation that was refused ... }
//
// Operand bytes decode to [-8, +8] (`decodeOperand`). After every geometric operation the normals
// are recomputed; selection operations leave them alone. Unknown opcodes are skipped.
#pragma once

#include <cstdint>

#include "mesh/quad_mesh.h"

inline constexpr uint32_t kMeshProgramCount = 40;
inline constexpr uint32_t kMeshOperatorCount = 32;

// Opcodes: 0..31 index the operator table `functio`; 50 is the pick toggle `select9`.
// clang-format off
enum class MeshOpcode : uint8_t {
    scale1, scale2, scale3, scale4, scale5, scale6, scale7, scale8,         // 0..7
    scalece, trans1, transy, trans3, trans4, trans5, trans6, trans2,        // 8..15
    rotate1, rotate2, rotate3,                                              // 16..18
    select1, select2, select3, select4, select5, select6, select7, select8, // 19..26
    subd, smoooth, addquad, delQuad, addcube,                               // 27..31
    select9 = 50,
};
// clang-format on

struct MeshProgram {
    uint8_t opCount;       // operations in use, 0..255
    uint8_t opcodes[256];  // opcode of operation k
    uint8_t operands[256]; // operand byte of operation k (positional, used or not)
    uint8_t picks[1024];   // u32 little-endian quad indices, consumed in order by opcode 50
    uint8_t padding[3];    // ignored
    uint32_t texMode;      // 0 = per-quad corner coordinates, 1 = spherical angles
};
static_assert(sizeof(MeshProgram) == 1544, "MeshProgram is a 1544-byte record");

using MeshOperator = void (*)(QuadMesh& mesh, float value);
extern const MeshOperator functio[kMeshOperatorCount];
extern const char* const meshOperatorNames[kMeshOperatorCount]; // "scale1" .. "addcube"

// The show's 40 programs are data/mesh_programs.h.

enum class MeshError : uint32_t {
    none,
    capacity, // the operation could outgrow the mesh's vertex or quad capacity; it was not run
    badPick,  // a pick names a quad at or past quadCount; it was not applied
};

struct UnpackResult {
    MeshError error;  // none when every operation ran
    uint32_t opIndex; // the refused operation when error != none
};

float decodeOperand(uint8_t byte);
UnpackResult unpacko(const MeshProgram& program, QuadMesh& mesh);
void select9(QuadMesh& mesh, uint32_t index);
const char* meshErrorText(MeshError error);
