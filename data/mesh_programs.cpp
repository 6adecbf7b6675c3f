// mesh_programs.cpp - the 40 embedded mesh programs, one line per operation.
//
// Each program is written as its operations: an operator name, with its operand byte where the
// operator uses it (every other operand byte is the neutral 128), or pick(N) for the pick toggle
// with quad N. `packProgram` turns the list into the 1544-byte record at compile time. Program k
// becomes GPU mesh 18 + k. The comment above each program gives the vertex and quad counts it
// leaves in the mesh.
#include <cstddef>

#include "data/mesh_programs.h"
#include "mesh/mesh_program.h"

namespace {

struct MeshOp {
    MeshOpcode opcode;
    uint8_t operand = 128; // neutral byte for operators that ignore it
    uint32_t pick = 0;     // quad index, for select9 only
};

constexpr MeshOp pick(uint32_t quad) {
    return {MeshOpcode::select9, 128, quad};
}

template <std::size_t N> constexpr MeshProgram packProgram(uint32_t texMode, const MeshOp (&ops)[N]) {
    static_assert(N <= 255, "a program holds at most 255 operations");
    MeshProgram p{};
    p.opCount = static_cast<uint8_t>(N);
    uint32_t picks = 0;
    for (std::size_t k = 0; k < N; k++) {
        p.opcodes[k] = static_cast<uint8_t>(ops[k].opcode);
        p.operands[k] = ops[k].operand;
        if (ops[k].opcode != MeshOpcode::select9) continue;
        for (int b = 0; b < 4; b++) p.picks[4 * picks + b] = static_cast<uint8_t>(ops[k].pick >> (8 * b));
        picks++;
    }
    p.texMode = texMode;
    return p;
}

using enum MeshOpcode;

// clang-format off

// 386 vertices, 384 quads
constexpr MeshOp program0[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
};

// 386 vertices, 384 quads
constexpr MeshOp program1[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
};

// 8 vertices, 6 quads
constexpr MeshOp program2[] = {
    {addcube},
};

// 386 vertices, 384 quads
constexpr MeshOp program3[] = {
    {addcube},
    {subd},
    {subd},
    {smoooth},
};

// 386 vertices, 384 quads
constexpr MeshOp program4[] = {
    {addcube},
    {subd},
    {subd},
    {smoooth},
};

// 482 vertices, 480 quads
constexpr MeshOp program5[] = {
    {addcube},
    {subd},
    {subd},
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    pick(0),
    {addquad},
    {trans2, 132},
};

// 32 vertices, 30 quads
constexpr MeshOp program6[] = {
    {addcube},
    {addquad},
    {scalece, 136},
    {trans5, 129},
};

// 500 vertices, 384 quads
constexpr MeshOp program7[] = {
    {addcube},
    {addquad},
    {trans2, 132},
    {delQuad},
    {subd},
    {select1},
    {addquad},
    {scalece, 142},
    {delQuad},
};

// 506 vertices, 408 quads
constexpr MeshOp program8[] = {
    {addcube},
    {subd},
    {addquad},
    {trans2, 132},
    {trans2, 135},
    {select3},
    {addquad},
    {scalece, 142},
    {delQuad},
};

// 152 vertices, 120 quads
constexpr MeshOp program9[] = {
    {addcube},
    {addquad},
    {trans2, 132},
    {select1},
    {addquad},
    {scalece, 142},
    {delQuad},
};

// 866 vertices, 864 quads
constexpr MeshOp program10[] = {
    {addcube},
    {addquad},
    {scalece, 136},
    {addquad},
    {scalece, 136},
    {trans2, 160},
    {trans2, 255},
    {smoooth},
    {smoooth},
    {scale4, 124},
};

// 98 vertices, 96 quads
constexpr MeshOp program11[] = {
    {addcube},
    {smoooth},
    {smoooth},
};

// 642 vertices, 320 quads
constexpr MeshOp program12[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
    pick(95),
    {select3},
    pick(69),
    {select6},
    pick(95),
    pick(95),
    {select6},
    {select3},
    {delQuad},
    {select1},
    {addquad},
    {scalece, 136},
    {trans2, 160},
};

// 642 vertices, 320 quads
constexpr MeshOp program13[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
    pick(95),
    {select3},
    pick(69),
    {select6},
    pick(95),
    pick(95),
    {select6},
    {select3},
    {delQuad},
    {select1},
    {addquad},
    {scalece, 136},
    {trans2, 255},
};

// 642 vertices, 160 quads
constexpr MeshOp program14[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
    pick(95),
    {select3},
    pick(69),
    {select6},
    pick(95),
    pick(95),
    {select6},
    {select3},
    {delQuad},
    {select1},
    {addquad},
    {scalece, 136},
    {trans2, 255},
    {select2},
    pick(25),
    {select6},
    pick(258),
    {select6},
    pick(209),
    {select6},
    {delQuad},
};

// 642 vertices, 320 quads
constexpr MeshOp program15[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
    pick(95),
    {select3},
    pick(69),
    {select6},
    pick(95),
    pick(95),
    {select6},
    {select3},
    {delQuad},
    {select1},
    {addquad},
    {scalece, 136},
    {trans2, 255},
    {select1},
    {rotate3, 182},
};

// 1538 vertices, 1536 quads
constexpr MeshOp program16[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
    {smoooth},
};

// 482 vertices, 480 quads
constexpr MeshOp program17[] = {
    {addcube},
    {subd},
    {subd},
    {addquad},
    {trans2, 132},
};

// 8 vertices, 6 quads
constexpr MeshOp program18[] = {
    {addcube},
    {scale3, 124},
    {scale2, 162},
};

// 1922 vertices, 1536 quads
constexpr MeshOp program19[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
    {addquad},
    {scalece, 142},
    {delQuad},
};

// 506 vertices, 408 quads
constexpr MeshOp program20[] = {
    {addcube},
    {subd},
    {addquad},
    {trans2, 132},
    {trans2, 135},
    {select3},
    {addquad},
    {scalece, 142},
    {delQuad},
};

// 506 vertices, 408 quads
constexpr MeshOp program21[] = {
    {addcube},
    {subd},
    {addquad},
    {trans2, 132},
    {trans2, 135},
    {select3},
    {addquad},
    {scalece, 142},
    {delQuad},
};

// 1767 vertices, 1792 quads
constexpr MeshOp program22[] = {
    {addcube},
    {scale7, 170},
    {subd},
    {subd},
    pick(48),
    pick(49),
    pick(55),
    pick(52),
    {select3},
    {addquad},
    {trans2, 132},
    {trans5, 73},
    {smoooth},
    {smoooth},
};

// 5184 vertices, 4096 quads
constexpr MeshOp program23[] = {
    {addcube},
    pick(1),
    pick(3),
    {select3},
    {delQuad},
    {select1},
    {addquad},
    {trans2, 132},
    {scalece, 180},
    {subd},
    {subd},
    {smoooth},
    {smoooth},
    {delQuad},
};

// 386 vertices, 64 quads
constexpr MeshOp program24[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
    pick(95),
    {select3},
    pick(69),
    {select6},
    pick(95),
    pick(95),
    {select6},
    {select3},
    {delQuad},
};

// 482 vertices, 480 quads
constexpr MeshOp program25[] = {
    {addcube},
    {subd},
    {subd},
    {addquad},
    {trans2, 132},
    {rotate1, 158},
};

// 386 vertices, 384 quads
constexpr MeshOp program26[] = {
    {addcube},
    {scale4, 135},
    {subd},
    {subd},
    {smoooth},
};

// 3242 vertices, 3072 quads
constexpr MeshOp program27[] = {
    {addcube},
    {smoooth},
    {addquad},
    {scalece, 136},
    {trans2, 160},
    {addquad},
    {scalece, 142},
    {delQuad},
    {subd},
    {smoooth},
};

// 122 vertices, 120 quads
constexpr MeshOp program28[] = {
    {addcube},
    {smoooth},
    {addquad},
    {scalece, 136},
    {trans2, 160},
};

// 314 vertices, 288 quads
constexpr MeshOp program29[] = {
    {addcube},
    {subd},
    {addquad},
    {trans2, 132},
    {rotate1, 91},
    {addquad},
    {trans2, 132},
    {addquad},
    {scalece, 142},
    {delQuad},
};

// 8 vertices, 6 quads
constexpr MeshOp program30[] = {
    {addcube},
};

// 32 vertices, 30 quads
constexpr MeshOp program31[] = {
    {addcube},
    {addquad},
    {scalece, 136},
    {trans2, 160},
};

// 32 vertices, 30 quads
constexpr MeshOp program32[] = {
    {addcube},
    {addquad},
    {scalece, 136},
};

// 386 vertices, 384 quads
constexpr MeshOp program33[] = {
    {addcube},
    {subd},
    {smoooth},
    {smoooth},
    {transy, 161},
};

// 96 vertices, 76 quads
constexpr MeshOp program34[] = {
    {addcube},
    pick(1),
    pick(3),
    {addquad},
    {trans2, 132},
    {select3},
    {addquad},
    {scalece, 142},
    {delQuad},
};

// 8 vertices, 4 quads
constexpr MeshOp program35[] = {
    {addcube},
    pick(4),
    pick(5),
    {select3},
    {delQuad},
};

// 16 vertices, 12 quads
constexpr MeshOp program36[] = {
    {addcube},
    pick(4),
    pick(5),
    {select3},
    {addquad},
    {scalece, 136},
    {delQuad},
};

// 642 vertices, 160 quads
constexpr MeshOp program37[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
    pick(95),
    {select3},
    pick(69),
    {select6},
    pick(95),
    pick(95),
    {select6},
    {select3},
    {delQuad},
    {select1},
    {addquad},
    {scalece, 136},
    {trans2, 255},
    {select2},
    pick(25),
    {select6},
    pick(258),
    {select6},
    pick(209),
    {select6},
    {delQuad},
    {select1},
    {scale1, 159},
    {scale5, 215},
};

// 386 vertices, 64 quads
constexpr MeshOp program38[] = {
    {addcube},
    {smoooth},
    {smoooth},
    {smoooth},
    pick(95),
    {select3},
    pick(69),
    {select6},
    pick(95),
    pick(95),
    {select6},
    {select3},
    {delQuad},
    {scale1, 255},
    {scale1, 180},
};

// 394 vertices, 372 quads
constexpr MeshOp program39[] = {
    {addcube},
    pick(1),
    pick(1),
    {scale1, 126},
    pick(5),
    pick(4),
    {scale2, 85},
    {scale3, 170},
    pick(4),
    pick(4),
    {scale4, 115},
    {select5},
    pick(1),
    pick(1),
    pick(1),
    {select2},
    pick(0),
    {select2},
    {subd},
    {subd},
    {subd},
    pick(68),
    pick(68),
    pick(92),
    pick(83),
    pick(80),
    pick(93),
    pick(68),
    pick(71),
    pick(65),
    pick(64),
    {delQuad},
    pick(264),
    pick(312),
    {delQuad},
    pick(36),
    pick(33),
    {delQuad},
    pick(49),
    pick(32),
    {delQuad},
    {delQuad},
    pick(45),
    pick(56),
    {delQuad},
    {delQuad},
    pick(36),
    pick(55),
    {delQuad},
    {delQuad},
    {scale1, 255},
    {scale1, 155},
    {addcube},
    {trans5, 143},
    {rotate1, 99},
    {trans5, 126},
    {trans6, 161},
    {scale6, 112},
    {scale7, 139},
    {trans5, 161},
    {scale6, 135},
    {scale6, 168},
    {scale6, 135},
    {trans6, 127},
    {trans5, 138},
    {scale6, 136},
    {trans5, 138},
    {scale7, 132},
    {trans6, 152},
    {scale7, 156},
    {trans6, 100},
    {scale6, 146},
    {trans6, 129},
    {trans6, 126},
    {rotate1, 134},
    {trans5, 131},
    {trans6, 124},
    {trans6, 128},
    {rotate1, 128},
    {trans6, 128},
    {rotate1, 126},
    {trans5, 126},
    {scale7, 143},
    {trans5, 127},
    {trans6, 129},
    {scale7, 146},
    {trans6, 124},
    {trans5, 127},
    {trans5, 128},
    {trans6, 126},
    {scale7, 144},
    {select2},
    {scale1, 129},
    {select1},
    {rotate1, 0},
    {select2},
};

// clang-format on

} // namespace

