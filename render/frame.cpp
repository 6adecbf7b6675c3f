// frame.cpp - the frame's fixed order of passes, the camera and the drawing of one object.
#include "render/frame.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <glm/gtc/type_ptr.hpp>

#include "base/arena.h"
#include "base/dx_math.h"
#include "director/director_state.h"
#include "render/gpu_mesh.h"
#include "render/pass_timer.h"
#include "render/post.h"
#include "render/post_effects.h"
#include "render/shader_library.h"
#include "render/sprites.h"
#include "render/textures.h"

FrameCamera frameCamera;

namespace {

// Not const: through the constant table the compiler reads each name as a char array of its own and
// misjudges where it ends (false warnings on every %s and string).
FramePassNames passNames = kFramePassNames;

// b1 keeps what was last written: the velocity pass writes only the two projections.
PerObjectData perObject;

glm::vec3 vec3Of(const float v[3]) {
    return glm::vec3(v[0], v[1], v[2]);
}

void copyMatrix(float out[16], const glm::mat4& m) {
    std::memcpy(out, glm::value_ptr(m), 64);
}

// The record's mesh, or nullptr when it has none to draw (mesh -1 is the full-screen strip).
const GpuMesh* meshOf(const DrawRecord& r) {
    if (r.mesh < 0 || r.mesh >= kGpuMeshCount) return nullptr;
    return gpuMeshes[r.mesh].vertexBuffer ? &gpuMeshes[r.mesh] : nullptr;
}

bool shadersOf(const DrawRecord& r) {
    return r.vertexShader >= 0 && r.vertexShader < kShaderTableSize && vertexShaders[r.vertexShader].shader &&
           r.pixelShader >= 0 && r.pixelShader < kShaderTableSize && pixelShaders[r.pixelShader].shader;
}

void bindMeshBuffers(RenderDevice& dev, const GpuMesh& mesh) {
    bindVertexArray(dev, mesh.vertexArray);
}

} // namespace

const char* framePassName(int pass) {
    return pass >= 0 && pass < kFramePassCount ? passNames.names[pass] : nullptr;
}

//-----------------------------------------------------------------------------
// Camera and objects
//-----------------------------------------------------------------------------

