// structure_step.h - the records the edit session keeps of a scene's structural changes (a slot added,
// deleted, rewired, written out): the scene's slots before and after, how the change renumbered them,
// and the lines it changed, found again by their text for undo. Plain records; structure_edit.h makes
// and carries them out.
#pragma once

#include <cstdint>

#include "base/enum_names.h"
#include "data/scene_data.h"
#include "edit/session/slot_structure.h"

inline constexpr int kStructureStepCapacity = 64; // structural steps kept for undo (the oldest go)
inline constexpr int32_t kStructureField = -2;    // a SlotEdit's field for a structural step

// A scene's slots as a structural change leaves them: what the running tables and the panels read.
struct SceneShape {
    NodeSource nodes[kSlotsPerScene];
    SlotPlace places[kSlotsPerScene];
    EnumNames names;
};

// Lines of the scene file as they were and as the change wrote them (whole lines, never both empty).
struct LineChange {
    char before[kStructureTextCapacity];
    char after[kStructureTextCapacity];
};

struct StructureStep {
    int32_t scene;
    int16_t forward[kSlotsPerScene]; // a slot's number before the change -> after it (a permutation)
    SceneShape before, after;
    LineChange lines[kStructurePartCapacity];
    int lineCount;
    char said[200]; // what the change did: "added kOrb (DrawMesh) to scene 7"
};

// The session's structural steps, and the names the scenes play under once one was made (until the
// reload brings the rebuilt module's own).
struct StructureEdits {
    StructureStep steps[kStructureStepCapacity]; // a ring: the history's step names its record
    int next;
    SceneNames sceneNames[kSceneCount];
    EnumNames slotNames[kSceneCount];
    SlotPlace places[kSceneCount][kSlotsPerScene];
    NodeSource built[kSceneCount][kSlotsPerScene]; // what the files hold, as the rebuild will
    bool unchecked[kSceneCount];                   // changed since the last rebuild came in
};
