// key_edit.cpp - key edits checked, patched into trackTable, written into the track's entry of
// embeddedTracks (found by the initializer scan) and kept for undo.
#include "edit/session/key_edit.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/scene_build.h"
#include "director/director_state.h"
#include "director/tracks.h"
#include "edit/session/file_change.h"
#include "edit/session/initializer_scan.h"
#include "edit/session/track_entry.h"

namespace {

bool checkTrack(EditSession& e, int32_t track, const Track& t) {
    if (t.keyCount < 1 || t.keyCount > (uint32_t)kKeysPerTrack) {
        sayEdit(e, true, "track %d: %u keys is outside 1..%d; nothing changed", track, t.keyCount,
                kKeysPerTrack);
        return false;
    }
    for (uint32_t k = 0; k < t.keyCount; ++k) {
        const TrackKey& key = t.keys[k];
        if (key.frame < 0 || key.frame >= kShowFrameCount) {
            sayEdit(e, true, "track %d key %u: frame %d is past the show (0..%d); nothing changed", track, k,
                    key.frame, kShowFrameCount - 1);
            return false;
        }
        if (!std::isfinite(key.x) || !std::isfinite(key.y) || !std::isfinite(key.z)) {
            sayEdit(e, true,
                    "track %d key %u: a value that is not a number the show can hold; nothing changed", track,
                    k);
            return false;
        }
        if (k > 0 && key.frame < t.keys[k - 1].frame) {
            sayEdit(e, true, "track %d key %u: frame %d comes before key %u's frame %d; nothing changed",
                    track, k, key.frame, k - 1, t.keys[k - 1].frame);
            return false;
        }
    }
    return true;
}

// The track's entry in the file's text, read fresh from disk where the maker saved it since.
bool entryOf(EditSession& e, int32_t track, std::string& text, TextSpan& span, char* error, size_t size) {
    KeyEdits& k = *e.keys;
    if (!takeDiskText(e, k.file, error, size)) return false;
    text.assign(k.file.text, k.file.length);
    char why[256];
    if (!findInitializerElement(text, "embeddedTracks", track, span, why, sizeof why))
        return editFail(error, size, "%s: track %d: %s", k.file.path, track, why);
    return true;
}

// The file's text with the entry replaced, written through the session's one writer (file_change.h);
// false (file as it was) where it cannot be.
bool writeEntry(EditSession& e, const std::string& text, const TextSpan& span, const std::string& entry,
                char* error, size_t size) {
    KeyEdits& k = *e.keys;
    if (span.begin + entry.size() + (text.size() - span.end) > kSourceFileCapacity) {
        std::snprintf(error, size, "%s would grow past %u bytes", k.file.path, kSourceFileCapacity);
        return false;
    }
    const FileChange change = {&k.file, (uint32_t)span.begin, (uint32_t)span.end, entry.c_str()};
    return writeFileChange(e.scratch.files, &change, 1, error, size);
}

// The change from `before` to `after`, whose entry text becomes `entry`: the table takes it, the file
// is written and the undo list keeps it.
bool commit(EditSession& e, int32_t track, const Track& after, const std::string& text, const TextSpan& span,
            const std::string& entry, const char* what) {
    KeyEdits& k = *e.keys;
    const std::string old = text.substr(span.begin, span.end - span.begin);
    size_t head = 0;
    while (head < old.size() && head < entry.size() && old[head] == entry[head]) ++head;
    size_t tail = 0;
    while (tail < old.size() - head && tail < entry.size() - head &&
           old[old.size() - 1 - tail] == entry[entry.size() - 1 - tail])
        ++tail;
    const std::string was = old.substr(head, old.size() - head - tail);
    const std::string now = entry.substr(head, entry.size() - head - tail);
    if (was.size() >= kKeyTextCapacity || now.size() >= kKeyTextCapacity) {
        sayEdit(e, true, "track %d: the edit changes more than %d bytes of %s; nothing changed", track,
                kKeyTextCapacity, k.file.path);
        return false;
    }
    const int32_t id = k.nextStep++;
    KeyStep& step = k.steps[id % kKeyStepCapacity];
    step.track = track;
    step.before = trackTable[track];
    step.after = after;
    step.anchorKey = anchorKeyOf(old, head);
    step.offset = (uint32_t)head - keyStart(old, step.anchorKey);
    std::snprintf(step.was, sizeof step.was, "%s", was.c_str());
    std::snprintf(step.now, sizeof step.now, "%s", now.c_str());

    trackTable[track] = after;
    ++e.liveChanges;
    char error[1400] = "";
    const bool saved = writeEntry(e, text, span, entry, error, sizeof error);
    pushEdit(e.history, SlotEdit{kKeyEditScene, id, track, 0, 0, -1, saved, {}, false, 0, -1});
    if (saved) {
        ++e.unchecked;
        sayEdit(e, false, "tracks.cpp: track %d: %s", track, what);
    } else {
        sayEdit(e, true, "track %d: %s plays, unsaved: %s", track, what, error);
    }
    return true;
}

bool validTrack(EditSession& e, int32_t track) {
    if (!e.keys) {
        sayEdit(e, true, "key edits were not started; nothing changed");
        return false;
    }
    if (track < 0 || track >= kTrackCount) {
        sayEdit(e, true, "no track %d; nothing changed", track);
        return false;
    }
    return true;
}

bool validKey(EditSession& e, int32_t track, int32_t key) {
    if (!validTrack(e, track)) return false;
    if (key >= 0 && (uint32_t)key < trackTable[track].keyCount) return true;
    sayEdit(e, true, "track %d has no key %d; nothing changed", track, key);
    return false;
}

// The track's entry read and laid out, or the reason it cannot be edited in `e.message`.
bool openEntry(EditSession& e, int32_t track, std::string& text, TextSpan& span, std::string& entry,
               EntryLayout& layout) {
    char error[1400] = "";
    if (!entryOf(e, track, text, span, error, sizeof error)) {
        sayEdit(e, true, "%s; nothing changed", error);
        return false;
    }
    entry = text.substr(span.begin, span.end - span.begin);
    char why[256];
    if (!readEntry(entry, layout, why, sizeof why)) {
        sayEdit(e, true, "%s: track %d's entry cannot be edited in place (%s); nothing changed",
                e.keys->file.path, track, why);
        return false;
    }
    if ((uint32_t)layout.keyCount != trackTable[track].keyCount) {
        sayEdit(e, true, "%s: track %d writes %d keys, %u play; nothing changed", e.keys->file.path, track,
                layout.keyCount, trackTable[track].keyCount);
        return false;
    }
    return true;
}

} // namespace

