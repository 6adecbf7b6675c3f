// tracks.cpp - the show's 64 keyframe tracks.
//
// One line per key: frame, then x, y, z in hundredths of a unit. Tracks 1..63 have no keys yet.
#include "director/scene_data.h"

const Track embeddedTracks[kTrackCount] = {
    // Track 0: out to (60, 20, 0), a hold, then back to the origin.
    {0, 4, {{0, 10, 10, 10}, {400, 60, 20, 0}, {1000, 60, 20, 0}, {1200, 0, 0, 0}}},
};
