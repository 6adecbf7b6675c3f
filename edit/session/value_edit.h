// value_edit.h - a slot's value changed in the edit mode: checked, put into the running tables (the
// next frame drawn shows it, playing or paused, without a rebuild), written back into its scene file
// through the edit session, and kept in its undo list. After the reload rebuilds the scene data from the
// saved files, the rebuilt slots are compared with the edited ones. No window: the inspector and the
// tests call these (see edit_session.h for the session's start, undo and end).
#pragma once

#include <cstdint>

#include "data/scene_build.h"
#include "edit/session/edit_session.h"

// The running tables take a value: a parameter in place, an element count through a new conversion of
// the scene data, a length (slot < 0) in the clock's table. False with showError() where it cannot.
bool patchRunningTables(EditSession& e, int scene, int slot, int field, float value);

// The value of field `field` of a slot (0..7: a parameter, kCountField: the element count).
float slotField(const NodeSource& node, int field);

// Sets field `field` of slot `slot` in scene `scene` to `value`. A value that is not finite, or an element
// count outside 1..kEditLargestCount, is refused and changes nothing. A value the file cannot hold as a
// literal (an expression, a value the builder computes) is refused too, naming the line (openLine).
// Otherwise the running tables take it at once and the file is written; a file that cannot be written
// keeps the edit live and unsaved (the message says why). False when nothing changed.
bool editSlotValue(EditSession& e, const SceneSet& scenes, int scene, int slot, int field, float value);

// The same with the value as the maker typed it: text that is not a number in full ("3,5", "0x10",
// "1/0") is refused, naming what was typed.
bool editSlotText(EditSession& e, const SceneSet& scenes, int scene, int slot, int field, const char* text);

// After the reload swapped in data rebuilt from the files: says whether the rebuilt slots equal the
// edited ones, and puts the unsaved edits back into the running tables.
void takeRebuiltScenes(EditSession& e, const SceneSet& scenes);

// The names a field takes (a mesh, an image...), by the slot's operation; count 0 for a plain number.
ValueNames fieldNames(int32_t op, int field);
