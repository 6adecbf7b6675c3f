// structure_edit.cpp - structural changes checked against the running tables, planned, and the shape
// each leaves worked out (the slots numbered by name as the planned file numbers them).
#include "edit/session/structure_edit.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "data/scene_build.h"
#include "director/node_info.h"
#include "edit/session/slot_place.h"
#include "edit/session/slot_text.h"
#include "edit/session/source_scan.h"
#include "edit/session/structure_history.h"

namespace {

//-----------------------------------------------------------------------------
// The shape a plan leaves
//-----------------------------------------------------------------------------

// The slots renumbered by name as the planned file numbers them; a slot the plan removed takes the
// number left free. `added` (may be null) is the new slot's node, inputs numbered as before the plan.
bool shapeAfter(const SceneShape& before, const std::string& text, const NodeSource* added,
                const char* addedName, SceneShape& after, int16_t* forward, char* error, size_t size) {
    int32_t count = 0;
    if (!readSlotEnum(text.c_str(), (uint32_t)text.size(), after.names, count, error, size)) return false;
    bool taken[kSlotsPerScene] = {};
    int32_t gone = -1;
    int32_t base = -1; // the last named slot: a slot without a name is one of its group (kAlpha0 + 3)
    for (int32_t k = 0; k < kSlotsPerScene; ++k) {
        const char* name = enumName(before.names, k);
        const bool used = before.nodes[k].op != kOpEmpty;
        if (name) base = k;
        forward[k] = (int16_t)(name && used                              ? slotNumber(after.names, name)
                               : used && base >= 0 && forward[base] >= 0 ? forward[base] + (k - base)
                                                                         : k);
        if (forward[k] < 0)
            gone = k;
        else
            taken[forward[k]] = true;
    }
    if (gone >= 0) // the removed slot takes the number the enum left free
        for (int32_t k = 0; k < kSlotsPerScene; ++k)
            if (!taken[k] && (k >= count || !enumName(after.names, k))) {
                forward[gone] = (int16_t)k;
                break;
            }
    std::memset(after.nodes, 0, sizeof after.nodes);
    std::memset(after.places, 0, sizeof after.places);
    auto place = [&](const NodeSource& from, int32_t to) {
        NodeSource n = from;
        for (int32_t& input : n.inputs)
            if (input >= 0) input = forward[input];
        after.nodes[to] = n;
    };
    for (int32_t k = 0; k < kSlotsPerScene; ++k) {
        if (k == gone) continue;
        place(before.nodes[k], forward[k]);
        after.places[forward[k]] = before.places[k];
    }
    if (added) place(*added, slotNumber(after.names, addedName));
    return true;
}

// The place of `s[kName] = builder(...)` in the planned text, for the slots a plan wrote.
void placeWritten(SceneShape& after, const std::string& text, const char* path, int32_t slot, int32_t form) {
    uint32_t call = 0;
    const char* name = enumName(after.names, slot);
    if (!name || findSlotCalls(text.c_str(), (uint32_t)text.size(), name, &call, 1) != 1) return;
    uint32_t lineStart = call;
    while (lineStart > 0 && text[lineStart - 1] != '\n') --lineStart;
    after.places[slot] = SlotPlace{path, lineOf(text.c_str(), call), call - lineStart + 1, form};
}

bool refuse(EditSession& e, const char* what, const char* why) {
    sayEdit(e, true, "%s: %s; nothing changed", what, why);
    return false;
}

} // namespace

NodeSource newSlotNode(const EditSession& e, int scene, int32_t op) {
    NodeSource n = {};
    n.op = op;
    for (int32_t& input : n.inputs) input = kNone;
    n.outputCount = 1;
    for (int k = 0; k < kSlotsPerScene; ++k) {
        const NodeSource& m = e.nodes[scene][k];
        if (m.op != op) continue;
        std::memcpy(n.params, m.params, sizeof n.params);
        n.outputCount = m.outputCount;
        break;
    }
    return n;
}

int slotReaders(const EditSession& e, int scene, int32_t slot, int32_t* readers, int capacity) {
    int count = 0;
    for (int32_t k = 0; k < kSlotsPerScene; ++k) {
        bool reads = false;
        for (int32_t input : e.nodes[scene][k].inputs) reads = reads || input == slot;
        if (!reads || e.nodes[scene][k].op == kOpEmpty) continue;
        if (count < capacity) readers[count] = k;
        ++count;
    }
    return count;
}

