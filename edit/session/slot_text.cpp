// slot_text.cpp - lines, whole names and statements of a scene file; its slot enum read as the
// compiler reads it; builder calls written in the files' style.
#include "edit/session/slot_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/scene_build.h"
#include "data/value_names.h"
#include "director/node_info.h"

//-----------------------------------------------------------------------------
// Lines, words and statements
//-----------------------------------------------------------------------------

uint32_t lineStartOf(const char* t, uint32_t at) {
    while (at > 0 && t[at - 1] != '\n') --at;
    return at;
}

uint32_t nextLineStart(const char* t, uint32_t n, uint32_t at) {
    while (at < n && t[at] != '\n') ++at;
    return at < n ? at + 1 : n;
}

// The blanks a line starts with, as text.
std::string indentOf(const char* t, uint32_t n, uint32_t lineStart) {
    uint32_t at = lineStart;
    while (at < n && (t[at] == ' ' || t[at] == '\t')) ++at;
    return std::string(t + lineStart, at - lineStart);
}

namespace {

bool onlyBlanksBefore(const char* t, uint32_t at) {
    for (uint32_t i = lineStartOf(t, at); i < at; ++i)
        if (t[i] != ' ' && t[i] != '\t') return false;
    return true;
}

} // namespace

// The statement that starts a line at or before `at` and ends with the ';' closing it: from its line's
// start to the start of the line after the ';'. False where something else stands before it on its
// line, or after the ';' but a comment.
bool statementLines(const char* t, uint32_t n, uint32_t statementStart, uint32_t& begin, uint32_t& end) {
    if (!onlyBlanksBefore(t, statementStart)) return false;
    begin = lineStartOf(t, statementStart);
    int depth = 0;
    for (uint32_t i = statementStart; i < n;) {
        const uint32_t past = pastCommentOrString(t, n, i);
        if (past != i) {
            i = past;
            continue;
        }
        const char c = t[i];
        depth += (c == '(' || c == '[' || c == '{') - (c == ')' || c == ']' || c == '}');
        if (depth < 0) return false;
        if (c == ';' && depth == 0) {
            uint32_t after = i + 1;
            while (after < n && (t[after] == ' ' || t[after] == '\t')) ++after;
            const bool comment = after + 1 < n && t[after] == '/' && t[after + 1] == '/';
            if (after < n && t[after] != '\n' && !comment) return false;
            end = nextLineStart(t, n, i);
            return true;
        }
        ++i;
    }
    return false;
}

// `s[kName] = ...;` as whole lines: false where the file has no such statement, or more than one.
bool slotStatement(const SourceFile& file, const char* name, uint32_t& begin, uint32_t& end) {
    uint32_t call = 0;
    if (findSlotCalls(file.text, file.length, name, &call, 1) != 1) return false;
    uint32_t at = call; // back over `s[kName] = ` (the call may stand on the line after the '=')
    while (at > 1 && !(file.text[at - 2] == 's' && file.text[at - 1] == '[')) --at;
    at = at > 1 ? at - 2 : 0;
    const uint32_t line = lineStartOf(file.text, at);
    uint32_t first = line;
    while (first < at && (file.text[first] == ' ' || file.text[first] == '\t')) ++first;
    return first == at && file.text[at] == 's' && statementLines(file.text, file.length, at, begin, end);
}

//-----------------------------------------------------------------------------
// The slot enum
//-----------------------------------------------------------------------------

// The list of `QZ_NAMED_ENUM(Slot, int32_t, ...)`: from past the type's comma to the closing ')'.
bool findSlotEnum(const char* t, uint32_t n, uint32_t& open, uint32_t& close) {
    uint32_t at = 0;
    if (!findWord(t, n, "QZ_NAMED_ENUM", at)) return false;
    const char* head = "QZ_NAMED_ENUM(Slot,";
    if (n - at < std::strlen(head) || std::memcmp(t + at, head, std::strlen(head)) != 0) return false;
    uint32_t i = at + (uint32_t)std::strlen(head);
    while (i < n && t[i] != ',') ++i;
    open = i + 1;
    int depth = 1;
    for (uint32_t j = open; j < n;) {
        const uint32_t past = pastCommentOrString(t, n, j);
        if (past != j) {
            j = past;
            continue;
        }
        depth += (t[j] == '(') - (t[j] == ')');
        if (depth == 0) {
            close = j;
            return true;
        }
        ++j;
    }
    return false;
}

// The line of the enum entry `name`: whole, and whether it gives its number (`kCrown = 20`).
bool findEntryLine(const char* t, uint32_t open, uint32_t close, const char* name, uint32_t& begin,
                   uint32_t& end, bool& pinned) {
    const uint32_t length = (uint32_t)std::strlen(name);
    for (uint32_t line = lineStartOf(t, open); line < close; line = nextLineStart(t, close, line)) {
        uint32_t at = line < open ? open : line;
        while (at < close && isSpaceChar(t[at]) && t[at] != '\n') ++at;
        if (at + length > close || std::memcmp(t + at, name, length) != 0 || isNameChar(t[at + length]))
            continue;
        uint32_t after = at + length;
        while (after < close && t[after] == ' ') ++after;
        pinned = t[after] == '=';
        begin = line;
        end = nextLineStart(t, close, line);
        return line >= open || onlyBlanksBefore(t, at);
    }
    return false;
}

