// source_edit.cpp - the call's arguments read from the text (comments and nesting skipped), the literal
// found, formatted and replaced, and the file written atomically.
#include "edit/session/source_edit.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "data/scene_build.h"

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

uint32_t lineAt(const char* t, uint32_t offset) {
    return lineOf(t, offset);
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

const ValueName* nameOf(const ValueNames* names, const char* text, uint32_t length) {
    for (int i = 0; names && i < names->count; ++i)
        if (std::strlen(names->names[i].symbol) == length &&
            std::strncmp(names->names[i].symbol, text, length) == 0)
            return &names->names[i];
    return nullptr;
}

const ValueName* nameFor(const ValueNames* names, float value) {
    for (int i = 0; names && i < names->count; ++i)
        if ((float)names->names[i].value == value) return &names->names[i];
    return nullptr;
}

// The text a field's value is written as where no literal stands yet (an argument left out).
bool valueText(float value, const ValueNames* names, char* out, size_t size) {
    if (names) {
        const ValueName* name = nameFor(names, value);
        if (!name) return false;
        std::snprintf(out, size, "%s", name->symbol);
        return true;
    }
    formatNumberLiteral(value, "", out, size);
    return true;
}

} // namespace

//-----------------------------------------------------------------------------
// Text helpers
//-----------------------------------------------------------------------------

bool editFail(char* error, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(error, size, format, args);
    va_end(args);
    return false;
}

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isSpaceChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

//-----------------------------------------------------------------------------
// Files
//-----------------------------------------------------------------------------

const char* placeFileName(const SlotPlace& place) {
    if (!place.file) return "";
    const char* slash = std::strrchr(place.file, '/');
    const char* back = std::strrchr(place.file, '\\');
    if (back && (!slash || back > slash)) slash = back;
    return slash ? slash + 1 : place.file;
}

bool readSourceFile(const char* path, SourceFile& file, char* error, size_t errorSize) {
    std::snprintf(file.path, sizeof file.path, "%s", path);
    FILE* f = std::fopen(path, "rb");
    if (!f) return editFail(error, errorSize, "cannot read %s: %s", path, std::strerror(errno));
    const size_t n = std::fread(file.text, 1, kSourceFileCapacity, f);
    const bool more = std::fgetc(f) != EOF;
    std::fclose(f);
    if (more) return editFail(error, errorSize, "%s is larger than %u bytes", path, kSourceFileCapacity);
    file.length = (uint32_t)n;
    std::memcpy(file.disk, file.text, n);
    file.diskLength = file.length;
    return true;
}

bool writeSourceFile(SourceFile& file, bool& changed, char* error, size_t errorSize) {
    changed = false;
    static SourceFile now; // what is on disk at this moment
    char readError[1200];
    if (!readSourceFile(file.path, now, readError, sizeof readError))
        return editFail(error, errorSize, "%s", readError);
    if (now.length != file.diskLength || std::memcmp(now.text, file.disk, now.length) != 0) {
        changed = true;
        return editFail(error, errorSize, "%s changed on disk since it was read; nothing written", file.path);
    }
    const std::vector<uint8_t> bytes(file.text, file.text + file.length);
    std::string failure;
    if (!writeBytesAtomically(file.path, bytes, failure))
        return editFail(error, errorSize, "%s", failure.c_str());
    std::memcpy(file.disk, file.text, file.length);
    file.diskLength = file.length;
    return true;
}

//-----------------------------------------------------------------------------
// Calls and literals
//-----------------------------------------------------------------------------

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

