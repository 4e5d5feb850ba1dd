#pragma once
// Ranges of the view's text as assistive tools walk it (UI Automation's text pattern): the units
// by which a range moves and grows, and its text, copied no further than asked.
//
// A range is two plain unit offsets into the text. Nothing adjusts them when the text changes:
// every function here clamps them to the text's current length first, so a range that a tool
// keeps stays usable while traces are appended, and even after the text was emptied.
//
// The units: a Character is a grapheme cluster (CR LF is one, see GraphemeClusters.h); a Word is
// a run of characters other than spaces and tabs with the blanks after it, within its line, and
// a line break is a word of its own (the stops of the caret's Ctrl+Right); a Line, and a
// Paragraph, which is the same here, is a line with its CR LF; the Document is all of the text.
// Format and Page are not units of this text and act as the next larger unit that is.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "window/textmodel/TextBuffer.h"

namespace orsk {

// In the order and with the numbers of UI Automation's TextUnit.
enum class TextUnit { Character, Format, Word, Line, Paragraph, Page, Document };

enum class RangeEndpoint { Start, End };

struct TextRange {
    std::size_t start = 0;
    std::size_t end = 0;

    bool operator==(const TextRange&) const = default;
};

// Both ends within the text, the end not before the start.
TextRange Clamped(const TextBuffer& text, TextRange range);

// Whether a unit starts or ends at `position`; the ends of the text always are boundaries.
bool IsUnitBoundary(const TextBuffer& text, std::size_t position, TextUnit unit);
// The nearest boundary after `position` (Length() at most) and before it (0 at least).
std::size_t NextUnitBoundary(const TextBuffer& text, std::size_t position, TextUnit unit);
std::size_t PreviousUnitBoundary(const TextBuffer& text, std::size_t position, TextUnit unit);

// The one unit that holds the range's start. At the end of the text that is nothing (an empty
// range there), except for a line: the last line, empty or not.
TextRange ExpandToEnclosingUnit(const TextBuffer& text, TextRange range, TextUnit unit);

// Moves the range by `count` units (backwards when negative): it goes to the start of the unit
// that holds its start, moves from there by whole units, and then spans one unit, or stays
// empty if it was. A range that spans a unit does not move to the end of the text, where no
// unit starts. Returns how many units it moved; when none, the range is left as it was.
int MoveRange(const TextBuffer& text, TextRange& range, TextUnit unit, int count);

// Moves one end by `count` unit boundaries; an end that passes the other takes it along.
// Returns how many boundaries it moved.
int MoveEndpointByUnit(const TextBuffer& text, TextRange& range, RangeEndpoint endpoint,
                       TextUnit unit, int count);
// Puts one end at `position` (clamped); an end that passes the other takes it along.
void MoveEndpointTo(const TextBuffer& text, TextRange& range, RangeEndpoint endpoint,
                    std::size_t position);

// Where an end stands, clamped to the text.
std::size_t EndpointOf(const TextBuffer& text, TextRange range, RangeEndpoint endpoint);

// The first `maxLength` units of the range (all of it when maxLength is negative): what a copy
// of its text would read, so that a tool asking for a few units never costs a copy of the log.
TextRange FirstUnits(const TextBuffer& text, TextRange range, std::int64_t maxLength);
std::u16string TextOf(const TextBuffer& text, TextRange range, std::int64_t maxLength);

// Maps a unit to the one it compares as when the case is ignored.
using UnitFold = char16_t (*)(char16_t);

// The first (or, backwards, the last) place within the range that holds `needle`, comparing
// units through `fold` when one is given. The range is read a block at a time, never whole.
std::optional<TextRange> FindInRange(const TextBuffer& text, TextRange range,
                                     std::u16string_view needle, bool backward,
                                     UnitFold fold = nullptr);

}  // namespace orsk
