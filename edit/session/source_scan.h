// source_scan.h - a scene file's text read as C++ just far enough to find what the edits change:
// comments, strings and nesting skipped, a line and column turned into an offset, the calls that set a
// slot (`s[kAt] = call(...)`) or of a builder, a scene's `SceneEntry`, a call's arguments split and each
// told a number, a name or an expression. Works on a text and its length, not on files; refusals come
// back as editFail's (source_edit.h).
//
//     uint32_t at = 0, calls[8];
//     offsetOf(text, length, place.line, place.column, at);   // the call the compiler named
//     CallArgument arg = {};
//     if (findCallArgument(text, length, at, "constant", 1, -1, arg, error, sizeof error) &&
//         arg.kind == ArgumentKind::number) ...                 // text[arg.begin..arg.end) is a literal
//     int n = findSlotCalls(text, length, "kAt", calls, 8);    // every `s[kAt] = f(...)`
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/printf_check.h"

// What an argument of a call holds.
enum class ArgumentKind : uint8_t {
    number,     // a decimal literal, optionally signed and with an f suffix
    name,       // one identifier, possibly qualified (kMeshCube, shader_entry::juliaVS)
    expression, // anything else
    absent,     // the call leaves it out (its default applies)
};

struct CallArgument {
    ArgumentKind kind;
    uint32_t begin; // the argument's bytes, spaces around it left out
    uint32_t end;
    uint32_t insertAt; // absent: where a new argument or element goes (before the ')' or '}')
    int present;       // absent: how many arguments (or elements of the braces) the call writes
};

bool isNameChar(char c);  // a letter, a digit or '_'
bool isSpaceChar(char c); // a space, tab, newline or carriage return
// Past a comment, string or character literal starting at `at`; `at` itself where none starts there.
uint32_t pastCommentOrString(const char* text, uint32_t length, uint32_t at);

// Offset of the start of line `line` (1-based) plus column - 1; false when the text is shorter.
bool offsetOf(const char* text, uint32_t length, uint32_t line, uint32_t column, uint32_t& offset);

// The call at `offset` (its name or its '('): its name must be `builder`. Finds argument `argument`
// and, with element >= 0, element `element` of the braces that argument is.
bool findCallArgument(const char* text, uint32_t length, uint32_t offset, const char* builder, int argument,
                      int element, CallArgument& out, char* error, size_t errorSize);

// The offsets of the calls that write slot `slot` (a name: "kAt") as `s[kAt] = call(...)`: each one's
// callee name, comments and strings skipped. Returns how many there are (up to `capacity` kept).
int findSlotCalls(const char* text, uint32_t length, const char* slot, uint32_t* calls, int capacity);

// The offsets of the calls of `callee` ("addOrbitingEye") in the text, in order: the name followed by
// its '(' (comments and strings skipped). Returns how many there are (up to `capacity` kept).
int findCalls(const char* text, uint32_t length, const char* callee, uint32_t* calls, int capacity);

// The first use of `word` as a whole name outside comments and strings; false where none.
bool findWord(const char* text, uint32_t length, const char* word, uint32_t& at);

// The offset of `SceneEntry sceneN` (scene `scene`'s entry) in the text; false when it holds none.
bool findSceneEntry(const char* text, uint32_t length, int scene, uint32_t& offset);

// The callee name of the call at `offset` ("constant"), at most `size` - 1 bytes.
void calleeName(const char* text, uint32_t length, uint32_t offset, char* out, size_t size);

// The line (1-based) of the byte at `offset`.
uint32_t lineOf(const char* text, uint32_t offset);

// A number literal's value ("0.25f", "-3", "1e-3f"); false when the text is not one.
bool readNumberLiteral(const char* text, uint32_t length, float& value);

// Writes the reason into `error`, printf-style, and returns false: `return editFail(error, size, ...)`.
// Every function of the session that can refuse reports this way: false, and why in a caller's buffer.
bool editFail(char* error, size_t size, const char* format, ...) QZ_PRINTF_CHECK(3, 4);