namespace {

bool usedSlot(const EditSession& e, int scene, int32_t slot) {
    return slot >= 0 && slot < kSlotsPerScene && e.nodes[scene][slot].op != kOpEmpty;
}

// Whether slot `from` reads `slot`, itself or through its inputs.
bool dependsOn(const NodeSource* nodes, int32_t from, int32_t slot) {
    bool seen[kSlotsPerScene] = {};
    int32_t stack[kSlotsPerScene];
    int top = 0;
    stack[top++] = from;
    seen[from] = true;
    while (top > 0) {
        const int32_t k = stack[--top];
        if (k == slot) return true;
        for (int32_t input : nodes[k].inputs)
            if (input >= 0 && input < kSlotsPerScene && !seen[input]) {
                seen[input] = true;
                stack[top++] = input;
            }
    }
    return false;
}

// The scene's file read fresh and what the change is called in its messages: what every structural
// change starts from.
struct StructureStart {
    SourceFile* file;
    int fileIndex;
    const char* name; // the slot changed
    char what[200];   // "deleting scene 7 kShaft"
};

bool startStructure(EditSession& e, const SceneSet& scenes, int scene, StructureStart& start, char* error,
                    size_t size) {
    if (scene < 0 || scene >= kSceneCount) return editFail(error, size, "there is no scene %d", scene);
    start.file = sceneFile(e, scenes, scene, start.fileIndex, error, size);
    return start.file && takeDiskText(e, *start.file, error, size);
}

// The start of a change to a slot the scene uses (`verb` names it); false, with the refusal said, when
// the file cannot be read or the slot is empty.
bool startSlotChange(EditSession& e, const SceneSet& scenes, int scene, int32_t slot, const char* verb,
                     StructureStart& start) {
    start.name = scene >= 0 && scene < kSceneCount ? slotLabel(scenes, scene, slot) : "?";
    std::snprintf(start.what, sizeof start.what, "%s scene %d %s", verb, scene, start.name);
    char error[512];
    if (!startStructure(e, scenes, scene, start, error, sizeof error)) return refuse(e, start.what, error);
    if (!usedSlot(e, scene, slot)) return refuse(e, start.what, "the slot is empty");
    return true;
}

// The shape the plan leaves, written and recorded; `written` slots get the places of their new lines.
bool finishStructure(EditSession& e, SceneSet& scenes, int scene, const StructureStart& start,
                     const NodeSource* added, const char* addedName, const int32_t* written, int writtenCount,
                     const char* what, const char* said) {
    SceneShape& before = e.scratch.shapes[0];
    SceneShape& after = e.scratch.shapes[1];
    currentShape(e, scenes, scene, before);
    const std::string text = plannedText(*start.file, e.scratch.plan);
    int16_t forward[kSlotsPerScene];
    char error[512];
    if (!shapeAfter(before, text, added, addedName, after, forward, error, sizeof error))
        return refuse(e, what, error);
    for (int k = 0; k < writtenCount; ++k) {
        const int32_t slot = forward[written[k]];
        int32_t form = kFormNode;
        char call[kStructureTextCapacity];
        slotCallText(after.nodes[slot], after.names, call, sizeof call, &form);
        placeWritten(after, text, start.file->path, slot, form);
    }
    if (added) {
        const int32_t slot = slotNumber(after.names, addedName);
        int32_t form = kFormNode;
        char call[kStructureTextCapacity];
        slotCallText(*added, before.names, call, sizeof call, &form);
        placeWritten(after, text, start.file->path, slot, form);
    }
    return commitStructure(e, scenes, scene, *start.file, start.fileIndex, e.scratch.plan, after, forward,
                           said);
}

} // namespace

bool addSlot(EditSession& e, SceneSet& scenes, int scene, const char* name, const NodeSource& node,
             int32_t after) {
    char what[160], error[512];
    std::snprintf(what, sizeof what, "adding %s to scene %d", name, scene);
    if (node.op <= kOpEmpty || node.op >= kNodeOpCount) return refuse(e, what, "pick an operation");
    if (node.op == kOpTrackSample)
        return refuse(
            e, what, "a track is read by a line written in the file, with the track in its readsTracks list");
    if (node.outputCount < 1 || node.outputCount > kEditLargestCount)
        return refuse(e, what, "the element count must be 1..4096");
    StructureStart start = {};
    if (!startStructure(e, scenes, scene, start, error, sizeof error)) return refuse(e, what, error);
    for (int i = 0; i < 8; ++i) {
        const int32_t input = node.inputs[i];
        if (input == kNone) continue;
        if (!usedSlot(e, scene, input))
            std::snprintf(error, sizeof error, "in%d reads slot %d, which the scene does not use", i, input);
        else if (!enumName(*scenes.names[scene].slots, input))
            std::snprintf(error, sizeof error, "in%d reads slot %d, which has no name of its own", i, input);
        else if (!operationReadsInput(node.op, i))
            std::snprintf(error, sizeof error, "%s reads no in%d (its inputs: %s)", operationName(node.op), i,
                          nodeOpInfo(node.op).inputs);
        else
            continue;
        return refuse(e, what, error);
    }
    if (!planAddSlot(*start.file, scenes, scene, name, node, after, e.scratch.plan, error, sizeof error))
        return refuse(e, what, error);
    char said[200];
    std::snprintf(said, sizeof said, "added %s (%s) to scene %d", name, operationName(node.op), scene);
    return finishStructure(e, scenes, scene, start, &node, name, nullptr, 0, what, said);
}

