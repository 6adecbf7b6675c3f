// sync_tracks.h - the keys a sync editor holds for the show's tracks, and what the edit mode does with
// them: every named show track is three sync tracks ("Given:x", "Given:y", "Given:z", in hundredths as
// the show's keys hold them), keyed on the music's rows with an interpolation per key. A sync track
// that holds keys drives that component of its show track; saving writes the driven tracks back into
// data/tracks.cpp as the show's own keys.
//
//     static SyncTracks sync;                     // large: keep it static
//     nameSyncTracks(sync, trackNames);
//     setSyncKey(sync, 0, SyncKey{16, kSyncLinear, 250.0f});
//     driveTracksFrom(&sync);                     // trackSample now reads "Given:x" for track 0's x
//     float v = sampleSyncTrack(sync.tracks[0], 17.5);
//     static SyncSave saved;                      // large too
//     saveSyncTracks(sync, embeddedTracks, "data/tracks.cpp", saved);   // saved.note says what it did
//
// Keys sit on whole rows (0..kShowRowCount-1); sampling takes a fractional row, frame / 7.2.
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

struct SyncKey {
    uint16_t row;
    uint8_t interpolation; // SyncInterpolation, from this key to the next
    float value;           // hundredths of a unit
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
};

// Offers every show track `names` names (as the panels show it: "kTrackGiven" is "Given"), keeps no keys.
void nameSyncTracks(SyncTracks& sync, const EnumNames& names);
void clearSyncKeys(SyncTracks& sync);

// Sets (or replaces) the key on its row. False for a track, row, value or interpolation out of range.
bool setSyncKey(SyncTracks& sync, int32_t track, SyncKey key);
void deleteSyncKey(SyncTracks& sync, int32_t track, uint32_t row);

// The value at a fractional row: before the first key the first key's value, after the last the last's,
// 0 with no keys; between keys by the earlier key's interpolation.
float sampleSyncTrack(const SyncTrack& track, double row);

// The sync track that drives component `component` of show track `showTrack` and holds keys, or null.
const SyncTrack* syncDriver(const SyncTracks& sync, int32_t showTrack, int component);

// From now on trackSample reads the driven components from `sync` (null: the show's keys alone again).
void driveTracksFrom(const SyncTracks* sync);

//-----------------------------------------------------------------------------
// Saving
//-----------------------------------------------------------------------------

// Show track `showTrack` with its driven components from `sync`, as keys on whole frames that the
// show's linear sampling turns into the same value on every frame: a step as a pair of keys a frame
// apart, a linear segment as its first and last frame, smooth and ramp segments as a key on every row
// between; components not driven keep the show's own curve. `keysNeeded` says how many keys that took;
// false where it is more than a track holds (or the show's own track is a spline).
bool bakeSyncTrack(const SyncTracks& sync, int32_t showTrack, const Track& own, Track& out,
                   uint32_t& keysNeeded);

// The largest difference, in hundredths, between the live curve (driven components from `sync`, the
// others from `own`) and `saved` over every frame the keys reach.
float largestSyncDifference(const SyncTracks& sync, int32_t showTrack, const Track& own, const Track& saved);

// The track as data/tracks.cpp spells it: linear({{frame, x, y, z}, ...}), a key a line.
std::string trackSourceText(const Track& track);

inline constexpr int kSyncSaveNoteCapacity = 2048;

struct SyncSave {
    bool ok;                 // the file was written (or nothing was driven and nothing needed writing)
    int32_t written;         // tracks written
    int32_t refused;         // driven tracks not written: too many keys
    float largestDifference; // over the tracks written, hundredths
    char note[kSyncSaveNoteCapacity]; // what happened, each refused track by name and its key count
    Track saved[kTrackCount];         // the records written (for the tracks written)
    bool savedTrack[kTrackCount];
};

// Writes every driven track into `path` (data/tracks.cpp: the t-th element of embeddedTracks),
// atomically, the rest of the file byte for byte as it was. `own` is the show's tracks as they play.
void saveSyncTracks(const SyncTracks& sync, const Track* own, const char* path, SyncSave& out);
