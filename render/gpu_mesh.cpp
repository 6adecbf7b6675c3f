// gpu_mesh.cpp - uploads program and text meshes as vertex and index buffers.
#include "render/gpu_mesh.h"

#include <cstddef>
#include <cstring>

#include "render/device.h"

GpuMesh gpuMeshes[kGpuMeshCount];

namespace {

// A new buffer bound to `target` and mapped for writing; the caller fills it and calls unmapBuffer.
void* mapNewBuffer(GLenum target, GLuint& buffer, size_t bytes) {
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, (GLsizeiptr)bytes, nullptr, GL_DYNAMIC_DRAW);
    return glMapBufferRange(target, 0, (GLsizeiptr)bytes, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
}

void unmapBuffer(GLenum target) {
    glUnmapBuffer(target);
}

// The vertex array of a mesh whose vertices are uploaded: the 68-byte layout over `vertexBuffer`,
// and a new index buffer counting 0 .. count-1. The vertex array bound before is bound again.
void createLayout(GpuMesh& mesh, uint32_t count) {
    GLint previous = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &previous);
    glGenVertexArrays(1, &mesh.vertexArray);
    glBindVertexArray(mesh.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    const size_t offsets[5] = {offsetof(MeshVertex, P), offsetof(MeshVertex, N), offsetof(MeshVertex, T),
                               offsetof(MeshVertex, C), offsetof(MeshVertex, G)};
    for (GLuint a = 0; a < 5; ++a) {
        glEnableVertexAttribArray(a);
        const bool colour = a == 3; // 4 unsigned normalised bytes
        glVertexAttribPointer(a, 4, colour ? GL_UNSIGNED_BYTE : GL_FLOAT, colour ? GL_TRUE : GL_FALSE,
                              (GLsizei)kMeshVertexStride, (const void*)offsets[a]);
    }
    uint32_t* indices = (uint32_t*)mapNewBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer, (size_t)count * 4);
    for (uint32_t i = 0; i < count; ++i) indices[i] = i;
    unmapBuffer(GL_ELEMENT_ARRAY_BUFFER);
    mesh.indexCount = count;
    glBindVertexArray((GLuint)previous);
}

} // namespace

void uploadQuadMesh(GpuMesh& out, const QuadMesh& mesh, uint32_t texMode) {
    out = GpuMesh{};
    out.fromProgram = 1;
    const uint32_t n = mesh.quadCount;
    if (n == 0) return; // nothing to draw: the record stays empty
    MeshVertex* vertices =
        (MeshVertex*)mapNewBuffer(GL_ARRAY_BUFFER, out.vertexBuffer, (size_t)n * kVerticesPerQuad * 68);
    writeProgramVertices(mesh, texMode, vertices);
    unmapBuffer(GL_ARRAY_BUFFER);
    createLayout(out, n * kVerticesPerQuad);
}

UnpackResult buildProgramMesh(GpuMesh& out, const MeshProgram& program, uint32_t texMode) {
    UnpackResult result = runMeshProgram(program, quadMesh);
    uploadQuadMesh(out, quadMesh, texMode);
    return result;
}

void uploadMeshVertices(GpuMesh& out, const MeshVertex* vertices, uint32_t count) {
    out = GpuMesh{};
    if (count == 0) return;
    void* written = mapNewBuffer(GL_ARRAY_BUFFER, out.vertexBuffer, (size_t)count * kMeshVertexStride);
    std::memcpy(written, vertices, (size_t)count * kMeshVertexStride);
    unmapBuffer(GL_ARRAY_BUFFER);
    createLayout(out, count);
}

void buildTextGpuMesh(GpuMesh& out, const float* vertices, const uint16_t* indices, uint32_t indexCount) {
    out = GpuMesh{};
    const uint32_t m = indexCount - indexCount % 3;
    if (m == 0) return;
    MeshVertex* written = (MeshVertex*)mapNewBuffer(GL_ARRAY_BUFFER, out.vertexBuffer, (size_t)m * 68);
    writeTextVertices(vertices, indices, m, written);
    unmapBuffer(GL_ARRAY_BUFFER);
    createLayout(out, m);
}
