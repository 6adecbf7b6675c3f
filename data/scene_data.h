// scene_data.h - the show's embedded scene graphs and keyframe tracks (data/scenes.cpp, data/tracks.cpp).
//
//     convertSceneData(sceneTable, embeddedTracks);
//
// sceneTable holds the 11 scenes in play order, each 256 NodeSource records and a duration in frames
// (7832 in all); embeddedTracks the 64 Track records.
#pragma once

#include "director/director_types.h"

extern const SceneTable sceneTable;
extern const Track embeddedTracks[kTrackCount];
