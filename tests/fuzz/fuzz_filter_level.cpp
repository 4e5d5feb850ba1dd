// Fuzzes the level filter's text against a second, deliberately plain reading of its rules:
//
//   any number of leading spaces (U+0020 only), at most one "+" or "-", then either decimal
//   digits whose value fits a 32-bit signed integer, or a hexadecimal prefix ("$", "x", "X",
//   "0x", "0X") and at most eight significant hex digits taken as a 32-bit pattern; anything
//   else is 0.
//
// The reference works on an ASCII copy of the text with the standard library's conversions;
// the project's parser scans UTF-16 units by hand. Two readings that agree on every input are
// the check. Input: each byte below 0xF0 is the unit of that value (so the interesting ASCII
// comes up often); a byte from 0xF0 takes the next two bytes as any UTF-16 unit, so that units
// whose low byte is a digit or a sign ("\u0130", "\uFF10") come up too.

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/fuzz/FuzzSupport.h"
#include "window/view/FilterLevel.h"

namespace {

std::u16string TextOf(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] < 0xF0 || i + 2 >= size) {
            text.push_back(static_cast<char16_t>(data[i]));
        } else {
            text.push_back(static_cast<char16_t>(data[i + 1] | data[i + 2] << 8));
            i += 2;
        }
    }
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool AllOf(std::string_view text, std::string_view allowed) {
    return text.find_first_not_of(allowed) == std::string_view::npos;
}

std::int32_t ReferenceLevel(std::u16string_view text) {
    std::string ascii;
    for (const char16_t unit : text) {
        if (unit > 0x7F) {
            return 0;  // no part of a valid text lies outside ASCII
        }
        ascii.push_back(static_cast<char>(unit));
    }
    std::string_view rest = ascii;
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    bool negative = false;
    if (StartsWith(rest, "+") || StartsWith(rest, "-")) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }

    int base = 10;
    if (StartsWith(rest, "$") || StartsWith(rest, "x") || StartsWith(rest, "X")) {
        base = 16;
        rest.remove_prefix(1);
    } else if (StartsWith(rest, "0x") || StartsWith(rest, "0X")) {
        base = 16;
        rest.remove_prefix(2);
    }
    const std::string_view digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
    if (rest.empty() || !AllOf(rest, digits)) {
        return 0;
    }
    // Leading zeros are not significant; a run of zeros alone is the value 0.
    const std::size_t significant = rest.find_first_not_of('0');
    rest = significant == std::string_view::npos ? std::string_view("0") : rest.substr(significant);

    if (base == 16) {
        if (rest.size() > 8) {
            return 0;
        }
        std::uint32_t pattern = 0;
        std::from_chars(rest.data(), rest.data() + rest.size(), pattern, 16);
        // The sign negates the 32-bit pattern, wrapping around as 32-bit arithmetic does.
        return static_cast<std::int32_t>(negative ? ~pattern + 1u : pattern);
    }
    if (rest.size() > 10) {
        return 0;
    }
    std::int64_t value = 0;
    std::from_chars(rest.data(), rest.data() + rest.size(), value, 10);
    value = negative ? -value : value;
    if (value < INT32_MIN || value > INT32_MAX) {
        return 0;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = TextOf(data, size);
    const std::int32_t level = orsk::ParseFilterLevel(text);
    ORSK_FUZZ_CHECK(level == ReferenceLevel(text));
    ORSK_FUZZ_CHECK(orsk::ParseFilterLevel(u" " + text) == level);
    ORSK_FUZZ_CHECK(orsk::ParseFilterLevel(text + u" ") == 0);
    return 0;
}
