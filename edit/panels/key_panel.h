// key_panel.h - one track in the tracks panel as an editor: its three curves over frame and value axes,
// the play head and the scene's end, the scenes that read it, and its keys to drag, insert and delete.
//
//     KeyPanelInput in = {};
//     in.edits = &session;               // with startKeyEdits done
//     in.state = &keyPanel;              // kept by the panels' owner from frame to frame
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

// The key being dragged: its track as it was when the drag began, and the component grabbed.
struct KeyDrag {
    bool active;
    int32_t track;
    int32_t key;
    int axis;
    KeyDragAxis moves; // its frame or its value, once the mouse has decided
    Track original;
    float low, high, length; // the plot's ranges when the drag began: they hold still under the mouse
};

// What the panel keeps from frame to frame.
struct KeyPanelState {
    KeyDrag drag;
    KeySnap snap; // what a dragged key's frame snaps to (Shift: any frame)
};

struct KeyPanelInput {
    EditSession* edits; // key edits started on it
    KeyPanelState* state;
    const SceneSet* scenes; // the scene data playing
    const SyncTracks* sync; // a sync editor's tracks; null: none
    int32_t track;
    int scene; // the scene shown: its end is marked
    float now; // the frame the scene reads the track at
};

void drawKeyTrack(const KeyPanelInput& in);
// Frames, rows or beats, for every track's keys: once above the tracks.
void drawKeySnap(KeyPanelState& state);
