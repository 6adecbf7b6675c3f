// structure_history.cpp - a structural change written and recorded, its shape put into the running
// tables and the panels' names, and carried out again in reverse or forward by its lines' text.
#include "edit/session/structure_history.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "director/director_state.h"
#include "edit/session/file_change.h"
#include "edit/session/slot_place.h"
#include "edit/session/slot_text.h"
#include "show/show.h"

namespace {

//-----------------------------------------------------------------------------
// The scene's shape
//-----------------------------------------------------------------------------

// The scenes play under the session's copies of their names, places and built nodes from the first
// structural change until the reload brings the rebuilt module's.
void adoptSceneNames(EditSession& e, SceneSet& scenes) {
    StructureEdits& st = e.structure;
    if (scenes.names == st.sceneNames) return;
    for (int s = 0; s < kSceneCount; ++s) {
        const SceneNames& from = scenes.names[s];
        st.slotNames[s] = *from.slots;
        std::memcpy(st.places[s], from.places, sizeof st.places[s]);
        std::memcpy(st.built[s], scenes.scenes.scenes[s].nodes, sizeof st.built[s]);
        st.sceneNames[s] = SceneNames{from.name, &st.slotNames[s], st.places[s]};
        scenes.scenes.scenes[s].nodes = st.built[s];
    }
    scenes.names = st.sceneNames;
}

// The running tables, the panels' names and the built data take the shape.
bool takeShape(EditSession& e, SceneSet& scenes, int scene, const SceneShape& shape) {
    adoptSceneNames(e, scenes);
    StructureEdits& st = e.structure;
    std::memcpy(e.nodes[scene], shape.nodes, sizeof shape.nodes);
    std::memcpy(st.built[scene], shape.nodes, sizeof shape.nodes);
    std::memcpy(st.places[scene], shape.places, sizeof shape.places);
    st.slotNames[scene] = shape.names;
    st.unchecked[scene] = true;
    ++e.liveChanges;
    Track* tracks = e.scratch.tracks;
    std::memcpy(tracks, trackTable, sizeof e.scratch.tracks);
    return replaceSceneData(e.table, tracks);
}

// The value, key and length steps of the scene follow its slots to their new numbers.
void renumberSteps(EditSession& e, int scene, const int16_t* forward, bool inverse) {
    int16_t map[kSlotsPerScene];
    for (int k = 0; k < kSlotsPerScene; ++k)
        map[inverse ? forward[k] : k] = inverse ? (int16_t)k : forward[k];
    for (int k = 0; k < e.history.count; ++k) {
        SlotEdit& s = e.history.steps[k];
        if (s.scene == scene && s.slot >= 0 && s.field != kStructureField) s.slot = map[s.slot];
    }
}

//-----------------------------------------------------------------------------
// Steps
//-----------------------------------------------------------------------------

// The plan's parts as whole lines found again by their text: touching parts joined, and a part that
// adds or removes lines only widened by the line before it. -1 where they would not fit the record.
int keepLines(const SourceFile& file, const StructurePlan& plan, LineChange* lines) {
    int count = 0;
    for (int k = 0; k < plan.count; ++k) {
        uint32_t begin = plan.parts[k].begin, end = plan.parts[k].end;
        std::string after = plan.parts[k].text;
        while (k + 1 < plan.count && plan.parts[k + 1].begin == end) {
            ++k;
            after += plan.parts[k].text;
            end = plan.parts[k].end;
        }
        std::string before(file.text + begin, end - begin);
        if ((before.empty() || after.empty()) && begin > 0) {
            uint32_t previous = begin - 1;
            while (previous > 0 && file.text[previous - 1] != '\n') --previous;
            const std::string line(file.text + previous, begin - previous);
            before = line + before;
            after = line + after;
        }
        if (before.size() >= sizeof lines[0].before || after.size() >= sizeof lines[0].after) return -1;
        LineChange& change = lines[count++];
        std::memcpy(change.before, before.c_str(), before.size() + 1);
        std::memcpy(change.after, after.c_str(), after.size() + 1);
    }
    return count;
}

// A ring slot for a new step: the history steps up to the one that used it before are dropped.
StructureStep& takeStepRecord(EditSession& e, int& index) {
    StructureEdits& st = e.structure;
    index = st.next;
    st.next = (st.next + 1) % kStructureStepCapacity;
    for (int k = e.history.count - 1; k >= 0; --k) {
        const SlotEdit& s = e.history.steps[k];
        if (s.field == kStructureField && s.slot == index) {
            dropSteps(e.history, 0, k);
            break;
        }
    }
    return st.steps[index];
}

} // namespace

void currentShape(const EditSession& e, const SceneSet& scenes, int scene, SceneShape& out) {
    std::memcpy(out.nodes, e.nodes[scene], sizeof out.nodes);
    std::memcpy(out.places, scenes.names[scene].places, sizeof out.places);
    out.names = *scenes.names[scene].slots;
}

// The scene's file in the session: the file of its first slot written in a scene file.
SourceFile* sceneFile(EditSession& e, const SceneSet& scenes, int scene, int& index, char* error,
                      size_t size) {
    const SlotPlace* places = scenes.names[scene].places;
    for (int k = 0; k < kSlotsPerScene; ++k)
        if (places[k].file && std::strncmp(placeFileName(places[k]), "scene_", 6) == 0)
            return editedFile(e, placeFileName(places[k]), index, error, size);
    return editFail(error, size, "scene %d has no slot written in a scene file", scene), nullptr;
}

