// panel_input.h - SDL's events handed to the panels (Dear ImGui) at the pace of the frames. The panels
// look at the keys, the mouse buttons and the mouse's place once a frame; when a frame takes a second
// (a software renderer, a loaded machine) a key tapped, a click or a drag can begin and end between two
// looks and be lost, or seen in the wrong place. Here a frame's events stop where the next one would
// undo what the panels have not seen yet (a key's or a button's release after its press or after a
// drag's move, a press after a release, the mouse moving after either); the rest waits for the next
// frame. Keys typed just after a click wait until the panels have answered it (a Ctrl+click opens a
// text box, which takes the keyboard a frame later): the first character typed into it is not lost.
//
//     SDL_Event e;
//     while (takePanelEvent(input, e)) handle(e);       // ImGui_ImplSDL2_ProcessEvent is called here
//     ImGui_ImplOpenGL3_NewFrame(); ImGui_ImplSDL2_NewFrame();
//     showPanelInput(input);                            // the mouse as the events taken left it
//     ImGui::NewFrame();
#pragma once

#include <SDL.h>
#include <cstdint>

struct PanelInput {
    uint32_t buttonsDown;                       // mouse buttons down as of the events taken (bit: button - 1)
    int32_t mouseX, mouseY;                     // where the events taken left the mouse, in the window
    bool mouseKnown;                            // a mouse event was taken: mouseX and mouseY hold
    uint32_t buttonsPressed;                    // pressed since the last frame
    uint32_t buttonsReleased;                   // released since the last frame
    bool movedHolding;                          // the mouse moved with a button down since the last frame
    uint8_t keysPressed[SDL_NUM_SCANCODES / 8]; // pressed since the last frame, a bit a scan code
    int keysHeld;                               // frames the keyboard still waits after a click
};

// Takes the next event and hands it to Dear ImGui; false when the frame comes first (no event left,
// or the next one waits for it).
bool takePanelEvent(PanelInput& input, SDL_Event& e);

// After ImGui_ImplSDL2_NewFrame: the mouse's buttons and place as the events taken left them.
void showPanelInput(const PanelInput& input);
