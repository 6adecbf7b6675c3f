// launcher.cpp - the launcher drawn with Dear ImGui on its own OpenGL context; every click goes
// through launcher_logic.
#include "app/launcher.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <epoxy/gl.h>
#include <imgui.h>

#include "app/launcher_logic.h"
#include "app/window.h"

namespace {

constexpr int kWidth = 190; // the launcher's surface
constexpr int kHeight = 120;

struct Control {
    int id;
    const char* text;
    SDL_Rect rect; // position and size on the launcher's surface
};

// In creation order; the "Resolution" label (5, 5, 90 x 25) is not a control.
const Control controls[] = {
    {kControlResolution, "1280x720", {80, 5, 110, 25}}, {kControlFullScreen, "FullScreen", {20, 40, 90, 22}},
    {kControlVSync, "VSync", {20, 62, 60, 22}},         {kControlAA, "AA", {120, 40, 40, 22}},
    {kControlMusic, "Music", {120, 62, 60, 22}},        {kControlCancel, "Ulk", {15, 90, 80, 30}},
    {kControlStart, "Zarn", {100, 90, 80, 30}},
};
constexpr int kControlCount = sizeof controls / sizeof controls[0];

uint8_t* optionOf(LaunchSettings& s, int id) {
    switch (id) {
    case kControlFullScreen:
        return &s.fullScreen;
    case kControlVSync:
        return &s.vsync;
    case kControlAA:
        return &s.antialias;
    case kControlMusic:
        return &s.music;
    default:
        return nullptr;
    }
}

// One control; true when the launcher must close.
bool drawControl(const Control& c, LaunchSettings& s) {
    ImGui::SetCursorPos(ImVec2((float)c.rect.x, (float)c.rect.y));
    ImGui::PushID(c.id);
    bool close = false;
    if (c.id == kControlResolution) {
        int selected = 0;
        ImGui::SetNextItemWidth((float)c.rect.w);
        if (ImGui::Combo("##resolution", &selected, "1280x720\0")) close = launcherClick(s, c.id);
    } else if (uint8_t* option = optionOf(s, c.id)) {
        bool marked = *option != 0;
        if (ImGui::Checkbox(c.text, &marked)) close = launcherClick(s, c.id);
    } else if (ImGui::Button(c.text, ImVec2((float)c.rect.w, (float)c.rect.h))) {
        close = launcherClick(s, c.id);
    }
    ImGui::PopID();
    return close;
}

bool drawLauncher(LaunchSettings& s) {
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2((float)kWidth, (float)kHeight));
    ImGui::Begin("qz01 launch", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
    ImGui::SetCursorPos(ImVec2(5, 9));
    ImGui::TextUnformatted("Resolution");
    bool close = false;
    for (const Control& c : controls) close = drawControl(c, s) || close;
    ImGui::End();
    return close;
}

bool closeRequested(const SDL_Event& e, SDL_Window* window) {
    if (e.type == SDL_QUIT) return true;
    return e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE &&
           e.window.windowID == SDL_GetWindowID(window);
}

} // namespace

bool runLauncher(LaunchSettings& settings, std::string& error) {
    settings = launcherCreated();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    int screenWidth = 0, screenHeight = 0;
    desktopSize(screenWidth, screenHeight);
    const WindowPlacement at = centredPlacement(screenWidth, screenHeight, kWidth, kHeight);
    SDL_Window* window = SDL_CreateWindow("qz01 launch", at.x, at.y, kWidth, kHeight,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS |
                                              SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        error = std::string("cannot open the launcher (a window with OpenGL 3.3): ") + SDL_GetError();
        if (window) SDL_DestroyWindow(window);
        return false;
    }
    static SDL_Rect keep[kControlCount];
    for (int i = 0; i < kControlCount; ++i) keep[i] = controls[i].rect;
    static const WindowDragAreas areas = {keep, kControlCount};
    makeWindowDraggable(window, &areas);
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(1);

    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::StyleColorsLight();
    ImGui::GetStyle().WindowPadding = ImVec2(0, 0);
    ImGui::GetStyle().WindowBorderSize = 0;
    ImGui_ImplSDL2_InitForOpenGL(window, context);
    ImGui_ImplOpenGL3_Init("#version 330 core");

    bool close = false;
    while (!close) {
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, 100)) {
            do {
                ImGui_ImplSDL2_ProcessEvent(&e);
                close = close || closeRequested(e, window);
            } while (SDL_PollEvent(&e));
        }
        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        close = drawLauncher(settings) || close;
        ImGui::Render();
        glViewport(0, 0, kWidth, kHeight);
        glClearColor(0.94f, 0.94f, 0.94f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        SDL_GL_SwapWindow(window);
    }
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    launcherDestroyed(settings);
    return true;
}
