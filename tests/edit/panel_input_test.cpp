// panel_input_test.cpp - SDL's events handed to Dear ImGui's own widgets a frame at a time, however many
// come between two frames: every click lands on the button it was made on, in the order made. The
// events are queued as a slow frame would find them (a click, a move and the next click in one batch),
// and the widgets, not this file, say what was clicked.
#include <gtest/gtest.h>

#include <backends/imgui_impl_sdl.h>
#include <cstdio>
#include <cstdlib>
#include <imgui.h>
#include <random>

#include "edit/panels/panel_input.h"

namespace {

constexpr int kGrid = 4;  // buttons a row and a column
constexpr int kCell = 60; // their pitch in pixels
constexpr int kButtons = kGrid * kGrid;

struct Panels {
    SDL_Window* window;
    PanelInput input;
    int clicked[64]; // the buttons clicked, in order
    int clickCount;
};

// A mouse event of `type` over the middle of button `at`.
SDL_Event mouseAt(uint32_t type, int at) {
    SDL_Event e = {};
    e.type = type;
    const int x = 35 + at % kGrid * kCell, y = 35 + at / kGrid * kCell;
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = x, e.motion.y = y;
    } else {
        e.button.button = SDL_BUTTON_LEFT, e.button.clicks = 1;
        e.button.x = x, e.button.y = y;
    }
    return e;
}

// The events of a press on button `at` released over button `to` (a click where they are the same).
int pressEvents(int at, int to, SDL_Event* events) {
    int n = 0;
    events[n++] = mouseAt(SDL_MOUSEMOTION, at);
    events[n++] = mouseAt(SDL_MOUSEBUTTONDOWN, at);
    if (to != at) events[n++] = mouseAt(SDL_MOUSEMOTION, to);
    events[n++] = mouseAt(SDL_MOUSEBUTTONUP, to);
    return n;
}

// One frame: the events it takes, then the grid of buttons drawn; a button's click is noted.
void frame(Panels& p) {
    SDL_Event e;
    while (takePanelEvent(p.input, e)) {
    }
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(kGrid * kCell + 40, kGrid * kCell + 40);
    io.DeltaTime = 1.0f;        // a slow frame
    io.MousePos = ImVec2(0, 0); // the window has the mouse (the back end's part, left out here)
    showPanelInput(p.input);
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::Begin("grid", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove);
    for (int i = 0; i < kButtons; ++i) {
        ImGui::SetCursorScreenPos(ImVec2(10.0f + i % kGrid * kCell, 10.0f + i / kGrid * kCell));
        char label[8];
        std::snprintf(label, sizeof label, "%d", i);
        if (ImGui::Button(label, ImVec2(kCell - 10, kCell - 10)) && p.clickCount < 64)
            p.clicked[p.clickCount++] = i;
    }
    ImGui::End();
    ImGui::Render();
}

// Frames until every event queued is taken, and a few more.
void frameUntilTaken(Panels& p) {
    for (int i = 0; i < 400 && SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
         ++i)
        frame(p);
    for (int i = 0; i < 4; ++i) frame(p);
}

class PanelInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        p.window = SDL_CreateWindow("panel input", 0, 0, 320, 320, SDL_WINDOW_HIDDEN);
        ASSERT_NE(p.window, nullptr) << SDL_GetError();
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        unsigned char* pixels;
        int w, h;
        ImGui::GetIO().Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
        ASSERT_TRUE(ImGui_ImplSDL2_InitForOpenGL(p.window, nullptr));
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override {
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
        SDL_DestroyWindow(p.window);
        SDL_Quit();
    }
    Panels p = {};
};

// A slot's row clicked, the mouse moved to "write out" and clicked there, all before the next frame
// (a frame of a second on a loaded machine): both clicks, in order, each on its own button.
TEST_F(PanelInputTest, TwoClicksInOneFrameAreTwoClicksWhereTheyWereMade) {
    frame(p);
    SDL_Event events[200];
    int count = pressEvents(5, 5, events);
    count += pressEvents(10, 10, events + count);
    for (int i = 0; i < count; ++i) SDL_PushEvent(&events[i]);
    frameUntilTaken(p);
    ASSERT_EQ(p.clickCount, 2);
    EXPECT_EQ(p.clicked[0], 5);
    EXPECT_EQ(p.clicked[1], 10);

    // Clicks on random buttons, their events queued in batches of random sizes between frames (none,
    // a few, many): the buttons clicked are the ones the mouse was on, in order, and no others. A drag
    // from one button to another clicks neither.
    std::mt19937 random(38);
    for (int round = 0; round < 20; ++round) {
        p.clickCount = 0;
        int expected[30], expectedCount = 0;
        count = 0;
        for (int c = 0; c < 30; ++c) {
            const int at = (int)(random() % kButtons);
            const bool drag = random() % 5 == 0;
            const int to = drag ? (at + 1 + (int)(random() % (kButtons - 1))) % kButtons : at;
            count += pressEvents(at, to, events + count);
            if (!drag) expected[expectedCount++] = at;
        }
        for (int sent = 0; sent < count;) {
            const int batch = (int)(random() % 13);
            for (int i = 0; i < batch && sent < count; ++i) SDL_PushEvent(&events[sent++]);
            frame(p);
        }
        frameUntilTaken(p);
        ASSERT_EQ(p.clickCount, expectedCount) << "round " << round;
        for (int i = 0; i < expectedCount; ++i) EXPECT_EQ(p.clicked[i], expected[i]) << "round " << round;
    }
}

} // namespace
