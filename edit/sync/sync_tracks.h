// sync_tracks.h - the keys a sync editor holds for the show's tracks, and what the edit mode does with
// them: every named show track is three sync tracks ("Given:x", "Given:y", "Given:z", in hundredths as
// the show's keys hold them), keyed on the music's rows with an interpolation per key. The editor
// starts from the document `qz001-tool tracks --rocket` wrote (director/sync_rows.h puts each show key on
// a row): a sync track whose keys still equal that document's for the show's tracks as they were when
// the editor connected is unchanged and drives nothing. A changed one drives that component of its show
// track, its keys meaning frames: a key on the row the document gave a show key means that key's own
// frame (the export's move onto a row is undone), any other key frame 7.2 row. Saving writes the
// tracks with a changed component back into data/tracks.cpp as the show's own keys.
//
//     static SyncTracks sync;                     // large: keep it static
//     nameSyncTracks(sync, trackNames);
//     takeSentTracks(sync, showTracks);           // when the editor connects
//     setSyncKey(sync, 0, SyncKey{16, kSyncLinear, 250.0f});
//     driveTracksFrom(&sync);                     // trackSample now reads "Given:x" for track 0's x
//     float v = sampleSyncTrack(sync.tracks[0], 17.5);
//     static SyncSave saved;                      // large too
//     saveSyncTracks(sync, embeddedTracks, "data/tracks.cpp", saved);   // saved.note says what it did
//
// Keys sit on whole rows (0..kShowRowCount-1); sampleSyncTrack takes a fractional row, frame / 7.2, as
// the editor draws the curve; sampleSyncFrames takes a frame, as the show plays and saves it.
#pragma once

#include <cstdint>
#include <string>

#include "base/enum_names.h"
#include "director/director_types.h"
#include "director/tracks.h"

inline constexpr int kSyncTrackCapacity = 3 * kTrackCount;
inline constexpr int kSyncNameCapacity = 64; // bytes of a sync track's name, its zero included

enum SyncInterpolation : uint8_t {
    kSyncStep = 0,   // the key's value until the next key
    kSyncLinear = 1, // t
    kSyncSmooth = 2, // t * t * (3 - 2 t)
    kSyncRamp = 3,   // t * t
};
inline constexpr uint8_t kSyncLastInterpolation = kSyncRamp;

// The components of a show track as its sync tracks' names end ("Given:x"), and one of a show key.
inline constexpr char kSyncComponentNames[3] = {'x', 'y', 'z'};
inline float syncKeyComponent(const TrackKey& k, int c) {
    return c == 0 ? k.x : c == 1 ? k.y : k.z;
}

struct SyncKey {
    uint16_t row;
    uint8_t interpolation; // SyncInterpolation, from this key to the next
    float value;           // hundredths of a unit
    float frame = 0;       // the frame the key means (setSyncKey sets it)
};

struct SyncTrack {
    uint32_t count; // keys in use, sorted by row, one per row at most
    SyncKey keys[kShowRowCount];
};

struct SyncTracks {
    int32_t count;                                     // sync tracks offered: three per named show track
    char names[kSyncTrackCapacity][kSyncNameCapacity]; // "<track>:x" ...
    int8_t showTrack[kSyncTrackCapacity];              // the show track each one drives
    int8_t component[kSyncTrackCapacity];              // 0 x, 1 y, 2 z
    int16_t driver[kTrackCount][3];                    // the sync track of each component, -1 = none
    SyncTrack tracks[kSyncTrackCapacity];
    bool changed[kSyncTrackCapacity]; // the keys differ from those the document holds for `sent`
    Track sent[kTrackCount];          // the show's tracks when the editor connected (none: no keys)
};

// Offers every show track `names` names (as the panels show it: "kTrackGiven" is "Given"), keeps no keys.
void nameSyncTracks(SyncTracks& sync, const EnumNames& names);
void clearSyncKeys(SyncTracks& sync);
// The show's tracks as the editor's document holds them: keys equal to theirs are no change.
void takeSentTracks(SyncTracks& sync, const Track* showTracks);

// Sets (or replaces) the key on its row. False for a track, row, value or interpolation out of range.
bool setSyncKey(SyncTracks& sync, int32_t track, SyncKey key);
void deleteSyncKey(SyncTracks& sync, int32_t track, uint32_t row);

// The value at a fractional row: before the first key the first key's value, after the last the last's,
// 0 with no keys; between keys by the earlier key's interpolation.
float sampleSyncTrack(const SyncTrack& track, double row);
// The same over the keys' frames: the last key at or before `frame` and the one after it.
float sampleSyncFrames(const SyncTrack& track, double frame);

// The sync track that drives component `component` of show track `showTrack` (it holds keys and they
// changed), or null.
const SyncTrack* syncDriver(const SyncTracks& sync, int32_t showTrack, int component);

// From now on trackSample reads the driven components from `sync` (null: the show's keys alone again).
void driveTracksFrom(const SyncTracks* sync);

//-----------------------------------------------------------------------------
// Saving (sync_save.cpp)
//-----------------------------------------------------------------------------

// The most a saved track may differ from the live curve on any frame, in hundredths: smooth and ramp
// segments get keys where the curve needs them to stay within it; steps and lines are exact.
inline constexpr float kSyncSaveBound = 0.25f;

enum class SyncBakeFault : uint8_t {
    none,
    spline,      // the show's own track is a spline: its undriven components have no exact linear keys
    tooManyKeys, // keysNeeded is over the 64 a track holds
    notFinite,   // the show's sampling of the keys is not finite (component, frame)
    overBound,   // the show's sampling lies further than kSyncSaveBound from the live curve there
};

struct SyncBake {
    SyncBakeFault fault;
    uint32_t keysNeeded;
    float largestDifference; // hundredths, over every frame the keys reach
    int component;           // where a notFinite or overBound fault lies: the component,
    int32_t row;             // the row the frame lies in
};

// Show track `showTrack` with its driven components from `sync`, as keys on whole frames that the
// show's linear sampling turns into the live value on every frame: a step as a pair of keys a frame
// apart, a linear segment as its first and last whole frame, smooth and ramp segments as keys where
// the curve bends more than kSyncSaveBound from a line; components not driven keep the show's own
// curve. `out` is meant only where the fault is none.
SyncBake bakeSyncTrack(const SyncTracks& sync, int32_t showTrack, const Track& own, Track& out);

// The largest difference, in hundredths, between the live curve (driven components from `sync`, the
// others from `own`) and `saved` over every frame the keys reach; infinity where either is not finite.
float largestSyncDifference(const SyncTracks& sync, int32_t showTrack, const Track& own, const Track& saved);

// The track as data/tracks.cpp spells it: linear({{frame, x, y, z}, ...}), a key a line.
std::string trackSourceText(const Track& track);

inline constexpr int kSyncSaveNoteCapacity = 2048;

struct SyncSave {
    bool ok;                 // the file was written (or nothing was driven and nothing needed writing)
    int32_t written;         // tracks written
    int32_t refused;         // driven tracks not written (the note says why)
    float largestDifference; // over the tracks written, hundredths
    char note[kSyncSaveNoteCapacity]; // what happened, each refused track by name and its key count
    Track saved[kTrackCount];         // the records written (for the tracks written)
    bool savedTrack[kTrackCount];
};

// Writes every driven track into `path` (data/tracks.cpp: the t-th element of embeddedTracks),
// atomically, the rest of the file byte for byte as it was (no driven track: nothing is written).
// `own` is the show's tracks as they play.
void saveSyncTracks(const SyncTracks& sync, const Track* own, const char* path, SyncSave& out);