void startKeyEdits(KeyEdits& k, EditSession& e) {
    std::memset(&k, 0, sizeof k);
    e.keys = &k;
    e.stepKeys = stepKeyEdit;
    e.takeRebuiltKeys = takeRebuiltTracks;
    char path[1100];
    std::snprintf(path, sizeof path, "%s/tracks.cpp", e.folder);
    char error[1400];
    k.fileRead = readSourceFile(path, k.file, error, sizeof error);
    if (!k.fileRead) { // read when first edited, where it cannot be now
        const size_t n = std::strlen(path) < sizeof k.file.path ? std::strlen(path) : sizeof k.file.path - 1;
        std::memcpy(k.file.path, path, n);
        k.file.path[n] = 0;
    }
}

bool trackUnsaved(const EditSession& e, int32_t track) {
    for (int k = e.history.done - 1; k >= 0; --k) {
        const SlotEdit& s = e.history.steps[k];
        if (s.scene == kKeyEditScene && s.field == track) return !s.saved;
    }
    return false;
}

int32_t snapKeyFrame(float frame, KeySnap snap, int32_t origin) {
    if (!std::isfinite(frame)) return 0;
    if (snap == kSnapFrames) return (int32_t)std::lround(frame);
    const float step = snap == kSnapRows ? kBeatFrames / 4 : kBeatFrames;
    const int32_t rows = (int32_t)std::lround((frame + (float)origin) / step) * (snap == kSnapRows ? 1 : 4);
    return rowFirstFrame(rows) - origin;
}

KeyDragAxis decideDragAxis(KeyDragAxis decided, float movedX, float movedY) {
    if (decided != kDragUndecided || std::fmax(std::fabs(movedX), std::fabs(movedY)) < kDragDecidePixels)
        return decided;
    return std::fabs(movedX) >= std::fabs(movedY) ? kDragTime : kDragValue;
}