namespace {

// How many entries the list holds (top-level items between commas).
int countEntries(const char* list) {
    int count = 0;
    bool item = false;
    for (const char* p = list; *p; ++p) {
        if (*p == ',') {
            count += item;
            item = false;
        } else if (!isSpaceChar(*p)) {
            item = true;
        }
    }
    return count + item;
}

} // namespace

//-----------------------------------------------------------------------------
// Builder calls
//-----------------------------------------------------------------------------

namespace {

struct TextOut {
    char* out;
    size_t size;
    size_t used;
    bool ok;
    void put(const char* s) {
        const int n = std::snprintf(out + used, size - used, "%s", s);
        if (n < 0 || (size_t)n >= size - used)
            ok = false;
        else
            used += (size_t)n;
    }
    void number(float v) {
        char text[48];
        formatNumberLiteral(v, "", text, sizeof text);
        put(text);
    }
};

const char* valueSymbol(ParamKind kind, float v) {
    const ValueNames names = valueNamesOf(kind);
    for (int i = 0; i < names.count; ++i)
        if ((float)names.names[i].value == v) return names.names[i].symbol;
    return nullptr;
}

bool putInputs(TextOut& w, const NodeSource& node, int count, const EnumNames& names) {
    w.put("{");
    for (int i = 0; i < count; ++i) {
        const char* name = node.inputs[i] < 0 ? "kNone" : enumName(names, node.inputs[i]);
        if (!name) return false;
        w.put(i ? ", " : "");
        w.put(name);
    }
    w.put("}");
    return true;
}

int usedInputs(const NodeSource& node) {
    int count = 8;
    while (count > 0 && node.inputs[count - 1] < 0) --count;
    return count;
}

int usedParams(const NodeSource& node) {
    int count = 8;
    while (count > 0 && node.params[count - 1] == 0 && !std::signbit(node.params[count - 1])) --count;
    return count;
}

// drawMesh({inputs}, mesh, instances, vs, ps, texture, list) where every name is known.
bool drawMeshText(TextOut& w, const NodeSource& node, const EnumNames& names) {
    const ParamKind kinds[6] = {kParamMesh,        kParamWhole, kParamVertexShader,
                                kParamPixelShader, kParamImage, kParamDrawList};
    const char* symbols[6] = {};
    for (int p = 0; p < 6; ++p)
        if (kinds[p] != kParamWhole && !(symbols[p] = valueSymbol(kinds[p], node.params[p]))) return false;
    if (node.params[1] != std::trunc(node.params[1]) || usedInputs(node) > 6 || usedParams(node) > 6)
        return false;
    w.put("drawMesh(");
    if (!putInputs(w, node, usedInputs(node), names)) return false;
    for (int p = 0; p < 6; ++p) {
        w.put(", ");
        if (symbols[p])
            w.put(symbols[p]);
        else
            w.number(node.params[p]);
    }
    w.put(")");
    return true;
}

} // namespace

bool slotCallText(const NodeSource& node, const EnumNames& names, char* out, size_t size, int32_t* form) {
    int32_t unused = 0;
    int32_t& builder = form ? *form : unused;
    TextOut w = {out, size, 0, size > 0};
    if (size) out[0] = 0;
    const int inputs = usedInputs(node), params = usedParams(node);
    if (node.op == kOpConstant && inputs == 0 && node.outputCount == 1 && params <= 4) {
        w.put("constant(");
        for (int p = 0; p < (params ? params : 1); ++p) {
            w.put(p ? ", " : "");
            w.number(node.params[p]);
        }
        w.put(")");
        builder = kFormConstant;
        return w.ok;
    }
    if (node.op == kOpDrawMesh && node.outputCount == 1) {
        TextOut draw = w;
        builder = kFormDrawMesh;
        if (drawMeshText(draw, node, names)) return draw.ok;
        out[0] = 0;
    }
    builder = kFormNode;
    const char* op = enumName(kNodeOpNames, node.op);
    if (!op) return false;
    w.put("node(");
    w.put(op);
    w.put(", ");
    if (!putInputs(w, node, inputs, names)) return false;
    w.put(", {");
    for (int p = 0; p < params; ++p) {
        w.put(p ? ", " : "");
        w.number(node.params[p]);
    }
    w.put("}");
    if (node.outputCount != 1) {
        char count[16];
        std::snprintf(count, sizeof count, ", %u", node.outputCount);
        w.put(count);
    }
    w.put(")");
    return w.ok;
}

