// sync_tracks.cpp - sync keys, their sampling, the hook that lets them drive trackSample, and the
// conversion of driven tracks back into the show's keys and source text.
#include "edit/sync_tracks.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/atomic_file.h"
#include "director/tracks.h"
#include "edit/initializer_scan.h"

namespace {

const char kComponentNames[3] = {'x', 'y', 'z'};

const SyncTracks* driving; // what the hook reads; null = nothing driven

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

void driveHook(int32_t track, float frame, TrackPoint& p) {
    if (!driving || track < 0 || track >= kTrackCount) return;
    const double row = (double)frame * 5.0 / kRowFramesTimesFive;
    float* out[3] = {&p.x, &p.y, &p.z};
    for (int c = 0; c < 3; ++c)
        if (const SyncTrack* t = syncDriver(*driving, track, c)) *out[c] = sampleSyncTrack(*t, row);
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
            std::snprintf(sync.names[i], kSyncNameCapacity, "%s:%c", panelName(name),
                          kComponentNames[c]);
            sync.showTrack[i] = (int8_t)t;
            sync.component[i] = (int8_t)c;
            sync.driver[t][c] = (int16_t)i;
            sync.tracks[i].count = 0;
        }
    }
}

void clearSyncKeys(SyncTracks& sync) {
    for (int i = 0; i < sync.count; ++i) sync.tracks[i].count = 0;
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
    return true;
}

void deleteSyncKey(SyncTracks& sync, int32_t track, uint32_t row) {
    if (track < 0 || track >= sync.count) return;
    SyncTrack& t = sync.tracks[track];
    const uint32_t at = lowerKey(t, row);
    if (at == t.count || t.keys[at].row != row) return;
    std::memmove(&t.keys[at], &t.keys[at + 1], (t.count - at - 1) * sizeof(SyncKey));
    --t.count;
}

