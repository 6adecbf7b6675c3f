// mesh_programs.h - the 40 embedded mesh programs (defined in data/mesh_programs.cpp). Program k
// becomes GPU mesh 18 + k.
//
//     UnpackResult r = unpacko(meshPrograms[k], quadMesh);
#pragma once

#include "mesh/mesh_program.h"

extern const MeshProgram meshPrograms[kMeshProgramCount];
