// value_panel.h - the inspector's editor of the selected slot's values (Dear ImGui): each parameter
// dragged (Shift: ten times coarser, Alt: ten times finer) or typed (Ctrl+click or double-click), a
// name picked from its list, the element count typed; and the tooltip that says what an operation does.
//
//     drawValueEditor(edits, scenes, scene, slot);   // inside the inspector's window
//     if (ImGui::IsItemHovered()) operationTooltip(op);
#pragma once

#include <cstdint>

#include "edit/session/value_edit.h"

// A drag changes the running tables as it goes and is written back once, when it ends.
void drawValueEditor(ValueEdits& edits, const SceneSet& scenes, int scene, int32_t slot);

// What the operation computes, its inputs and its parameters' meanings.
void operationTooltip(int32_t op);

// True when an edit in effect on the slot is not in its file.
bool slotUnsaved(const ValueEdits& edits, int scene, int32_t slot);
