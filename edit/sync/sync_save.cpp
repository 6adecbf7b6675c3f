// sync_save.cpp - driven sync tracks baked into the show's linear keys (keys where the live curve needs
// them, the fit measured on every frame), written as data/tracks.cpp spells a track, and saved into
// that file in place of the tracks' entries. Declared in sync_tracks.h ("Saving").
#include "edit/sync/sync_tracks.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/atomic_file.h"
#include "base/decimal_text.h"
#include "director/tracks.h"
#include "edit/session/initializer_scan.h"

//-----------------------------------------------------------------------------
// Baking into the show's keys
//-----------------------------------------------------------------------------

namespace {

constexpr double kFitBound = 0.8 * kSyncSaveBound; // the chords' aim, leaving room for float rounding

// The frames a driven component's curve, taken on whole frames, must have keys on: around its first
// key, where each step holds and jumps, and each segment's first and last whole frame.
void drivenTurns(const SyncTrack& t, std::vector<int32_t>& frames) {
    frames.push_back((int32_t)std::floor(t.keys[0].frame)); // the first key's value holds up to here
    frames.push_back((int32_t)std::ceil(t.keys[0].frame));
    for (uint32_t k = 0; k + 1 < t.count; ++k) {
        const double a = t.keys[k].frame, b = t.keys[k + 1].frame;
        if (t.keys[k].interpolation == kSyncStep) { // hold to the frame before the next key, then jump
            frames.push_back((int32_t)std::ceil(b) - 1);
        } else if (b > a) {
            frames.push_back((int32_t)std::ceil(a));
            frames.push_back((int32_t)std::floor(b));
        }
        frames.push_back((int32_t)std::ceil(b));
    }
}

float component(const TrackPoint& p, int c) {
    return c == 0 ? p.x : c == 1 ? p.y : p.z;
}

// The live value of one component on a whole frame.
float liveValue(const SyncTracks& sync, int32_t showTrack, const Track& own, int c, int32_t frame) {
    if (const SyncTrack* t = syncDriver(sync, showTrack, c)) return sampleSyncFrames(*t, frame);
    return component(sampleTrack(own, (uint32_t)frame), c);
}

// The last frame a curve changes on (beyond it every curve holds).
int32_t lastTurn(const SyncTracks& sync, int32_t showTrack, const Track& own) {
    int32_t last = 0;
    for (int c = 0; c < 3; ++c)
        if (const SyncTrack* t = syncDriver(sync, showTrack, c))
            last = std::max(last, (int32_t)std::ceil(t->keys[t->count - 1].frame));
    if (own.keyCount)
        last = std::max(last, own.keys[std::min<uint32_t>(own.keyCount, kKeysPerTrack) - 1].frame);
    return last;
}

// Whether a line from frame a to frame b keeps every component within kFitBound of the live curve on
// every frame between; `live` holds the values from frame 0 on.
bool chordFits(const std::vector<TrackPoint>& live, int32_t a, int32_t b) {
    for (int32_t f = a + 1; f < b; ++f) {
        const double s = (double)(f - a) / (b - a);
        for (int c = 0; c < 3; ++c) {
            const double va = component(live[a], c), vb = component(live[b], c);
            if (std::fabs(va + (vb - va) * s - component(live[f], c)) > kFitBound) return false;
        }
    }
    return true;
}

// Between each two frames that must have keys: more, each as far on as a line from the one before
// still fits the live curve.
void addBendKeys(const std::vector<TrackPoint>& live, std::vector<int32_t>& frames) {
    std::vector<int32_t> out;
    for (size_t i = 0; i < frames.size(); ++i) {
        out.push_back(frames[i]);
        if (i + 1 == frames.size()) break;
        int32_t a = frames[i];
        const int32_t b = frames[i + 1];
        while (!chordFits(live, a, b)) {
            int32_t c = a + 1; // a line to the next frame always fits
            while (c + 1 < b && chordFits(live, a, c + 1)) ++c;
            out.push_back(c);
            a = c;
        }
    }
    frames.swap(out);
}

// The frames of the show's own keys, where it needs them for the components it keeps.
void ownTurns(const Track& own, std::vector<int32_t>& frames) {
    const uint32_t ownKeys = std::min<uint32_t>(own.keyCount, kKeysPerTrack);
    if (!ownKeys) return;
    for (uint32_t k = 0; k < ownKeys; ++k) {
        frames.push_back(own.keys[k].frame);
        if (k && own.keys[k].frame == own.keys[k - 1].frame)
            frames.push_back(own.keys[k].frame - 1); // a jump
    }
    frames.push_back(own.keys[ownKeys - 1].frame - 1); // the show's sampling holds a frame short
}

// Drops the keys the show's own track does not have that lie on the line between their neighbours.
void dropInlineKeys(const Track& own, std::vector<TrackKey>& keys) {
    const uint32_t ownKeys = std::min<uint32_t>(own.keyCount, kKeysPerTrack);
    auto isOwn = [&](int32_t f) {
        for (uint32_t k = 0; k < ownKeys; ++k)
            if (own.keys[k].frame == f) return true;
        return false;
    };
    std::vector<TrackKey> kept;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (k > 0 && k + 1 < keys.size() && !isOwn(keys[k].frame)) {
            const TrackKey &a = kept.back(), &b = keys[k + 1], &m = keys[k];
            const double s = (double)(m.frame - a.frame) / (b.frame - a.frame);
            bool inline_ = true;
            for (int c = 0; c < 3; ++c) {
                const double va = syncKeyComponent(a, c), vb = syncKeyComponent(b, c),
                             vm = syncKeyComponent(m, c);
                inline_ =
                    inline_ && std::fabs(va + (vb - va) * s - vm) <= 1e-5 * std::max(1.0, std::fabs(vm));
            }
            if (inline_) continue;
        }
        kept.push_back(keys[k]);
    }
    keys.swap(kept);
}

