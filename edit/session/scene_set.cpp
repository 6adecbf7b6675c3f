// scene_set.cpp - the scene set the program was built with.
#include "edit/session/scene_set.h"

SceneSet embeddedSceneSet() {
    return SceneSet{sceneTable, sceneNames, embeddedTracks, &trackNames};
}
