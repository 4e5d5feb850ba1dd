#pragma once
// Where characters stand on a line of the view, in the columns of its fixed-pitch grid:
// - a tab runs on to the next multiple of kTabColumns;
// - East Asian wide and fullwidth characters (Chinese, Japanese, Korean, most emoji) take two
//   columns, as in a console;
// - marks, joiners and the other parts of a grapheme cluster that sit on its first character
//   take none (a mark with nothing before it on the line takes one), so a cluster is as wide as
//   what it shows;
// - a surrogate pair is one character; every other unit takes one column.
// Columns are what the caret, the mouse and the horizontal scroll bar count in.

#include <cstddef>
#include <memory>
#include <string_view>

#include "window/textmodel/GraphemeBreak.h"
#include "window/textmodel/UnitRuns.h"

namespace orsk {

inline constexpr std::size_t kTabColumns = 8;

// The columns a code point takes on its own: 2 if it is East Asian wide or fullwidth, else 1.
std::size_t CodePointColumns(char32_t codePoint);

// Counts the columns of a line, unit by unit from its start.
class ColumnCounter {
public:
    std::size_t Column() const { return column_; }

    // Back to the start of a line: as a new counter, but written in place (a new counter built
    // aside and copied in stalls the copy's load, once a line, in every append).
    void StartLine() { std::construct_at(this); }

    void Add(char16_t unit);
    void Add(std::u16string_view units) {
        std::size_t i = 0;
        while (i < units.size()) {
            // Runs of printable ASCII, nearly all of a trace, are counted here in one pass: one
            // column each, joining nothing.
            const std::size_t start = i;
            i = unit_runs::PrintableAsciiRunEnd(units, i);
            if (i > start) {
                column_ += i - start;
                previous_ = GraphemeBreak::Other;
                inEmoji_ = emojiJoiner_ = false;
                high_ = 0;
            }
            if (i < units.size()) {
                Add(units[i++]);
            }
        }
    }

private:
    void AddCodePoint(char32_t codePoint);

    std::size_t column_ = 0;
    // What the code point before was, as far as the width of the next one depends on it: a
    // mark joins what came before it, Hangul jamo join into a syllable, and an emoji after a
    // zero-width joiner joins the emoji before it.
    GraphemeBreak previous_ = GraphemeBreak::Control;
    bool inEmoji_ = false;      // after an emoji and any marks
    bool emojiJoiner_ = false;  // after an emoji, any marks and a zero-width joiner
    // A high surrogate counts as a column of its own until its partner comes: then the pair
    // counts as its code point, from the state before the high half.
    char16_t high_ = 0;
    GraphemeBreak previousBeforeHigh_ = GraphemeBreak::Control;
    bool inEmojiBeforeHigh_ = false;
    bool emojiJoinerBeforeHigh_ = false;
};

// The columns a whole line takes.
std::size_t ColumnsOf(std::u16string_view line);

}  // namespace orsk
