// mesh_vertices.h - the CPU half of the GPU mesh build: finished meshes as 68-byte `MeshVertex`
// triangle lists, ready to be copied into a vertex buffer (render/gpu_mesh.h does the upload).
//
//     UnpackResult r = runMeshProgram(meshPrograms[k], quadMesh);      // cleared mesh + program
//     writeProgramVertices(quadMesh, meshPrograms[k].texMode, out);   // 6 x quadCount vertices
//
// Every quad becomes two triangles with six vertices of their own (c0 c1 c3, c1 c2 c3), each carrying
// its corner's position and vertex normal and the centre of its quad. Text meshes become one flat-shaded
// triangle per index triple (`writeTextVertices`). Nothing here touches a graphics device.
#pragma once

#include <cstdint>

#include "mesh/mesh_program.h"
#include "mesh/quad_mesh.h"

struct MeshVertex {
    float P[4];   // position, w = 1
    float N[4];   // normal (unnormalised for program meshes), w = 1
    float T[4];   // texture coordinate
    uint8_t C[4]; // colour R, G, B, A (unsigned normalised)
    float G[4];   // centre of the vertex's face
};
static_assert(sizeof(MeshVertex) == 68, "MeshVertex is the 68-byte vertex of the input layout");

inline constexpr uint32_t kVerticesPerQuad = 6;

struct SphereAngles {
    float phi;   // asin(y / |xy|), in [-pi/2, pi/2]; 0 on the z axis
    float theta; // angle to the z axis folded onto one hemisphere, in [0, pi/2]
    float r;     // distance from the origin
};

SphereAngles sphereAngles(float x, float y, float z);

// Clears `mesh` (every field) and runs `program` over it.
UnpackResult runMeshProgram(const MeshProgram& program, QuadMesh& mesh);

// Writes 6 x mesh.quadCount vertices; texMode 1 gives spherical angles, any other value the per-quad
// corner coordinates (0,0) (1,0) (1,1) (0,1).
void writeProgramVertices(const QuadMesh& mesh, uint32_t texMode, MeshVertex* out);

// Writes `indexCount` vertices from a text mesh: `vertices` are 24-byte records (position, normal),
// `indices` three per triangle. Each triangle takes the normal of its first vertex and its centroid.
void writeTextVertices(const float* vertices, const uint16_t* indices, uint32_t indexCount, MeshVertex* out);
