#pragma once
// Points along a long line where its column count is known, so that a column deep in a line of
// a million units (one trace of 1 MiB) is found from the nearest point before it instead of from
// the line's start: the screen then costs what is in view, wherever the line is scrolled to.
//
// The points of one line (the last one asked about) are kept. They are made the first time the
// line is asked about, about every kPointUnits units and always between two clusters, and stay
// good while the text is only appended to; any other change of the text drops them.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "window/textmodel/TextBuffer.h"
#include "window/textmodel/TextColumns.h"

namespace orsk {

class LineColumns {
public:
    static constexpr std::size_t kPointUnits = 4096;

    struct Point {
        std::size_t position = 0;  // where a cluster starts on the line
        ColumnCounter counter;     // the line's column count up to there
    };

    // The last point of `line` at or before `position` (at least the line's start).
    Point BeforePosition(const TextBuffer& text, std::size_t line, std::size_t position) const;
    // The last point of `line` whose column is at most `column` (at least the line's start).
    Point BeforeColumn(const TextBuffer& text, std::size_t line, std::size_t column) const;

private:
    // The points of `line`, made or extended to the line's end; empty for a short line.
    const std::vector<Point>& PointsOf(const TextBuffer& text, std::size_t line) const;

    mutable std::size_t line_ = static_cast<std::size_t>(-1);
    mutable std::size_t lineStart_ = 0;
    mutable std::uint64_t edits_ = 0;
    mutable std::size_t counted_ = 0;  // the position up to which `counter_` has counted
    mutable ColumnCounter counter_;
    mutable std::vector<Point> points_;
};

}  // namespace orsk
