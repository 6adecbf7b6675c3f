// initializer_scan.cpp - a brace-aware scanner over C++ source: it steps over comments and literals and
// counts nesting, which is all that finding an initializer's elements needs.
#include "edit/session/initializer_scan.h"

#include <cstring>

#include "edit/session/source_scan.h"

namespace {

bool isWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Past the comment or literal that starts at `i`; `i` itself where none starts there.
size_t skipCommentOrLiteral(const std::string& t, size_t i) {
    const size_t n = t.size();
    if (t.compare(i, 2, "//") == 0) {
        while (i < n && t[i] != '\n') ++i;
        return i;
    }
    if (t.compare(i, 2, "/*") == 0) {
        const size_t close = t.find("*/", i + 2);
        return close == std::string::npos ? n : close + 2;
    }
    if (t[i] == '"' || t[i] == '\'') {
        const char quote = t[i++];
        while (i < n && t[i] != quote && t[i] != '\n') i += t[i] == '\\' ? 2 : 1;
        return i < n ? i + 1 : n;
    }
    return i;
}

// The next byte at or after `i` that is no blank and in no comment.
size_t skipBlanks(const std::string& t, size_t i) {
    while (i < t.size()) {
        if (t[i] == ' ' || t[i] == '\t' || t[i] == '\n' || t[i] == '\r') {
            ++i;
            continue;
        }
        const size_t after = skipCommentOrLiteral(t, i);
        if (after == i || t[i] == '"' || t[i] == '\'') return i;
        i = after;
    }
    return i;
}

// Where the initializer's opening brace lies, or npos with `error`.
size_t findInitializer(const std::string& t, const char* name, char* error, size_t size) {
    const size_t length = std::strlen(name);
    for (size_t i = 0; i < t.size();) {
        const size_t after = skipCommentOrLiteral(t, i);
        if (after != i) {
            i = after;
            continue;
        }
        const bool starts = (i == 0 || !isWordByte(t[i - 1])) && t.compare(i, length, name) == 0 &&
                            (i + length == t.size() || !isWordByte(t[i + length]));
        if (!starts) {
            ++i;
            continue;
        }
        // name, any [bounds], then = {
        size_t j = skipBlanks(t, i + length);
        while (j < t.size() && t[j] == '[') {
            const size_t close = t.find(']', j);
            if (close == std::string::npos) break;
            j = skipBlanks(t, close + 1);
        }
        if (j < t.size() && t[j] == '=') j = skipBlanks(t, j + 1);
        if (j < t.size() && t[j] == '{') return j;
        i += length; // a mention, not the definition
    }
    editFail(error, size, "no initializer `%s = { ... }` found", name);
    return std::string::npos;
}

// Calls `take(begin, end)` for each top-level element; stops early when it returns true. The number of
// elements seen, or -1 with `error`.
template <typename Take>
int walkElements(const std::string& t, const char* name, char* error, size_t size, Take take) {
    const size_t open = findInitializer(t, name, error, size);
    if (open == std::string::npos) return -1;
    int depth = 0, count = 0;
    size_t begin = std::string::npos, last = 0; // the current element's first and last byte
    for (size_t i = open + 1; i < t.size();) {
        const size_t after = skipCommentOrLiteral(t, i);
        const bool literal = after != i && (t[i] == '"' || t[i] == '\'');
        if (after != i && !literal) {
            i = after;
            continue;
        }
        const char c = t[i];
        const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (depth == 0 && (c == ',' || c == '}')) {
            if (begin != std::string::npos) {
                if (take(begin, last + 1)) return count + 1;
                ++count;
            } else if (c == ',') {
                editFail(error, size, "an empty element in the initializer of %s", name);
                return -1;
            }
            if (c == '}') return count;
            begin = std::string::npos;
            ++i;
            continue;
        }
        if (!blank) {
            if (begin == std::string::npos) begin = i;
            last = literal ? after - 1 : i;
        }
        if (c == '{' || c == '(' || c == '[') ++depth;
        if (c == '}' || c == ')' || c == ']') --depth;
        if (depth < 0) break;
        i = literal ? after : i + 1;
    }
    editFail(error, size, "the initializer of %s does not close", name);
    return -1;
}

} // namespace

bool findInitializerElement(const std::string& text, const char* name, int index, TextSpan& span, char* error,
                            size_t size) {
    int seen = 0;
    bool found = false;
    const int count = walkElements(text, name, error, size, [&](size_t begin, size_t end) {
        if (seen++ != index) return false;
        span = TextSpan{begin, end};
        found = true;
        return true;
    });
    if (count < 0) return false;
    if (!found)
        return editFail(error, size, "the initializer of %s has %d elements, not an element %d", name, count,
                        index);
    return true;
}

int countInitializerElements(const std::string& text, const char* name, char* error, size_t size) {
    return walkElements(text, name, error, size, [](size_t, size_t) { return false; });
}
