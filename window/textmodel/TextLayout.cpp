#include "window/textmodel/TextLayout.h"

#include <algorithm>

#include "window/textmodel/TextColumns.h"

namespace orsk {

LineSlice SliceLine(const TextBuffer& text, std::size_t line, std::size_t firstColumn,
                    std::size_t columnCount) {
    LineSlice slice;
    // Held to the text, so that a line index out of step with it draws wrong at worst, never
    // reading beyond the text or stepping in place for ever.
    if (line >= text.LineCount()) {
        return slice;
    }
    const std::size_t lineStart = std::min(text.LineStart(line), text.Length());
    const std::size_t lineLength = std::min(text.LineLength(line), text.Length() - lineStart);
    const std::size_t endColumn = firstColumn + columnCount;

    // Read in pieces: a line can be millions of units long, and only its start is needed when
    // it is scrolled to the left.
    constexpr std::size_t kPiece = 4096;
    std::size_t column = 0;
    char16_t previous = 0;
    for (std::size_t done = 0; done < lineLength && column < endColumn + 1;) {
        const std::u16string piece =
            text.Read(lineStart + done, std::min(kPiece, lineLength - done));
        for (std::size_t i = 0; i < piece.size(); ++i) {
            const char16_t unit = piece[i];
            const std::size_t next = NextColumn(column, previous, unit);
            const bool secondHalf = IsLowSurrogate(unit) && IsHighSurrogate(previous);
            if (column >= endColumn && !secondHalf) {
                return slice;
            }
            // A glyph shows when any of its columns is in range; the second half of a pair
            // goes with its first.
            const bool shows = secondHalf
                                   ? !slice.glyphs.empty() && IsHighSurrogate(slice.glyphs.back())
                                   : next > firstColumn;
            if (shows) {
                slice.glyphs.push_back(unit == u'\t' ? u' ' : unit);
                slice.columns.push_back(column);
                slice.widths.push_back(next - column);
                slice.positions.push_back(lineStart + done + i);
            }
            column = next;
            previous = unit;
        }
        done += piece.size();
    }
    return slice;
}

}  // namespace orsk
