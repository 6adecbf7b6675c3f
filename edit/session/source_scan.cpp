// source_scan.cpp - comments, strings and nesting skipped, calls and their arguments found, number
// literals read.
#include "edit/session/source_scan.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Past a comment, string or character literal starting at `at`; `at` itself when none starts there.
uint32_t skipQuoted(const char* t, uint32_t n, uint32_t at) {
    if (at + 1 < n && t[at] == '/' && t[at + 1] == '/') {
        while (at < n && t[at] != '\n') ++at;
        return at;
    }
    if (at + 1 < n && t[at] == '/' && t[at + 1] == '*') {
        at += 2;
        while (at + 1 < n && !(t[at] == '*' && t[at + 1] == '/')) ++at;
        return at + 2 < n ? at + 2 : n;
    }
    if (t[at] == '"' || t[at] == '\'') {
        const char quote = t[at++];
        while (at < n && t[at] != quote) at += t[at] == '\\' ? 2 : 1;
        return at < n ? at + 1 : n;
    }
    return at;
}

// The top-level items of a bracketed list whose opening bracket is at `open`: their trimmed spans.
// Returns the number of items (an empty list has none); `close` is the closing bracket's offset.
int splitList(const char* t, uint32_t n, uint32_t open, uint32_t* begins, uint32_t* ends, int capacity,
              uint32_t& close) {
    int depth = 0, count = 0;
    uint32_t start = open + 1;
    auto add = [&](uint32_t from, uint32_t to) {
        while (from < to && isSpaceChar(t[from])) ++from;
        while (to > from && isSpaceChar(t[to - 1])) --to;
        if (from == to && count == 0) return; // nothing between the brackets
        if (count < capacity) begins[count] = from, ends[count] = to;
        ++count;
    };
    for (uint32_t at = open; at < n;) {
        const uint32_t past = skipQuoted(t, n, at);
        if (past != at) {
            at = past;
            continue;
        }
        const char c = t[at];
        if (c == '(' || c == '{' || c == '[') ++depth;
        if (c == ')' || c == '}' || c == ']') {
            if (--depth == 0) {
                add(start, at);
                close = at;
                return count;
            }
        }
        if (c == ',' && depth == 1) {
            add(start, at);
            start = at + 1;
        }
        ++at;
    }
    close = n;
    return -1; // not closed
}

ArgumentKind kindOf(const char* t, uint32_t begin, uint32_t end) {
    float value = 0;
    if (readNumberLiteral(t + begin, end - begin, value)) return ArgumentKind::number;
    if (begin == end) return ArgumentKind::expression;
    for (uint32_t i = begin; i < end; ++i)
        if (!isNameChar(t[i]) && !(t[i] == ':' && i + 1 < end && t[i + 1] == ':') &&
            !(t[i] == ':' && i > begin && t[i - 1] == ':'))
            return ArgumentKind::expression;
    return t[begin] >= '0' && t[begin] <= '9' ? ArgumentKind::expression : ArgumentKind::name;
}

uint32_t skipSpaces(const char* t, uint32_t n, uint32_t at) {
    while (at < n && isSpaceChar(t[at])) ++at;
    return at;
}

// `s[kAt] = ` at `at` (the '['), slot name `slot`: the offset past the '=', or 0 when it is not that.
uint32_t pastAssignment(const char* t, uint32_t n, uint32_t at, const char* slot, uint32_t slotLength) {
    if (t[at] != '[' || at == 0 || !isNameChar(t[at - 1])) return 0;
    uint32_t i = skipSpaces(t, n, at + 1);
    if (i + slotLength > n || std::memcmp(t + i, slot, slotLength) != 0) return 0;
    i = skipSpaces(t, n, i + slotLength);
    if (i >= n || t[i] != ']') return 0;
    i = skipSpaces(t, n, i + 1);
    if (i + 1 >= n || t[i] != '=' || t[i + 1] == '=') return 0;
    return skipSpaces(t, n, i + 1);
}

} // namespace

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

uint32_t pastCommentOrString(const char* text, uint32_t length, uint32_t at) {
    return skipQuoted(text, length, at);
}

bool isSpaceChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool offsetOf(const char* text, uint32_t length, uint32_t line, uint32_t column, uint32_t& offset) {
    if (line == 0 || column == 0) return false;
    uint32_t at = 0;
    for (uint32_t l = 1; l < line; ++l) {
        while (at < length && text[at] != '\n') ++at;
        if (at == length) return false;
        ++at;
    }
    for (uint32_t c = 1; c < column; ++c, ++at)
        if (at >= length || text[at] == '\n') return false;
    offset = at;
    return at < length;
}

uint32_t lineOf(const char* text, uint32_t offset) {
    uint32_t line = 1;
    for (uint32_t i = 0; i < offset; ++i) line += text[i] == '\n';
    return line;
}

int findSlotCalls(const char* t, uint32_t n, const char* slot, uint32_t* calls, int capacity) {
    const uint32_t slotLength = (uint32_t)std::strlen(slot);
    int count = 0;
    for (uint32_t at = 0; at < n && slotLength;) {
        const uint32_t past = skipQuoted(t, n, at);
        if (past != at) {
            at = past;
            continue;
        }
        const uint32_t call = pastAssignment(t, n, at, slot, slotLength);
        if (call && call < n && isNameChar(t[call])) {
            if (count < capacity) calls[count] = call;
            ++count;
        }
        ++at;
    }
    return count;
}

