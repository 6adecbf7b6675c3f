// gpu_mesh.cpp - uploads program and text meshes as vertex and index buffers.
#include "render/gpu_mesh.h"

#include "render/device.h"

GpuMesh gpuMeshes[kGpuMeshCount];

namespace {

// A buffer of `bytes` mapped for writing; the caller fills it and calls unmapBuffer.
void* createMappedBuffer(GLuint& buffer, size_t bytes) {
    glCreateBuffers(1, &buffer);
    glNamedBufferData(buffer, (GLsizeiptr)bytes, nullptr, GL_DYNAMIC_DRAW);
    return glMapNamedBufferRange(buffer, 0, (GLsizeiptr)bytes,
                                 GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
}

void unmapBuffer(GLuint buffer) {
    glUnmapNamedBuffer(buffer);
}

GLuint createCountingIndexBuffer(uint32_t count) {
    GLuint buffer = 0;
    uint32_t* indices = (uint32_t*)createMappedBuffer(buffer, (size_t)count * 4);
    for (uint32_t i = 0; i < count; ++i) indices[i] = i;
    unmapBuffer(buffer);
    return buffer;
}

} // namespace

void uploadQuadMesh(GpuMesh& out, const QuadMesh& mesh, uint32_t texMode) {
    out = GpuMesh{};
    out.fromProgram = 1;
    const uint32_t n = mesh.quadCount;
    if (n == 0) return; // nothing to draw: the record stays empty
    MeshVertex* vertices =
        (MeshVertex*)createMappedBuffer(out.vertexBuffer, (size_t)n * kVerticesPerQuad * 68);
    writeProgramVertices(mesh, texMode, vertices);
    unmapBuffer(out.vertexBuffer);
    out.indexCount = n * kVerticesPerQuad;
    out.indexBuffer = createCountingIndexBuffer(out.indexCount);
}

UnpackResult buildProgramMesh(GpuMesh& out, const MeshProgram& program, uint32_t texMode) {
    UnpackResult result = runMeshProgram(program, quadMesh);
    uploadQuadMesh(out, quadMesh, texMode);
    return result;
}

void buildTextGpuMesh(GpuMesh& out, const float* vertices, const uint16_t* indices, uint32_t indexCount) {
    out = GpuMesh{};
    const uint32_t m = indexCount - indexCount % 3;
    if (m == 0) return;
    MeshVertex* written = (MeshVertex*)createMappedBuffer(out.vertexBuffer, (size_t)m * 68);
    writeTextVertices(vertices, indices, m, written);
    unmapBuffer(out.vertexBuffer);
    out.indexCount = m;
    out.indexBuffer = createCountingIndexBuffer(m);
}
