// value_edit.h - a slot's value changed in the edit mode: checked, put into the running tables (the
// next frame drawn shows it, playing or paused, without a rebuild), written back into its scene file,
// and kept in the undo list. After the reload rebuilds the scene data from the saved files, the rebuilt
// slots are compared with the edited ones. No window: the inspector and the tests call these.
//
//     static ValueEdits edits;                          // large (the scene files' text): keep it static
//     startValueEdits(edits, sourceDir, scenes);
//     editSlotValue(edits, scenes, 4, kClearColour, 0, 0.2f); // p0 of scene 4's slot; edits.message says how
//     undoValueEdit(edits, scenes);                     // Ctrl+Z; redoValueEdit: Ctrl+Shift+Z, Ctrl+Y
//     if (pollDataWatch(watch, scenes)) takeRebuiltScenes(edits, scenes); // after each reload
//     printUnsavedEdits(edits, stderr);                 // at the end: the edits no file holds
#pragma once

#include <cstdint>
#include <cstdio>

#include "base/printf_check.h"
#include "data/scene_build.h"
#include "edit/session/edit_history.h"
#include "edit/session/file_change.h"
#include "edit/session/scene_set.h"
#include "edit/session/source_edit.h"

struct KeyEdits; // edit/key_edit.h: the tracks' keys, in the same undo list

inline constexpr int kEditFileCapacity = 16;        // scene files written in one session
inline constexpr uint32_t kEditLargestCount = 4096; // an element count the director holds (a full draw list)

// What a rebuild must keep of the edits: the fields (and lengths) whose last edit in effect is unsaved.
struct KeptEdits {
    bool field[kSceneCount][kSlotsPerScene][kCountField + 1];
    bool length[kSceneCount];
    bool count; // an element count among them: the scene data is converted again
};

// The session's working records: large (a file's text each, a flag for every field of every slot), so
// kept with the session instead of on the stack. Nothing in them outlives the call that fills them.
struct EditScratch {
    FileChangeScratch files;   // writeFileChange's, takeDiskText's
    Track tracks[kTrackCount]; // the tracks as they play, for a new conversion
    bool decided[kSceneCount][kSlotsPerScene][kCountField + 1]; // the rebuild check: fields compared
    KeptEdits kept;                                             // the rebuild check: what the rebuild keeps
};

struct ValueEdits {
    char folder[1024]; // <source>/data: where the scene files are written
    SourceFile files[kEditFileCapacity];
    int fileCount;
    EditHistory history;
    NodeSource nodes[kSceneCount][kSlotsPerScene]; // the scene data as edited
    SceneTable table;                              // durations as played, nodes above
    bool failed;                                   // the last edit, undo or check did not go as asked
    char message[2048];                            // what the last one did
    int32_t aboutScene, aboutSlot;                 // the slot the message is about; -1: none in particular
    char openLine[1100];                           // "path:line" of a value that is computed, to open
    int unchecked;                                 // edits written since the last rebuild came in
    uint32_t liveChanges; // counts every change of the running tables: the frame at the play head is stale
    KeyEdits* keys;       // startKeyEdits: key edits share the undo list; null: none are made
    bool (*stepKeys)(ValueEdits& e, const SlotEdit& step, bool undo); // a key step's undo, redo
    int (*takeRebuiltKeys)(ValueEdits& e, const Track* rebuilt, char* first, size_t size); // after a rebuild
    EditScratch scratch;
};

// The running tables take a value: a parameter in place, an element count through a new conversion of
// the scene data, a length (slot < 0) in the clock's table. False with showError() where it cannot.
bool patchRunningTables(ValueEdits& e, int scene, int slot, int field, float value);

// The value of field `field` of a slot (0..7: a parameter, kCountField: the element count).
float slotField(const NodeSource& node, int field);

void startValueEdits(ValueEdits& e, const char* sourceDir, const SceneSet& scenes);

// Sets field `field` of slot `slot` in scene `scene` to `value`. A value that is not finite, or an element
// count outside 1..kEditLargestCount, is refused and changes nothing. A value the file cannot hold as a
// literal (an expression, a value the builder computes) is refused too, naming the line (openLine).
// Otherwise the running tables take it at once and the file is written; a file that cannot be written
// keeps the edit live and unsaved (the message says why). False when nothing changed.
bool editSlotValue(ValueEdits& e, const SceneSet& scenes, int scene, int slot, int field, float value);

// The same with the value as the maker typed it: text that is not a number in full ("3,5", "0x10",
// "1/0") is refused, naming what was typed.
bool editSlotText(ValueEdits& e, const SceneSet& scenes, int scene, int slot, int field, const char* text);

// Sets the session's message (and prints it): what an edit, undo or check did; `failed` when it did not
// go as asked. The message is about no slot in particular until an edit of a slot says otherwise.
void sayEdit(ValueEdits& e, bool failed, const char* format, ...) QZ_PRINTF_CHECK(3, 4);

bool undoValueEdit(ValueEdits& e, const SceneSet& scenes); // false: nothing to undo, or it could not be
bool redoValueEdit(ValueEdits& e, const SceneSet& scenes);

// After the reload swapped in data rebuilt from the files: says whether the rebuilt slots equal the
// edited ones, and puts the unsaved edits back into the running tables.
void takeRebuiltScenes(ValueEdits& e, const SceneSet& scenes);

int unsavedEditCount(const ValueEdits& e);

// The session's copy of file `name` of the data folder, read on first use; null with the reason.
SourceFile* editedFile(ValueEdits& e, const char* name, int& index, char* error, size_t size);
// Takes the file's text from disk when the maker's editor saved it since it was last read.
bool takeDiskText(ValueEdits& e, SourceFile& file, char* error, size_t size);
void printUnsavedEdits(const ValueEdits& e, FILE* out);

// The names a field takes (a mesh, an image...), by the slot's operation; count 0 for a plain number.
ValueNames fieldNames(int32_t op, int field);
