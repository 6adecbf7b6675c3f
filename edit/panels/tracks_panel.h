// tracks_panel.h - the tracks the scene at the play head reads (Dear ImGui), each once, at the frame its
// first reader reads it: with key edits, each as an editor of its keys (key_panel.h), else as a plot of
// its three curves with its keys as dots.
//
//     drawTracks(TracksInput{&scenes, &edits, &sync.tracks, &keyPanel, scene});
#pragma once

#include "edit/panels/key_panel.h"
#include "edit/session/scene_set.h"
#include "edit/session/value_edit.h"
#include "edit/sync/sync_tracks.h"

struct TracksInput {
    const SceneSet* scenes;
    EditSession* edits;     // with key edits started, the keys are edited in place; null: shown only
    const SyncTracks* sync; // a sync editor's tracks; null: none
    KeyPanelState* keys;    // the key editor's state, kept from frame to frame
    int scene;
};

void drawTracks(const TracksInput& in);
