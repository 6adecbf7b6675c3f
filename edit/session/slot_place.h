// slot_place.h - where a slot's call stands in its scene file now, which the maker's editor may have
// changed since the scene data was built: found by the slot it sets (`s[kAt] = constant(...)`), or for
// a builder that sets several slots (`addOrbitingEye(s, ...)`) by which call of it it is, or else at
// the compiler's place. An undo step's literal is found again from there, never by a remembered offset.
//
//     SlotPlace now;
//     uint32_t call;
//     if (findSlotCallNow(file, scenes, 4, kAt, now, call)) ...         // now.line: the call's line today
//     if (locateStepLiteral(scenes, step, file, true, edit, error, sizeof error)) ... // its bytes to undo
#pragma once

#include <cstddef>
#include <cstdint>

#include "edit/session/edit_history.h"
#include "edit/session/scene_set.h"
#include "edit/session/source_edit.h"

// "p0".."p7", "element count"; "(frames)" for a scene's length (slot < 0).
const char* fieldLabel(int field, int slot = 0);
// The slot's name in its scene ("kAt"); "length" for a scene's length (slot < 0).
const char* slotLabel(const SceneSet& scenes, int scene, int slot);
// The name of the slot an input reads, "kNone" where it reads none.
const char* inputLabel(const SceneSet& scenes, int scene, int32_t input);

// The slot's call in the file: `now` is the place with today's line and column, `offset` its callee's
// first byte. False where the file has no such call.
bool findSlotCallNow(const SourceFile& file, const SceneSet& scenes, int scene, int slot, SlotPlace& now,
                     uint32_t& offset);

// The line that sets the slot, for a refusal: its `s[kAt] = ...` where the file has one.
uint32_t slotAssignmentLine(const SourceFile& file, const SceneSet& scenes, int scene, int slot);

// Which call of the slot's builder in the file the call at `offset` is; -1 where the slot's own
// `s[kAt] = ` finds it.
int32_t slotCallOrdinal(const SourceFile& file, const SceneSet& scenes, int scene, int slot, uint32_t offset);

// Where the step's literal stands now: the bytes the step wrote (undo) or replaced (redo), to become
// the other. False with the reason where the call, or the literal in it, is gone.
bool locateStepLiteral(const SceneSet& scenes, const SlotEdit& s, const SourceFile& file, bool undo,
                       LiteralEdit& out, char* error, size_t size);
