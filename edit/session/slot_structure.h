// slot_structure.h - a scene's slots changed in structure, planned as text in its scene file: a slot
// added (an entry in the file's slot enum and one builder line), deleted (both go), an input rewired
// (one name in the builder call), a helper's call written out (replaced by the builder lines it
// amounts to). Plans only, each a few replacements of whole lines; the edit session writes them and
// keeps them for undo (structure_edit.h). No window: the session and the tests call these.
//
//     StructurePlan plan = {};
//     if (planAddSlot(file, scenes, 7, "kOrb", node, kMoonA, plan, error, sizeof error))
//         ... plan.parts[0..count): bytes begin..end of file.text become text
//     std::string text = plannedText(file, plan);             // readSlotEnum(text...): the new numbers
#pragma once

#include <cstddef>
#include <cstdint>

#include <string>

#include "base/enum_names.h"
#include "edit/session/scene_set.h"
#include "edit/session/slot_text.h"
#include "edit/session/source_edit.h"

inline constexpr int kStructureTextCapacity = 4096; // bytes of one replacement: a few lines
inline constexpr int kStructurePartCapacity = 4;    // replacements of one change

struct StructurePart {
    uint32_t begin, end; // whole lines of the file's text: from a line's start to another's
    char text[kStructureTextCapacity];
};

struct StructurePlan {
    StructurePart parts[kStructurePartCapacity]; // in the order of the text, none overlapping
    int count;
};

// The text of the file as the plan leaves it.
std::string plannedText(const SourceFile& file, const StructurePlan& plan);

// A new slot `name` built as `node`: its enum entry before the count, its line after the statement of
// slot `after` (or at the end of the scene's build where `after` < 0 or is not a line of its own).
// Refused where the name is not `k` + a capital + letters, digits or '_', is taken, or the scene is full.
bool planAddSlot(const SourceFile& file, const SceneSet& scenes, int scene, const char* name,
                 const NodeSource& node, int32_t after, StructurePlan& plan, char* error, size_t size);

// Slot `slot`'s enum entry and line taken out; where that leaves a number before a pinned slot without
// a name, the enum's last entry moves there. Refused for a pinned slot, a slot written by a call of
// several slots, or a name the file still uses elsewhere. Readers are the caller's to refuse.
bool planDeleteSlot(const SourceFile& file, const SceneSet& scenes, int scene, int32_t slot,
                    StructurePlan& plan, char* error, size_t size);

// Input `input` of slot `slot` read from slot `from` (kNone: no input): the name in its builder call.
// Refused where the call does not write that input as a name (a helper's, an expression).
bool planRewire(const SourceFile& file, const SceneSet& scenes, int scene, int32_t slot, int input,
                int32_t from, StructurePlan& plan, char* error, size_t size);

// The call that writes slot `slot` replaced by one builder line for each slot it writes, from the
// running tables `nodes`: a scene's own helper (`cubes(...)`) or a builder of several slots
// (`addOrbitingEye(s, ...)`), or a builder whose inputs a helper gives (`drawMesh(stone(...), ...)`).
// `written` gets the slots it wrote. Refused where the line would not change, or the call cannot be
// found as a statement of the scene file.
bool planWriteOut(const SourceFile& file, const SceneSet& scenes, int scene, const NodeSource* nodes,
                  int32_t slot, StructurePlan& plan, int32_t* written, int& writtenCount, char* error,
                  size_t size);
