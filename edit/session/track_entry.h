// track_entry.h - one track's entry in data/tracks.cpp as text: `linear({keys})`, `catmullRom({keys})` or
// `{interpolation, count, {keys}}`, read into the spans of its keys, and keys written in the file's own
// style (a key a line stays a key a line; a key's trailing comment goes with it). The key edits plan
// their changes with these; an undo finds its bytes again from the key next to them.
//
//     EntryLayout l;
//     char why[256];
//     if (readEntry(entry, l, why, sizeof why)) entry.insert(l.keys[2].begin, keyText(key) + separatorAt(entry, l, 1));
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "director/director_types.h"
#include "edit/session/initializer_scan.h"

// Where a track's entry writes its keys: `linear({keys})`, or `{interpolation, count, {keys}}`.
struct EntryLayout {
    bool helper;                // the linear(...) form
    TextSpan interpolation;     // helper: the helper's name; else the interpolation literal
    TextSpan count;             // the count literal (not in the helper form)
    size_t listOpen, listClose; // the keys' braces
    TextSpan keys[kKeysPerTrack + 1];
    int keyCount;
};

bool readEntry(const std::string& t, EntryLayout& l, char* error, size_t size);
// The text between key j and key j + 1, for a new key written in the same style.
std::string separatorAt(const std::string& t, const EntryLayout& l, int j);
std::string keyText(const TrackKey& k); // "{frame, x, y, z}"
// The key's own literals replaced where its value changed, every other byte of it kept; false where a
// literal to change does not read as the value that plays.
bool rewriteKey(std::string& t, const TextSpan& span, const TrackKey& from, const TrackKey& to);
// The count literal of the {interpolation, count, {keys}} form (the helper form has none).
void rewriteCount(std::string& t, EntryLayout& l, uint32_t count);
// Where key `key` of the entry begins (-1, or a key it does not have: the entry's start).
size_t keyStart(const std::string& entry, int32_t key);
// The last key that begins at or before `offset` of the entry; -1 where none does.
int32_t anchorKeyOf(const std::string& entry, size_t offset);
