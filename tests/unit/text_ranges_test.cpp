#include "window/textmodel/TextRanges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/Utf16.h"

namespace orsk {
namespace {

constexpr std::u16string_view kWords = u"ab cd\r\nef";  // lines at 0 and 7, its break at 5
constexpr std::u16string_view kLines = u"l1\r\nl2\r\nl3";
// Each a single character: an accented e, U+1F600 as a pair, two flags.
constexpr std::u16string_view kAccent = u"e\u0301";
constexpr std::u16string_view kTwoFlags = u"\U0001F1E9\U0001F1EA\U0001F1E9\U0001F1EA";

TextBuffer BufferWith(std::u16string_view text) {
    TextBuffer buffer;
    buffer.Append(text);
    return buffer;
}

std::u16string Concat(std::u16string_view a, std::u16string_view b) {
    return std::u16string(a) + std::u16string(b);
}

TEST(TextRangesMove, AnEndStepsByWholeCharactersLineBreaksAndStopsAtTheEnds) {
    struct Case {
        std::u16string text;
        std::size_t from;
        int count;
        std::size_t expected;
        int moved;
    };
    const Case cases[] = {
        {u"ab\r\ncd", 2, 1, 4, 1},  // CR LF is one character
        {u"ab\r\ncd", 4, -1, 2, -1},
        {u"ab\r\ncd", 3, -1, 2, -1},  // from inside the break
        {Concat(kAccent, u"x"), 0, 1, 2, 1},
        {u"\U0001F600b", 0, 1, 2, 1},
        {std::u16string(kTwoFlags), 0, 1, 4, 1},
        {std::u16string(kTwoFlags), 8, -2, 0, -2},
        {u"ab", 1, 5, 2, 1},  // only as far as the text goes
        {u"ab", 1, -5, 0, -1},
        {u"", 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " by " << c.count);
        const TextBuffer text = BufferWith(c.text);
        TextRange range{c.from, c.from};
        EXPECT_EQ(MoveEndpointByUnit(text, range, RangeEndpoint::End, TextUnit::Character, c.count),
                  c.moved);
        EXPECT_EQ(range, (TextRange{std::min(c.from, c.expected), c.expected}));
    }
}

TEST(TextRangesMove, AnEndThatPassesTheOtherTakesItAlongAndEndsStayWithinTheText) {
    const TextBuffer text = BufferWith(u"ab cd");
    TextRange range{0, 2};
    EXPECT_EQ(MoveEndpointByUnit(text, range, RangeEndpoint::Start, TextUnit::Word, 1), 1);
    EXPECT_EQ(range, (TextRange{3, 3}));
    range = TextRange{3, 5};
    EXPECT_EQ(MoveEndpointByUnit(text, range, RangeEndpoint::End, TextUnit::Character, -4), -4);
    EXPECT_EQ(range, (TextRange{1, 1}));
    MoveEndpointTo(text, range, RangeEndpoint::End, 99);  // clamped to the text
    EXPECT_EQ(range, (TextRange{1, 5}));
    // A range held while the text was emptied and filled again with less: from the end.
    range = TextRange{10, 12};
    EXPECT_EQ(MoveEndpointByUnit(text, range, RangeEndpoint::Start, TextUnit::Character, -1), -1);
    EXPECT_EQ(range, (TextRange{4, 5}));
}

TEST(TextRangesExpand, ARangeGrowsOrShrinksToTheUnitHoldingItsStart) {
    struct Case {
        std::u16string_view text;
        TextRange range;
        TextUnit unit;
        TextRange expected;
    };
    const Case cases[] = {
        {kWords, {1, 1}, TextUnit::Word, {0, 3}},  // a word with the blank after it
        {kWords, {3, 9}, TextUnit::Word, {3, 5}},
        {kWords, {5, 5}, TextUnit::Word, {5, 7}},  // the line break is a word of its own
        {kWords, {6, 6}, TextUnit::Word, {5, 7}},
        {u"  ab", {1, 1}, TextUnit::Word, {0, 2}},
        {u"ab\tcd", {4, 4}, TextUnit::Word, {3, 5}},
        {u"ab cd", {4, 4}, TextUnit::Format, {3, 5}},  // as a word
        {kWords, {4, 4}, TextUnit::Line, {0, 7}},      // with its CR LF
        {kWords, {8, 9}, TextUnit::Paragraph, {7, 9}},
        {u"ab\r\ncd", {6, 6}, TextUnit::Line, {4, 6}},  // the last line from its end
        {u"ab\r\n", {4, 4}, TextUnit::Line, {4, 4}},    // an empty last line
        {u"e\u0301x", {1, 1}, TextUnit::Character, {0, 2}},
        {u"ab", {2, 2}, TextUnit::Character, {2, 2}},  // nothing after the end
        {kWords, {3, 4}, TextUnit::Document, {0, 9}},
        {kWords, {3, 4}, TextUnit::Page, {0, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "range " << c.range.start << "-" << c.range.end
                                        << " unit " << static_cast<int>(c.unit));
        EXPECT_EQ(ExpandToEnclosingUnit(BufferWith(c.text), c.range, c.unit), c.expected);
    }
}

TEST(TextRangesMove, ARangeMovesByWholeUnitsAndAnEmptyOneStaysEmpty) {
    struct Case {
        std::u16string_view text;
        TextRange range;
        TextUnit unit;
        int count;
        TextRange expected;
        int moved;
    };
    const Case cases[] = {
        {u"ab cd ef", {0, 3}, TextUnit::Word, 1, {3, 6}, 1},
        {u"ab cd ef", {4, 4}, TextUnit::Word, 1, {6, 6}, 1},  // from the start of its word
        {u"ab cd ef", {4, 5}, TextUnit::Word, -1, {0, 3}, -1},
        {u"ab cd ef", {6, 8}, TextUnit::Word, 1, {6, 8}, 0},  // no word after the last
        {u"ab cd ef", {8, 8}, TextUnit::Word, 1, {8, 8}, 0},
        {kLines, {0, 0}, TextUnit::Line, 2, {8, 8}, 2},
        {kLines, {5, 5}, TextUnit::Line, -1, {0, 0}, -1},
        {kLines, {0, 4}, TextUnit::Line, 5, {8, 10}, 2},
        {kWords, {0, 3}, TextUnit::Word, 2, {5, 7}, 2},  // onto the line break
        {u"a\U0001F600b", {0, 1}, TextUnit::Character, 1, {1, 3}, 1},
        {u"ab", {0, 1}, TextUnit::Character, 0, {0, 1}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "range " << c.range.start << "-" << c.range.end << " unit "
                     << static_cast<int>(c.unit) << " by " << c.count);
        TextRange range = c.range;
        EXPECT_EQ(MoveRange(BufferWith(c.text), range, c.unit, c.count), c.moved);
        EXPECT_EQ(range, c.expected);
    }
}

TEST(TextRangesText, CopiesAtMostWhatIsAskedAndNothingBeyondTheText) {
    struct Case {
        TextRange range;
        std::int64_t maxLength;
        std::u16string_view expected;
    };
    // Long enough to span chunks: what is asked for is read, not the whole range.
    std::u16string longText(TextBuffer::kChunkUnits + 10, u'x');
    longText.replace(TextBuffer::kChunkUnits - 2, 4, u"abcd");
    const TextBuffer text = BufferWith(longText);
    const std::size_t seam = TextBuffer::kChunkUnits - 2;
    const Case cases[] = {
        {{seam, longText.size()}, 4, u"abcd"},
        {{seam, seam + 3}, -1, u"abc"},
        {{seam, longText.size()}, 0, u""},
        {{longText.size() - 2, longText.size() + 50}, 100, u"xx"},
        {{longText.size() + 5, longText.size() + 9}, -1, u""},  // a range the text outgrew
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "range " << c.range.start << " max " << c.maxLength);
        EXPECT_EQ(TextOf(text, c.range, c.maxLength), c.expected);
    }
}

TEST(TextRangesFind, FindsForwardsOrBackwardsWithinTheRangeInTheAskedCase) {
    struct Case {
        TextRange range;
        std::u16string_view needle;
        bool backward;
        bool ignoreCase;
        std::optional<TextRange> expected;
    };
    const TextBuffer text = BufferWith(u"abcABCabc");
    const Case cases[] = {
        {{0, 9}, u"abc", false, false, TextRange{0, 3}},
        {{0, 9}, u"abc", true, false, TextRange{6, 9}},
        {{0, 9}, u"ABC", false, false, TextRange{3, 6}},
        {{0, 9}, u"ABC", true, true, TextRange{6, 9}},
        {{1, 8}, u"abc", false, false, std::nullopt},  // matches must lie within the range
        {{1, 8}, u"abc", true, true, TextRange{3, 6}},
        {{0, 9}, u"", false, false, std::nullopt},
        {{0, 99}, u"cab", true, true, TextRange{5, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "range " << c.range.start << "-" << c.range.end
                                        << (c.backward ? " backward" : " forward"));
        EXPECT_EQ(FindInRange(text, c.range, c.needle, c.backward, c.ignoreCase ? FoldAZ : nullptr),
                  c.expected);
    }
}

TEST(TextRangesFind, FindsAMatchAcrossTheEdgeOfABlockItReads) {
    // The range is read 64 Ki units at a time: a match across the edge of the first block read
    // forwards, and of the first read backwards, is still found.
    constexpr std::size_t kLength = 140000;
    for (const bool backward : {false, true}) {
        const std::size_t at = backward ? kLength - 65536 - 7 : 65536 - 2;
        std::u16string units(kLength, u'x');
        units.replace(at, 6, u"needle");
        SCOPED_TRACE(backward ? "backward" : "forward");
        EXPECT_EQ(FindInRange(BufferWith(units), {0, kLength}, u"needle", backward),
                  (TextRange{at, at + 6}));
    }
}

}  // namespace
}  // namespace orsk
