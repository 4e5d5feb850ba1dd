#include "window/textmodel/GraphemeClusters.h"

#include <algorithm>
#include <iterator>

#include "common/Utf16.h"

namespace orsk {
namespace {

struct GraphemeRange {
    char32_t start;
    GraphemeBreak property;
};

#include "window/textmodel/GraphemeBreakTable.inc"

struct CodePoint {
    char32_t value;
    std::size_t start;
};

char32_t Combine(char16_t high, char16_t low) {
    return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) +
           (static_cast<char32_t>(low) - 0xDC00);
}

// The code point that ends at `position` (> 0); an unpaired half stands for itself.
CodePoint CodePointBefore(const TextBuffer& text, std::size_t position) {
    const char16_t unit = text.At(position - 1);
    if (IsLowSurrogate(unit) && position >= 2) {
        const char16_t high = text.At(position - 2);
        if (IsHighSurrogate(high)) {
            return {Combine(high, unit), position - 2};
        }
    }
    return {unit, position - 1};
}

// The code point that starts at `position` (< Length()).
char32_t CodePointAt(const TextBuffer& text, std::size_t position) {
    const char16_t unit = text.At(position);
    if (IsHighSurrogate(unit) && position + 1 < text.Length()) {
        const char16_t low = text.At(position + 1);
        if (IsLowSurrogate(low)) {
            return Combine(unit, low);
        }
    }
    return unit;
}

bool IsControl(GraphemeBreak property) {
    return property == GraphemeBreak::CR || property == GraphemeBreak::LF ||
           property == GraphemeBreak::Control;
}

std::size_t LookBehindLimit(std::size_t position) {
    return position > kClusterLookBehind ? position - kClusterLookBehind : 0;
}

// GB11: whether the ZWJ that starts at `zwjStart` follows an Extended_Pictographic and
// Extend characters only.
bool ZwjEndsEmojiSequence(const TextBuffer& text, std::size_t zwjStart, std::size_t limit) {
    std::size_t at = zwjStart;
    while (at > limit) {
        const CodePoint before = CodePointBefore(text, at);
        if (before.start < limit) {
            return false;
        }
        const GraphemeBreak property = GraphemeBreakOf(before.value);
        if (property != GraphemeBreak::Extend) {
            return property == GraphemeBreak::ExtendedPictographic;
        }
        at = before.start;
    }
    return false;
}

// GB12, GB13: regional indicators pair up from the start of their run, so a boundary falls
// between two of them only after an even number.
bool EvenIndicatorsBefore(const TextBuffer& text, std::size_t position, std::size_t limit) {
    std::size_t count = 0;
    std::size_t at = position;
    while (at > limit) {
        const CodePoint before = CodePointBefore(text, at);
        if (before.start < limit ||
            GraphemeBreakOf(before.value) != GraphemeBreak::RegionalIndicator) {
            break;
        }
        ++count;
        at = before.start;
    }
    return count % 2 == 0;
}

}  // namespace

GraphemeBreak GraphemeBreakOf(char32_t codePoint) {
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
        // Unicode leaves a lone surrogate half Other, so a mark after it would join it. It is a
        // broken character, drawn as a box of its own, and the caret must be able to get at it
        // alone: like a control it stands apart from both neighbours.
        return GraphemeBreak::Control;
    }
    const GraphemeRange* const after = std::upper_bound(
        std::begin(kGraphemeRanges), std::end(kGraphemeRanges), codePoint,
        [](char32_t value, const GraphemeRange& range) { return value < range.start; });
    const GraphemeBreak property = std::prev(after)->property;
    if (property == GraphemeBreak::HangulSyllable) {
        // Each LV syllable is followed by the 27 LVT syllables that add a final consonant.
        return (codePoint - 0xAC00) % 28 == 0 ? GraphemeBreak::LV : GraphemeBreak::LVT;
    }
    return property;
}

bool IsClusterBoundary(const TextBuffer& text, std::size_t position) {
    const std::size_t length = text.Length();
    if (position == 0 || position == length) {
        return true;  // GB1, GB2
    }
    if (position > length) {
        return false;
    }
    if (IsHighSurrogate(text.At(position - 1)) && IsLowSurrogate(text.At(position))) {
        return false;
    }
    const CodePoint before = CodePointBefore(text, position);
    const GraphemeBreak b = GraphemeBreakOf(before.value);
    const GraphemeBreak a = GraphemeBreakOf(CodePointAt(text, position));
    using G = GraphemeBreak;
    if (b == G::CR && a == G::LF) {
        return false;  // GB3
    }
    if (IsControl(b) || IsControl(a)) {
        return true;  // GB4, GB5
    }
    if ((b == G::L && (a == G::L || a == G::V || a == G::LV || a == G::LVT)) ||
        ((b == G::LV || b == G::V) && (a == G::V || a == G::T)) ||
        ((b == G::LVT || b == G::T) && a == G::T)) {
        return false;  // GB6, GB7, GB8
    }
    if (a == G::Extend || a == G::ZWJ || a == G::SpacingMark || b == G::Prepend) {
        return false;  // GB9, GB9a, GB9b
    }
    if (b == G::ZWJ && a == G::ExtendedPictographic) {
        return !ZwjEndsEmojiSequence(text, before.start, LookBehindLimit(position));  // GB11
    }
    if (b == G::RegionalIndicator && a == G::RegionalIndicator) {
        return EvenIndicatorsBefore(text, position, LookBehindLimit(position));  // GB12, GB13
    }
    return true;  // GB999
}

std::size_t PreviousClusterBoundary(const TextBuffer& text, std::size_t position) {
    position = std::min(position, text.Length());
    while (position > 0) {
        // One code point back; from inside a pair that is the pair's start.
        --position;
        if (position > 0 && IsLowSurrogate(text.At(position)) &&
            IsHighSurrogate(text.At(position - 1))) {
            --position;
        }
        if (IsClusterBoundary(text, position)) {
            break;
        }
    }
    return position;
}

std::size_t NextClusterBoundary(const TextBuffer& text, std::size_t position) {
    const std::size_t length = text.Length();
    while (position < length) {
        ++position;
        if (position < length && IsLowSurrogate(text.At(position)) &&
            IsHighSurrogate(text.At(position - 1))) {
            ++position;
        }
        if (IsClusterBoundary(text, position)) {
            break;
        }
    }
    return std::min(position, length);
}

std::size_t ClusterBoundaryAtOrAfter(const TextBuffer& text, std::size_t position) {
    return IsClusterBoundary(text, position) ? position : NextClusterBoundary(text, position);
}

}  // namespace orsk
