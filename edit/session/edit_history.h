// edit_history.h - the edits made in the edit mode since it started, in order, for undo and redo: each
// step says which value of which slot changed, from what to what, and which bytes of which file it
// wrote. A plain record; undoing a step hands back the step to carry out in reverse.
//
//     EditHistory h = {};
//     pushEdit(h, step);                       // a new edit: the steps undone before it are dropped
//     if (const SlotEdit* s = undoStep(h)) ... // Ctrl+Z: put s->before back, restore s->change's bytes
//     if (const SlotEdit* s = redoStep(h)) ... // Ctrl+Shift+Z, Ctrl+Y: do s again
#pragma once

#include <cstdint>

#include "edit/session/source_edit.h"

inline constexpr int kEditHistoryCapacity = 1024; // steps kept; the oldest goes when it is full

// The scene of a key edit's step (its slot names the key edits' record, its field the track).
inline constexpr int32_t kKeyEditScene = -1;

struct SlotEdit {
    int32_t scene;
    int32_t slot;
    int32_t field;       // 0..7: a parameter; kCountField: the element count
    float before;        // the value before the edit
    float after;         // the value it set
    int32_t file;        // the file it was written into (the edit session's table); -1 = none
    bool saved;          // the file holds it (false: live only, an unsaved edit)
    LiteralEdit change;  // begin..end held change.before; the file now holds change.text there
    bool joined;         // undone and redone together with the step before it (one change, two files)
    uint32_t fromAnchor; // change.begin less the offset of the call (or scene entry) that holds it
    int32_t call;        // a call not found by the slot it sets: which call of its builder in the file
};

struct EditHistory {
    SlotEdit steps[kEditHistoryCapacity];
    int count; // steps kept
    int done;  // steps 0..done-1 are in effect; done..count-1 were undone and can be redone
};

void pushEdit(EditHistory& h, const SlotEdit& step);
SlotEdit* undoStep(EditHistory& h); // null when nothing is left to undo
SlotEdit* redoStep(EditHistory& h); // null when nothing was undone
// Puts back the step undoStep or redoStep handed out (its reverse could not be carried out).
void cancelStep(EditHistory& h, bool wasUndo);
// Takes steps first..last out of the list (their reverse can no longer be carried out): the steps
// around them stay, in order, and undo goes on with the one before.
void dropSteps(EditHistory& h, int first, int last);
// The steps undone (or redone) together with step `at`: those joined to it. Returns the first of them.
int groupStart(const EditHistory& h, int at);
int groupEnd(const EditHistory& h, int at);
