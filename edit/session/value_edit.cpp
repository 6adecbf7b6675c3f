// value_edit.cpp - checks, the running tables patched, the literal written back, undo and redo, and the
// comparison with the rebuilt data.
#include "edit/session/value_edit.h"

#include <cmath>
#include <cstring>

#include "data/scene_build.h"
#include "director/director_state.h"
#include "director/node_info.h"
#include "edit/session/file_change.h"
#include "edit/session/slot_place.h"
#include "edit/session/structure_history.h"
#include "show/show.h"

namespace {

void setField(NodeSource& node, int field, float value) {
    if (field == kCountField)
        node.outputCount = (uint32_t)value;
    else
        node.params[field] = value;
}

SourceFile* fileOf(EditSession& e, const SlotPlace& place, int& index, char* error, size_t size) {
    return editedFile(e, placeFileName(place), index, error, size);
}

// What the file holds for the field: the latest written edit still in effect, else the built value.
float fileValue(const EditSession& e, const SceneSet& scenes, int scene, int slot, int field) {
    for (int k = e.history.done - 1; k >= 0; --k) {
        const SlotEdit& s = e.history.steps[k];
        if (s.saved && s.scene == scene && s.slot == slot && s.field == field) return s.after;
    }
    return slotField(scenes.scenes.scenes[scene].nodes[slot], field);
}

// Another slot of the scene written by the same call: then one literal is several slots' value.
int sharedPlace(const SceneSet& scenes, int scene, int slot) {
    const SlotPlace* places = scenes.names[scene].places;
    const SlotPlace& p = places[slot];
    int count = 1;
    for (int k = 0; k < kSlotsPerScene; ++k) {
        const SlotPlace& q = places[k];
        if (k != slot && q.file && q.line == p.line && q.column == p.column && q.form == p.form &&
            std::strcmp(placeFileName(q), placeFileName(p)) == 0)
            ++count;
    }
    return count;
}

// Plans the step's literal in the slot's call, found as the file stands now; the step learns where the
// literal lies from the call's start. A call shared by several slots (a helper's), a computed value or
// a file that no longer writes the slot is refused, naming the line to open.
bool planSlotEdit(EditSession& e, const SceneSet& scenes, SlotEdit& step, const SourceFile& file,
                  const ValueNames& names, char* error, size_t size) {
    const int scene = step.scene, slot = step.slot, field = step.field;
    const char* name = slotLabel(scenes, scene, slot);
    const int shared = sharedPlace(scenes, scene, slot);
    if (shared > 1) {
        const SlotPlace& place = scenes.names[scene].places[slot];
        const uint32_t line = slotAssignmentLine(file, scenes, scene, slot);
        std::snprintf(e.openLine, sizeof e.openLine, "%s:%u", file.path, line);
        sayEdit(
            e, true,
            "%s:%u sets %s through a call whose one %s() (line %u) writes %d slots: the value is computed; "
            "open the line to change it; nothing changed",
            placeFileName(place), line, name, slotFormBuilder((SlotForm)place.form), place.line, shared);
        return false;
    }
    SlotPlace now = {};
    uint32_t anchor = 0;
    const bool found = findSlotCallNow(file, scenes, scene, slot, now, anchor);
    struct Sibling {
        const NodeSource* node;
    } sibling = {&e.nodes[scene][slot]};
    auto siblingValue = [](const void* c, int f) {
        return slotField(*static_cast<const Sibling*>(c)->node, f);
    };
    // What the file should hold there: the last edit written, else the built value; after a save of the
    // maker's own the rebuilt value, or the value playing, may be it instead.
    const float candidates[3] = {fileValue(e, scenes, scene, slot, field),
                                 slotField(scenes.scenes.scenes[scene].nodes[slot], field), step.before};
    const ValueNames* listed = names.count ? &names : nullptr;
    bool planned = false;
    for (int c = 0; c < 3 && !planned; ++c)
        planned = (c == 0 || candidates[c] != candidates[0]) &&
                  planLiteralEdit(file, now, field, candidates[c], step.after, listed, siblingValue, &sibling,
                                  step.change, error, size);
    if (!planned || !found) {
        if (!found) std::snprintf(error, size, "the call that wrote the slot is not found");
        std::snprintf(e.openLine, sizeof e.openLine, "%s:%u", file.path, now.line);
        sayEdit(e, true, "%s %s: %s; nothing changed", name, fieldLabel(field), error);
        return false;
    }
    step.fromAnchor = step.change.begin - anchor;
    step.call = slotCallOrdinal(file, scenes, scene, slot, anchor);
    return true;
}

} // namespace