bool findSceneEntry(const char* t, uint32_t n, int scene, uint32_t& offset) {
    char entry[48];
    const uint32_t length = (uint32_t)std::snprintf(entry, sizeof entry, "SceneEntry scene%d", scene);
    for (uint32_t at = 0; at + length <= n;) {
        const uint32_t past = skipQuoted(t, n, at);
        if (past != at) {
            at = past;
            continue;
        }
        if (std::memcmp(t + at, entry, length) == 0 && (at == 0 || !isNameChar(t[at - 1])) &&
            (at + length == n || !isNameChar(t[at + length]))) {
            offset = at;
            return true;
        }
        ++at;
    }
    return false;
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
                        lineAt(t, offset));
    uint32_t nameEnd = open;
    while (nameEnd > 0 && isSpaceChar(t[nameEnd - 1])) --nameEnd;
    uint32_t nameBegin = nameEnd;
    while (nameBegin > 0 && isNameChar(t[nameBegin - 1])) --nameBegin;
    const std::string name(t + nameBegin, nameEnd - nameBegin);
    if (name != builder)
        return editFail(error, errorSize,
                        "line %u calls %s(), which builds the slot through %s(): the value is computed",
                        lineAt(t, offset), name.c_str(), builder);
    constexpr int kMost = 16;
    uint32_t begins[kMost], ends[kMost], close = 0;
    const int count = splitList(t, n, open, begins, ends, kMost, close);
    if (count < 0 || count > kMost)
        return editFail(error, errorSize, "cannot read the call at line %u", lineAt(t, open));
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
                            argument + 1, lineAt(t, open));
        uint32_t inner[kMost], innerEnds[kMost], innerClose = 0;
        const int elements = splitList(t, n, begin, inner, innerEnds, kMost, innerClose);
        if (elements < 0 || elements > kMost || innerClose + 1 != end)
            return editFail(error, errorSize, "cannot read the list at line %u", lineAt(t, begin));
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

void formatNumberLiteral(float value, const char* before, char* out, size_t size) {
    float was = 0;
    if (before && readNumberLiteral(before, (uint32_t)std::strlen(before), was) && was == value &&
        std::signbit(was) == std::signbit(value)) {
        std::snprintf(out, size, "%s", before);
        return;
    }
    const bool wasWhole = before && before[0] && !std::strpbrk(before, ".eEfF");
    if (value == std::trunc(value) && std::fabs(value) < 1e7f && (wasWhole || !before || !before[0])) {
        std::snprintf(out, size, "%.0f", value == 0 ? 0.0 : (double)value);
        return;
    }
    char text[48];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, (double)value);
        if (std::strtof(text, nullptr) == value) break;
    }
    if (!std::strpbrk(text, ".e")) std::strcat(text, ".0"); // 2 written where a decimal stood: 2.0f
    std::snprintf(out, size, "%sf", text);
}