int findCalls(const char* t, uint32_t n, const char* callee, uint32_t* calls, int capacity) {
    const uint32_t length = (uint32_t)std::strlen(callee);
    int count = 0;
    for (uint32_t at = 0; at + length <= n && length;) {
        const uint32_t past = skipQuoted(t, n, at);
        if (past != at) {
            at = past;
            continue;
        }
        if (std::memcmp(t + at, callee, length) == 0 && (at == 0 || !isNameChar(t[at - 1]))) {
            const uint32_t open = skipSpaces(t, n, at + length);
            if (open < n && t[open] == '(') {
                if (count < capacity) calls[count] = at;
                ++count;
            }
        }
        ++at;
    }
    return count;
}

bool findWord(const char* t, uint32_t n, const char* word, uint32_t& at) {
    const uint32_t length = (uint32_t)std::strlen(word);
    for (uint32_t i = 0; i + length <= n;) {
        const uint32_t past = skipQuoted(t, n, i);
        if (past != i) {
            i = past;
            continue;
        }
        if (std::memcmp(t + i, word, length) == 0 && (i == 0 || !isNameChar(t[i - 1])) &&
            (i + length == n || !isNameChar(t[i + length]))) {
            at = i;
            return true;
        }
        ++i;
    }
    return false;
}

bool findSceneEntry(const char* t, uint32_t n, int scene, uint32_t& offset) {
    char entry[48];
    std::snprintf(entry, sizeof entry, "SceneEntry scene%d", scene);
    return findWord(t, n, entry, offset);
}

void calleeName(const char* t, uint32_t n, uint32_t offset, char* out, size_t size) {
    size_t k = 0;
    for (uint32_t i = offset; i < n && isNameChar(t[i]) && k + 1 < size; ++i) out[k++] = t[i];
    if (size) out[k] = 0;
}

bool findCallArgument(const char* t, uint32_t n, uint32_t offset, const char* builder, int argument,
                      int element, CallArgument& out, char* error, size_t errorSize) {
    out = CallArgument{};
    // The name before the '(' (the place may point at either).
    uint32_t open = offset;
    if (t[open] != '(') {
        while (open < n && isNameChar(t[open])) ++open;
        while (open < n && isSpaceChar(t[open])) ++open;
    }
    if (open >= n || t[open] != '(')
        return editFail(error, errorSize,
                        "the call that wrote the slot is no longer at line %u (changed since it was built)",
                        lineOf(t, offset));
    uint32_t nameEnd = open;
    while (nameEnd > 0 && isSpaceChar(t[nameEnd - 1])) --nameEnd;
    uint32_t nameBegin = nameEnd;
    while (nameBegin > 0 && isNameChar(t[nameBegin - 1])) --nameBegin;
    const std::string name(t + nameBegin, nameEnd - nameBegin);
    if (name != builder)
        return editFail(error, errorSize,
                        "line %u calls %s(), which builds the slot through %s(): the value is computed",
                        lineOf(t, offset), name.c_str(), builder);
    constexpr int kMost = 16;
    uint32_t begins[kMost], ends[kMost], close = 0;
    const int count = splitList(t, n, open, begins, ends, kMost, close);
    if (count < 0 || count > kMost)
        return editFail(error, errorSize, "cannot read the call at line %u", lineOf(t, open));
    if (argument >= count) {
        out.kind = ArgumentKind::absent;
        out.insertAt = close;
        out.present = count;
        return true;
    }
    uint32_t begin = begins[argument], end = ends[argument];
    if (element >= 0) {
        if (t[begin] != '{' || t[end - 1] != '}')
            return editFail(error, errorSize, "argument %d of the call at line %u is not a list in braces",
                            argument + 1, lineOf(t, open));
        uint32_t inner[kMost], innerEnds[kMost], innerClose = 0;
        const int elements = splitList(t, n, begin, inner, innerEnds, kMost, innerClose);
        if (elements < 0 || elements > kMost || innerClose + 1 != end)
            return editFail(error, errorSize, "cannot read the list at line %u", lineOf(t, begin));
        if (element >= elements) {
            out.kind = ArgumentKind::absent;
            out.insertAt = innerClose;
            out.present = elements;
            return true;
        }
        begin = inner[element], end = innerEnds[element];
    }
    out.kind = kindOf(t, begin, end);
    out.begin = begin;
    out.end = end;
    return true;
}

bool readNumberLiteral(const char* text, uint32_t length, float& value) {
    if (length == 0 || length >= 64) return false;
    char buffer[64];
    std::memcpy(buffer, text, length);
    buffer[length] = 0;
    uint32_t i = 0;
    if (buffer[i] == '-' || buffer[i] == '+') ++i;
    while (i < length && isSpaceChar(buffer[i])) ++i; // "- 3" is still the number -3
    const uint32_t digits = i;
    bool any = false, point = false;
    while (i < length && ((buffer[i] >= '0' && buffer[i] <= '9') || (buffer[i] == '.' && !point))) {
        any = any || buffer[i] != '.';
        point = point || buffer[i] == '.';
        ++i;
    }
    if (!any) return false;
    if (i < length && (buffer[i] == 'e' || buffer[i] == 'E')) {
        ++i;
        if (i < length && (buffer[i] == '-' || buffer[i] == '+')) ++i;
        const uint32_t exponent = i;
        while (i < length && buffer[i] >= '0' && buffer[i] <= '9') ++i;
        if (i == exponent) return false;
    }
    // a suffix: f on a decimal literal; none (or u) on a whole one
    const bool floating = point || std::strpbrk(buffer + digits, "eE");
    if (i < length && (buffer[i] == 'f' || buffer[i] == 'F') && floating) ++i;
    if (i != length) return false;
    if (!floating && buffer[digits] == '0' && i - digits > 1) return false; // octal: not a plain number
    const float magnitude = std::strtof(buffer + digits, nullptr);
    value = buffer[0] == '-' ? -magnitude : magnitude;
    return true;
}

bool editFail(char* error, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(error, size, format, args);
    va_end(args);
    return false;
}