// One program per line.
// clang-format off
const MeshProgram meshPrograms[kMeshProgramCount] = {
    packProgram(0, program0),
    packProgram(1, program1),
    packProgram(0, program2),
    packProgram(0, program3),
    packProgram(0, program4),
    packProgram(0, program5),
    packProgram(0, program6),
    packProgram(0, program7),
    packProgram(0, program8),
    packProgram(0, program9),
    packProgram(0, program10),
    packProgram(0, program11),
    packProgram(0, program12),
    packProgram(0, program13),
    packProgram(0, program14),
    packProgram(0, program15),
    packProgram(0, program16),
    packProgram(0, program17),
    packProgram(0, program18),
    packProgram(0, program19),
    packProgram(0, program20),
    packProgram(0, program21),
    packProgram(0, program22),
    packProgram(0, program23),
    packProgram(0, program24),
    packProgram(0, program25),
    packProgram(0, program26),
    packProgram(0, program27),
    packProgram(0, program28),
    packProgram(0, program29),
    packProgram(0, program30),
    packProgram(0, program31),
    packProgram(0, program32),
    packProgram(0, program33),
    packProgram(0, program34),
    packProgram(0, program35),
    packProgram(0, program36),
    packProgram(0, program37),
    packProgram(0, program38),
    packProgram(0, program39),
};
// clang-format on
