// tracks.h - keyframe tracks: up to 64 keys (frame, x, y, z) sampled linearly or along a
// Catmull-Rom spline. Operation trackSample reads them from graph slots.
//
//     TrackPoint p = sampleTrack(trackTable[0], 200); // (35, 15, 5) on the show's track 0
//
// Key frames are compared as unsigned 32-bit integers; positions are stored in hundredths of a unit
// and trackSample scales them by 0.01.
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