bool deleteSlot(EditSession& e, SceneSet& scenes, int scene, int32_t slot) {
    StructureStart start = {};
    if (!startSlotChange(e, scenes, scene, slot, "deleting", start)) return false;
    const char* what = start.what;
    char error[512];
    if (e.nodes[scene][slot].op == kOpTrackSample)
        return refuse(e, what,
                      "a track's reader goes with the track in the file's readsTracks list: delete it there");
    int32_t readers[8];
    const int count = slotReaders(e, scene, slot, readers, 8);
    if (count > 0) {
        std::string names;
        for (int k = 0; k < count && k < 8; ++k)
            names += std::string(k ? ", " : "") + slotLabel(scenes, scene, readers[k]);
        std::snprintf(error, sizeof error, "%d slot%s read%s it (%s%s)", count, count == 1 ? "" : "s",
                      count == 1 ? "s" : "", names.c_str(), count > 8 ? ", ..." : "");
        return refuse(e, what, error);
    }
    if (!planDeleteSlot(*start.file, scenes, scene, slot, e.scratch.plan, error, sizeof error))
        return refuse(e, what, error);
    char said[200];
    std::snprintf(said, sizeof said, "deleted %s from scene %d", start.name, scene);
    return finishStructure(e, scenes, scene, start, nullptr, nullptr, nullptr, 0, what, said);
}

bool rewireSlot(EditSession& e, SceneSet& scenes, int scene, int32_t slot, int input, int32_t from) {
    StructureStart start = {};
    if (!startSlotChange(e, scenes, scene, slot, "rewiring", start)) return false;
    const char* name = start.name;
    char what[240], error[512];
    std::snprintf(what, sizeof what, "%s in%d", start.what, input);
    if (input < 0 || input >= 8) return refuse(e, what, "no such input");
    const NodeSource& node = e.nodes[scene][slot];
    const char* fromName = inputLabel(scenes, scene, from);
    if (from != kNone && !usedSlot(e, scene, from)) return refuse(e, what, "the slot to read is empty");
    if (from != kNone && !enumName(*scenes.names[scene].slots, from))
        return refuse(e, what, "the slot to read has no name of its own in the slot enum: pick a named one");
    if (node.inputs[input] == from)
        return sayEdit(e, false, "%s in%d reads %s already", name, input, fromName), false;
    if (from != kNone && !operationReadsInput(node.op, input)) {
        std::snprintf(error, sizeof error, "%s reads no in%d (its inputs: %s)", operationName(node.op), input,
                      nodeOpInfo(node.op).inputs);
        return refuse(e, what, error);
    }
    if (from != kNone && dependsOn(e.nodes[scene], from, slot)) {
        std::snprintf(error, sizeof error, "%s reads %s already, itself or through its inputs: a cycle",
                      fromName, name);
        return refuse(e, what, error);
    }
    if (!planRewire(*start.file, scenes, scene, slot, input, from, e.scratch.plan, error, sizeof error))
        return refuse(e, what, error);
    NodeSource rewired = node;
    rewired.inputs[input] = from;
    char said[200];
    std::snprintf(said, sizeof said, "%s in%d now reads %s", name, input, fromName);
    SceneShape& before = e.scratch.shapes[0];
    SceneShape& after = e.scratch.shapes[1];
    currentShape(e, scenes, scene, before);
    after = before;
    after.nodes[slot] = rewired;
    int16_t forward[kSlotsPerScene];
    for (int k = 0; k < kSlotsPerScene; ++k) forward[k] = (int16_t)k;
    return commitStructure(e, scenes, scene, *start.file, start.fileIndex, e.scratch.plan, after, forward,
                           said);
}

bool writeOutSlot(EditSession& e, SceneSet& scenes, int scene, int32_t slot) {
    StructureStart start = {};
    if (!startSlotChange(e, scenes, scene, slot, "writing out", start)) return false;
    char error[512];
    int32_t written[kSlotsPerScene];
    int count = 0;
    if (!planWriteOut(*start.file, scenes, scene, e.nodes[scene], slot, e.scratch.plan, written, count, error,
                      sizeof error))
        return refuse(e, start.what, error);
    char said[200];
    std::snprintf(said, sizeof said, "wrote out %s's call as %d line%s of builders", start.name, count,
                  count == 1 ? "" : "s");
    return finishStructure(e, scenes, scene, start, nullptr, nullptr, written, count, start.what, said);
}
