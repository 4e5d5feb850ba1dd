#pragma once
// The level filter: the integer value of the filter box's text. 0 admits every trace; any other
// value admits only traces of exactly that level.
//
// The whole text must be: any number of leading spaces (U+0020 only), at most one "+" or "-",
// then either decimal digits whose value fits a 32-bit signed integer, or a hexadecimal prefix
// ("$", "x", "X", "0x", "0X") and at most eight significant hex digits taken as a 32-bit
// pattern ("$FFFFFFFF" is -1). Anything else ("0 = ALL", the empty text, a trailing space, a
// sign alone, a value out of range) counts as 0.

#include <cstdint>
#include <string_view>

namespace orsk {

std::int32_t ParseFilterLevel(std::u16string_view text);

inline bool FilterAdmits(std::int32_t filterLevel, std::int32_t traceLevel) {
    return filterLevel == 0 || traceLevel == filterLevel;
}

}  // namespace orsk
