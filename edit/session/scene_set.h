// scene_set.h - the scene data the edit mode plays: a copy of the show's scene table (durations and
// node arrays, which the edits change in place), with the names, the tracks and the track names that
// came with it (the executable's own, or a scene module's the reload swapped in).
//
//     SceneSet scenes = embeddedSceneSet(); // what the program was built with
//     scenes.scenes.scenes[4].duration     // scene 4's length as played
#pragma once

#include "data/scene_data.h"

struct SceneSet {
    SceneTable scenes;
    const SceneNames* names; // kSceneCount entries
    const Track* tracks;     // kTrackCount records
    const EnumNames* trackNames;
};

SceneSet embeddedSceneSet(); // the tables the program was built with
