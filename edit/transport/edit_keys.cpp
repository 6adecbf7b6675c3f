// edit_keys.cpp - one key, one move.
#include "edit/transport/edit_keys.h"

EditKeyAsk editPressKey(EditState& s, const SceneTable& scenes, const SDL_Keysym& key, bool repeat) {
    const bool shift = (key.mod & KMOD_SHIFT) != 0, ctrl = (key.mod & KMOD_CTRL) != 0;
    switch (key.sym) {
    case SDLK_SPACE:
        editTogglePause(s);
        return EditKeyAsk::toggledPause;
    case SDLK_LEFT:
        ctrl ? editStepFrames(s, -1) : editStepBeats(s, shift ? -4 : -1);
        break;
    case SDLK_RIGHT:
        ctrl ? editStepFrames(s, 1) : editStepBeats(s, shift ? 4 : 1);
        break;
    case SDLK_COMMA:
        if (s.paused) editStepFrames(s, -1);
        break;
    case SDLK_PERIOD:
        if (s.paused) editStepFrames(s, 1);
        break;
    case SDLK_PAGEUP:
        editMove(s, scenes, EditMove::sceneBack);
        break;
    case SDLK_PAGEDOWN:
        editMove(s, scenes, EditMove::sceneOn);
        break;
    case SDLK_HOME:
        editMove(s, scenes, EditMove::toStart);
        break;
    case SDLK_END:
        editMove(s, scenes, EditMove::toEnd);
        break;
    case SDLK_l:
        editMove(s, scenes, EditMove::loop);
        break;
    case SDLK_i:
        editMove(s, scenes, EditMove::markIn);
        break;
    case SDLK_o:
        editMove(s, scenes, EditMove::markOut);
        break;
    case SDLK_F1:
        s.panelsHidden = !s.panelsHidden;
        break;
    case SDLK_z: // Ctrl+Z undo, Ctrl+Shift+Z redo
        if (ctrl && !repeat) return shift ? EditKeyAsk::redo : EditKeyAsk::undo;
        break;
    case SDLK_y:
        if (ctrl && !repeat) return EditKeyAsk::redo;
        break;
    default:
        break;
    }
    return EditKeyAsk::none;
}