// Where the baked keys' sampling is not finite or lies furthest from the live curve.
void measureBake(const SyncTracks& sync, int32_t showTrack, const Track& own, const Track& out,
                 SyncBake& bake) {
    const int32_t last =
        std::max(lastTurn(sync, showTrack, own), out.keys[out.keyCount - 1].frame) + kRowFramesTimesFive;
    for (int32_t f = 0; f <= last; ++f) {
        const TrackPoint s = sampleTrack(out, (uint32_t)f);
        for (int c = 0; c < 3; ++c) {
            const float saved = component(s, c), live = liveValue(sync, showTrack, own, c, f);
            const float d = std::fabs(live - saved);
            if (!std::isfinite(saved) || !std::isfinite(d)) {
                bake = SyncBake{SyncBakeFault::notFinite, bake.keysNeeded, INFINITY, c, rowOfFrame(f)};
                return;
            }
            if (d > bake.largestDifference)
                bake.largestDifference = d, bake.component = c, bake.row = rowOfFrame(f);
        }
    }
    if (bake.largestDifference > kSyncSaveBound) bake.fault = SyncBakeFault::overBound;
}

// The first key of a driven component from which the show's float sampling toward the next overflows.
bool overflows(const SyncTracks& sync, int32_t showTrack, SyncBake& bake) {
    for (int c = 0; c < 3; ++c) {
        const SyncTrack* t = syncDriver(sync, showTrack, c);
        for (uint32_t k = 0; t && k + 1 < t->count; ++k)
            if (!std::isfinite(t->keys[k + 1].value - t->keys[k].value)) {
                bake = SyncBake{SyncBakeFault::notFinite, 0, INFINITY, c, t->keys[k].row};
                return true;
            }
    }
    return false;
}

} // namespace

SyncBake bakeSyncTrack(const SyncTracks& sync, int32_t showTrack, const Track& own, Track& out) {
    out = Track{};
    SyncBake bake = {};
    bool ownNeeded = false, driven = false;
    std::vector<int32_t> frames = {0};
    for (int c = 0; c < 3; ++c) {
        if (const SyncTrack* t = syncDriver(sync, showTrack, c))
            drivenTurns(*t, frames), driven = true;
        else
            ownNeeded = true;
    }
    if (driven && own.interpolation == 1) return SyncBake{SyncBakeFault::spline, 0, 0, 0, 0};
    if (overflows(sync, showTrack, bake)) return bake;
    if (ownNeeded) ownTurns(own, frames);
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    frames.erase(frames.begin(), std::lower_bound(frames.begin(), frames.end(), 0));

    std::vector<TrackPoint> live((size_t)frames.back() + 1);
    for (int32_t f = 0; f <= frames.back(); ++f)
        live[f] = TrackPoint{liveValue(sync, showTrack, own, 0, f), liveValue(sync, showTrack, own, 1, f),
                             liveValue(sync, showTrack, own, 2, f)};
    addBendKeys(live, frames);
    std::vector<TrackKey> keys;
    for (int32_t f : frames) keys.push_back(TrackKey{f, live[f].x, live[f].y, live[f].z});
    // The show holds one frame short of the last key: a last key that differs from the one before needs a
    // hold after it to be reached.
    if (keys.size() >= 2) {
        const TrackKey &a = keys[keys.size() - 2], &b = keys.back();
        if (a.x != b.x || a.y != b.y || a.z != b.z) keys.push_back(TrackKey{b.frame + 1, b.x, b.y, b.z});
    }
    dropInlineKeys(own, keys);
    bake.keysNeeded = (uint32_t)keys.size();
    if (bake.keysNeeded > (uint32_t)kKeysPerTrack) {
        bake.fault = SyncBakeFault::tooManyKeys;
        return bake;
    }
    out.interpolation = 0;
    out.keyCount = bake.keysNeeded;
    std::copy(keys.begin(), keys.end(), out.keys);
    measureBake(sync, showTrack, own, out, bake);
    return bake;
}