// Right-handed look-at view and right-handed perspective with depth 0..1; viewProj = view x projection.
void updateCamera(const CameraState& c) {
    const glm::vec3 eye = vec3Of(c.eye), at = vec3Of(c.at), up = vec3Of(c.up);
    D3DXMatrixLookAtRH(&frameCamera.view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovRH(&frameCamera.projection, c.fovy, c.aspect, c.near, c.far);
    D3DXMatrixMultiply(&frameCamera.viewProj, &frameCamera.view, &frameCamera.projection);
}

// world = scaling x rotation(yaw, pitch, roll) x translation.
glm::mat4 objectWorld(const float position[3], const float scale[3], const float rotation[3]) {
    glm::mat4 s, r, t, world;
    D3DXMatrixScaling(&s, scale[0], scale[1], scale[2]);
    D3DXMatrixRotationYawPitchRoll(&r, rotation[0], rotation[1], rotation[2]);
    D3DXMatrixTranslation(&t, position[0], position[1], position[2]);
    D3DXMatrixMultiply(&world, &s, &r);
    D3DXMatrixMultiply(&world, &world, &t);
    return world;
}

void resetJumpedObjects(DrawList& list, float threshold) {
    for (uint32_t i = 0; i < list.count; ++i) {
        DrawRecord& r = list.records[i];
        float dx = r.position[0] - r.prevPosition[0];
        float dy = r.position[1] - r.prevPosition[1];
        float dz = r.position[2] - r.prevPosition[2];
        if (std::sqrt(dx * dx + dy * dy + dz * dz) > threshold) {
            std::memcpy(r.prevPosition, r.position, sizeof r.position);
            std::memcpy(r.prevScale, r.scale, sizeof r.scale);
            std::memcpy(r.prevRotation, r.rotation, sizeof r.rotation);
        }
    }
}

void drawObject(RenderDevice& dev, const DrawRecord& r) {
    const GpuMesh* mesh = meshOf(r);
    if ((r.mesh != -1 && !mesh) || !shadersOf(r)) return;
    glm::mat4 world = objectWorld(r.position, r.scale, r.rotation);
    glm::mat4 prevWorld = objectWorld(r.prevPosition, r.prevScale, r.prevRotation);
    copyMatrix(perObject.world, world);
    copyMatrix(perObject.worldViewProj, frameCamera.viewProj * world);
    copyMatrix(perObject.oldWorldViewProj, frameCamera.viewProj * prevWorld);
    std::memcpy(perObject.options, r.options, sizeof r.options);
    bindShaders(dev, vertexShaders[r.vertexShader], pixelShaders[r.pixelShader]);
    uploadConstants(dev, kPerObjectSlot, &perObject);
    if (!mesh) {
        drawStrip(dev);
        return;
    }
    bindMeshBuffers(dev, *mesh);
    GLuint view = (r.texture >= 0 && r.texture < kTextureTableSize) ? readyTexture(r.texture).view : 0;
    bindTexture(dev, kColorTexUnit, view);
    glDrawElements(GL_TRIANGLES, (GLsizei)mesh->indexCount, GL_UNSIGNED_INT, nullptr);
}

//-----------------------------------------------------------------------------
// Passes
//-----------------------------------------------------------------------------

void uploadFrameConstants(RenderDevice& dev, const CameraState& camera, const FrameSettings& settings) {
    PerFrameData data = {};
    copyMatrix(data.viewProj, frameCamera.viewProj);
    data.eyePosVS[0] = camera.eye[0];
    data.eyePosVS[1] = camera.eye[1];
    data.eyePosVS[2] = camera.eye[2];
    data.eyePosVS[3] = 1.0f;
    std::memcpy(data.lightDirVS, &settings.lightDirVS, 16);
    for (const PostEffect& e : kPostEffects) data.*e.onInBlock = settings.*e.on ? 1 : 0;
    uploadConstants(dev, kPerFrameSlot, &data);
}

// Velocity and depth of the opaque objects with mesh, both projections under the current camera.
void velocityPass(RenderDevice& dev, const DrawList& opaque) {
    static const float kFar[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    clearColor(dev, dev.velocityDepth.framebuffer, kFar);
    bindTarget(dev, dev.velocityDepth);
    for (uint32_t i = 0; i < opaque.count; ++i) {
        const DrawRecord& r = opaque.records[i];
        const GpuMesh* mesh = meshOf(r);
        if (!mesh) continue;
        glm::mat4 world = objectWorld(r.position, r.scale, r.rotation);
        glm::mat4 prevWorld = objectWorld(r.prevPosition, r.prevScale, r.prevRotation);
        copyMatrix(perObject.worldViewProj, frameCamera.viewProj * world);
        copyMatrix(perObject.oldWorldViewProj, frameCamera.viewProj * prevWorld);
        uploadConstants(dev, kPerObjectSlot, &perObject);
        bindShaders(dev, vertexShaders[kVelocityShader], pixelShaders[kVelocityShader]);
        bindMeshBuffers(dev, *mesh);
        glDrawElements(GL_TRIANGLES, (GLsizei)mesh->indexCount, GL_UNSIGNED_INT, nullptr);
    }
    bindBackBuffer(dev);
}

void scenePass(RenderDevice& dev, const FrameInput& in) {
    const FrameSettings& settings = *in.settings;
    clearColor(dev, dev.sceneColor.framebuffer, &settings.clearColor.x);
    bindTarget(dev, dev.sceneColor);
    clearDepth(dev, dev.sceneColor.framebuffer);

    bindBlend(dev, dev.blendOpaque);
    for (uint32_t i = 0; i < in.opaque->count; ++i) drawObject(dev, in.opaque->records[i]);

    bindBlend(dev, dev.blendAlpha);
    for (uint32_t i = in.blended->count; i-- > 0;) drawObject(dev, in.blended->records[i]);

    bindBlend(dev, dev.blendOpaque);
    if (in.sprites->count > 0) sortSprites(in.sprites->records, in.sprites->count);
    clearDepth(dev, dev.sceneColor.framebuffer);
    for (uint32_t i = 0; i < in.sprites->count; ++i) drawSprite(dev, in.sprites->records[i]);
    bindBlend(dev, dev.blendOpaque);
}

namespace {

// Times the passes of one frame when asked to: each mark waits for the GPU and books the time since
// the previous mark on `pass`.
struct PassClock {
    FramePassTimes* times;
    GpuPassTimer* gpu;
    std::chrono::steady_clock::time_point last;
};

PassClock startPassClock(FramePassTimes* times, GpuPassTimer* gpu) {
    PassClock clock = {times, gpu, {}};
    if (gpu) beginTimedFrame(*gpu);
    if (times) {
        glFinish();
        clock.last = std::chrono::steady_clock::now();
    }
    return clock;
}

// While images still load in the background, the ones this frame samples go to the front of the queue.
void wantFrameTextures(const FrameInput& in) {
    if (texturesLoading() == 0) return;
    bool wanted[kTextureTableSize] = {};
    auto want = [&wanted](int32_t texture) {
        if (texture >= 0 && texture < kTextureTableSize) wanted[texture] = true;
    };
    for (uint32_t i = 0; i < in.opaque->count; ++i)
        if (in.opaque->records[i].mesh != -1) want(in.opaque->records[i].texture);
    for (uint32_t i = 0; i < in.blended->count; ++i)
        if (in.blended->records[i].mesh != -1) want(in.blended->records[i].texture);
    for (uint32_t i = 0; i < in.sprites->count; ++i) want(in.sprites->records[i].texture);
    wantTextures(wanted);
}

void markPass(PassClock& clock, FramePass pass) {
    if (clock.gpu) markTimedPass(*clock.gpu, pass);
    if (!clock.times) return;
    glFinish();
    auto now = std::chrono::steady_clock::now();
    clock.times->seconds[pass] += std::chrono::duration<double>(now - clock.last).count();
    clock.times->runs[pass] += 1;
    clock.last = now;
}

} // namespace

void forgetPreviousFrame(RenderDevice& dev) {
    const float zero[4] = {0, 0, 0, 0};
    clearColor(dev, dev.sceneColor.framebuffer, zero);
    refreshSceneMips(dev); // a chain of zeros, as the targets start
}

void renderFrame(RenderDevice& dev, const FrameInput& in) {
    FrameSettings& settings = *in.settings;
    const bool every = in.everyPass;
    const bool dof = settings.isRenderDof != 0;
    const bool blur = settings.isBlur != 0;
    const bool bloom = settings.isRenderBloom != 0;
    // The composite reads velocity and depth for depth of field and motion blur, the scene's mips
    // only for motion blur; the bloom highlight samples the mip chain the previous frame left.
    const bool needVelocity = every || dof || blur;
    const bool needMipsNow = every || (blur && !dof);
    wantFrameTextures(in);
    PassClock clock = startPassClock(in.passTimes, in.gpuTimer);

    frameArenaReset();
    updateCamera(*in.camera);
    if (blur) resetJumpedObjects(*in.opaque, settings.blurJumpThreshold);
    uploadFrameConstants(dev, *in.camera, settings);
    // The composite or FXAA covers the whole back buffer; only the velocity pass uses this depth.
    if (every) clearColor(dev, dev.backBufferView, &settings.clearColor.x);
    if (needVelocity) clearDepth(dev, dev.backBufferView);
    markPass(clock, kSetupPass);

    // Level 0 still holds the previous frame's scene: its chain is what the bloom highlight reads.
    if (bloom && dev.sceneMipsBehind) {
        refreshSceneMips(dev);
        markPass(clock, kSceneMipsPass);
    }

    if (needVelocity) {
        velocityPass(dev, *in.opaque);
        markPass(clock, kVelocityPass);
    }
    scenePass(dev, in);
    dev.sceneMipsBehind = true;
    markPass(clock, kScenePass);
    if (every || dof) {
        gaussianBlur(dev, dev.sceneColor, dev.dofBlur, 0.1f);
        markPass(clock, kDofBlurPass);
    }
    if (bloom) {
        bloomPass(dev, settings);
        markPass(clock, kBloomPass);
    }
    if (needMipsNow) {
        refreshSceneMips(dev);
        markPass(clock, kSceneMipsPass);
    }
    compositePass(dev, settings, every);
    markPass(clock, kCompositePass);
    if (dev.antialias) {
        fxaaPass(dev);
        markPass(clock, kFxaaPass);
    }

    glFlush();
    present(dev);
    markPass(clock, kPresentPass);
    if (in.gpuTimer) endTimedFrame(*in.gpuTimer);
    endFrameOutputs(settings, in.lines);
    uploadDecodedTextures(1); // the images still loading in the background, one a frame
}
