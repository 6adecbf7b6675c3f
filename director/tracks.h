// tracks.h - keyframe tracks: up to 64 keys (frame, x, y, z) sampled linearly or along a
// Catmull-Rom spline. Operation trackSample reads them from graph slots.
//
//     TrackPoint p = sampleTrack(trackTable[0], 200); // (35, 15, 5) on the show's track 0
//
// Key frames are compared as unsigned 32-bit integers; positions are stored in hundredths of a unit
// and trackSample scales them by 0.01.
//
// A track's frames also count the music's rows: four a beat, 7.2 frames each, so row r begins at
// frame 7.2 r and the show's frames are rows 0..1087. The edit mode can drive tracks from outside
// through trackSampleHook; while it is null (always, in the player) trackSample reads the keys alone.
#pragma once

#include "director/director_types.h"

struct TrackPoint {
    float x, y, z;
};

// By the track's interpolation: 0 linear, 1 Catmull-Rom (other values sample linearly).
TrackPoint sampleTrack(const Track& track, uint32_t t);

// Holds one frame short of the last key. Where the two keys around t share a frame (a single key,
// or a jump), the result is the later key.
TrackPoint sampleTrackLinear(const Track& track, uint32_t t);

// The last key exactly at or after its frame; before the first key's frame, the first key.
TrackPoint sampleTrackCatmullRom(const Track& track, uint32_t t);

//-----------------------------------------------------------------------------
// Rows of the music
//-----------------------------------------------------------------------------

inline constexpr int32_t kRowFramesTimesFive = 36; // a row is 36 / 5 = 7.2 frames
inline constexpr int32_t kShowRowCount = 1088;     // rows 0..1087 hold the show's frames

// The first frame that lies in `row` (7.2 r rounded up), and the row that holds `frame`.
constexpr int32_t rowFirstFrame(int32_t row) {
    return (row * kRowFramesTimesFive + 4) / 5;
}
constexpr int32_t rowOfFrame(int32_t frame) {
    return frame * 5 / kRowFramesTimesFive;
}

//-----------------------------------------------------------------------------
// Outside drivers
//-----------------------------------------------------------------------------

// Called with each sample trackSample takes, before it scales it: may replace components of `p`, in
// hundredths, for track `track` read at `frame` (the time the scene gives, not rounded, never below 0).
using TrackSampleHook = void (*)(int32_t track, float frame, TrackPoint& p);
extern TrackSampleHook trackSampleHook; // null: the keys alone
extern const void* trackSampleHookData; // what the hook reads, set with it by its owner (null: none)