bool dragsTime(KeyDragAxis decided, float movedX, float movedY) {
    return decided == kDragTime || (decided == kDragUndecided && std::fabs(movedX) >= std::fabs(movedY));
}

bool insertKey(EditSession& e, int32_t track, int32_t frame) {
    if (!validTrack(e, track)) return false;
    const Track& t = trackTable[track];
    if (t.keyCount >= (uint32_t)kKeysPerTrack) {
        sayEdit(e, true, "track %d holds %d keys already, the most a track holds; nothing changed", track,
                kKeysPerTrack);
        return false;
    }
    if (frame < 0 || frame >= kShowFrameCount) {
        sayEdit(e, true, "track %d: frame %d is past the show (0..%d); nothing changed", track, frame,
                kShowFrameCount - 1);
        return false;
    }
    uint32_t at = 0;
    while (at < t.keyCount && t.keys[at].frame <= frame) {
        if (t.keys[at].frame == frame) {
            sayEdit(e, true, "track %d: key %u is at frame %d already; nothing changed", track, at, frame);
            return false;
        }
        ++at;
    }
    const TrackPoint p = sampleTrack(t, (uint32_t)frame);
    // In whole hundredths, as the file writes its keys.
    const TrackKey key = {frame, std::nearbyint(p.x), std::nearbyint(p.y), std::nearbyint(p.z)};
    Track after = t;
    std::memmove(&after.keys[at + 1], &after.keys[at], sizeof(TrackKey) * (t.keyCount - at));
    after.keys[at] = key;
    ++after.keyCount;
    if (!checkTrack(e, track, after)) return false;

    std::string text, entry;
    TextSpan span = {};
    EntryLayout l = {};
    if (!openEntry(e, track, text, span, entry, l)) return false;
    const std::string written = keyText(key);
    if (l.keyCount == 0)
        entry.insert(l.listOpen + 1, written);
    else if (at < (uint32_t)l.keyCount)
        entry.insert(l.keys[at].begin, written + separatorAt(entry, l, (int)at - 1));
    else
        entry.insert(l.keys[at - 1].end, separatorAt(entry, l, (int)at - 1) + written);
    rewriteCount(entry, l, after.keyCount);
    char what[256];
    std::snprintf(what, sizeof what, "key %u inserted: %s", at, written.c_str());
    return commit(e, track, after, text, span, entry, what);
}

bool moveKey(EditSession& e, int32_t track, int32_t key, TrackKey to) {
    if (!validKey(e, track, key)) return false;
    const Track& t = trackTable[track];
    Track after = t;
    after.keys[key] = to;
    if (!checkTrack(e, track, after)) return false;
    const TrackKey& from = t.keys[key];
    if (std::memcmp(&from, &to, sizeof to) == 0) {
        sayEdit(e, false, "track %d key %d is there already", track, key);
        return false;
    }
    std::string text, entry;
    TextSpan span = {};
    EntryLayout l = {};
    if (!openEntry(e, track, text, span, entry, l)) return false;
    if (!rewriteKey(entry, l.keys[key], from, to)) {
        sayEdit(e, true,
                "%s: track %d key %d: the value is computed, or not written {frame, x, y, z} as the numbers "
                "that play; change it in the file; nothing changed",
                e.keys->file.path, track, key);
        return false;
    }
    char what[256];
    std::snprintf(what, sizeof what, "key %d moved to frame %d (%g, %g, %g)", key, to.frame, (double)to.x,
                  (double)to.y, (double)to.z);
    return commit(e, track, after, text, span, entry, what);
}

