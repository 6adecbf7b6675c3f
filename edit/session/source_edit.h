// source_edit.h - a slot's value written back into its scene file: the builder call at the slot's
// place (file, line, column, from the compiler), the one literal of that call that holds the value,
// replaced by the new one, and every other byte of the file left as it was. No window, no GL: the
// edit mode and the tests call the same functions.
//
//     SourceFile file = {};
//     readSourceFile("data/scene_04_drop.cpp", file, error, sizeof error);
//     LiteralEdit edit = {};
//     if (planLiteralEdit(file, place, field, oldValue, newValue, nullptr, edit, error, sizeof error))
//         applyLiteralEdit(file, edit);               // the text, in memory
//     writeSourceFile(file, onDisk, changed, error, sizeof error); // atomic; refused when it changed on disk
//
// A value is written only where the call writes it as a number (`0.25f`, `-3`, `2`) or a name of
// the data (`kMeshCube`): an expression (`kBarFrames - 3`), a value the builder computes, or a call
// written once for several slots is refused with the reason ("the value is computed ...").
// The calls and their arguments are found in the text by source_scan.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/printf_check.h"
#include "data/scene_data.h"
#include "data/value_names.h"
#include "edit/session/source_scan.h"

inline constexpr uint32_t kSourceFileCapacity = 1 << 17; // bytes of one scene file
inline constexpr int kLiteralCapacity = 160;             // bytes of an argument's text

struct SourceFile {
    char path[1024];
    char text[kSourceFileCapacity];
    uint32_t length;
    char disk[kSourceFileCapacity]; // the bytes as last read from or written to disk
    uint32_t diskLength;
};

// One replacement in the text: bytes begin..end become `text`.
struct LiteralEdit {
    uint32_t begin;
    uint32_t end;
    char text[kLiteralCapacity];
    char before[kLiteralCapacity]; // what stood there
    uint32_t line;                 // of the literal (1-based), for messages
};

bool readSourceFile(const char* path, SourceFile& file, char* error, size_t errorSize);

// Writes the text over the file atomically (a temporary in the same folder, renamed; mode kept).
// Refused, writing nothing, when the file on disk is no longer the one last read or written, or it or
// its folder cannot be written; `changed` is then set for the first case. `onDisk` is where the file
// on disk is read to compare (large: keep it off the stack). The edit session writes through
// writeFileChange (file_change.h), which does this for every file of a change at once.
bool writeSourceFile(SourceFile& file, SourceFile& onDisk, bool& changed, char* error, size_t errorSize);

// The literal for `value`, in the style of `before` (the literal it replaces): `before` itself when it
// already reads as `value`; a whole number stays whole where `before` was; else the shortest decimal
// that reads back as exactly `value`, with an f suffix.
void formatNumberLiteral(float value, const char* before, char* out, size_t size);

// Plans writing field `field` (0..7: a parameter, 8: the element count) of the slot written at
// `place`, whose value is now `oldValue`, as `newValue`. `names` lists the names the field takes
// (null for a plain number); `siblingValue(field)` gives the slot's other fields for arguments the call
// leaves out before this one. False with the reason when the value cannot be written there.
using FieldValueFn = float (*)(const void* context, int field);
bool planLiteralEdit(const SourceFile& file, const SlotPlace& place, int field, float oldValue,
                     float newValue, const ValueNames* names, FieldValueFn siblingValue, const void* context,
                     LiteralEdit& edit, char* error, size_t errorSize);

// Finds the length literal of scene `scene` in its file's text (`SceneEntry sceneN = {nodes, LENGTH}`),
// checks it reads `oldFrames` and plans it as `newFrames`. False with the reason (a computed length, a
// file that no longer holds the entry, a different value there).
bool planLengthEdit(const SourceFile& file, int scene, int32_t oldFrames, int32_t newFrames,
                    LiteralEdit& edit, char* error, size_t errorSize);

// Replaces the edit's bytes in the text; false when the text would not fit.
bool applyLiteralEdit(SourceFile& file, const LiteralEdit& edit);
// Bytes begin..end of the text become `text`; false, changing nothing, where they are not in the text
// or the text would not fit.
bool replaceText(SourceFile& file, uint32_t begin, uint32_t end, const char* text);

// The file name a place names, without its folders ("scene_04_drop.cpp").
const char* placeFileName(const SlotPlace& place);
