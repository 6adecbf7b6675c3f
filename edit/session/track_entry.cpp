// track_entry.cpp - a track's entry of data/tracks.cpp read as a layout of keys (through the initializer
// scan), keys written and rewritten in the file's own style.
#include "edit/session/track_entry.h"

#include <cmath>
#include <cstdio>

#include "edit/session/initializer_scan.h"
#include "edit/session/source_edit.h"
#include "edit/session/source_scan.h"

static bool isComment(const std::string& t) {
    return t.find("//") != std::string::npos || t.find("/*") != std::string::npos;
}

// The elements of the braces opening at `open` in `text`, as absolute spans. False where they do not close.
static bool bracedElements(const std::string& text, size_t open, TextSpan* spans, int capacity, int& count,
                           size_t& close) {
    // The scan reads a declaration's initializer: give it one around these braces.
    const std::string prefix = "int k = ";
    size_t depth = 0, end = open;
    for (size_t i = open; i < text.size(); ++i) { // the closing brace, skipping comments
        if (text.compare(i, 2, "//") == 0) {
            i = text.find('\n', i);
            if (i == std::string::npos) return false;
            continue;
        }
        if (text.compare(i, 2, "/*") == 0) {
            i = text.find("*/", i + 2);
            if (i == std::string::npos) return false;
            ++i;
            continue;
        }
        if (text[i] == '{') ++depth;
        if (text[i] == '}' && --depth == 0) {
            end = i;
            break;
        }
    }
    if (end == open) return false;
    close = end;
    const std::string braces = prefix + text.substr(open, end + 1 - open) + ";";
    char error[256];
    count = countInitializerElements(braces, "k", error, sizeof error);
    if (count < 0 || count > capacity) return false;
    for (int i = 0; i < count; ++i) {
        TextSpan s = {};
        if (!findInitializerElement(braces, "k", i, s, error, sizeof error)) return false;
        spans[i] = TextSpan{s.begin - prefix.size() + open, s.end - prefix.size() + open};
    }
    return true;
}

bool readEntry(const std::string& t, EntryLayout& l, char* error, size_t size) {
    l = {};
    size_t i = 0;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\n')) ++i;
    if (t.compare(i, 7, "linear(") == 0 || t.compare(i, 11, "catmullRom(") == 0) {
        l.helper = true;
        const size_t paren = t.find('(', i);
        l.interpolation = TextSpan{i, paren};
        l.listOpen = t.find('{', paren);
        if (l.listOpen == std::string::npos) return editFail(error, size, "no keys in braces");
    } else if (i < t.size() && t[i] == '{') {
        TextSpan outer[4];
        int n = 0;
        size_t close = 0;
        if (!bracedElements(t, i, outer, 4, n, close) || n != 3 || t[outer[2].begin] != '{')
            return editFail(error, size, "not {interpolation, count, {keys}}");
        l.interpolation = outer[0];
        l.count = outer[1];
        l.listOpen = outer[2].begin;
    } else
        return editFail(error, size, "neither linear({...}) nor {interpolation, count, {...}}");
    if (!bracedElements(t, l.listOpen, l.keys, kKeysPerTrack, l.keyCount, l.listClose))
        return editFail(error, size, "its keys cannot be read");
    return true;
}

// The text between key j and key j + 1, for a new key written in the same style: a comment stays with
// its key, so where one stands there, a plain separator.
std::string separatorAt(const std::string& t, const EntryLayout& l, int j) {
    if (l.keyCount < 2) return ", ";
    j = j < 0 ? 0 : j >= l.keyCount - 1 ? l.keyCount - 2 : j;
    const std::string between = t.substr(l.keys[j].end, l.keys[j + 1].begin - l.keys[j].end);
    if (!isComment(between)) return between;
    const size_t lineStart = t.rfind('\n', l.keys[j + 1].begin);
    if (lineStart == std::string::npos) return ", ";
    const std::string indent = t.substr(lineStart + 1, l.keys[j + 1].begin - lineStart - 1);
    return indent.find_first_not_of(' ') == std::string::npos ? ",\n" + indent : ", ";
}

static std::string numberText(float value, const char* before) {
    char out[kLiteralCapacity];
    formatNumberLiteral(value, before, out, sizeof out);
    return out;
}

std::string keyText(const TrackKey& k) {
    char text[4 * kLiteralCapacity];
    std::snprintf(text, sizeof text, "{%d, %s, %s, %s}", (int)k.frame, numberText(k.x, "0").c_str(),
                  numberText(k.y, "0").c_str(), numberText(k.z, "0").c_str());
    return text;
}

// The key's own literals replaced where its value changed, every other byte of it kept.
bool rewriteKey(std::string& t, const TextSpan& span, const TrackKey& from, const TrackKey& to) {
    TextSpan parts[4];
    int n = 0;
    size_t close = 0;
    if (!bracedElements(t, span.begin, parts, 4, n, close) || n != 4) return false;
    const float was[4] = {(float)from.frame, from.x, from.y, from.z};
    const float now[4] = {(float)to.frame, to.x, to.y, to.z};
    auto same = [](float a, float b) { return a == b && std::signbit(a) == std::signbit(b); };
    for (int f = 0; f < 4; ++f) { // a literal to change must read as the value that plays
        const std::string before = t.substr(parts[f].begin, parts[f].end - parts[f].begin);
        float value = 0;
        if (!same(was[f], now[f]) &&
            (!readNumberLiteral(before.c_str(), (uint32_t)before.size(), value) || value != was[f]))
            return false;
    }
    for (int f = 3; f >= 0; --f) { // from the last, so the earlier spans stay where they are
        if (same(was[f], now[f])) continue;
        const std::string before = t.substr(parts[f].begin, parts[f].end - parts[f].begin);
        const std::string text = f == 0 ? std::to_string(to.frame) : numberText(now[f], before.c_str());
        t.replace(parts[f].begin, parts[f].end - parts[f].begin, text);
    }
    return true;
}

// A changed count literal of the {interpolation, count, {keys}} form; the spans after it move along.
void rewriteCount(std::string& t, EntryLayout& l, uint32_t count) {
    if (l.helper) return;
    const std::string text = std::to_string(count);
    t.replace(l.count.begin, l.count.end - l.count.begin, text);
}

// Where key `key` of the entry begins (-1, or a key it does not have: the entry's start). An undo
// counts from the key next to its bytes, so lines the maker added elsewhere in the entry do not matter.
size_t keyStart(const std::string& entry, int32_t key) {
    EntryLayout l = {};
    char why[256];
    return key >= 0 && readEntry(entry, l, why, sizeof why) && key < l.keyCount ? l.keys[key].begin : 0;
}

// The last key that begins at or before `offset` of the entry; -1 where none does.
int32_t anchorKeyOf(const std::string& entry, size_t offset) {
    EntryLayout l = {};
    char why[256];
    int32_t key = -1;
    if (readEntry(entry, l, why, sizeof why))
        while (key + 1 < l.keyCount && l.keys[key + 1].begin <= offset) ++key;
    return key;
}