// The running tables take the edited value: a parameter in place, an element count through a new
// conversion of the scene data (every slot's value array is made again).
bool patchRunningTables(EditSession& e, int scene, int slot, int field, float value) {
    ++e.liveChanges;
    if (slot < 0) { // a scene's length: the clock reads it from the table
        e.table.scenes[scene].duration = (int32_t)value;
        return true;
    }
    setField(e.nodes[scene][slot], field, value);
    if (field != kCountField) {
        if (nodeBlocks) nodeBlocks[scene][slot].params[field] = value;
        return true;
    }
    Track* tracks = e.scratch.tracks;
    std::memcpy(tracks, trackTable, sizeof e.scratch.tracks); // the tracks as they play now
    return replaceSceneData(e.table, tracks);
}

float slotField(const NodeSource& node, int field) {
    return field == kCountField      ? (float)node.outputCount
           : field >= 0 && field < 8 ? node.params[field]
                                     : 0.0f;
}

ValueNames fieldNames(int32_t op, int field) {
    if (field < 0 || field >= kNodeInfoParams) return ValueNames{nullptr, 0};
    return valueNamesOf(nodeOpInfo(op).params[field].kind);
}

namespace {

// A scene file says which tracks it reads, and its build checks that: a change must leave that set.
bool keepsTracksRead(const EditSession& e, int scene, int slot, float value) {
    bool before[kTrackCount] = {}, after[kTrackCount] = {};
    for (int k = 0; k < kSlotsPerScene; ++k) {
        const NodeSource& n = e.nodes[scene][k];
        if (n.op != kOpTrackSample) continue;
        const int32_t was = (int32_t)std::lround(n.params[0]), now = k == slot ? (int32_t)value : was;
        if (was >= 0 && was < kTrackCount) before[was] = true;
        if (now >= 0 && now < kTrackCount) after[now] = true;
    }
    return std::memcmp(before, after, sizeof before) == 0;
}

// The value checked as the field takes it (a whole number rounded); false, saying why, where it cannot
// be, or is already.
bool checkSlotEdit(EditSession& e, const SceneSet& scenes, int scene, int slot, int field, float& value) {
    if (scene < 0 || scene >= kSceneCount || slot < 0 || slot >= kSlotsPerScene || field < 0 ||
        field > kCountField) {
        sayEdit(e, true, "no scene %d slot %d field %d; nothing changed", scene, slot, field);
        return false;
    }
    const NodeSource& node = e.nodes[scene][slot];
    const char* name = slotLabel(scenes, scene, slot);
    if (node.op == kOpEmpty) {
        sayEdit(e, true, "scene %d slot %d is empty; nothing changed", scene, slot);
        return false;
    }
    if (!std::isfinite(value)) {
        sayEdit(e, true, "%s %s: %g is not a number the show can hold; nothing changed", name,
                fieldLabel(field), (double)value);
        return false;
    }
    // A whole number, a mode or a component is read rounded, and some builders take it as an int.
    const ParamKind kind = field < kNodeInfoParams ? nodeOpInfo(node.op).params[field].kind : kParamUnused;
    if (kind == kParamWhole || kind == kParamMode || kind == kParamComponent || kind == kParamScene)
        value = std::nearbyint(value);
    if (field == kCountField &&
        (value != std::trunc(value) || value < 1 || value > (float)kEditLargestCount)) {
        sayEdit(e, true, "%s: %g elements is outside what the director holds (1..%u); nothing changed", name,
                (double)value, kEditLargestCount);
        return false;
    }
    const float before = slotField(node, field);
    if (before == value && std::signbit(before) == std::signbit(value)) {
        sayEdit(e, false, "%s %s is %g already", name, fieldLabel(field), (double)value);
        return false;
    }
    const ValueNames names = fieldNames(node.op, field);
    bool known = names.count == 0;
    for (int i = 0; i < names.count; ++i) known = known || (float)names.names[i].value == value;
    if (!known) {
        sayEdit(e, true, "%s %s: %g is not one of the names it takes; nothing changed", name,
                fieldLabel(field), (double)value);
        return false;
    }
    if (node.op == kOpTrackSample && field == 0 && !keepsTracksRead(e, scene, slot, value)) {
        sayEdit(
            e, true,
            "%s: the scene file lists the tracks it reads (readsTracks) and would no longer build; change "
            "the track and that list in the file; nothing changed",
            name);
        return false;
    }
    return true;
}

bool editSlot(EditSession& e, const SceneSet& scenes, int scene, int slot, int field, float value) {
    e.openLine[0] = 0;
    if (!checkSlotEdit(e, scenes, scene, slot, field, value)) return false;
    NodeSource& node = e.nodes[scene][slot];
    const char* name = slotLabel(scenes, scene, slot);
    const float before = slotField(node, field);
    const ValueNames names = fieldNames(node.op, field);

    // Where the file writes it, and the literal that becomes the new value.
    SlotEdit step = {scene, slot, field, before, value, -1, false, {}, false, 0, -1};
    const SlotPlace none = {};
    const SlotPlace& place = scenes.names[scene].places ? scenes.names[scene].places[slot] : none;
    char error[1400] = "";
    SourceFile* file = nullptr;
    bool planned = false;
    if (!place.file) {
        std::snprintf(error, sizeof error, "no place is known for the slot");
    } else if ((file = fileOf(e, place, step.file, error, sizeof error)) &&
               takeDiskText(e, *file, error, sizeof error)) {
        if (!planSlotEdit(e, scenes, step, *file, names, error, sizeof error)) return false;
        planned = true;
    }

    if (!patchRunningTables(e, scene, slot, field, value)) {
        setField(node, field, before);
        sayEdit(e, true, "the director could not take the value: %s; nothing changed", showError());
        return false;
    }
    if (planned) {
        const FileChange change = literalChange(file, step.change);
        step.saved = writeFileChange(e.scratch.files, &change, 1, error, sizeof error);
    }
    pushEdit(e.history, step);
    if (step.saved) {
        ++e.unchecked;
        sayEdit(e, false, "%s:%u: %s %s %s -> %s", placeFileName(place), step.change.line, name,
                fieldLabel(field), step.change.before[0] ? step.change.before : "(left out)",
                step.change.text);
    } else {
        sayEdit(e, true, "%s %s = %g plays, unsaved: %s", name, fieldLabel(field), (double)value, error);
    }
    return true;
}

} // namespace

