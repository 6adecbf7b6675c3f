// edit_panels.cpp - the panels' windows: their places, sizes and flags.
#include "edit/panels/edit_panels.h"

#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <cstdio>
#include <imgui.h>

#include "render/frame.h"

namespace {

const ImGuiWindowFlags kFixed = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                                ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;

float bottomTop(const EditLayout& l) {
    return l.overFrame ? (float)(l.height - kEditBottomPanelHeight) : (float)l.frame.h;
}

float sideLeft(const EditLayout& l) {
    return l.overFrame ? (float)(l.width - kEditSidePanelWidth) : (float)l.frame.w;
}

} // namespace

void startEditPanels(SDL_Window* window, const RenderDevice& dev) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForOpenGL(window, dev.context);
    ImGui_ImplOpenGL3_Init(dev.api == kGlEs ? "#version 300 es" : "#version 330 core");
}

void stopEditPanels() {
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
}

void beginPanelFrame(const PanelInput& input) {
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    showPanelInput(input);
    ImGui::NewFrame();
}

void endPanelFrame(const RenderDevice& dev) {
    ImGui::Render();
    // The show's sampler (mip-linear) on unit 0 would make the font texture, which has no mips,
    // incomplete; the panels' back end takes it off there itself only on OpenGL 3.3, not on ES.
    glBindSampler(0, 0);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    glBindSampler(0, dev.sampler);
}

EditLayout editLayoutFor(int screenWidth, int screenHeight) {
    EditLayout l = {};
    l.frame = {0, 0, kShowWidth, kShowHeight};
    l.width = kShowWidth + kEditSidePanelWidth;
    l.height = kShowHeight + kEditBottomPanelHeight;
    if (l.width > screenWidth || l.height > screenHeight) {
        l.width = kShowWidth;
        l.height = kShowHeight;
        l.overFrame = true;
    }
    return l;
}

void beginTransportWindow(const EditLayout& l) {
    ImGui::SetNextWindowPos(ImVec2(0, bottomTop(l)));
    ImGui::SetNextWindowSize(ImVec2(sideLeft(l), (float)kEditBottomPanelHeight));
    ImGui::SetNextWindowBgAlpha(l.overFrame ? 0.75f : 1.0f);
    ImGui::Begin("Transport", nullptr, kFixed);
}

void keysHelpLine() {
    ImGui::TextDisabled(
        "Space play/pause  Left/Right beat (Shift bar, Ctrl frame)  , . frame  PgUp/PgDn scene  "
        "Home/End  L loop  I/O in/out  Ctrl+Z/Y undo/redo  F1 panels  Esc quit");
}

bool beginSceneWindow(const EditLayout& l, int scene, const char* name) {
    ImGui::SetNextWindowPos(ImVec2(sideLeft(l), 0));
    ImGui::SetNextWindowSize(ImVec2((float)kEditSidePanelWidth, (float)l.height));
    ImGui::SetNextWindowBgAlpha(l.overFrame ? 0.75f : 1.0f);
    char title[64];
    std::snprintf(title, sizeof title, "Scene %d %s###scene", scene, name);
    ImGui::Begin(title, nullptr, kFixed);
    if (ImGui::BeginTabBar("views")) return true;
    ImGui::End();
    return false;
}

void endSceneWindow() {
    ImGui::EndTabBar();
    ImGui::End();
}
