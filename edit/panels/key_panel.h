// key_panel.h - one track in the tracks panel as an editor: its three curves over frame and value axes,
// the play head and the scene's end, the scenes that read it, and its keys to drag, insert and delete.
//
//     KeyPanelInput in = {};
//     in.edits = &valueEdits;            // with startKeyEdits done
//     in.scenes = &scenes; in.track = 3; in.scene = 4; in.now = frameTheSceneReadsItAt;
//     drawKeyTrack(in);                  // inside an ImGui window
//
// A key is dragged in time (snapped to frames, rows or beats; Shift moves it to any frame and value) and
// in value (the component of the dot grabbed); it plays while it moves and is written when it is let go.
// A right click on a key deletes it. Keys of a component a sync editor drives are not shown to edit.
#pragma once

#include <cstdint>

#include "edit/session/key_edit.h"
#include "edit/session/scene_set.h"
#include "edit/session/value_edit.h"
#include "edit/sync/sync_tracks.h"

struct KeyPanelInput {
    ValueEdits* edits;      // key edits started on it
    const SceneSet* scenes; // the scene data playing
    const SyncTracks* sync; // a sync editor's tracks; null: none
    int32_t track;
    int scene; // the scene shown: its end is marked
    float now; // the frame the scene reads the track at
};

void drawKeyTrack(const KeyPanelInput& in);
// Frames, rows or beats, for every track's keys: once above the tracks.
void drawKeySnap();
