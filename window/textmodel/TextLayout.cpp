#include "window/textmodel/TextLayout.h"

#include <algorithm>
#include <numeric>

#include "window/textmodel/GraphemeClusters.h"
#include "window/textmodel/TextColumns.h"

namespace orsk {
namespace {

// Clusters are looked for from this many columns before the first in view: one that starts
// there may reach into the view.
constexpr std::size_t kLeadColumns = 8;

// Ends the last cluster of `slice` at `column`; one that shows in no column of view goes.
void CloseCluster(LineSlice& slice, std::size_t column, std::size_t firstColumn) {
    SliceCluster& last = slice.clusters.back();
    last.width = column - last.column;
    last.length = slice.text.size() - last.offset;
    if (column <= firstColumn) {
        slice.text.resize(last.offset);
        slice.clusters.pop_back();
    }
}

}  // namespace

LineSlice SliceLine(const TextBuffer& text, std::size_t line, std::size_t firstColumn,
                    std::size_t columnCount) {
    return SliceLine(text, LineColumns(), line, firstColumn, columnCount);
}

LineSlice SliceLine(const TextBuffer& text, const LineColumns& columns, std::size_t line,
                    std::size_t firstColumn, std::size_t columnCount) {
    LineSlice slice;
    // Held to the text, so that a line index out of step with it draws wrong at worst, never
    // reading beyond the text or stepping in place for ever.
    if (line >= text.LineCount()) {
        return slice;
    }
    const std::size_t lineStart = std::min(text.LineStart(line), text.Length());
    const std::size_t lineLength = std::min(text.LineLength(line), text.Length() - lineStart);
    const std::size_t endColumn = firstColumn + columnCount;
    const std::size_t searchFrom = firstColumn > kLeadColumns ? firstColumn - kLeadColumns : 0;

    // Read in pieces: a line can be millions of units long, and only its start is needed when
    // it is scrolled to the left.
    constexpr std::size_t kPiece = 4096;
    const LineColumns::Point from = columns.BeforeColumn(text, line, searchFrom);
    ColumnCounter counter = from.counter;
    for (std::size_t done = std::min(from.position - lineStart, lineLength); done < lineLength;) {
        const std::u16string piece =
            text.Read(lineStart + done, std::min(kPiece, lineLength - done));
        for (std::size_t i = 0; i < piece.size(); ++i) {
            const std::size_t position = lineStart + done + i;
            const std::size_t column = counter.Column();
            if (column >= searchFrom && IsClusterBoundary(text, position)) {
                if (!slice.clusters.empty()) {
                    CloseCluster(slice, column, firstColumn);
                }
                if (column >= endColumn) {
                    return slice;
                }
                slice.clusters.push_back({slice.text.size(), 0, position, column, 0});
            }
            counter.Add(piece[i]);
            if (!slice.clusters.empty()) {
                slice.text.push_back(piece[i] == u'\t' ? u' ' : piece[i]);
            }
        }
        done += piece.size();
    }
    if (!slice.clusters.empty()) {
        CloseCluster(slice, counter.Column(), firstColumn);
    }
    return slice;
}

std::vector<std::size_t> VisualColumns(const LineSlice& slice,
                                       const std::vector<unsigned char>& levels) {
    const std::size_t count = std::min(slice.clusters.size(), levels.size());
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    unsigned char highest = 0;
    unsigned char lowestOdd = 255;
    for (std::size_t i = 0; i < count; ++i) {
        highest = std::max(highest, levels[i]);
        if (levels[i] % 2 == 1) {
            lowestOdd = std::min(lowestOdd, levels[i]);
        }
    }
    for (unsigned level = highest; level >= lowestOdd && level > 0; --level) {
        for (std::size_t i = 0; i < count;) {
            if (levels[order[i]] < level) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < count && levels[order[end]] >= level) {
                ++end;
            }
            std::reverse(order.begin() + static_cast<std::ptrdiff_t>(i),
                         order.begin() + static_cast<std::ptrdiff_t>(end));
            i = end;
        }
    }
    std::vector<std::size_t> visual(slice.clusters.size());
    for (std::size_t i = 0; i < slice.clusters.size(); ++i) {
        visual[i] = slice.clusters[i].column;  // clusters without a level stay where they are
    }
    std::size_t column = count > 0 ? slice.clusters.front().column : 0;
    for (const std::size_t index : order) {
        visual[index] = column;
        column += slice.clusters[index].width;
    }
    return visual;
}

}  // namespace orsk
