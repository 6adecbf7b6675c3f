// enum_names.h - the names of an enum's entries, read from the enum's own source text, so a table of
// names can never fall out of step with the enum it names (the edit mode shows scene slots and tracks
// by these names).
//
//     QZ_NAMED_ENUM(Slot, int32_t,
//         kTime,
//         kEye,
//         kCube = 18, // pinned
//         kSlotCount, );
//     constexpr EnumNames kSlotNames = readEnumNames(SlotText);     // SlotText: the list as written
//     static_assert(kSlotNames.ok && kSlotNames.last == kSlotCount);
//     enumName(kSlotNames, 18)                                      // "kCube"
//
// An entry is `name`, `name = value` or `name = expression`, where an expression adds, subtracts and
// multiplies whole numbers and earlier names (`kAlpha0 + 5 * 7`). `last` is the last entry's value (the
// slot count where the enum closes with a count entry). Anything else clears `ok`, which the
// static_assert above turns into a compile error in the file that declares the enum.
#pragma once

#include <cstdint>

// Declares `enum Name : Type { ... }` and keeps the list's text, comments stripped, in `NameText`.
#define QZ_NAMED_ENUM(Name, Type, ...)                                                                       \
    enum Name : Type { __VA_ARGS__ };                                                                        \
    inline constexpr char Name##Text[] = #__VA_ARGS__

inline constexpr int kEnumNameCapacity = 256;      // values 0..255 can be named
inline constexpr int kEnumNameTextCapacity = 3072; // names, each ended by a zero

struct EnumNames {
    char text[kEnumNameTextCapacity];
    int16_t offset[kEnumNameCapacity]; // where the name of each value starts in `text`; -1 = none
    int32_t last;                      // the value of the last entry
    bool ok;                           // the list was read whole
};

namespace enum_names_detail {

struct Reader {
    const char* s;
    int pos;
    EnumNames* out;
    int used; // bytes of out->text in use

    constexpr char peek() {
        while (s[pos] == ' ' || s[pos] == '\n' || s[pos] == '\t') ++pos;
        return s[pos];
    }
    static constexpr bool isNameChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    }
    // The value of a name already read, by comparing it with every named value.
    constexpr bool valueOf(int start, int length, int32_t& value) const {
        for (int v = 0; v < kEnumNameCapacity; ++v) {
            const int at = out->offset[v];
            if (at < 0) continue;
            int i = 0;
            while (i < length && out->text[at + i] == s[start + i]) ++i;
            if (i == length && out->text[at + i] == 0) {
                value = v;
                return true;
            }
        }
        return false;
    }
    constexpr bool term(int32_t& value) {
        const char c = peek();
        if (c >= '0' && c <= '9') {
            value = 0;
            while (s[pos] >= '0' && s[pos] <= '9') value = value * 10 + (s[pos++] - '0');
            return true;
        }
        const int start = pos;
        while (isNameChar(s[pos])) ++pos;
        return pos > start && valueOf(start, pos - start, value);
    }
    constexpr bool product(int32_t& value) {
        if (!term(value)) return false;
        while (peek() == '*') {
            ++pos;
            int32_t factor = 0;
            if (!term(factor)) return false;
            value *= factor;
        }
        return true;
    }
    constexpr bool sum(int32_t& value) {
        if (!product(value)) return false;
        for (char c = peek(); c == '+' || c == '-'; c = peek()) {
            ++pos;
            int32_t other = 0;
            if (!product(other)) return false;
            value = c == '+' ? value + other : value - other;
        }
        return true;
    }
    // One entry: its name, its value, and the separator after it.
    constexpr bool entry(int32_t& next) {
        const int start = pos;
        while (isNameChar(s[pos])) ++pos;
        const int length = pos - start;
        if (length == 0 || used + length + 1 > kEnumNameTextCapacity) return false;
        if (peek() == '=') {
            ++pos;
            if (!sum(next)) return false;
        }
        if (next < 0 || next >= kEnumNameCapacity) return false;
        out->offset[next] = (int16_t)used;
        for (int i = 0; i < length; ++i) out->text[used++] = s[start + i];
        out->text[used++] = 0;
        ++next;
        const char c = peek();
        if (c == ',') ++pos;
        return c == ',' || c == 0;
    }
};

} // namespace enum_names_detail

constexpr EnumNames readEnumNames(const char* text) {
    EnumNames names{};
    for (int16_t& at : names.offset) at = -1;
    enum_names_detail::Reader reader{text, 0, &names, 0};
    int32_t next = 0;
    while (reader.peek() != 0) {
        if (!reader.entry(next)) return names; // ok stays false
        names.last = next - 1;
    }
    names.ok = true;
    return names;
}

// The name of `value`, or nullptr where no entry has it.
constexpr const char* enumName(const EnumNames& names, int32_t value) {
    if (value < 0 || value >= kEnumNameCapacity || names.offset[value] < 0) return nullptr;
    return names.text + names.offset[value];
}
