// reference_mesh.h - the mesh operators written the plain, slow way, as the yardstick for the library.
//
// Every operator here follows the algorithm word for word: `vselect` scans all quads for each
// vertex, welding searches the vertex array with `dupvert`, extrusion and deletion shift the quad
// array once per quad. The library must build bit-identical meshes.
//
//     clearMesh(mesh);
//     ref::unpacko(meshPrograms[k], mesh);
#pragma once

#include "mesh/mesh_program.h"

namespace ref {

extern int32_t referenceQuad; // this implementation's own reference quad
extern const MeshOperator functio[kMeshOperatorCount];

void select9(QuadMesh& m, uint32_t index);
void unpacko(const MeshProgram& program, QuadMesh& m); // no capacity or pick checks

} // namespace ref