bool editSlotValue(EditSession& e, const SceneSet& scenes, int scene, int slot, int field, float value) {
    const bool done = editSlot(e, scenes, scene, slot, field, value);
    e.aboutScene = scene, e.aboutSlot = slot;
    return done;
}

bool editSlotText(EditSession& e, const SceneSet& scenes, int scene, int slot, int field, const char* text) {
    uint32_t begin = 0, end = (uint32_t)std::strlen(text);
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    float value = 0;
    if (!readNumberLiteral(text + begin, end - begin, value) || !std::isfinite(value)) {
        e.openLine[0] = 0;
        sayEdit(e, true, "%s %s: \"%s\" is not a number the show can hold; nothing changed",
                slotLabel(scenes, scene, slot), fieldLabel(field), text);
        e.aboutScene = scene, e.aboutSlot = slot;
        return false;
    }
    return editSlotValue(e, scenes, scene, slot, field, value);
}

namespace {

// Walks the edits in effect, the last of each field deciding: the unsaved ones are kept, the saved ones
// compared with the rebuilt data. Returns how many differ, the first named in `first`.
int compareRebuilt(EditSession& e, const SceneSet& scenes, KeptEdits& kept, char* first, size_t size) {
    auto& seen = e.scratch.decided;
    std::memset(seen, 0, sizeof seen);
    bool lengthSeen[kSceneCount] = {};
    int differ = 0;
    for (int k = e.history.done - 1; k >= 0; --k) {
        const SlotEdit& s = e.history.steps[k];
        if (s.scene == kKeyEditScene || s.field == kStructureField) continue; // checked on their own
        bool& decided = s.slot < 0 ? lengthSeen[s.scene] : seen[s.scene][s.slot][s.field];
        if (decided) continue;
        decided = true;
        const float rebuilt = s.slot < 0 ? (float)scenes.scenes.scenes[s.scene].duration
                                         : slotField(scenes.scenes.scenes[s.scene].nodes[s.slot], s.field);
        const float edited = s.slot < 0 ? (float)e.table.scenes[s.scene].duration
                                        : slotField(e.nodes[s.scene][s.slot], s.field);
        if (!s.saved) {
            (s.slot < 0 ? kept.length[s.scene] : kept.field[s.scene][s.slot][s.field]) = true;
            kept.count = kept.count || (s.slot >= 0 && s.field == kCountField);
        } else if (rebuilt != edited && e.unchecked > 0 && !differ++) {
            if (s.slot < 0)
                std::snprintf(first, size, "scene %d is %g frames long in the rebuilt data, %g as edited",
                              s.scene, (double)rebuilt, (double)edited);
            else
                std::snprintf(first, size, "scene %d %s %s is %g in the rebuilt data, %g as edited", s.scene,
                              slotLabel(scenes, s.scene, s.slot), fieldLabel(s.field), (double)rebuilt,
                              (double)edited);
        }
    }
    return differ;
}

// The running tables take the rebuilt data, but for what is kept.
void takeRebuiltData(EditSession& e, const SceneSet& scenes, const KeptEdits& kept) {
    for (int s = 0; s < kSceneCount; ++s) {
        const NodeSource* rebuilt = scenes.scenes.scenes[s].nodes;
        for (int k = 0; k < kSlotsPerScene; ++k) {
            NodeSource next = rebuilt[k];
            for (int f = 0; f <= kCountField; ++f)
                if (kept.field[s][k][f]) setField(next, f, slotField(e.nodes[s][k], f));
            e.nodes[s][k] = next;
            for (int f = 0; f < 8 && nodeBlocks; ++f)
                if (kept.field[s][k][f]) nodeBlocks[s][k].params[f] = next.params[f];
        }
        if (!kept.length[s]) e.table.scenes[s].duration = scenes.scenes.scenes[s].duration;
    }
    ++e.liveChanges;
    if (kept.count) {
        Track* tracks = e.scratch.tracks;
        std::memcpy(tracks, trackTable, sizeof e.scratch.tracks);
        replaceSceneData(e.table, tracks);
    }
}

} // namespace

void takeRebuiltScenes(EditSession& e, const SceneSet& scenes) {
    KeptEdits& kept = e.scratch.kept;
    std::memset(&kept, 0, sizeof kept);
    char first[512] = "";
    int differ = compareRebuilt(e, scenes, kept, first, sizeof first);
    differ += checkRebuiltStructure(e, scenes, differ ? nullptr : first, differ ? 0 : sizeof first);
    const int checked = e.unchecked;
    takeRebuiltData(e, scenes, kept);
    if (e.takeRebuiltKeys)
        differ += e.takeRebuiltKeys(e, scenes.tracks, differ ? nullptr : first, differ ? 0 : sizeof first);
    e.unchecked = 0;
    if (differ)
        sayEdit(e, true, "the rebuilt scene data differs from the edits in %d value%s: %s", differ,
                differ == 1 ? "" : "s", first);
    else if (checked)
        sayEdit(e, false, "the rebuilt scene data equals the edited values");
    else if (e.failed) { // a new rebuild, no edit waiting for it: what went wrong before is past
        e.failed = false;
        std::snprintf(e.message, sizeof e.message, "the scene data was rebuilt from the files");
    }
}
