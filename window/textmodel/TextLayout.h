#pragma once
// The part of one line that shows in a range of columns, cluster by cluster: each grapheme
// cluster (a letter with its marks, an emoji sequence, a tab) with its units, the column it
// starts at and the columns it takes. A tab is a space here that runs to the next tab stop.
// The screen draws each cluster in its own columns, so nothing overlaps its neighbour.

#include <cstddef>
#include <string>
#include <vector>

#include "window/textmodel/LineColumns.h"
#include "window/textmodel/TextBuffer.h"

namespace orsk {

struct SliceCluster {
    std::size_t offset = 0;    // of its first unit in LineSlice::text
    std::size_t length = 0;    // its units
    std::size_t position = 0;  // of its first unit in the whole text
    std::size_t column = 0;    // the column it starts at
    std::size_t width = 0;     // the columns it takes
};

struct LineSlice {
    std::u16string text;  // the units of the clusters, one after the other
    std::vector<SliceCluster> clusters;
};

// The clusters of `line` that take any of the columns [firstColumn, firstColumn + columnCount),
// counted from the nearest point of `columns` before them.
LineSlice SliceLine(const TextBuffer& text, const LineColumns& columns, std::size_t line,
                    std::size_t firstColumn, std::size_t columnCount);
// The same, counted from the line's start.
LineSlice SliceLine(const TextBuffer& text, std::size_t line, std::size_t firstColumn,
                    std::size_t columnCount);

// Where each cluster of `slice` shows, given its bidirectional embedding level (even: left to
// right, odd: right to left): the clusters are put in visual order by Unicode's rule L2 (each
// run at a level or above is reversed, from the highest level down to the lowest odd one), in
// the same columns as the slice takes. Returns the column each cluster starts at on screen.
std::vector<std::size_t> VisualColumns(const LineSlice& slice,
                                       const std::vector<unsigned char>& levels);

}  // namespace orsk
