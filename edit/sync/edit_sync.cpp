// edit_sync.cpp - the sync editor's session: connect, poll, save, measure the save once reloaded.
#include "edit/sync/edit_sync.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>

#include "director/tracks.h"
#include "edit/session/source_scan.h"

namespace {

void saveTracks(EditSync& s, const SceneSet& scenes, uint32_t dataReloads) {
    saveSyncTracks(s.tracks, scenes.tracks, s.tracksPath, s.save);
    ++s.saves;
    s.reloadsAtSave = dataReloads;
    s.reloadedDifference = -1;
    std::fprintf(stderr, "qz001: sync editor's save: %s\n", s.save.note);
}

// Once the scene reload has taken the saved tracks: how far they lie from the live curve.
void measureSavedTracks(EditSync& s, const SceneSet& scenes, uint32_t dataReloads) {
    if (!s.saves || s.reloadedDifference >= 0 || dataReloads == s.reloadsAtSave) return;
    float largest = 0;
    for (int32_t t = 0; t < kTrackCount; ++t)
        if (s.save.savedTrack[t])
            largest =
                std::max(largest, largestSyncDifference(s.tracks, t, scenes.tracks[t], scenes.tracks[t]));
    s.reloadedDifference = largest;
}

} // namespace

bool startEditSync(EditSync& s, const SceneSet& scenes, const char* tracksPath, const char* host,
                   uint16_t port, char* error, size_t size) {
    s.on = false;
    if (std::snprintf(s.tracksPath, sizeof s.tracksPath, "%s", tracksPath) >= (int)sizeof s.tracksPath)
        return editFail(error, size, "the tracks' file path is too long: %s", tracksPath);
    s.client = SyncClient{};
    s.saves = 0;
    s.reloadedDifference = -1;
    nameSyncTracks(s.tracks, *scenes.trackNames);
    if (!startSyncClient(s.client, host, port, {}, error, size)) return false;
    driveTracksFrom(&s.tracks);
    s.on = true;
    return true;
}

bool pollEditSync(EditSync& s, EditState& state, const SceneSet& scenes, uint32_t dataReloads,
                  int32_t frame) {
    if (!s.on) return false;
    const uint64_t nowMs = SDL_GetPerformanceCounter() * 1000 / SDL_GetPerformanceFrequency();
    const SyncEvents e = pollSyncClient(s.client, s.tracks, nowMs);
    if (e.connected) takeSentTracks(s.tracks, scenes.tracks); // the keys the editor holds for them
    if (s.client.statusChanged) {
        std::fprintf(stderr, "qz001: %s\n", s.client.status);
        s.client.statusChanged = false;
    }
    if (e.pause && e.paused != state.paused) editTogglePause(state);
    if (e.seek) editSeekFrame(state, rowFirstFrame(e.row));
    if (e.save) saveTracks(s, scenes, dataReloads);
    measureSavedTracks(s, scenes, dataReloads);
    if (!e.seek) sendSyncRow(s.client, rowOfFrame(frame));
    return e.keysChanged;
}

void stopEditSync(EditSync& s) {
    if (!s.on) return;
    driveTracksFrom(nullptr);
    stopSyncClient(s.client);
    s.on = false;
}
