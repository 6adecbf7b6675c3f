// gpu_mesh.h - drawable meshes: vertex and index buffers of 68-byte vertices, addressed by index.
//
// `gpuMeshes` holds 58 records: 0..17 the text lines, 18..57 the mesh programs 0..39. A record
// whose vertexBuffer is 0 is empty and is never drawn. Indices are 32-bit and simply count 0, 1, 2...
// Each mesh has a vertex array of its own that reads the 68-byte vertex (P, N, T, C, G at attribute
// locations 0..4) from its vertex buffer and holds its index buffer: drawing binds just that.
//
//     uint32_t count = 0;
//     buildTextGpuMeshes(gpuMeshes, count);                     // 18
//     for (k...) buildProgramMesh(gpuMeshes[count + k], meshPrograms[k], meshPrograms[k].texMode);
#pragma once

#include <cstdint>
#include <epoxy/gl.h>

#include "mesh/mesh_program.h"
#include "mesh/mesh_vertices.h"

inline constexpr int kGpuMeshCount = 58;
inline constexpr int kTextMeshCount = 18;
inline constexpr uint32_t kMeshVertexStride = 68;

struct GpuMesh {
    GLuint vertexArray;   // the layout over the two buffers below
    GLuint vertexBuffer;  // MeshVertex records; 0 when the slot is empty
    GLuint indexBuffer;   // u32 indices 0 .. indexCount-1
    uint32_t indexCount;  // indices to draw as a triangle list
    uint32_t fromProgram; // 1 for program meshes, 0 for text meshes
};

extern GpuMesh gpuMeshes[kGpuMeshCount];

// Runs the program over the cleared `quadMesh` and uploads it. A program that leaves no quads gives
// an empty record. The interpreter's result is returned so the caller can report a refused operation.
UnpackResult buildProgramMesh(GpuMesh& out, const MeshProgram& program, uint32_t texMode);

// Uploads a finished quad mesh (six vertices per quad); no quads give an empty record.
void uploadQuadMesh(GpuMesh& out, const QuadMesh& mesh, uint32_t texMode);

// Uploads `count` finished vertices as they are (tests feed shaders through it).
void uploadMeshVertices(GpuMesh& out, const MeshVertex* vertices, uint32_t count);
// Uploads one text mesh (24-byte position+normal records, u16 indices) as flat-shaded triangles.
void buildTextGpuMesh(GpuMesh& out, const float* vertices, const uint16_t* indices, uint32_t indexCount);

// Uploads the 18 text meshes (mesh/text_mesh.h) into meshes[0..17] and reports 18 in `count`
// (render/startup.cpp).
void buildTextGpuMeshes(GpuMesh* meshes, uint32_t& count);

// Builds every GPU mesh in start-up order: text meshes, then the 40 programs. Fails with a render
// error naming the program and operation the interpreter refused (render/startup.cpp).
bool buildGpuMeshes();
