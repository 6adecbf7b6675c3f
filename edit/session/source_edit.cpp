// source_edit.cpp - scene files read and written atomically, and the literal that holds a value found
// (source_scan.cpp reads the calls), formatted and replaced.
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
// Refusals
//-----------------------------------------------------------------------------

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

bool writeSourceFile(SourceFile& file, SourceFile& onDisk, bool& changed, char* error, size_t errorSize) {
    changed = false;
    char readError[1200];
    if (!readSourceFile(file.path, onDisk, readError, sizeof readError))
        return editFail(error, errorSize, "%s", readError);
    if (onDisk.length != file.diskLength || std::memcmp(onDisk.text, file.disk, onDisk.length) != 0) {
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
// Literals
//-----------------------------------------------------------------------------

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

namespace {

// The argument of the slot's call that holds field `field`, as the file stands now. Refused, naming
// the line, where the value is computed: by the builder, or by an expression the file writes there.
bool findFieldArgument(const SourceFile& file, const SlotPlace& place, int field, CallArgument& arg,
                       char* error, size_t errorSize) {
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
    char reason[512];
    if (!findCallArgument(file.text, file.length, offset, slotFormBuilder(form), where.argument,
                          where.element, arg, reason, sizeof reason))
        return editFail(error, errorSize, "%s:%u: %s", fileName, place.line, reason);
    if (arg.kind == ArgumentKind::expression) {
        const std::string text(file.text + arg.begin, arg.end - arg.begin);
        return editFail(error, errorSize, "%s:%u: the value is computed (%s); open the line to change it",
                        fileName, lineOf(file.text, arg.begin), text.c_str());
    }
    return true;
}

// The call leaves this argument and maybe some before it to their defaults: write them out, this
// field as `newValue`, the others as `siblingValue` gives them.
bool planLeftOut(const SourceFile& file, const SlotPlace& place, int field, float newValue,
                 const ValueNames* names, FieldValueFn siblingValue, const void* context,
                 const CallArgument& arg, LiteralEdit& edit, char* error, size_t errorSize) {
    const SlotForm form = (SlotForm)place.form;
    const SlotArgument where = slotArgument(form, field);
    const char* fileName = placeFileName(place);
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
            return editFail(error, errorSize, "%s:%u: %g has no name here", fileName, place.line, (double)v);
        const size_t used = std::strlen(text);
        std::snprintf(text + used, sizeof text - used, "%s%s", k ? ", " : "", item);
    }
    edit.begin = edit.end = arg.insertAt;
    std::snprintf(edit.text, sizeof edit.text, "%s", text);
    edit.line = lineOf(file.text, arg.insertAt);
    return true;
}

// The literal the call writes for the field: it must read as `oldValue` (or the place is not this
// slot's any more), and becomes `newValue` in its own style, or the name `names` gives the value.
bool planWritten(const SourceFile& file, const SlotPlace& place, float oldValue, float newValue,
                 const ValueNames* names, const CallArgument& arg, LiteralEdit& edit, char* error,
                 size_t errorSize) {
    const char* fileName = placeFileName(place);
    const uint32_t length = arg.end - arg.begin;
    if (length >= (uint32_t)kLiteralCapacity)
        return editFail(error, errorSize, "%s:%u: the argument is too long to rewrite", fileName, place.line);
    std::memcpy(edit.before, file.text + arg.begin, length);
    edit.before[length] = 0;
    edit.begin = arg.begin;
    edit.end = arg.end;
    edit.line = lineOf(file.text, arg.begin);
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

} // namespace

bool planLiteralEdit(const SourceFile& file, const SlotPlace& place, int field, float oldValue,
                     float newValue, const ValueNames* names, FieldValueFn siblingValue, const void* context,
                     LiteralEdit& edit, char* error, size_t errorSize) {
    edit = LiteralEdit{};
    if (!std::isfinite(newValue))
        return editFail(error, errorSize, "%g is not a number the show can hold; nothing changed",
                        (double)newValue);
    CallArgument arg = {};
    if (!findFieldArgument(file, place, field, arg, error, errorSize)) return false;
    if (arg.kind == ArgumentKind::absent)
        return planLeftOut(file, place, field, newValue, names, siblingValue, context, arg, edit, error,
                           errorSize);
    return planWritten(file, place, oldValue, newValue, names, arg, edit, error, errorSize);
}

bool applyLiteralEdit(SourceFile& file, const LiteralEdit& edit) {
    return replaceText(file, edit.begin, edit.end, edit.text);
}

bool replaceText(SourceFile& file, uint32_t begin, uint32_t end, const char* text) {
    const uint32_t add = (uint32_t)std::strlen(text), removed = end - begin;
    if (end < begin || end > file.length || file.length - removed + add > kSourceFileCapacity) return false;
    std::memmove(file.text + begin + add, file.text + end, file.length - end);
    std::memcpy(file.text + begin, text, add);
    file.length = file.length - removed + add;
    return true;
}
