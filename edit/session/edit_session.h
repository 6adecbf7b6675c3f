// edit_session.h - the edit session: the scene and track files as read, every change written through
// one path (plan the literals, write every file of the change or none, record one undo step that finds
// its literals again by the call that wrote them), the one undo list, and the message of the last step.
// The value, key and length edits (value_edit.h, key_edit.h, scene_length.h) are its clients.
//
//     static EditSession session;                      // large (the files' text): keep it static
//     startEditSession(session, sourceDir, scenes);
//     editSlotValue(session, scenes, 4, kClearColour, 0, 0.2f); // session.message says how it went
//     undoEdit(session, scenes);                       // Ctrl+Z; redoEdit: Ctrl+Shift+Z, Ctrl+Y
//     if (pollDataWatch(watch, scenes)) takeRebuiltScenes(session, scenes); // after each reload
//     printUnsavedEdits(session, stderr);              // at the end: the edits no file holds
#pragma once

#include <cstdint>
#include <cstdio>

#include "base/printf_check.h"
#include "data/scene_build.h"
#include "edit/session/edit_history.h"
#include "edit/session/file_change.h"
#include "edit/session/scene_set.h"
#include "edit/session/source_edit.h"
#include "edit/session/structure_step.h"

struct KeyEdits; // edit/session/key_edit.h: the tracks' keys, in the same undo list

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
    LineChange lines[kStructurePartCapacity];                   // a structural change's lines, as planned
    StructurePlan plan;                                         // a structural change, as planned
    SceneShape shapes[2];                                       // a scene's slots before and after it
};

// The session: the files as read and written, the one undo list, the scene data as edited, the message.
// Value, key and length edits are its clients; key edits join through the two hooks below.
struct EditSession {
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
    bool (*stepKeys)(EditSession& e, const SlotEdit& step, bool undo); // a key step's undo, redo
    int (*takeRebuiltKeys)(EditSession& e, const Track* rebuilt, char* first, size_t size); // after a rebuild
    StructureEdits structure; // slots added, deleted, rewired, written out (structure_edit.h)
    EditScratch scratch;
};

void startEditSession(EditSession& e, const char* sourceDir, const SceneSet& scenes);

// Sets the session's message (and prints it): what an edit, undo or check did; `failed` when it did not
// go as asked. The message is about no slot in particular until an edit of a slot says otherwise.
void sayEdit(EditSession& e, bool failed, const char* format, ...) QZ_PRINTF_CHECK(3, 4);

// The last step (value, key or length) carried out in reverse, or again; false: nothing to undo, or it
// could not be (the message says which step and why).
bool undoEdit(EditSession& e, SceneSet& scenes);
bool redoEdit(EditSession& e, SceneSet& scenes);

// The session's copy of file `name` of the data folder, read on first use; null with the reason.
SourceFile* editedFile(EditSession& e, const char* name, int& index, char* error, size_t size);
// Takes the file's text from disk when the maker's editor saved it since it was last read.
bool takeDiskText(EditSession& e, SourceFile& file, char* error, size_t size);

int unsavedEditCount(const EditSession& e);
void printUnsavedEdits(const EditSession& e, FILE* out);
