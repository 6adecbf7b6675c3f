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

constexpr int kGrid = 4;       // buttons a row and a column
constexpr float kCell = 60.0f; // their pitch in pixels

struct Panels {
    SDL_Window* window;
    PanelInput input;
    int clicked[64]; // the buttons clicked, in order
    int clickCount;
};

void push(SDL_Event e) {
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void pushMove(int x, int y) {
    SDL_Event e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x, e.motion.y = y;
    push(e);
}

void pushButton(bool down, int x, int y) {
    SDL_Event e = {};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x, e.button.y = y;
    push(e);
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
    for (int i = 0; i < kGrid * kGrid; ++i) {
        ImGui::SetCursorScreenPos(ImVec2(10 + (i % kGrid) * kCell, 10 + (i / kGrid) * kCell));
        char label[8];
        std::snprintf(label, sizeof label, "%d", i);
        if (ImGui::Button(label, ImVec2(kCell - 10, kCell - 10)) && p.clickCount < 64)
            p.clicked[p.clickCount++] = i;
    }
    ImGui::End();
    ImGui::Render();
}

int centreX(int button) {
    return 10 + (button % kGrid) * (int)kCell + 25;
}
int centreY(int button) {
    return 10 + (button / kGrid) * (int)kCell + 25;
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
    pushMove(centreX(5), centreY(5));
    pushButton(true, centreX(5), centreY(5));
    pushButton(false, centreX(5), centreY(5));
    pushMove(centreX(10), centreY(10));
    pushButton(true, centreX(10), centreY(10));
    pushButton(false, centreX(10), centreY(10));
    for (int i = 0; i < 12; ++i) frame(p);
    ASSERT_EQ(p.clickCount, 2);
    EXPECT_EQ(p.clicked[0], 5);
    EXPECT_EQ(p.clicked[1], 10);

    // Clicks on random buttons, their events queued in batches of random sizes between frames (none,
    // a few, many): the buttons clicked are the ones the mouse was on, in order, and no others. A drag
    // from one button to another clicks neither.
    std::mt19937 random(38);
    for (int round = 0; round < 20; ++round) {
        p.clickCount = 0;
        int expected[40], expectedCount = 0;
        SDL_Event queued[200];
        int count = 0;
        auto hold = [&](SDL_Event e) { queued[count++] = e; };
        for (int c = 0; c < 30; ++c) {
            const int at = (int)(random() % (kGrid * kGrid));
            const bool drag = random() % 5 == 0;
            const int to = drag ? (at + 1 + (int)(random() % (kGrid * kGrid - 1))) % (kGrid * kGrid) : at;
            SDL_Event e = {};
            e.type = SDL_MOUSEMOTION, e.motion.x = centreX(at), e.motion.y = centreY(at);
            hold(e);
            e = {};
            e.type = SDL_MOUSEBUTTONDOWN, e.button.button = SDL_BUTTON_LEFT;
            e.button.x = centreX(at), e.button.y = centreY(at);
            hold(e);
            if (drag) {
                e = {};
                e.type = SDL_MOUSEMOTION, e.motion.x = centreX(to), e.motion.y = centreY(to);
                e.motion.state = SDL_BUTTON_LMASK;
                hold(e);
            }
            e = {};
            e.type = SDL_MOUSEBUTTONUP, e.button.button = SDL_BUTTON_LEFT;
            e.button.x = centreX(to), e.button.y = centreY(to);
            hold(e);
            if (!drag) expected[expectedCount++] = at;
        }
        for (int sent = 0; sent < count;) {
            const int batch = (int)(random() % 13);
            for (int i = 0; i < batch && sent < count; ++i) push(queued[sent++]);
            frame(p);
        }
        for (int i = 0;
             i < 400 && SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0; ++i)
            frame(p);
        for (int i = 0; i < 4; ++i) frame(p);
        ASSERT_EQ(p.clickCount, expectedCount) << "round " << round;
        for (int i = 0; i < expectedCount; ++i)
            EXPECT_EQ(p.clicked[i], expected[i]) << "round " << round << " click " << i;
    }
}

} // namespace
