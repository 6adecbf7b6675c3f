// mesh_program.cpp - operand decoding, the operator table and the interpreter loop.
#include "mesh/mesh_program.h"

#include "mesh/mesh_ops.h"

const MeshOperator functio[kMeshOperatorCount] = {
    scale1,  scale2,  scale3,  scale4,  scale5,  scale6,  scale7,  scale8,  // 0..7
    scalece, trans1,  transy,  trans3,  trans4,  trans5,  trans6,  trans2,  // 8..15
    rotate1, rotate2, rotate3, select1, select2, select3, select4, select5, // 16..23
    select6, select7, select8, subd,    smoooth, addquad, delQuad, addcube, // 24..31
};

const char* const meshOperatorNames[kMeshOperatorCount] = {
    "scale1",  "scale2",  "scale3",  "scale4",  "scale5",  "scale6",  "scale7",  "scale8",
    "scalece", "trans1",  "transy",  "trans3",  "trans4",  "trans5",  "trans6",  "trans2",
    "rotate1", "rotate2", "rotate3", "select1", "select2", "select3", "select4", "select5",
    "select6", "select7", "select8", "subd",    "smoooth", "addquad", "delQuad", "addcube",
};

// byte x 0.0627451 - 8, worked in double from the single-precision constant and rounded once, so
// that byte 255 gives 8.000001.
float decodeOperand(uint8_t byte) {
    constexpr float step = 0.0627451f;
    return static_cast<float>(static_cast<double>(byte) * static_cast<double>(step) - 8.0);
}

void select9(QuadMesh& mesh, uint32_t index) {
    mesh.quadSelected[index] = (mesh.quadSelected[index] == 0) ? 1 : 0;
    referenceQuad = (mesh.quadSelected[index] == 1) ? static_cast<int32_t>(index) : -1;
}

const char* meshErrorText(MeshError error) {
    switch (error) {
    case MeshError::none:
        return "no error";
    case MeshError::capacity:
        return "the mesh would outgrow its capacity of 250000 vertices and 250000 quads";
    case MeshError::badPick:
        return "the pick names a quad that does not exist";
    }
    return "unknown error";
}

//-----------------------------------------------------------------------------
// Interpreter
//-----------------------------------------------------------------------------

static bool isSelectionOp(uint8_t op) {
    return op >= 19 && op <= 26;
}

static uint32_t selectedQuadCount(const QuadMesh& m) {
    uint32_t n = 0;
    for (uint32_t q = 0; q < m.quadCount; q++) n += (m.quadSelected[q] != 0) ? 1 : 0;
    return n;
}

// True when the operator's worst case (quads held at once included) fits the mesh's capacity.
static bool fitsCapacity(const QuadMesh& m, MeshOpcode op) {
    uint64_t v = m.vertexCount, q = m.quadCount;
    switch (op) {
    case MeshOpcode::addcube:
        v += 8, q += 6;
        break;
    case MeshOpcode::subd:
    case MeshOpcode::smoooth:
        v += 5 * q, q *= 5;
        break;
    case MeshOpcode::addquad: {
        uint64_t s = selectedQuadCount(m);
        v += 4 * s, q += 4 * s + 1;
        break;
    }
    default:
        break;
    }
    return v <= kMeshMaxVertices && q <= kMeshMaxQuads;
}

static uint32_t readPick(const MeshProgram& program, uint32_t cursor) {
    const uint8_t* b = program.picks + 4 * cursor;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// Normals are recomputed lazily: setnorm clears and rebuilds them from positions and quads alone,
// and only trans2 reads them, so one setnorm before each trans2 and one at the end give the same
// normals as a setnorm after every geometric operation.
UnpackResult unpacko(const MeshProgram& program, QuadMesh& mesh) {
    uint32_t pickCursor = 0;
    bool normalsStale = false;
    UnpackResult result = {MeshError::none, 0};
    for (uint32_t k = 0; k < program.opCount && result.error == MeshError::none; k++) {
        const uint8_t op = program.opcodes[k];
        if (op < kMeshOperatorCount) {
            if (!fitsCapacity(mesh, MeshOpcode(op))) {
                result = {MeshError::capacity, k};
                break;
            }
            if (op == uint8_t(MeshOpcode::trans2) && normalsStale) setnorm(mesh);
            functio[op](mesh, decodeOperand(program.operands[k]));
            if (!isSelectionOp(op)) normalsStale = true;
        } else if (op == uint8_t(MeshOpcode::select9)) {
            uint32_t index = readPick(program, pickCursor++);
            if (index >= mesh.quadCount)
                result = {MeshError::badPick, k};
            else
                select9(mesh, index);
        }
    }
    if (normalsStale) setnorm(mesh);
    return result;
}
