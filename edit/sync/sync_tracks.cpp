// sync_tracks.cpp - sync keys, their sampling, and the hook that lets them drive trackSample (their
// conversion back into the show's keys and source text is sync_save.cpp's).
#include "edit/sync/sync_tracks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "director/sync_rows.h"
#include "director/tracks.h"

namespace {

// "kTrackGiven" as the panels show it: "Given".
const char* panelName(const char* name) {
    return std::strncmp(name, "kTrack", 6) == 0 && name[6] ? name + 6 : name;
}

// The first key whose row is at or after `row`, or count.
uint32_t lowerKey(const SyncTrack& t, uint32_t row) {
    uint32_t lo = 0, hi = t.count;
    while (lo < hi) {
        const uint32_t mid = (lo + hi) / 2;
        if (t.keys[mid].row < row)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// The sync tracks it drives from are the hook's data (driveTracksFrom sets both).
void driveHook(int32_t track, float frame, TrackPoint& p) {
    const SyncTracks* driving = static_cast<const SyncTracks*>(trackSampleHookData);
    if (!driving || track < 0 || track >= kTrackCount) return;
    float* out[3] = {&p.x, &p.y, &p.z};
    for (int c = 0; c < 3; ++c)
        if (const SyncTrack* t = syncDriver(*driving, track, c)) *out[c] = sampleSyncFrames(*t, frame);
}

// Sync track `i` against the document's keys for the track sent: whether it changed, and the frame
// each key means (the sent key's own frame on the row the document gave it, else the row's first frame;
// every key its row's first frame where that would not keep the keys in order).
void settleKeys(SyncTracks& sync, int32_t i) {
    SyncTrack& t = sync.tracks[i];
    const Track& sent = sync.sent[sync.showTrack[i]];
    const int c = sync.component[i];
    SyncRowKey rows[kKeysPerTrack];
    uint32_t sentCount = std::min<uint32_t>(sent.keyCount, kKeysPerTrack);
    if (sent.interpolation == 1 || placeSyncRows(sent, rows) >= 0) sentCount = 0; // no document for it
    bool same = t.count == sentCount, ordered = true;
    uint32_t j = 0;
    for (uint32_t k = 0; k < t.count; ++k) {
        SyncKey& key = t.keys[k];
        while (j < sentCount && rows[j].row < key.row) ++j;
        const bool onSentRow = j < sentCount && rows[j].row == key.row;
        key.frame = (float)(onSentRow ? sent.keys[j].frame : rowFirstFrame(key.row));
        same = same && onSentRow && j == k && key.interpolation == rows[j].interpolation &&
               key.value == syncKeyComponent(sent.keys[j], c);
        ordered = ordered && (k == 0 || key.frame >= t.keys[k - 1].frame);
    }
    if (!ordered)
        for (uint32_t k = 0; k < t.count; ++k) t.keys[k].frame = (float)rowFirstFrame(t.keys[k].row);
    sync.changed[i] = !same;
}

} // namespace

//-----------------------------------------------------------------------------
// Keys
//-----------------------------------------------------------------------------

void nameSyncTracks(SyncTracks& sync, const EnumNames& names) {
    sync.count = 0;
    for (int t = 0; t < kTrackCount; ++t) {
        sync.driver[t][0] = sync.driver[t][1] = sync.driver[t][2] = -1;
        const char* name = t <= names.last ? enumName(names, t) : nullptr;
        if (!name) continue;
        for (int c = 0; c < 3; ++c) {
            const int i = sync.count++;
            std::snprintf(sync.names[i], kSyncNameCapacity, "%s:%c", panelName(name), kSyncComponentNames[c]);
            sync.showTrack[i] = (int8_t)t;
            sync.component[i] = (int8_t)c;
            sync.driver[t][c] = (int16_t)i;
            sync.tracks[i].count = 0;
            sync.changed[i] = true;
        }
    }
    std::memset(sync.sent, 0, sizeof sync.sent);
}

void clearSyncKeys(SyncTracks& sync) {
    for (int i = 0; i < sync.count; ++i) {
        sync.tracks[i].count = 0;
        settleKeys(sync, i);
    }
}

void takeSentTracks(SyncTracks& sync, const Track* showTracks) {
    std::memcpy(sync.sent, showTracks, sizeof sync.sent);
    for (int i = 0; i < sync.count; ++i) settleKeys(sync, i);
}

bool setSyncKey(SyncTracks& sync, int32_t track, SyncKey key) {
    if (track < 0 || track >= sync.count || key.row >= kShowRowCount || !std::isfinite(key.value) ||
        key.interpolation > kSyncLastInterpolation)
        return false;
    SyncTrack& t = sync.tracks[track];
    const uint32_t at = lowerKey(t, key.row);
    if (at == t.count || t.keys[at].row != key.row) {
        std::memmove(&t.keys[at + 1], &t.keys[at], (t.count - at) * sizeof(SyncKey));
        ++t.count;
    }
    t.keys[at] = key;
    settleKeys(sync, track);
    return true;
}

void deleteSyncKey(SyncTracks& sync, int32_t track, uint32_t row) {
    if (track < 0 || track >= sync.count) return;
    SyncTrack& t = sync.tracks[track];
    const uint32_t at = lowerKey(t, row);
    if (at == t.count || t.keys[at].row != row) return;
    std::memmove(&t.keys[at], &t.keys[at + 1], (t.count - at - 1) * sizeof(SyncKey));
    --t.count;
    settleKeys(sync, track);
}

namespace {

// Between keys a (at a0) and b (at b0), at x, by a's interpolation.
float between(const SyncKey& a, const SyncKey& b, double a0, double b0, double x) {
    double s = (x - a0) / (b0 - a0);
    switch (a.interpolation) {
    case kSyncStep:
        return a.value;
    case kSyncSmooth:
        s = s * s * (3.0 - 2.0 * s);
        break;
    case kSyncRamp:
        s = s * s;
        break;
    default:
        break;
    }
    return (float)(a.value + (b.value - (double)a.value) * s);
}

} // namespace

float sampleSyncTrack(const SyncTrack& t, double row) {
    if (t.count == 0) return 0.0f;
    if (row <= t.keys[0].row) return t.keys[0].value;
    if (row >= t.keys[t.count - 1].row) return t.keys[t.count - 1].value;
    const uint32_t next = lowerKey(t, (uint32_t)std::floor(row) + 1); // the first key after the row
    const SyncKey &a = t.keys[next - 1], &b = t.keys[next];
    return between(a, b, a.row, b.row, row);
}

float sampleSyncFrames(const SyncTrack& t, double frame) {
    if (t.count == 0) return 0.0f;
    if (frame < t.keys[0].frame) return t.keys[0].value;
    uint32_t lo = 0, hi = t.count; // the first key after `frame`
    while (lo < hi) {
        const uint32_t mid = (lo + hi) / 2;
        if (t.keys[mid].frame <= frame)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == t.count) return t.keys[t.count - 1].value;
    const SyncKey &a = t.keys[lo - 1], &b = t.keys[lo];
    return between(a, b, a.frame, b.frame, frame);
}

const SyncTrack* syncDriver(const SyncTracks& sync, int32_t showTrack, int component) {
    if (showTrack < 0 || showTrack >= kTrackCount || component < 0 || component > 2) return nullptr;
    const int i = sync.driver[showTrack][component];
    return i >= 0 && i < sync.count && sync.tracks[i].count && sync.changed[i] ? &sync.tracks[i] : nullptr;
}

void driveTracksFrom(const SyncTracks* sync) {
    trackSampleHookData = sync;
    trackSampleHook = sync ? driveHook : nullptr;
}