float largestSyncDifference(const SyncTracks& sync, int32_t showTrack, const Track& own, const Track& saved) {
    const int32_t last =
        std::max(lastTurn(sync, showTrack, own), saved.keyCount ? saved.keys[saved.keyCount - 1].frame : 0) +
        kRowFramesTimesFive;
    float largest = 0;
    for (int32_t f = 0; f <= last; ++f) {
        const TrackPoint s = sampleTrack(saved, (uint32_t)f);
        for (int c = 0; c < 3; ++c) {
            const float d = std::fabs(liveValue(sync, showTrack, own, c, f) - component(s, c));
            if (!std::isfinite(d)) return INFINITY;
            largest = std::max(largest, d);
        }
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
    if (v == 0) return "0"; // -0 too
    writeShortestFloat(v, text, sizeof text);
    if (v == std::trunc(v) && std::fabs(v) < 1e7f) return text;
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
        char text[160];
        std::snprintf(text, sizeof text, "{%d, %s, %s, %s}", (int)key.frame, numberText(key.x).c_str(),
                      numberText(key.y).c_str(), numberText(key.z).c_str());
        s += text;
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

std::string bakeFaultText(const SyncBake& b) {
    char text[160];
    const char axis = kSyncComponentNames[b.component];
    switch (b.fault) {
    case SyncBakeFault::spline:
        return "is a spline track";
    case SyncBakeFault::tooManyKeys:
        return "needs " + std::to_string(b.keysNeeded) + " keys, a track holds " +
               std::to_string(kKeysPerTrack);
    case SyncBakeFault::notFinite:
        std::snprintf(text, sizeof text, "%c at row %d: the show's sampling of its keys is not finite", axis,
                      b.row);
        return text;
    case SyncBakeFault::overBound:
        std::snprintf(text, sizeof text,
                      "%c at row %d: the show's sampling would lie %g hundredths from the curve (at most %g)",
                      axis, b.row, (double)b.largestDifference, (double)kSyncSaveBound);
        return text;
    default:
        return "";
    }
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

// Driven track `t` baked and its text put in place of its entry in `text` (the file's); a track that
// cannot be is counted refused, the note saying why.
void saveTrack(const SyncTracks& sync, int32_t t, const Track& own, int elements, std::string& text,
               SyncSave& out) {
    const char* name = sync.names[sync.driver[t][0]];
    const int nameLength = (int)(std::strchr(name, ':') ? std::strchr(name, ':') - name : std::strlen(name));
    const std::string shown(name, (size_t)nameLength);
    Track baked;
    const SyncBake bake = bakeSyncTrack(sync, t, own, baked);
    if (bake.fault != SyncBakeFault::none) {
        ++out.refused;
        addNote(out, shown + " (track " + std::to_string(t) + ") " + bakeFaultText(bake) + ": not written");
        return;
    }
    TextSpan span = {};
    char error[256];
    if (t >= elements || !findInitializerElement(text, "embeddedTracks", t, span, error, sizeof error)) {
        ++out.refused;
        addNote(out, shown + " (track " + std::to_string(t) +
                         ") has no entry of its own in embeddedTracks (" + std::to_string(elements) +
                         " entries): not written");
        return;
    }
    text.replace(span.begin, span.end - span.begin, trackSourceText(baked));
    out.saved[t] = baked;
    out.savedTrack[t] = true;
    ++out.written;
    out.largestDifference = std::max(out.largestDifference, bake.largestDifference);
}

} // namespace

void saveSyncTracks(const SyncTracks& sync, const Track* own, const char* path, SyncSave& out) {
    out.ok = false;
    out.written = out.refused = 0;
    out.largestDifference = 0;
    out.note[0] = 0;
    std::memset(out.savedTrack, 0, sizeof out.savedTrack);
    std::string text;
    char error[256];
    if (!readWhole(path, text)) {
        std::snprintf(out.note, sizeof out.note, "cannot read %s: %s", path, std::strerror(errno));
        return;
    }
    const int elements = countInitializerElements(text, "embeddedTracks", error, sizeof error);
    if (elements < 0) {
        std::snprintf(out.note, sizeof out.note, "%s: %s", path, error);
        return;
    }
    // From the last track to the first, so each replacement leaves the places found before it.
    for (int32_t t = kTrackCount - 1; t >= 0; --t) {
        bool driven = false;
        for (int c = 0; c < 3; ++c) driven = driven || syncDriver(sync, t, c);
        if (driven) saveTrack(sync, t, own[t], elements, text, out);
    }
    if (out.written) {
        const std::vector<uint8_t> bytes(text.begin(), text.end());
        std::string why; // base/ reports in a string
        if (!writeBytesAtomically(path, bytes, why)) {
            std::memset(out.savedTrack, 0, sizeof out.savedTrack);
            out.written = 0;
            std::snprintf(out.note, sizeof out.note, "%s", why.c_str());
            return;
        }
    }
    const size_t used = std::strlen(out.note);
    std::snprintf(out.note + used, sizeof out.note - used, "%d tracks written to %s, largest difference %.4f",
                  out.written, path, (double)out.largestDifference);
    out.ok = out.refused == 0;
}
