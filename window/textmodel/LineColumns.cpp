#include "window/textmodel/LineColumns.h"

#include <algorithm>

#include "window/textmodel/GraphemeClusters.h"

namespace orsk {

const std::vector<LineColumns::Point>& LineColumns::PointsOf(const TextBuffer& text,
                                                             std::size_t line) const {
    const std::size_t start = text.LineStart(line);
    const std::size_t end = start + text.LineLength(line);
    if (line != line_ || start != lineStart_ || text.EditCount() != edits_) {
        line_ = line;
        lineStart_ = start;
        edits_ = text.EditCount();
        counted_ = start;
        counter_ = ColumnCounter();
        points_.clear();
    }
    if (end - start < 2 * kPointUnits) {
        return points_;
    }
    // Counts on from where the last call stopped: appends only make the last line longer.
    while (counted_ + kPointUnits < end) {
        const std::size_t next = counted_ + kPointUnits;
        const std::size_t piece = kPointUnits;
        std::size_t done = 0;
        while (done < piece) {
            const std::u16string units =
                text.Read(counted_ + done, std::min<std::size_t>(piece - done, 4096));
            counter_.Add(units);
            done += units.size();
        }
        counted_ = next;
        // On to the start of the next cluster, so that a walk by clusters can begin there.
        while (counted_ < end && !IsClusterBoundary(text, counted_)) {
            counter_.Add(text.At(counted_++));
        }
        if (counted_ < end) {
            points_.push_back({counted_, counter_});
        }
    }
    return points_;
}

LineColumns::Point LineColumns::BeforePosition(const TextBuffer& text, std::size_t line,
                                               std::size_t position) const {
    const std::vector<Point>& points = PointsOf(text, line);
    const auto after =
        std::upper_bound(points.begin(), points.end(), position,
                         [](std::size_t p, const Point& point) { return p < point.position; });
    return after == points.begin() ? Point{text.LineStart(line), ColumnCounter()} : *(after - 1);
}

LineColumns::Point LineColumns::BeforeColumn(const TextBuffer& text, std::size_t line,
                                             std::size_t column) const {
    const std::vector<Point>& points = PointsOf(text, line);
    const auto after = std::upper_bound(
        points.begin(), points.end(), column,
        [](std::size_t c, const Point& point) { return c < point.counter.Column(); });
    return after == points.begin() ? Point{text.LineStart(line), ColumnCounter()} : *(after - 1);
}

}  // namespace orsk