bool planLiteralEdit(const SourceFile& file, const SlotPlace& place, int field, float oldValue,
                     float newValue, const ValueNames* names, FieldValueFn siblingValue, const void* context,
                     LiteralEdit& edit, char* error, size_t errorSize) {
    edit = LiteralEdit{};
    if (!std::isfinite(newValue))
        return editFail(error, errorSize, "%g is not a number the show can hold; nothing changed",
                        (double)newValue);
    const SlotForm form = (SlotForm)place.form;
    const SlotArgument where = slotArgument(form, field);
    const char* fileName = placeFileName(place);
    if (!place.file || where.argument < 0)
        return editFail(error, errorSize, "%s:%u: the value is computed by %s(), not written as a literal",
                        fileName, place.line, slotFormBuilder(form));
    uint32_t offset = 0;
    if (!offsetOf(file.text, file.length, place.line, place.column, offset))
        return editFail(error, errorSize, "%s has no line %u column %u (changed since it was built?)",
                        fileName, place.line, place.column);
    CallArgument arg = {};
    char reason[512];
    if (!findCallArgument(file.text, file.length, offset, slotFormBuilder(form), where.argument,
                          where.element, arg, reason, sizeof reason))
        return editFail(error, errorSize, "%s:%u: %s", fileName, place.line, reason);
    if (arg.kind == ArgumentKind::expression) {
        const std::string text(file.text + arg.begin, arg.end - arg.begin);
        return editFail(error, errorSize, "%s:%u: the value is computed (%s); open the line to change it",
                        fileName, lineAt(file.text, arg.begin), text.c_str());
    }
    if (arg.kind == ArgumentKind::absent) {
        // The call leaves this argument and maybe some before it to their defaults: write them out.
        const int first = arg.present, last = where.element >= 0 ? where.element : where.argument;
        char text[kLiteralCapacity] = "";
        for (int k = first; k <= last; ++k) {
            int sibling = -1;
            for (int f = 0; f <= kCountField && sibling < 0; ++f) {
                const SlotArgument a = slotArgument(form, f);
                if (where.element >= 0 ? a.argument == where.argument && a.element == k
                                       : a.argument == k && a.element < 0)
                    sibling = f;
            }
            if (sibling < 0 || (sibling != field && !siblingValue))
                return editFail(error, errorSize,
                                "%s:%u: the call leaves out an argument before this value; open the line",
                                fileName, place.line);
            char item[64];
            const float v = sibling == field ? newValue : siblingValue(context, sibling);
            if (!valueText(v, sibling == field ? names : nullptr, item, sizeof item))
                return editFail(error, errorSize, "%s:%u: %g has no name here", fileName, place.line,
                                (double)v);
            const size_t used = std::strlen(text);
            std::snprintf(text + used, sizeof text - used, "%s%s", k ? ", " : "", item);
        }
        edit.begin = edit.end = arg.insertAt;
        std::snprintf(edit.text, sizeof edit.text, "%s", text);
        edit.line = lineAt(file.text, arg.insertAt);
        return true;
    }
    const uint32_t length = arg.end - arg.begin;
    if (length >= (uint32_t)kLiteralCapacity)
        return editFail(error, errorSize, "%s:%u: the argument is too long to rewrite", fileName, place.line);
    std::memcpy(edit.before, file.text + arg.begin, length);
    edit.before[length] = 0;
    edit.begin = arg.begin;
    edit.end = arg.end;
    edit.line = lineAt(file.text, arg.begin);
    // What stands there must be what the slot holds now, or the place is not this slot's any more.
    float written = 0;
    if (arg.kind == ArgumentKind::number) {
        readNumberLiteral(edit.before, length, written);
    } else {
        const ValueName* name = nameOf(names, edit.before, length);
        if (!name)
            return editFail(error, errorSize,
                            "%s:%u: %s is not a name this value takes; the value is computed", fileName,
                            edit.line, edit.before);
        written = (float)name->value;
    }
    if (written != oldValue)
        return editFail(error, errorSize,
                        "%s:%u: the file writes %s where the slot holds %g (changed since it was built?)",
                        fileName, edit.line, edit.before, (double)oldValue);
    if (names) {
        const ValueName* name = nameFor(names, newValue);
        if (!name)
            return editFail(error, errorSize, "%g is not one of the names this value takes",
                            (double)newValue);
        std::snprintf(edit.text, sizeof edit.text, "%s", name->symbol);
    } else if (arg.kind == ArgumentKind::name) {
        return editFail(error, errorSize, "%s:%u: %s is a name; pick another from the list", fileName,
                        edit.line, edit.before);
    } else {
        formatNumberLiteral(newValue, edit.before, edit.text, sizeof edit.text);
    }
    return true;
}

bool applyLiteralEdit(SourceFile& file, const LiteralEdit& edit) {
    const uint32_t add = (uint32_t)std::strlen(edit.text), removed = edit.end - edit.begin;
    if (edit.end < edit.begin || edit.end > file.length || file.length - removed + add > kSourceFileCapacity)
        return false;
    std::memmove(file.text + edit.begin + add, file.text + edit.end, file.length - edit.end);
    std::memcpy(file.text + edit.begin, edit.text, add);
    file.length = file.length - removed + add;
    return true;
}
