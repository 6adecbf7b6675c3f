// structure_panel.h - the inspector's structural edits (Dear ImGui): the selected slot's inputs as
// pickers of the scene's slots, "delete slot" (while other slots read it, their names instead, each a
// button that selects it), "write out" (a helper's call as the builder lines it amounts to), and "add
// slot" (name, operation, inputs, element count). Each list of operations or slots opens with a find
// field: typing "mesh" leaves the names that hold it (any case). It returns what the maker asked; the
// panels' owner carries it out through the edit session (edit/session/structure_edit.h).
//
//     const StructureAsk ask = drawStructureEditor(StructureInput{&scenes, &session, &form, scene, slot});
//     if (ask.kind == StructureAskKind::rewire) rewireSlot(session, scenes, scene, ask.slot, ask.input, ask.from);
#pragma once

#include <cstdint>

#include "edit/session/edit_session.h"

enum class StructureAskKind : uint8_t { none, add, remove, rewire, writeOut, select };

struct StructureAsk {
    StructureAskKind kind;
    int32_t slot; // the slot it is about; select: the slot to select; add: the slot it goes after
    int input;    // rewire: the input, and the slot it is to read (kNone: none)
    int32_t from;
    NodeSource node; // add: the new slot, and its name
    char name[64];
};

// The add form, kept by the panels' owner from frame to frame.
struct StructureForm {
    bool open;
    bool focusName; // the form has just opened: the keyboard goes to its name
    char name[64];
    NodeSource node;
    char find[32]; // what is typed into the open list of operations or slots: only names holding it show
};

struct StructureInput {
    const SceneSet* scenes;
    const EditSession* edits;
    StructureForm* form;
    int scene;
    int32_t selected; // -1: none
};

StructureAsk drawStructureEditor(const StructureInput& in);
