#pragma once
// The part of one line that shows in a range of columns, ready to be drawn cell by cell in a
// fixed-pitch font: each glyph with the column it starts at and the columns it takes. A tab is
// drawn as a blank that runs to the next tab stop; a surrogate pair stays whole, its second
// half taking no column of its own.

#include <cstddef>
#include <string>
#include <vector>

#include "window/textmodel/TextBuffer.h"

namespace orsk {

struct LineSlice {
    std::u16string glyphs;               // what to draw; a tab is a space here
    std::vector<std::size_t> columns;    // the column each glyph starts at
    std::vector<std::size_t> widths;     // the columns each glyph takes
    std::vector<std::size_t> positions;  // the text position of each glyph's unit
};

// The glyphs of `line` that take any of the columns [firstColumn, firstColumn + columnCount).
LineSlice SliceLine(const TextBuffer& text, std::size_t line, std::size_t firstColumn,
                    std::size_t columnCount);

}  // namespace orsk