bool deleteKey(EditSession& e, int32_t track, int32_t key) {
    if (!validKey(e, track, key)) return false;
    const Track& t = trackTable[track];
    Track after = t;
    std::memmove(&after.keys[key], &after.keys[key + 1], sizeof(TrackKey) * (t.keyCount - key - 1));
    after.keys[--after.keyCount] = TrackKey{};
    if (after.keyCount == 0) {
        sayEdit(e, true, "track %d: its last key stays (a track that scenes read needs one); nothing changed",
                track);
        return false;
    }
    if (!checkTrack(e, track, after)) return false;
    std::string text, entry;
    TextSpan span = {};
    EntryLayout l = {};
    if (!openEntry(e, track, text, span, entry, l)) return false;
    // The key and what follows it up to the next key (its comment with it); the last one with the comma
    // before it.
    if (key + 1 < l.keyCount)
        entry.erase(l.keys[key].begin, l.keys[key + 1].begin - l.keys[key].begin);
    else
        entry.erase(l.keys[key - 1].end, l.keys[key].end - l.keys[key - 1].end);
    rewriteCount(entry, l, after.keyCount);
    char what[128];
    std::snprintf(what, sizeof what, "key %d at frame %d deleted", key, t.keys[key].frame);
    return commit(e, track, after, text, span, entry, what);
}

bool setTrackInterpolation(EditSession& e, int32_t track, uint32_t interpolation) {
    if (!validTrack(e, track)) return false;
    if (interpolation > 1) {
        sayEdit(e, true,
                "track %d: interpolation %u is neither linear (0) nor Catmull-Rom (1); nothing changed",
                track, interpolation);
        return false;
    }
    if (trackTable[track].interpolation == interpolation) {
        sayEdit(e, false, "track %d is %s already", track, interpolation ? "Catmull-Rom" : "linear");
        return false;
    }
    Track after = trackTable[track];
    after.interpolation = interpolation;
    std::string text, entry;
    TextSpan span = {};
    EntryLayout l = {};
    if (!openEntry(e, track, text, span, entry, l)) return false;
    const std::string name =
        l.helper ? (interpolation ? "catmullRom" : "linear") : std::to_string(interpolation);
    entry.replace(l.interpolation.begin, l.interpolation.end - l.interpolation.begin, name);
    return commit(e, track, after, text, span, entry, interpolation ? "Catmull-Rom" : "linear");
}

bool stepKeyEdit(EditSession& e, const SlotEdit& s, bool undo) {
    KeyEdits& k = *e.keys;
    const KeyStep& step = k.steps[s.slot % kKeyStepCapacity];
    const Track& value = undo ? step.before : step.after;
    if (s.saved) {
        char error[1400] = "";
        std::string text;
        TextSpan span = {};
        if (!entryOf(e, step.track, text, span, error, sizeof error)) {
            sayEdit(e, true, "cannot %s: %s", undo ? "undo" : "redo", error);
            return false;
        }
        const std::string from = undo ? step.now : step.was, to = undo ? step.was : step.now;
        std::string entry = text.substr(span.begin, span.end - span.begin);
        const size_t at = keyStart(entry, step.anchorKey) + step.offset;
        if (at > entry.size() || entry.compare(at, from.size(), from) != 0) {
            sayEdit(e, true, "cannot %s: %s: track %d's entry changed since the edit; nothing written",
                    undo ? "undo" : "redo", k.file.path, step.track);
            return false;
        }
        entry.replace(at, from.size(), to);
        if (!writeEntry(e, text, span, entry, error, sizeof error)) {
            sayEdit(e, true, "cannot %s: %s", undo ? "undo" : "redo", error);
            return false;
        }
        ++e.unchecked;
    }
    trackTable[step.track] = value;
    ++e.liveChanges;
    sayEdit(e, false, "%s the key edit of track %d%s", undo ? "undone" : "redone", step.track,
            s.saved ? "" : " (unsaved: its file was not written)");
    return true;
}

int takeRebuiltTracks(EditSession& e, const Track* rebuilt, char* first, size_t size) {
    if (!e.keys || !rebuilt) return 0;
    bool seen[kTrackCount] = {};
    int differ = 0;
    for (int k = e.history.done - 1; k >= 0; --k) {
        const SlotEdit& s = e.history.steps[k];
        if (s.scene != kKeyEditScene || seen[s.field]) continue; // the last edit of a track decides
        seen[s.field] = true;
        const Track& edited = e.keys->steps[s.slot % kKeyStepCapacity].after;
        if (!s.saved) {
            trackTable[s.field] = edited; // the rebuild cannot hold it: the edit plays on
            continue;
        }
        if (std::memcmp(&rebuilt[s.field], &edited, sizeof edited) != 0 && !differ++)
            std::snprintf(first, size, "track %d differs in the rebuilt data from its edited keys", s.field);
    }
    return differ;
}
