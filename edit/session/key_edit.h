// key_edit.h - the keys of a track changed in the edit mode: a key inserted, moved or deleted, the
// track switched between linear and Catmull-Rom. Each change is checked, put into trackTable at once (the
// next frame drawn shows it), written into data/tracks.cpp changing only that key's text (or the one
// key's `{f, x, y, z}` inserted or removed), and kept in the value edits' undo list, so that one Ctrl+Z
// steps back over values and keys alike. No window: the tracks panel and the tests call these.
//
//     static KeyEdits keys;                  // large (the file's text, the undo records): keep it static
//     startKeyEdits(keys, edits);            // after startEditSession; writes <source>/data/tracks.cpp
//     insertKey(edits, 3, 120);              // track 3 gets a key at frame 120 with its value there
//     moveKey(edits, 3, 2, TrackKey{130, 50, 0, 0});
//     deleteKey(edits, 3, 2);
//     setTrackInterpolation(edits, 3, 1);   // Catmull-Rom
//     undoEdit(edits, scenes);          // undoes the last edit, a key's or a value's
//
// A key edit is refused, changing nothing, where a frame leaves 0..kShowFrameCount-1 or the keys' order,
// a value is not finite, the track would hold more than kKeysPerTrack keys or none, or the track's entry
// in the file is not spelled out as keys.
#pragma once

#include <cstdint>

#include "director/director_types.h"
#include "edit/session/source_edit.h"
#include "edit/session/value_edit.h"

inline constexpr int kKeyStepCapacity = kEditHistoryCapacity; // one record per step the undo list keeps
inline constexpr int kKeyTextCapacity = 4096;                 // bytes one key edit changes in the file

enum KeySnap : uint8_t {
    kSnapFrames, // whole frames
    kSnapRows,   // the module's rows, four a beat
    kSnapBeats,
};

// One key edit, for undo: the track before and after, and the bytes it changed in the track's entry.
struct KeyStep {
    int32_t track;
    Track before;
    Track after;
    int32_t anchorKey;          // the key the changed bytes are counted from (-1: the entry's start)
    uint32_t offset;            // from there, where the changed bytes begin
    char was[kKeyTextCapacity]; // what stood there
    char now[kKeyTextCapacity]; // what the edit wrote
};

struct KeyEdits {
    SourceFile file; // data/tracks.cpp, as last read or written
    bool fileRead;
    KeyStep steps[kKeyStepCapacity]; // by history step: SlotEdit::slot % kKeyStepCapacity
    int32_t nextStep;                // counts the key steps made
};

void startKeyEdits(KeyEdits& k, EditSession& e);

bool insertKey(EditSession& e, int32_t track, int32_t frame);
bool moveKey(EditSession& e, int32_t track, int32_t key, TrackKey to);
bool deleteKey(EditSession& e, int32_t track, int32_t key);
bool setTrackInterpolation(EditSession& e, int32_t track, uint32_t interpolation);

// The track's last key edit in effect is not in the file (it could not be written).
bool trackUnsaved(const EditSession& e, int32_t track);

// The frame `frame` of a track snaps to, where the track's frame 0 is the show's frame `origin` (the
// start of the scene that reads it): kSnapRows and kSnapBeats take the nearest row's (beat's) first
// frame of the music, as a frame of the track.
int32_t snapKeyFrame(float frame, KeySnap snap, int32_t origin);

// What a key dragged in the tracks panel changes: its frame or its value, the axis the mouse moved along
// most. Until the mouse has moved kDragDecidePixels the larger of the two moves applies; then it is kept.
enum KeyDragAxis : uint8_t { kDragUndecided, kDragTime, kDragValue };
inline constexpr float kDragDecidePixels = 6;
KeyDragAxis decideDragAxis(KeyDragAxis decided, float movedX, float movedY);
bool dragsTime(KeyDragAxis decided, float movedX, float movedY);

// The key step `s` of the undo list carried out in reverse (undo) or again; false, with the message, where
// the file no longer holds what the step wrote.
bool stepKeyEdit(EditSession& e, const SlotEdit& s, bool undo);

// After a rebuild took the tracks from the files: the tracks whose last key edit is unsaved get it back;
// the others are compared with their edited records. Returns how many differ, and names the first.
int takeRebuiltTracks(EditSession& e, const Track* rebuilt, char* first, size_t size);
