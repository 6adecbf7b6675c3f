// sync_rows.h - where a show track's keys sit in a sync editor's document: each key on its nearest row
// of the music (7.2 frames; a key whose row a key before it took goes to the next free row), linear; a
// pair of keys a frame apart or on one frame (a hold, then a jump) becomes a step key and the key after
// it. `qz001-tool tracks --rocket` writes the document this way, and the edit mode reads a sync track
// whose keys still sit there with the show's values as unchanged.
//
//     SyncRowKey rows[kKeysPerTrack];
//     int32_t at = placeSyncRows(track, rows);   // -1: every key found its row; else the key that did not
#pragma once

#include <cmath>
#include <cstdint>

#include "director/director_types.h"
#include "director/tracks.h"

struct SyncRowKey {
    int32_t row;
    uint8_t interpolation; // 0 step, 1 linear
};

// The rows of the track's first min(keyCount, 64) keys; -1, or the first key that finds no row before
// kShowRowCount.
inline int32_t placeSyncRows(const Track& track, SyncRowKey* out) {
    const uint32_t count = track.keyCount < (uint32_t)kKeysPerTrack ? track.keyCount : kKeysPerTrack;
    int32_t previous = -1;
    for (uint32_t k = 0; k < count; ++k) {
        const int32_t frame = track.keys[k].frame;
        int32_t row = (int32_t)std::lround(frame / 7.2); // as documents written so far placed them
        if (row <= previous) row = previous + 1;
        if (row >= kShowRowCount) return (int32_t)k;
        const bool holdThenJump = k + 1 < count && track.keys[k + 1].frame - frame <= 1;
        out[k] = SyncRowKey{row, (uint8_t)(holdThenJump ? 0 : 1)};
        previous = row;
    }
    return -1;
}