float sampleSyncTrack(const SyncTrack& t, double row) {
    if (t.count == 0) return 0.0f;
    if (row <= t.keys[0].row) return t.keys[0].value;
    if (row >= t.keys[t.count - 1].row) return t.keys[t.count - 1].value;
    const uint32_t next = lowerKey(t, (uint32_t)std::floor(row) + 1); // the first key after the row
    const SyncKey& a = t.keys[next - 1];
    const SyncKey& b = t.keys[next];
    double s = (row - a.row) / (double)(b.row - a.row);
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

const SyncTrack* syncDriver(const SyncTracks& sync, int32_t showTrack, int component) {
    if (showTrack < 0 || showTrack >= kTrackCount || component < 0 || component > 2) return nullptr;
    const int i = sync.driver[showTrack][component];
    return i >= 0 && i < sync.count && sync.tracks[i].count ? &sync.tracks[i] : nullptr;
}

void driveTracksFrom(const SyncTracks* sync) {
    driving = sync;
    trackSampleHook = sync ? driveHook : nullptr;
}

//-----------------------------------------------------------------------------
// Baking into the show's keys
//-----------------------------------------------------------------------------

namespace {

// The frames where a driven component's curve, taken on whole frames, turns: between two of them it
// runs straight (or holds).
void drivenTurns(const SyncTrack& t, std::vector<int32_t>& frames) {
    frames.push_back(t.keys[0].row * kRowFramesTimesFive / 5); // the first key's value holds up to here
    frames.push_back(rowFirstFrame(t.keys[0].row));
    for (uint32_t k = 0; k + 1 < t.count; ++k) {
        const int32_t r0 = t.keys[k].row, r1 = t.keys[k + 1].row;
        const int32_t lastInside = (r1 * kRowFramesTimesFive) / 5; // 7.2 r1 rounded down
        switch (t.keys[k].interpolation) {
        case kSyncStep: // hold to the frame before the next row, then jump
            frames.push_back(rowFirstFrame(r1) - 1);
            break;
        case kSyncLinear:
            frames.push_back(lastInside);
            break;
        default: // smooth and ramp: straight from row to row
            for (int32_t r = r0 + 1; r < r1; ++r) frames.push_back(rowFirstFrame(r));
            frames.push_back(lastInside);
            break;
        }
        frames.push_back(rowFirstFrame(r1));
    }
}

float component(const TrackPoint& p, int c) {
    return c == 0 ? p.x : c == 1 ? p.y : p.z;
}

// The live value of one component on a whole frame.
float liveValue(const SyncTracks& sync, int32_t showTrack, const Track& own, int c, int32_t frame) {
    if (const SyncTrack* t = syncDriver(sync, showTrack, c))
        return sampleSyncTrack(*t, (double)frame * 5.0 / kRowFramesTimesFive);
    return component(sampleTrack(own, (uint32_t)frame), c);
}

// The last frame a curve changes on (beyond it every curve holds).
int32_t lastTurn(const SyncTracks& sync, int32_t showTrack, const Track& own) {
    int32_t last = 0;
    for (int c = 0; c < 3; ++c)
        if (const SyncTrack* t = syncDriver(sync, showTrack, c))
            last = std::max(last, rowFirstFrame(t->keys[t->count - 1].row));
    if (own.keyCount)
        last = std::max(last, own.keys[std::min<uint32_t>(own.keyCount, kKeysPerTrack) - 1].frame);
    return last;
}

} // namespace

bool bakeSyncTrack(const SyncTracks& sync, int32_t showTrack, const Track& own, Track& out,
                   uint32_t& keysNeeded) {
    out = Track{};
    keysNeeded = 0;
    if (own.interpolation == 1) {
        bool driven = false;
        for (int c = 0; c < 3; ++c) driven = driven || syncDriver(sync, showTrack, c);
        if (driven) return false; // a spline's undriven components have no exact linear keys
    }
    std::vector<int32_t> frames = {0};
    bool ownNeeded = false;
    for (int c = 0; c < 3; ++c) {
        if (const SyncTrack* t = syncDriver(sync, showTrack, c))
            drivenTurns(*t, frames);
        else
            ownNeeded = true;
    }
    const uint32_t ownKeys = std::min<uint32_t>(own.keyCount, kKeysPerTrack);
    if (ownNeeded && ownKeys) {
        for (uint32_t k = 0; k < ownKeys; ++k) {
            frames.push_back(own.keys[k].frame);
            if (k && own.keys[k].frame == own.keys[k - 1].frame)
                frames.push_back(own.keys[k].frame - 1); // a jump
        }
        frames.push_back(own.keys[ownKeys - 1].frame - 1); // the show's sampling holds a frame short
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    while (!frames.empty() && frames.front() < 0) frames.erase(frames.begin());

    std::vector<TrackKey> keys;
    for (int32_t f : frames)
        keys.push_back(TrackKey{f, liveValue(sync, showTrack, own, 0, f),
                                liveValue(sync, showTrack, own, 1, f),
                                liveValue(sync, showTrack, own, 2, f)});
    // The show holds one frame short of the last key: a last key that differs from the one before needs a
    // hold after it to be reached.
    if (keys.size() >= 2) {
        const TrackKey &a = keys[keys.size() - 2], &b = keys.back();
        if (a.x != b.x || a.y != b.y || a.z != b.z) keys.push_back(TrackKey{b.frame + 1, b.x, b.y, b.z});
    }
    keysNeeded = (uint32_t)keys.size();
    if (keysNeeded > (uint32_t)kKeysPerTrack) return false;
    out.interpolation = 0;
    out.keyCount = keysNeeded;
    std::copy(keys.begin(), keys.end(), out.keys);
    return true;
}

float largestSyncDifference(const SyncTracks& sync, int32_t showTrack, const Track& own, const Track& saved) {
    const int32_t last =
        std::max(lastTurn(sync, showTrack, own), saved.keyCount ? saved.keys[saved.keyCount - 1].frame : 0) +
        kRowFramesTimesFive;
    float largest = 0;
    for (int32_t f = 0; f <= last; ++f) {
        const TrackPoint s = sampleTrack(saved, (uint32_t)f);
        for (int c = 0; c < 3; ++c)
            largest = std::max(largest, std::fabs(liveValue(sync, showTrack, own, c, f) - component(s, c)));
    }
    return largest;
}

//-----------------------------------------------------------------------------
// Source text
//-----------------------------------------------------------------------------

namespace {

// The shortest text that reads back as the same float, as the file writes numbers: 40, -900, 4.3f.
std::string numberText(float v) {
    char text[48];
    if (v == 0) return "0";
    if (v == std::trunc(v) && std::fabs(v) < 1e7f) {
        std::snprintf(text, sizeof text, "%d", (int)v);
        return text;
    }
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, (double)v);
        if (std::strtof(text, nullptr) == v) break;
    }
    if (!std::strpbrk(text, ".e")) std::strcat(text, ".0"); // 1e+07 and the like keep a float's form
    return std::string(text) + "f";
}

} // namespace

