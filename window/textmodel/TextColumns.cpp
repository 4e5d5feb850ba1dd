#include "window/textmodel/TextColumns.h"

#include <algorithm>
#include <iterator>

#include "common/Utf16.h"

namespace orsk {
namespace {

struct WideRange {
    char32_t first;
    char32_t last;
};

#include "window/textmodel/WideCharacterTable.inc"

// Whether a Hangul vowel or final consonant after `before` joins it into one syllable.
bool JoinsSyllable(GraphemeBreak before, GraphemeBreak jamo) {
    using G = GraphemeBreak;
    if (jamo == G::V) {
        return before == G::L || before == G::V || before == G::LV;
    }
    return jamo == G::T &&
           (before == G::V || before == G::T || before == G::LV || before == G::LVT);
}

bool IsLineBreakOrControl(GraphemeBreak property) {
    return property == GraphemeBreak::Control || property == GraphemeBreak::CR ||
           property == GraphemeBreak::LF;
}

}  // namespace

std::size_t CodePointColumns(char32_t codePoint) {
    if (codePoint < kWideRanges[0].first) {
        return 1;
    }
    const WideRange* const after = std::upper_bound(
        std::begin(kWideRanges), std::end(kWideRanges), codePoint,
        [](char32_t value, const WideRange& range) { return value < range.first; });
    return codePoint <= std::prev(after)->last ? 2 : 1;
}

void ColumnCounter::Add(char16_t unit) {
    if (unit >= 0x20 && unit < 0x7F) {
        // Printable ASCII, nearly all of a trace: one column, joining nothing.
        ++column_;
        previous_ = GraphemeBreak::Other;
        inEmoji_ = emojiJoiner_ = false;
        high_ = 0;
        return;
    }
    if (IsLowSurrogate(unit) && high_ != 0) {
        const char32_t pair =
            0x10000 + ((static_cast<char32_t>(high_) - 0xD800) << 10) + (unit - 0xDC00);
        high_ = 0;
        --column_;
        previous_ = previousBeforeHigh_;
        inEmoji_ = inEmojiBeforeHigh_;
        emojiJoiner_ = emojiJoinerBeforeHigh_;
        AddCodePoint(pair);
        return;
    }
    high_ = 0;
    if (unit == u'\t') {
        column_ = (column_ / kTabColumns + 1) * kTabColumns;
        previous_ = GraphemeBreak::Control;
        inEmoji_ = emojiJoiner_ = false;
        return;
    }
    if (unit < 0x20 || (unit >= 0x7F && unit < 0xA0)) {
        // A control (CR and LF included): one column, and nothing joins it.
        ++column_;
        previous_ = GraphemeBreak::Control;
        inEmoji_ = emojiJoiner_ = false;
        return;
    }
    if (IsHighSurrogate(unit)) {
        previousBeforeHigh_ = previous_;
        inEmojiBeforeHigh_ = inEmoji_;
        emojiJoinerBeforeHigh_ = emojiJoiner_;
        high_ = unit;
    }
    AddCodePoint(unit);  // a surrogate half alone is a control: one column
}

void ColumnCounter::AddCodePoint(char32_t codePoint) {
    using G = GraphemeBreak;
    const G property = GraphemeBreakOf(codePoint);
    std::size_t width = CodePointColumns(codePoint);
    if (property == G::Extend || property == G::ZWJ) {
        width = IsLineBreakOrControl(previous_) ? 1 : 0;
    } else if (JoinsSyllable(previous_, property)) {
        width = 0;
    } else if (property == G::ExtendedPictographic && emojiJoiner_) {
        width = 0;
    }
    column_ += width;
    emojiJoiner_ = property == G::ZWJ && inEmoji_;
    inEmoji_ = property == G::ExtendedPictographic || (inEmoji_ && property == G::Extend);
    previous_ = property;
}

std::size_t ColumnsOf(std::u16string_view line) {
    ColumnCounter counter;
    counter.Add(line);
    return counter.Column();
}

}  // namespace orsk
