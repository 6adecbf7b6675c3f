// undo.cpp - the undo list's steps carried out in reverse or again: a change's literals found again in
// every file it wrote, then every file written or none; a step that cannot be is dropped.
#include <cstdio>
#include <cstring>

#include "director/director_state.h"
#include "edit/session/file_change.h"
#include "edit/session/slot_place.h"
#include "edit/session/structure_history.h"
#include "edit/session/value_edit.h"
#include "show/show.h"

namespace {

// "undone scene 4 kAt p0: 0"
void sayStep(const SceneSet& scenes, const SlotEdit& s, bool undo, char* out, size_t size) {
    const size_t used = std::strlen(out);
    std::snprintf(out + used, size - used, "%sscene %d %s %s: %g%s", used ? ", " : "", s.scene,
                  slotLabel(scenes, s.scene, s.slot), fieldLabel(s.field, s.slot),
                  (double)(undo ? s.before : s.after), s.saved ? "" : " (unsaved: its file was not written)");
}

// The steps from `first` to `last` (one change) carried out in reverse or again: every literal found
// first, then every file written, or none. A step that cannot be is dropped from the list, so undo goes
// on with the ones before it.
bool stepGroup(EditSession& e, const SceneSet& scenes, int first, int last, bool undo) {
    FileChange changes[kFileChangeCapacity];
    LiteralEdit found[kFileChangeCapacity] = {}; // the literals the changes put back or again
    int count = 0;
    char error[1400] = "";
    bool ok = last - first < kFileChangeCapacity;
    for (int k = first; k <= last && ok; ++k) {
        const SlotEdit& s = e.history.steps[k];
        if (!s.saved) continue;
        SourceFile& file = e.files[s.file];
        ok = takeDiskText(e, file, error, sizeof error) &&
             locateStepLiteral(scenes, s, file, undo, found[count], error, sizeof error);
        changes[count] = literalChange(&file, found[count]);
        ++count;
    }
    ok = ok && writeFileChange(e.scratch.files, changes, count, error, sizeof error);
    const char* verb = undo ? "undo" : "redo";
    if (!ok) {
        dropSteps(e.history, first, last);
        sayEdit(e, true,
                "cannot %s: %s; the step is dropped from the undo list (the files keep what they hold), and "
                "Ctrl+Z goes on with the one before it",
                verb, error);
        return false;
    }
    char text[1024] = "";
    for (int k = first; k <= last; ++k) {
        SlotEdit& s = e.history.steps[k];
        if (!patchRunningTables(e, s.scene, s.slot, s.field, undo ? s.before : s.after)) {
            sayEdit(e, true, "the director could not take the value: %s", showError());
            return false;
        }
        sayStep(scenes, s, undo, text, sizeof text);
    }
    e.history.done = undo ? first : last + 1;
    e.unchecked += count;
    sayEdit(e, false, "%s %s", undo ? "undone" : "redone", text);
    return true;
}

bool stepBack(EditSession& e, SceneSet& scenes, bool undo) {
    EditHistory& h = e.history;
    if (undo ? h.done == 0 : h.done == h.count) {
        sayEdit(e, false, "nothing to %s", undo ? "undo" : "redo");
        return false;
    }
    const int at = undo ? h.done - 1 : h.done;
    const bool keys = h.steps[at].scene == kKeyEditScene; // a key of a track
    if (keys || h.steps[at].field == kStructureField) {   // or a scene's slots changed in structure
        SlotEdit* s = undo ? undoStep(h) : redoStep(h);
        if (keys ? e.stepKeys && e.stepKeys(e, *s, undo) : stepStructure(e, scenes, *s, undo)) return true;
        dropSteps(h, at, at); // its entry changed: the steps before it stay undoable
        const size_t used = std::strlen(e.message);
        std::snprintf(e.message + used, sizeof e.message - used,
                      "; the step is dropped from the undo list, and Ctrl+Z goes on with the one before it");
        return false;
    }
    return stepGroup(e, scenes, groupStart(h, at), groupEnd(h, at), undo);
}

} // namespace

bool undoEdit(EditSession& e, SceneSet& scenes) {
    return stepBack(e, scenes, true); // steps joined to it (one change, several files) go back with it
}

bool redoEdit(EditSession& e, SceneSet& scenes) {
    return stepBack(e, scenes, false);
}
