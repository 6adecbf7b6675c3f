// panel_input.cpp - a frame's events end before a release of what was pressed in them.
#include "edit/panels/panel_input.h"

#include <backends/imgui_impl_sdl.h>
#include <cfloat>
#include <imgui.h>

namespace {

// The frame of the click, the frame the panels answer it in (a text box asks for the keyboard), and the
// frame the text box has it in.
constexpr int kKeysHeldAfterClick = 3;

bool keyPressed(const PanelInput& in, SDL_Scancode key) {
    return (in.keysPressed[key / 8] >> (key % 8)) & 1;
}

uint32_t buttonBit(uint8_t button) {
    return button >= 1 && button <= 32 ? 1u << (button - 1) : 0;
}

// The next event waits for a frame when it would undo a press the panels have not seen.
bool waitsForFrame(const PanelInput& in, const SDL_Event& e) {
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_TEXTINPUT:
        return in.keysHeld > 0;
    case SDL_KEYUP:
        return in.keysHeld > 0 || keyPressed(in, e.key.keysym.scancode);
    case SDL_MOUSEBUTTONDOWN: // a click, then the next: the panels see the button go up between them
        return ((in.buttonsPressed | in.buttonsReleased) & buttonBit(e.button.button)) != 0;
    case SDL_MOUSEBUTTONUP: // a drag's last move is seen before it ends
        return in.movedHolding || (in.buttonsPressed & buttonBit(e.button.button)) != 0;
    case SDL_MOUSEMOTION: // a press or a release is seen where it happened, then the move
        return (in.buttonsPressed | in.buttonsReleased) != 0;
    default:
        return false;
    }
}

void note(PanelInput& in, const SDL_Event& e) {
    ImGuiIO& io = ImGui::GetIO();
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const SDL_Scancode key = e.key.keysym.scancode;
        if (e.type == SDL_KEYDOWN && key >= 0 && key < SDL_NUM_SCANCODES)
            in.keysPressed[key / 8] |= (uint8_t)(1u << (key % 8));
        // The back end reads the modifiers as they are now, after every queued event; the event's own
        // are the ones that held when it happened (Ctrl still down for the click that follows it).
        const uint16_t mod = e.key.keysym.mod;
        io.KeyShift = (mod & KMOD_SHIFT) != 0;
        io.KeyCtrl = (mod & KMOD_CTRL) != 0;
        io.KeyAlt = (mod & KMOD_ALT) != 0;
        io.KeySuper = (mod & KMOD_GUI) != 0;
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.type == SDL_MOUSEBUTTONDOWN) {
            in.buttonsPressed |= buttonBit(e.button.button);
            in.buttonsDown |= buttonBit(e.button.button);
            in.keysHeld = kKeysHeldAfterClick;
        } else {
            in.buttonsDown &= ~buttonBit(e.button.button);
            in.buttonsReleased |= buttonBit(e.button.button);
        }
        in.mouseX = e.button.x, in.mouseY = e.button.y, in.mouseKnown = true;
        break;
    case SDL_MOUSEMOTION:
        in.mouseX = e.motion.x, in.mouseY = e.motion.y, in.mouseKnown = true;
        in.movedHolding = in.movedHolding || in.buttonsDown != 0;
        break;
    case SDL_WINDOWEVENT: // a release outside the window may never come
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) in.buttonsDown = 0;
        break;
    default:
        break;
    }
}

} // namespace

bool takePanelEvent(PanelInput& in, SDL_Event& e) {
    SDL_PumpEvents();
    const bool next = SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;
    if (!next || waitsForFrame(in, e)) {
        in.buttonsPressed = 0;
        in.buttonsReleased = 0;
        in.movedHolding = false;
        if (in.keysHeld > 0) --in.keysHeld;
        for (uint8_t& bits : in.keysPressed) bits = 0;
        return false;
    }
    SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    ImGui_ImplSDL2_ProcessEvent(&e);
    note(in, e);
    return true;
}

void showPanelInput(const PanelInput& in) {
    ImGuiIO& io = ImGui::GetIO();
    for (int b = 0; b < 3; ++b) {
        const uint8_t button = b == 0 ? SDL_BUTTON_LEFT : b == 1 ? SDL_BUTTON_RIGHT : SDL_BUTTON_MIDDLE;
        io.MouseDown[b] = (in.buttonsDown & buttonBit(button)) != 0;
    }
    // The back end leaves the place unknown while the mouse is outside the window; that stays.
    if (in.mouseKnown && io.MousePos.x > -FLT_MAX) io.MousePos = ImVec2((float)in.mouseX, (float)in.mouseY);
}
