// slot_text.h - a scene file's text read for structural changes: lines and whole names, a statement as
// whole lines, the slot enum (`QZ_NAMED_ENUM(Slot, int32_t, ...)`) read as the compiler reads it, and
// a slot's builder call written in the files' style. Offsets into a text and its length, as
// source_scan.h; the plans of slot_structure.h are made of these.
//
//     EnumNames names = {};
//     int32_t count = 0;
//     readSlotEnum(text, length, names, count, error, sizeof error); // the slots the file names
//     slotCallText(node, names, call, sizeof call);                   // "constant(0.5f, 1)"
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/enum_names.h"
#include "director/director_types.h"
#include "edit/session/source_edit.h"

uint32_t lineStartOf(const char* text, uint32_t at);
uint32_t nextLineStart(const char* text, uint32_t length, uint32_t at);
std::string indentOf(const char* text, uint32_t length, uint32_t lineStart); // the blanks a line starts with

// The statement that starts at `statementStart` and ends with its ';', as whole lines: from its line's
// start to the start of the line after the ';'. False where something else stands before it on its
// line, or after the ';' but a comment.
bool statementLines(const char* text, uint32_t length, uint32_t statementStart, uint32_t& begin,
                    uint32_t& end);
// `s[kName] = ...;` as whole lines; false where the file has no such statement, or more than one.
bool slotStatement(const SourceFile& file, const char* name, uint32_t& begin, uint32_t& end);

// The slot enum's list: from past the type's comma to the closing ')'.
bool findSlotEnum(const char* text, uint32_t length, uint32_t& open, uint32_t& close);
// The line of the enum entry `name` (whole), and whether it gives its number (`kCrown = 20`).
bool findEntryLine(const char* text, uint32_t open, uint32_t close, const char* name, uint32_t& begin,
                   uint32_t& end, bool& pinned);

// The slot enum read as the compiler will: names by number, and `count` (the value of its last entry,
// kSlotCount). False with the reason where the enum is missing, cannot be read, or gives two entries
// one number.
bool readSlotEnum(const char* text, uint32_t length, EnumNames& names, int32_t& count, char* error,
                  size_t size);
inline constexpr size_t kSourceColumns = 110; // the files' line length (.clang-format's ColumnLimit)

// A statement of one line broken as clang-format breaks a call's arguments: after the last top-level
// comma that fits, the next line under the call's first argument.
std::string wrapStatement(const std::string& line);

// A statement of several lines as one (its breaks become single spaces); empty where it holds a comment.
std::string joinStatement(const std::string& lines);

// The number the enum gives `name`; kNone (-1) where it names none so.
int32_t slotNumber(const EnumNames& names, const char* name);
// How many numbers below `count` the enum names not (the slots of a group: `kAlpha0 + 3`).
int unnamedSlots(const EnumNames& names, int32_t count);

// The call that builds `node` in the scene files' own style: `constant(0.5f, 1)`, `drawMesh({kPos,
// kSize}, kMeshCube, 1, kVsBaseCook, ...)`, else `node(kOpAdd, {kA, kB}, {}, 20)`; inputs by `names`.
// False where the text would not fit or an input has no name. `form` gets the builder's SlotForm.
bool slotCallText(const NodeSource& node, const EnumNames& names, char* out, size_t size,
                  int32_t* form = nullptr);

// The operation's enum name ("kOpAdd"), "(no operation)" for a number outside the table.
const char* operationName(int32_t op);

// The input `input` of operation `op` is one it reads (its reference names it: "in0", "in3..in7").
bool operationReadsInput(int32_t op, int input);
