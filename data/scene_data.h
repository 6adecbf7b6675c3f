// scene_data.h - the show's embedded scene graphs and keyframe tracks (data/scenes.cpp, data/tracks.cpp).
//
//     convertSceneData(sceneTable, embeddedTracks);
//
// sceneTable holds the 11 scenes in play order, each 256 NodeSource records and a duration in frames
// (7832 in all); embeddedTracks the 64 Track records. The names the edit mode shows come with them: each
// scene's name and the names of its slots (from the scene file's slot enum), and the tracks' names.
#pragma once

#include "base/enum_names.h"
#include "director/director_types.h"

struct SceneNames {
    const char* name;       // "intro", "lift", ...
    const EnumNames* slots; // kTime, kEye, ...: the scene's slot enum, entry by entry
};

extern const SceneTable sceneTable;
extern const SceneNames sceneNames[kSceneCount];
extern const Track embeddedTracks[kTrackCount];
extern const EnumNames trackNames; // kTrackGiven, ...: data/track_names.h, entry by entry