std::string trackSourceText(const Track& track) {
    std::string s = "linear({";
    const uint32_t n = std::min<uint32_t>(track.keyCount, kKeysPerTrack);
    for (uint32_t k = 0; k < n; ++k) {
        const TrackKey& key = track.keys[k];
        if (k) s += ",\n            "; // under the first key, as the file's keys line up
        s += "{" + std::to_string(key.frame) + ", " + numberText(key.x) + ", " + numberText(key.y) + ", " +
             numberText(key.z) + "}";
    }
    return s + "})";
}

//-----------------------------------------------------------------------------
// Saving
//-----------------------------------------------------------------------------

namespace {

void addNote(SyncSave& out, const std::string& line) {
    const size_t used = std::strlen(out.note);
    std::snprintf(out.note + used, sizeof out.note - used, "%s; ", line.c_str());
}

bool readWhole(const char* path, std::string& text) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

} // namespace

void saveSyncTracks(const SyncTracks& sync, const Track* own, const char* path, SyncSave& out) {
    out.ok = false;
    out.written = out.refused = 0;
    out.largestDifference = 0;
    out.note[0] = 0;
    std::memset(out.savedTrack, 0, sizeof out.savedTrack);
    std::string text, error;
    if (!readWhole(path, text)) {
        std::snprintf(out.note, sizeof out.note, "cannot read %s: %s", path, std::strerror(errno));
        return;
    }
    const int elements = countInitializerElements(text, "embeddedTracks", error);
    if (elements < 0) {
        std::snprintf(out.note, sizeof out.note, "%s: %s", path, error.c_str());
        return;
    }
    // From the last track to the first, so each replacement leaves the places found before it.
    for (int32_t t = kTrackCount - 1; t >= 0; --t) {
        bool driven = false;
        for (int c = 0; c < 3; ++c) driven = driven || syncDriver(sync, t, c);
        if (!driven) continue;
        const char* name = sync.names[sync.driver[t][0]];
        const int nameLength =
            (int)(std::strchr(name, ':') ? std::strchr(name, ':') - name : std::strlen(name));
        const std::string shown(name, (size_t)nameLength);
        uint32_t needed = 0;
        Track baked;
        if (!bakeSyncTrack(sync, t, own[t], baked, needed)) {
            ++out.refused;
            const std::string which = shown + " (track " + std::to_string(t) + ")";
            addNote(out, own[t].interpolation == 1
                             ? which + " is a spline track: not written"
                             : which + " needs " + std::to_string(needed) + " keys, a track holds " +
                                   std::to_string(kKeysPerTrack) + ": not written");
            continue;
        }
        TextSpan span = {};
        if (t >= elements || !findInitializerElement(text, "embeddedTracks", t, span, error)) {
            ++out.refused;
            addNote(out, shown + " (track " + std::to_string(t) +
                             ") has no entry of its own in embeddedTracks (" + std::to_string(elements) +
                             " entries): not written");
            continue;
        }
        text.replace(span.begin, span.end - span.begin, trackSourceText(baked));
        out.saved[t] = baked;
        out.savedTrack[t] = true;
        ++out.written;
        out.largestDifference =
            std::max(out.largestDifference, largestSyncDifference(sync, t, own[t], baked));
    }
    if (out.written) {
        const std::vector<uint8_t> bytes(text.begin(), text.end());
        if (!writeBytesAtomically(path, bytes, error)) {
            std::memset(out.savedTrack, 0, sizeof out.savedTrack);
            out.written = 0;
            std::snprintf(out.note, sizeof out.note, "%s", error.c_str());
            return;
        }
    }
    const size_t used = std::strlen(out.note);
    std::snprintf(out.note + used, sizeof out.note - used, "%d tracks written to %s, largest difference %.4f",
                  out.written, path, (double)out.largestDifference);
    out.ok = out.refused == 0;
}
