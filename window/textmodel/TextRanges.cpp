#include "window/textmodel/TextRanges.h"

#include <algorithm>

#include "window/textmodel/GraphemeClusters.h"

namespace orsk {
namespace {

// Units that are not units of this text act as the next larger one that is.
TextUnit Effective(TextUnit unit) {
    switch (unit) {
        case TextUnit::Format:
            return TextUnit::Word;
        case TextUnit::Paragraph:
            return TextUnit::Line;
        case TextUnit::Page:
            return TextUnit::Document;
        default:
            return unit;
    }
}

std::size_t LineEndOf(const TextBuffer& text, std::size_t line) {
    return text.LineStart(line) + text.LineLength(line);
}

// A blank with a combining mark on it still separates words, as for the caret.
bool BlankAt(const TextBuffer& text, std::size_t position) {
    const char16_t unit = text.At(position);
    return unit == u' ' || unit == u'\t';
}

// For a position inside the text (not at either end).
bool IsWordBoundary(const TextBuffer& text, std::size_t position) {
    const std::size_t line = text.LineOf(position);
    const std::size_t lineStart = text.LineStart(line);
    const std::size_t lineEnd = LineEndOf(text, line);
    if (position == lineStart || position == lineEnd) {
        return true;
    }
    // Inside the line break, or inside a line: a word starts after a blank.
    return position < lineEnd && IsClusterBoundary(text, position) &&
           BlankAt(text, PreviousClusterBoundary(text, position)) && !BlankAt(text, position);
}

std::size_t NextWordBoundary(const TextBuffer& text, std::size_t position) {
    const std::size_t line = text.LineOf(position);
    const std::size_t lineEnd = LineEndOf(text, line);
    if (position >= lineEnd) {
        // The line break is a word of its own.
        return line + 1 < text.LineCount() ? text.LineStart(line + 1) : text.Length();
    }
    // Over the rest of the word, then over the blanks after it; a cluster never runs on into the
    // CR that ends the line.
    while (position < lineEnd && !BlankAt(text, position)) {
        position = NextClusterBoundary(text, position);
    }
    while (position < lineEnd && BlankAt(text, position)) {
        position = NextClusterBoundary(text, position);
    }
    return position;
}

std::size_t PreviousWordBoundary(const TextBuffer& text, std::size_t position) {
    const std::size_t line = text.LineOf(position);
    const std::size_t lineStart = text.LineStart(line);
    if (position <= lineStart) {
        return LineEndOf(text, line - 1);  // line > 0: position 0 was answered before
    }
    const std::size_t lineEnd = LineEndOf(text, line);
    if (position > lineEnd) {
        return lineEnd;  // from inside the line break
    }
    // Back over the blanks before the position, then to the start of the word before them; the
    // line's start is a cluster boundary, so the steps stop there.
    while (position > lineStart && BlankAt(text, PreviousClusterBoundary(text, position))) {
        position = PreviousClusterBoundary(text, position);
    }
    while (position > lineStart && !BlankAt(text, PreviousClusterBoundary(text, position))) {
        position = PreviousClusterBoundary(text, position);
    }
    return position;
}

// The start of the unit that holds `position` (see ExpandToEnclosingUnit).
std::size_t UnitStartAtOrBefore(const TextBuffer& text, std::size_t position, TextUnit unit) {
    switch (Effective(unit)) {
        case TextUnit::Line:
            return text.LineStart(text.LineOf(position));
        case TextUnit::Document:
            return 0;
        default:
            return IsUnitBoundary(text, position, unit)
                       ? position
                       : PreviousUnitBoundary(text, position, unit);
    }
}

// `count` steps from `position` by unit boundaries; `steps` says how many were possible.
std::size_t Step(const TextBuffer& text, std::size_t position, TextUnit unit, int count,
                 int& steps) {
    steps = 0;
    while (count > 0 && steps < count && position < text.Length()) {
        position = NextUnitBoundary(text, position, unit);
        ++steps;
    }
    while (count < 0 && steps > count && position > 0) {
        position = PreviousUnitBoundary(text, position, unit);
        --steps;
    }
    return position;
}

std::u16string Folded(std::u16string units, UnitFold fold) {
    if (fold != nullptr) {
        std::transform(units.begin(), units.end(), units.begin(), fold);
    }
    return units;
}

// Enough units per read for a fast scan, few enough that a search never holds much of the log.
constexpr std::size_t kSearchBlock = std::size_t{1} << 16;

}  // namespace

TextRange Clamped(const TextBuffer& text, TextRange range) {
    const std::size_t start = std::min(range.start, text.Length());
    return TextRange{start, std::clamp(range.end, start, text.Length())};
}

bool IsUnitBoundary(const TextBuffer& text, std::size_t position, TextUnit unit) {
    if (position == 0 || position == text.Length()) {
        return true;
    }
    if (position > text.Length()) {
        return false;
    }
    switch (Effective(unit)) {
        case TextUnit::Character:
            return IsClusterBoundary(text, position);
        case TextUnit::Word:
            return IsWordBoundary(text, position);
        case TextUnit::Line:
            return text.LineStart(text.LineOf(position)) == position;
        default:
            return false;
    }
}

std::size_t NextUnitBoundary(const TextBuffer& text, std::size_t position, TextUnit unit) {
    if (position >= text.Length()) {
        return text.Length();
    }
    switch (Effective(unit)) {
        case TextUnit::Character:
            return NextClusterBoundary(text, position);
        case TextUnit::Word:
            return NextWordBoundary(text, position);
        case TextUnit::Line: {
            const std::size_t line = text.LineOf(position);
            return line + 1 < text.LineCount() ? text.LineStart(line + 1) : text.Length();
        }
        default:
            return text.Length();
    }
}

std::size_t PreviousUnitBoundary(const TextBuffer& text, std::size_t position, TextUnit unit) {
    position = std::min(position, text.Length());
    if (position == 0) {
        return 0;
    }
    switch (Effective(unit)) {
        case TextUnit::Character:
            return PreviousClusterBoundary(text, position);
        case TextUnit::Word:
            return PreviousWordBoundary(text, position);
        case TextUnit::Line: {
            const std::size_t line = text.LineOf(position);
            return text.LineStart(line) < position ? text.LineStart(line)
                                                   : text.LineStart(line - 1);
        }
        default:
            return 0;
    }
}

TextRange ExpandToEnclosingUnit(const TextBuffer& text, TextRange range, TextUnit unit) {
    const std::size_t start = UnitStartAtOrBefore(text, Clamped(text, range).start, unit);
    return TextRange{start, NextUnitBoundary(text, start, unit)};
}

int MoveRange(const TextBuffer& text, TextRange& range, TextUnit unit, int count) {
    const TextRange clamped = Clamped(text, range);
    const bool empty = clamped.start == clamped.end;
    std::size_t position = UnitStartAtOrBefore(text, clamped.start, unit);
    int moved = 0;
    while (count > 0 && moved < count) {
        const std::size_t next = NextUnitBoundary(text, position, unit);
        if (next == position || (!empty && next == text.Length())) {
            break;
        }
        position = next;
        ++moved;
    }
    while (count < 0 && moved > count && position > 0) {
        position = PreviousUnitBoundary(text, position, unit);
        --moved;
    }
    if (moved != 0) {
        range = TextRange{position, empty ? position : NextUnitBoundary(text, position, unit)};
    }
    return moved;
}

int MoveEndpointByUnit(const TextBuffer& text, TextRange& range, RangeEndpoint endpoint,
                       TextUnit unit, int count) {
    int moved = 0;
    const std::size_t position = Step(text, EndpointOf(text, range, endpoint), unit, count, moved);
    MoveEndpointTo(text, range, endpoint, position);
    return moved;
}

void MoveEndpointTo(const TextBuffer& text, TextRange& range, RangeEndpoint endpoint,
                    std::size_t position) {
    range = Clamped(text, range);
    position = std::min(position, text.Length());
    if (endpoint == RangeEndpoint::Start) {
        range = TextRange{position, std::max(position, range.end)};
    } else {
        range = TextRange{std::min(position, range.start), position};
    }
}

std::size_t EndpointOf(const TextBuffer& text, TextRange range, RangeEndpoint endpoint) {
    const TextRange clamped = Clamped(text, range);
    return endpoint == RangeEndpoint::Start ? clamped.start : clamped.end;
}

TextRange FirstUnits(const TextBuffer& text, TextRange range, std::int64_t maxLength) {
    TextRange clamped = Clamped(text, range);
    if (maxLength >= 0 && clamped.end - clamped.start > static_cast<std::uint64_t>(maxLength)) {
        clamped.end = clamped.start + static_cast<std::size_t>(maxLength);
    }
    return clamped;
}

std::u16string TextOf(const TextBuffer& text, TextRange range, std::int64_t maxLength) {
    const TextRange first = FirstUnits(text, range, maxLength);
    return text.Read(first.start, first.end - first.start);
}

std::optional<TextRange> FindInRange(const TextBuffer& text, TextRange range,
                                     std::u16string_view needle, bool backward, UnitFold fold) {
    const TextRange within = Clamped(text, range);
    const std::size_t n = needle.size();
    if (n == 0 || within.end - within.start < n) {
        return std::nullopt;
    }
    const std::u16string wanted = Folded(std::u16string(needle), fold);
    // Each block overlaps the next by n - 1 units, so that a match across their seam is whole
    // in one of them.
    if (!backward) {
        for (std::size_t from = within.start; from < within.end && within.end - from >= n;
             from += kSearchBlock) {
            const std::size_t to = std::min(within.end, from + kSearchBlock + n - 1);
            const std::size_t at = Folded(text.Read(from, to - from), fold).find(wanted);
            if (at != std::u16string::npos) {
                return TextRange{from + at, from + at + n};
            }
        }
        return std::nullopt;
    }
    for (std::size_t to = within.end; to - within.start >= n;) {
        const std::size_t from = to - std::min(to - within.start, kSearchBlock + n - 1);
        const std::size_t at = Folded(text.Read(from, to - from), fold).rfind(wanted);
        if (at != std::u16string::npos) {
            return TextRange{from + at, from + at + n};
        }
        if (from == within.start) {
            break;
        }
        to = from + n - 1;
    }
    return std::nullopt;
}

}  // namespace orsk
