// value_panel.h - the inspector's editor of the selected slot's values (Dear ImGui): each parameter
// dragged (Shift: ten times coarser, Alt: ten times finer) or typed (Ctrl+click or double-click), a
// name picked from its list, the element count typed; and the tooltip that says what an operation does.
//
//     drawValueEditor(ValueEditor{&edits, &scenes, &typed, scene, slot}); // inside the inspector

//     if (ImGui::IsItemHovered()) operationTooltip(op);
#pragma once

#include <cstdint>

#include "edit/session/value_edit.h"

// The number being typed into (Ctrl+click or a double click): the maker's text as typed, checked in
// full on Enter. Kept by the panels' owner from frame to frame; zero: none.
struct TypedField {
    bool active;
    int scene;
    int32_t slot;
    int field;
    char text[64];
    bool focus; // the text box takes the keyboard on its first frame
};

struct ValueEditor {
    EditSession* edits;     // the session the edits go through
    const SceneSet* scenes; // the scene data playing
    TypedField* typed;
    int scene;
    int32_t slot;
};

// A drag changes the running tables as it goes and is written back once, when it ends.
void drawValueEditor(const ValueEditor& editor);

// What the last edit, undo or check said, where it is about this slot or none in particular, and the
// line to open where a value is computed there.
void drawEditMessage(const EditSession& edits, int scene, int32_t slot);

// What the operation computes, its inputs and its parameters' meanings.
void operationTooltip(int32_t op);

// True when an edit in effect on the slot is not in its file.
bool slotUnsaved(const EditSession& edits, int scene, int32_t slot);