bool readSlotEnum(const char* text, uint32_t length, EnumNames& names, int32_t& count, char* error,
                  size_t size) {
    uint32_t open = 0, close = 0;
    if (!findSlotEnum(text, length, open, close))
        return editFail(error, size, "no slot enum `QZ_NAMED_ENUM(Slot, int32_t, ...)` in the file");
    static_assert(kEnumNameTextCapacity * 4 < 1 << 15);
    char list[1 << 15];
    if (close - open >= sizeof list) return editFail(error, size, "the slot enum is too long to read");
    uint32_t used = 0;
    for (uint32_t at = open; at < close;) { // comments become blanks, as the compiler sees them
        const uint32_t past = pastCommentOrString(text, length, at);
        if (past != at && text[at] == '/') {
            for (; at < past; ++at) list[used++] = text[at] == '\n' ? '\n' : ' ';
            continue;
        }
        list[used++] = text[at++];
    }
    list[used] = 0;
    names = readEnumNames(list);
    if (!names.ok) return editFail(error, size, "the slot enum cannot be read as the compiler would");
    count = names.last;
    int named = 0;
    for (int32_t v = 0; v <= count && v < kEnumNameCapacity; ++v) named += names.offset[v] >= 0;
    if (named != countEntries(list))
        return editFail(error, size, "two entries of the slot enum would have the same number");
    return true;
}

namespace {

// The arguments broken after the last top-level comma that fits, the next lines under the first.
std::string wrapArguments(const std::string& line) {
    const size_t open = line.find('(');
    const std::string indent(open + 1, ' '); // the next lines start under the call's first argument
    std::string out;
    size_t start = 0, fits = 0; // the current line's first byte; its last break that fits
    int depth = 0;
    for (size_t i = open; i < line.size(); ++i) {
        depth += (line[i] == '(' || line[i] == '{') - (line[i] == ')' || line[i] == '}');
        const size_t width = (start ? indent.size() : 0) + i + 1 - start;
        if (depth == 1 && line[i] == ',' && width <= kSourceColumns) fits = i + 1;
        if (width > kSourceColumns && fits > start) {
            out += (start ? indent : "") + line.substr(start, fits - start) + "\n";
            start = fits + (line[fits] == ' ');
            i = start - 1;
            fits = start;
        }
    }
    return out + (start ? indent : "") + line.substr(start);
}

} // namespace

std::string wrapStatement(const std::string& line) {
    if (line.size() <= kSourceColumns || line.find('(') == std::string::npos) return line;
    const std::string wrapped = wrapArguments(line);
    // Where that leaves one argument alone on the last line and the call fits on a line of its own,
    // clang-format breaks after the '=' instead.
    const size_t equals = line.find(" = "), last = wrapped.rfind('\n');
    const size_t indent = line.find_first_not_of(' ');
    const bool alone = last != std::string::npos && wrapped.find(", ", last) == std::string::npos;
    if (equals == std::string::npos || !alone || indent + 4 + line.size() - equals - 3 > kSourceColumns)
        return wrapped;
    return line.substr(0, equals + 2) + "\n" + std::string(indent + 4, ' ') + line.substr(equals + 3);
}

std::string joinStatement(const std::string& lines) {
    if (lines.find("//") != std::string::npos || lines.find("/*") != std::string::npos) return "";
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != '\n') {
            out += lines[i];
            continue;
        }
        while (i + 1 < lines.size() && (lines[i + 1] == ' ' || lines[i + 1] == '\t')) ++i;
        if (i + 1 < lines.size() && !out.empty() && out.back() != '(' && out.back() != '{') out += ' ';
    }
    return out;
}

int32_t slotNumber(const EnumNames& names, const char* name) {
    for (int32_t v = 0; v < kEnumNameCapacity; ++v) {
        const char* n = enumName(names, v);
        if (n && std::strcmp(n, name) == 0) return v;
    }
    return -1;
}

int unnamedSlots(const EnumNames& names, int32_t count) {
    int unnamed = 0;
    for (int32_t v = 0; v < count && v < kEnumNameCapacity; ++v) unnamed += names.offset[v] < 0;
    return unnamed;
}

const char* operationName(int32_t op) {
    const char* name = enumName(kNodeOpNames, op);
    return name ? name : "(no operation)";
}

bool operationReadsInput(int32_t op, int input) {
    const char* text = nodeOpInfo(op).inputs;
    for (const char* p = text; p && (p = std::strstr(p, "in")) != nullptr; p += 2) {
        if ((p > text && isNameChar(p[-1])) || !std::isdigit((unsigned char)p[2])) continue;
        const int first = p[2] - '0';
        int last = first;
        if (p[3] == '.' && p[4] == '.' && p[5] == 'i' && p[6] == 'n' && std::isdigit((unsigned char)p[7]))
            last = p[7] - '0';
        if (input >= first && input <= last) return true;
    }
    return false;
}
