// edit_sync.h - the edit mode's sync editor session (--sync): the connection, the tracks the editor
// drives, and its saves into data/tracks.cpp. Polled before each frame; the editor's cursor and its
// pause move the play head, and the play head's row is sent back to it.
//
//     EditSync sync = {};
//     if (!startEditSync(sync, scenes, "src/data/tracks.cpp", host, port, error, sizeof error)) fail(error);
//     if (pollEditSync(sync, state, scenes, dataReloads, clock.frame)) drawTheFrameAgain();
//     stopEditSync(sync);
#pragma once

#include <cstdint>
#include <string>

#include "edit/session/scene_set.h"
#include "edit/sync/sync_client.h"
#include "edit/sync/sync_tracks.h"
#include "edit/transport/edit_state.h"

struct EditSync {
    bool on;
    char tracksPath[4096]; // where a save writes: the source tree's data/tracks.cpp
    SyncClient client;
    SyncTracks tracks;
    SyncSave save; // the last save, when saves > 0
    uint32_t saves;
    uint32_t reloadsAtSave;   // the data reloads when the last save was written
    float reloadedDifference; // live against the tracks playing since the reload after it; -1 = not yet
};

// Connects and drives the show's tracks from the editor's keys; false with `error` naming the address.
bool startEditSync(EditSync& sync, const SceneSet& scenes, const char* tracksPath, const char* host,
                   uint16_t port, char* error, size_t size);

// What the editor sent since the last poll, carried out; then the row of `frame` sent back. True when
// the editor's keys changed what a track plays. `dataReloads` counts the scene data's reloads: once one
// has taken the last save, how far it lies from the live curve is measured.
bool pollEditSync(EditSync& sync, EditState& state, const SceneSet& scenes, uint32_t dataReloads,
                  int32_t frame);

void stopEditSync(EditSync& sync);
