// edit_keys.h - the edit mode's keys, carried out on the transport: Space, the arrows, , and ., Page
// Up/Down, Home/End, L, I, O, F1. What is not the transport's (undo, redo) comes back to the caller.
//
//     if (e.type == SDL_KEYDOWN) {
//         const EditKeyAsk ask = editPressKey(state, sceneTable, e.key.keysym, e.key.repeat != 0);
//         if (ask == EditKeyAsk::undo) undo();
//     }
#pragma once

#include <SDL_keyboard.h>

#include "edit/transport/edit_state.h"

enum class EditKeyAsk : uint8_t {
    none,
    toggledPause, // Space played or paused
    undo,         // Ctrl+Z
    redo,         // Ctrl+Y, Ctrl+Shift+Z
};

// A held key repeats: undo and redo are asked for on its press alone (one press, one step).
EditKeyAsk editPressKey(EditState& s, const SceneTable& scenes, const SDL_Keysym& key, bool repeat);
