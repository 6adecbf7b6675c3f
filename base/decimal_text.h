// decimal_text.h - whole decimal numbers typed by a person, as every integer option reads them.
//
//     int64_t frame = 0;
//     DecimalFault fault = readDecimal(text, 0, 7831, frame);
//     if (fault != DecimalFault::none)
//         fprintf(stderr, "%s\n", decimalFaultText("--frame", text, fault, 0, 7831, nullptr).c_str());
//
// Digits only, after an optional '+' or '-': a leading zero is just a zero (07000 is seven thousand,
// never octal), and "0x10", "", " 7", "7k" or "1e3" are not numbers. A number too large for any
// integer type is out of range like any other, never wrapped.
#pragma once

#include <cstdint>
#include <string>

enum class DecimalFault : uint8_t {
    none,       // `value` holds the number
    notWhole,   // not a whole decimal number
    outOfRange, // a number, outside min..max
};

DecimalFault readDecimal(const char* text, int64_t min, int64_t max, int64_t& value);

// One line naming the option and the value as typed: "--frame 0x10 is not a whole decimal number",
// "--frame 9000 is outside 0..7831", or "... is outside <range>" when `range` is given ("the show
// (frames 0..7831)"). An empty value shows as "".
std::string decimalFaultText(const char* name, const char* text, DecimalFault fault, int64_t min, int64_t max,
                             const char* range);

// The shortest decimal that reads back as the same float: "40", "-900", "4.3", "1e+07"; a whole number
// below 1e7 without a point. What a file or a document writes of a value it must read back exactly.
void writeShortestFloat(float v, char* out, size_t size);
