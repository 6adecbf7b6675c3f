// startup.cpp - the renderer's start-up steps and the hand-off of the director's frame outputs.
#include "render/startup.h"
#include "data/mesh_programs.h"

#include <chrono>

#include "data/images.h"
#include "director/director_state.h"
#include "mesh/text_mesh.h"
#include "render/gpu_mesh.h"
#include "render/shader_library.h"
#include "render/textures.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

void buildTextGpuMeshes(GpuMesh* meshes, uint32_t& count) {
    for (int i = 0; i < kTextMeshCount; ++i) {
        const TextMesh& text = textMeshes[i];
        if (!text.vertices) { // createTextMeshes has not run (or stopped early): the slot stays empty
            meshes[i] = GpuMesh{};
            continue;
        }
        buildTextGpuMesh(meshes[i], &text.vertices[0].px, text.indices, text.indexCount);
    }
    count = kTextMeshCount;
}

bool buildGpuMeshes() {
    uint32_t count = 0;
    buildTextGpuMeshes(gpuMeshes, count);
    for (uint32_t k = 0; k < kMeshProgramCount; ++k) {
        UnpackResult r = buildProgramMesh(gpuMeshes[count + k], meshPrograms[k], meshPrograms[k].texMode);
        if (r.error != MeshError::none) {
            setRenderError("mesh program %u: operation %u was refused: %s", k, r.opIndex,
                           meshErrorText(r.error));
            return false;
        }
    }
    return true;
}

struct EmbeddedFiles {
    PngFile files[kEmbeddedImageCount];
};

// Filled once: the background loads read it while later steps run.
static const PngFile* embeddedFiles() {
    static const EmbeddedFiles table = [] {
        EmbeddedFiles t;
        for (int i = 0; i < kEmbeddedImageCount; ++i)
            t.files[i] = PngFile{embeddedImages[i].data, embeddedImages[i].size};
        return t;
    }();
    return table.files;
}

bool loadEmbeddedTextures() {
    return loadTextureBatch(textures, embeddedFiles(), kEmbeddedImageCount, "embedded image");
}

bool startEmbeddedTextures() {
    return startTextureLoads(textures, embeddedFiles(), kEmbeddedImageCount, "embedded image");
}

void prestartEmbeddedTextures() {
    prestartTextureLoads(textures, embeddedFiles(), kEmbeddedImageCount, "embedded image");
}

bool runRendererStep(RenderDevice& dev, const RendererDesc& desc, SDL_Window* window, int step,
                     StartupTimes& t) {
    const auto start = std::chrono::steady_clock::now();
    bool ok = false;
    switch (step) {
    case 0:
        dev.width = desc.width;
        dev.height = desc.height;
        dev.aspect = (float)desc.width / (float)desc.height;
        dev.spriteWidth = desc.spriteWidth ? desc.spriteWidth : desc.width;
        dev.spriteHeight = desc.spriteHeight ? desc.spriteHeight : desc.height;
        dev.api = desc.api;
        ok = createDevice(window, desc.fullScreen, dev);
        t.device = secondsSince(start);
        break;
    case 1:
        ok = compileShaderLibrary(dev) && linkShaderPrograms(dev, desc.shaderPairs, desc.shaderPairCount);
        t.shaders = secondsSince(start);
        break;
    case 2:
        ok = buildGpuMeshes();
        t.meshes = secondsSince(start);
        break;
    case kTexturesStep:
        ok = startEmbeddedTextures();
        t.textures = secondsSince(start);
        break;
    case 4:
        ok = createRenderResources(desc.vsync, desc.antialias, dev);
        t.resources = secondsSince(start);
        break;
    }
    return ok;
}

bool startRenderer(RenderDevice& dev, const RendererDesc& desc, SDL_Window* window, StartupTimes* times) {
    StartupTimes local = {};
    for (int step = 0; step < kRendererStepCount; ++step)
        if (!runRendererStep(dev, desc, window, step, times ? *times : local)) return false;
    return true;
}

FrameInput directorFrameInput() {
    return FrameInput{&drawListOpaque, &drawListBlended, &spriteList,
                      &cameraState,    &frameSettings,   &lineList};
}
