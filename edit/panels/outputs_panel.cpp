// outputs_panel.cpp - the frame's outputs as the director left them: the camera, the frame settings,
// the draw lists (runs of the same draw folded into one line), the sprites and the lines.
#include "edit/panels/outputs_panel.h"

#include <cstdint>
#include <imgui.h>

#include "director/director_state.h"
#include "render/shader_library.h"

namespace {

const char* shaderName(const char* const* names, int count, int32_t index) {
    return index >= 0 && index < count ? names[index] : "?";
}

void drawRecordLine(uint32_t i, const DrawRecord& r) {
    ImGui::Text("%4u mesh %2d  %s / %s  texture %2d  at %.3f %.3f %.3f  scale %.3f %.3f %.3f", i, r.mesh,
                shaderName(vertexShaderNames, kVertexShaderCount, r.vertexShader),
                shaderName(pixelShaderNames, kPixelShaderCount, r.pixelShader), r.texture, r.position[0],
                r.position[1], r.position[2], r.scale[0], r.scale[1], r.scale[2]);
}

bool sameDraw(const DrawRecord& a, const DrawRecord& b) {
    return a.mesh == b.mesh && a.vertexShader == b.vertexShader && a.pixelShader == b.pixelShader &&
           a.texture == b.texture;
}

// A run of records that draw the same mesh with the same shaders and texture (one slot's instances)
// is one line, opened to list them.
void drawList(const char* title, const DrawList& list) {
    if (!ImGui::TreeNodeEx(title, ImGuiTreeNodeFlags_DefaultOpen, "%s: %u records", title, list.count))
        return;
    for (uint32_t i = 0; i < list.count;) {
        uint32_t end = i + 1;
        while (end < list.count && sameDraw(list.records[i], list.records[end])) ++end;
        if (end - i < 4) {
            for (; i < end; ++i) drawRecordLine(i, list.records[i]);
            continue;
        }
        const DrawRecord& r = list.records[i];
        if (ImGui::TreeNode((void*)(uintptr_t)i, "%4u..%u: %u draws of mesh %d  %s / %s  texture %d", i,
                            end - 1, end - i, r.mesh,
                            shaderName(vertexShaderNames, kVertexShaderCount, r.vertexShader),
                            shaderName(pixelShaderNames, kPixelShaderCount, r.pixelShader), r.texture)) {
            ImGuiListClipper clipper;
            clipper.Begin((int)(end - i));
            while (clipper.Step())
                for (int k = clipper.DisplayStart; k < clipper.DisplayEnd; ++k)
                    drawRecordLine(i + (uint32_t)k, list.records[i + (uint32_t)k]);
            ImGui::TreePop();
        }
        i = end;
    }
    ImGui::TreePop();
}

} // namespace

void drawOutputs() {
    const CameraState& c = cameraState;
    ImGui::Text("camera  eye %.2f %.2f %.2f  at %.2f %.2f %.2f", c.eye[0], c.eye[1], c.eye[2], c.at[0],
                c.at[1], c.at[2]);
    ImGui::Text("        fov %.1f deg  near %.2f  far %.1f", c.fovy * 57.29578f, c.near, c.far);
    const FrameSettings& f = frameSettings;
    ImGui::Text("clear %.2f %.2f %.2f   transition %d at %.2f", f.clearColor.x, f.clearColor.y,
                f.clearColor.z, f.transitionType, f.transitionFactor);
    ImGui::Text("motion blur %s (%.2f)  depth of field %s (%.2f)  bloom %s (%.2f)", f.isBlur ? "on" : "off",
                f.blurJumpThreshold, f.isRenderDof ? "on" : "off", f.dofFocus, f.isRenderBloom ? "on" : "off",
                f.bloomThrethold);
    drawList("opaque", drawListOpaque);
    drawList("blended", drawListBlended);
    if (ImGui::TreeNodeEx("sprites", ImGuiTreeNodeFlags_DefaultOpen, "sprites: %u", spriteList.count)) {
        static const char* const kBlends[3] = {"opaque", "alpha", "additive"};
        for (uint32_t i = 0; i < spriteList.count; ++i) {
            const SpriteRecord& r = spriteList.records[i];
            ImGui::Text("%3u texture %2d  %s  at %.3f %.3f  scale %.3f %.3f  alpha %.3f", i, r.texture,
                        r.blend >= 0 && r.blend < 3 ? kBlends[r.blend] : "?", r.centre[0], r.centre[1],
                        r.scale[0], r.scale[1], r.alpha);
        }
        ImGui::TreePop();
    }
    ImGui::Text("lines: %u vertices", lineList.count);
}
