// scene_data.h - the show's embedded scene graphs and keyframe tracks (data/scenes.cpp, data/tracks.cpp).
//
//     convertSceneData(sceneTable, embeddedTracks);
//
// sceneTable holds the scenes of data/scene_list.h in play order, each 256 NodeSource records and a
// duration in frames (7832 in all); embeddedTracks the 64 Track records. The names the edit mode shows
// come with them: each scene's name and the names of its slots (from the scene file's slot enum), and
// the tracks' names.
#pragma once

#include "base/enum_names.h"
#include "director/director_types.h"

// Where a slot is written: the call in its scene file that built it (the compiler's file name as
// given to it, line and column from 1; the column is where the call's name or its '(' is).
struct SlotPlace {
    const char* file; // null: no call wrote the slot (empty)
    uint32_t line;
    uint32_t column;
    int32_t form; // SlotForm (data/scene_build.h): the builder, which says which argument holds a value
};

struct SceneNames {
    const char* name;        // "intro", "lift", ...
    const EnumNames* slots;  // kTime, kEye, ...: the scene's slot enum, entry by entry
    const SlotPlace* places; // kSlotsPerScene entries: where each slot is written
};

extern const SceneTable sceneTable;
extern const SceneNames sceneNames[kSceneCount];
extern const Track embeddedTracks[kTrackCount];
extern const EnumNames trackNames; // kTrackGiven, ...: data/track_names.h, entry by entry
