#pragma once
// Where characters stand on a line of the view: every UTF-16 unit takes one column, except
// that a tab runs on to the next multiple of kTabColumns and the second half of a surrogate
// pair takes none (the pair is one character). The view is drawn in a fixed-pitch font, so
// columns are also what the caret, the mouse and the horizontal scroll bar count in.

#include <cstddef>
#include <string_view>

#include "common/Utf16.h"

namespace orsk {

inline constexpr std::size_t kTabColumns = 8;

// The column after `unit`, drawn at `column`; `previous` is the unit before it on the line
// (0 at the line start).
constexpr std::size_t NextColumn(std::size_t column, char16_t previous, char16_t unit) {
    if (unit == u'\t') {
        return (column / kTabColumns + 1) * kTabColumns;
    }
    if (IsLowSurrogate(unit) && IsHighSurrogate(previous)) {
        return column;
    }
    return column + 1;
}

// The columns a whole line takes.
constexpr std::size_t ColumnsOf(std::u16string_view line) {
    std::size_t column = 0;
    char16_t previous = 0;
    for (const char16_t unit : line) {
        column = NextColumn(column, previous, unit);
        previous = unit;
    }
    return column;
}

}  // namespace orsk
