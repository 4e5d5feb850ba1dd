#pragma once
// The grapheme-break property of a code point (Unicode's UAX #29 as of Unicode 15.0), which
// says how it joins its neighbours into what a reader sees as one character.

namespace orsk {

enum class GraphemeBreak : unsigned char {
    Other,
    CR,
    LF,
    Control,
    Extend,
    ZWJ,
    RegionalIndicator,
    Prepend,
    SpacingMark,
    L,
    V,
    T,
    LV,
    LVT,
    ExtendedPictographic,
    HangulSyllable,  // only in the table: LV or LVT, by the syllable's place in its block
};

// The property of a code point (never HangulSyllable).
GraphemeBreak GraphemeBreakOf(char32_t codePoint);

}  // namespace orsk
