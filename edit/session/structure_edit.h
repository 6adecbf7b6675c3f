// structure_edit.h - what a scene computes changed in the edit mode: a slot added, deleted, an input
// rewired, a helper's call written out. Each is checked against the running tables (a reader left
// without its input, a cycle, an input the operation does not read), planned as whole lines of the
// scene file (slot_structure.h), written through writeFileChange (all or nothing), and put into the
// running tables at once, the slots numbered as the file's enum now numbers them. Each is one step of
// the session's undo list; undo finds its lines again by their text.
//
//     NodeSource orb = newSlotNode(session, 7, kOpDrawMesh);   // parameters as the scene's first draw
//     orb.inputs[0] = kMoonPos;
//     addSlot(session, scenes, 7, "kOrb", orb, kMoonA);        // session.message says how it went
//     rewireSlot(session, scenes, 7, kCrown, 0, kMoonPos);     // in0 of kCrown now reads kMoonPos
//     deleteSlot(session, scenes, 7, kOrbSlot);                // refused while a slot reads it
//     writeOutSlot(session, scenes, 7, kPlinth);               // cubes(...) becomes drawMesh(...)
#pragma once

#include <cstdint>

#include "edit/session/edit_session.h"

// A slot of operation `op` as the add dialog starts it: the parameters and element count of the
// scene's first slot of that operation, else zeros and one element; no inputs.
NodeSource newSlotNode(const EditSession& e, int scene, int32_t op);

// The slots of the scene that read slot `slot`; returns how many (up to `capacity` kept).
int slotReaders(const EditSession& e, int scene, int32_t slot, int32_t* readers, int capacity);

// Each says what it did in e.message and returns false, changing nothing, where it is refused or the
// file cannot be written.
bool addSlot(EditSession& e, SceneSet& scenes, int scene, const char* name, const NodeSource& node,
             int32_t after);
bool deleteSlot(EditSession& e, SceneSet& scenes, int scene, int32_t slot);
bool rewireSlot(EditSession& e, SceneSet& scenes, int scene, int32_t slot, int input, int32_t from);
bool writeOutSlot(EditSession& e, SceneSet& scenes, int scene, int32_t slot);
