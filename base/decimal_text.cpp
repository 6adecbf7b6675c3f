// decimal_text.cpp - digit by digit, saturating instead of wrapping.
#include "base/decimal_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

DecimalFault readDecimal(const char* text, int64_t min, int64_t max, int64_t& value) {
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p == 0) return DecimalFault::notWhole;
    // The magnitude, held at 2^63 + 1 once past 2^63: every such number is out of every int64 range.
    const uint64_t ceiling = uint64_t(1) << 63, held = ceiling + 1;
    uint64_t magnitude = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9') return DecimalFault::notWhole;
        const uint64_t digit = uint64_t(*p - '0');
        magnitude = magnitude > (held - digit) / 10 ? held : magnitude * 10 + digit;
    }
    if (negative ? magnitude > ceiling : magnitude >= ceiling) return DecimalFault::outOfRange;
    const int64_t number =
        negative ? (magnitude == ceiling ? INT64_MIN : -int64_t(magnitude)) : int64_t(magnitude);
    if (number < min || number > max) return DecimalFault::outOfRange;
    value = number;
    return DecimalFault::none;
}

std::string decimalFaultText(const char* name, const char* text, DecimalFault fault, int64_t min, int64_t max,
                             const char* range) {
    std::string line = std::string(name) + " " + (text[0] ? text : "\"\"");
    if (fault == DecimalFault::notWhole) return line + " is not a whole decimal number";
    if (range) return line + " is outside " + range;
    return line + " is outside " + std::to_string(min) + ".." + std::to_string(max);
}

void writeShortestFloat(float v, char* out, size_t size) {
    if (v == std::trunc(v) && std::fabs(v) < 1e7f) {
        std::snprintf(out, size, "%d", (int)v);
        return;
    }
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(out, size, "%.*g", digits, (double)v);
        if (std::strtof(out, nullptr) == v) return;
    }
}