// Writes the plan and records it as one step; the running tables take `after`.
bool commitStructure(EditSession& e, SceneSet& scenes, int scene, SourceFile& file, int fileIndex,
                     const StructurePlan& plan, const SceneShape& after, const int16_t* forward,
                     const char* said) {
    FileChange changes[kStructurePartCapacity];
    for (int k = 0; k < plan.count; ++k)
        changes[k] = FileChange{&file, plan.parts[k].begin, plan.parts[k].end, plan.parts[k].text};
    LineChange* lines = e.scratch.lines;
    const int lineCount = keepLines(file, plan, lines); // before the write changes the session's text
    char error[1400];
    if (lineCount < 0) {
        sayEdit(e, true, "%s: the lines it changes are too long to keep for undo; nothing changed", said);
        return false;
    }
    if (!writeFileChange(e.scratch.files, changes, plan.count, error, sizeof error)) {
        sayEdit(e, true, "%s: %s; nothing changed", said, error);
        return false;
    }
    int index = 0;
    StructureStep& step = takeStepRecord(e, index);
    step.scene = scene;
    currentShape(e, scenes, scene, step.before);
    std::memcpy(step.lines, lines, sizeof(LineChange) * lineCount);
    step.lineCount = lineCount;
    step.after = after;
    std::snprintf(step.said, sizeof step.said, "%s", said);
    std::memcpy(step.forward, forward, sizeof step.forward);
    SlotEdit edit = {};
    edit.scene = scene;
    edit.slot = index;
    edit.field = kStructureField;
    edit.file = fileIndex;
    edit.saved = true;
    edit.call = -1;
    pushEdit(e.history, edit);
    ++e.unchecked;
    renumberSteps(e, scene, forward, false);
    if (!takeShape(e, scenes, scene, after)) {
        sayEdit(e, true, "%s: written to %s, but the director could not take it: %s", said, file.path,
                showError());
        return false;
    }
    sayEdit(e, false, "%s; written to %s", said, file.path);
    return true;
}

//-----------------------------------------------------------------------------
// Undo, redo and the rebuild
//-----------------------------------------------------------------------------

namespace {

// The one place at a line's start where `text` stands; false where it is not there, or not once.
bool findLines(const SourceFile& file, const char* text, uint32_t& at) {
    const uint32_t length = (uint32_t)std::strlen(text);
    int found = 0;
    for (uint32_t i = 0; i + length <= file.length && length; ++i) {
        if ((i > 0 && file.text[i - 1] != '\n') || std::memcmp(file.text + i, text, length) != 0) continue;
        at = i;
        ++found;
    }
    return found == 1;
}

} // namespace

bool stepStructure(EditSession& e, SceneSet& scenes, const SlotEdit& s, bool undo) {
    const StructureStep& step = e.structure.steps[s.slot];
    SourceFile& file = e.files[s.file];
    char error[1400];
    FileChange changes[kStructurePartCapacity];
    bool ok = takeDiskText(e, file, error, sizeof error);
    for (int k = 0; k < step.lineCount && ok; ++k) {
        const char* from = undo ? step.lines[k].after : step.lines[k].before;
        uint32_t at = 0;
        ok = findLines(file, from, at);
        if (!ok)
            std::snprintf(error, sizeof error, "%s no longer holds the lines the change %s, once (\"%.60s\")",
                          file.path, undo ? "wrote" : "replaced", from);
        int j = k; // in the order of the text
        for (; j > 0 && changes[j - 1].begin > at; --j) changes[j] = changes[j - 1];
        changes[j] = FileChange{&file, at, at + (uint32_t)std::strlen(from),
                                undo ? step.lines[k].before : step.lines[k].after};
    }
    ok = ok && writeFileChange(e.scratch.files, changes, step.lineCount, error, sizeof error);
    if (!ok) {
        sayEdit(e, true, "cannot %s the change of scene %d's slots: %s", undo ? "undo" : "redo", step.scene,
                error);
        return false;
    }
    renumberSteps(e, step.scene, step.forward, undo);
    ++e.unchecked;
    if (!takeShape(e, scenes, step.scene, undo ? step.before : step.after)) {
        sayEdit(e, true, "the director could not take scene %d's slots: %s", step.scene, showError());
        return false;
    }
    sayEdit(e, false, "%s: %s (%s)", undo ? "undone" : "redone", step.said, file.path);
    return true;
}

int checkRebuiltStructure(EditSession& e, const SceneSet& rebuilt, char* first, size_t size) {
    int differ = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        if (!e.structure.unchecked[s]) continue;
        e.structure.unchecked[s] = false;
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& a = rebuilt.scenes.scenes[s].nodes[k];
            const NodeSource& b = e.nodes[s][k];
            if (a.op == b.op && std::memcmp(a.inputs, b.inputs, sizeof a.inputs) == 0) continue;
            if (differ++) continue;
            int i = 0;
            while (i < 7 && a.inputs[i] == b.inputs[i]) ++i;
            if (a.op != b.op)
                std::snprintf(first, size, "scene %d slot %d (%s) is %s in the rebuilt data, %s as edited", s,
                              k, slotLabel(rebuilt, s, k), operationName(a.op), operationName(b.op));
            else
                std::snprintf(first, size,
                              "scene %d slot %d (%s) in%d reads %s in the rebuilt data, %s as edited", s, k,
                              slotLabel(rebuilt, s, k), i, inputLabel(rebuilt, s, a.inputs[i]),
                              inputLabel(rebuilt, s, b.inputs[i]));
        }
    }
    return differ;
}
