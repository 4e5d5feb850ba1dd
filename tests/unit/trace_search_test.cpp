#include "window/TraceSearch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "window/MemoryTextArea.h"

namespace orsk {
namespace {

// What the window does around a search step: select the match, or report it missing, and
// refresh the button.
class SearchBox {
public:
    explicit SearchBox(MemoryTextArea& area) : area_(area) {}

    void Type(std::u16string text) {
        text_ = std::move(text);
        search_.SearchTextChanged();
    }

    // The information box's text, or nothing when a match was selected.
    std::optional<std::u16string> Press() {
        const auto match = search_.Step(area_.Text(), text_);
        if (!match) {
            return NotFoundText(text_);
        }
        area_.Select(match->selectionStart, match->selectionLength);
        return std::nullopt;
    }

    std::int64_t Pos() const { return search_.SearchPos(); }
    SearchButtonState Button() const { return SearchButtonFor(text_, search_.SearchPos()); }

private:
    MemoryTextArea& area_;
    TraceSearch search_;
    std::u16string text_;
};

class TraceSearchTest : public testing::Test {
protected:
    void ExpectSelection(std::size_t start, std::size_t length) {
        EXPECT_EQ(area.SelectionStart(), start);
        EXPECT_EQ(area.SelectionLength(), length);
    }

    MemoryTextArea area;
    SearchBox box{area};
};

TEST_F(TraceSearchTest, FindsRegardlessOfLatinCaseThenReportsTheEnd) {
    area.SetUserText(u"----\r\n12/9/2026 10:31:50 AM\r\nHello\r\n\r\n");
    box.Type(u"hello");
    EXPECT_EQ(box.Press(), std::nullopt);
    ExpectSelection(29, 5);
    EXPECT_EQ(box.Pos(), 30);
    EXPECT_TRUE(box.Button().enabled);
    EXPECT_EQ(box.Button().caption, u"&Next");

    EXPECT_EQ(box.Press(), u"hello not found");
    ExpectSelection(29, 5);
    EXPECT_EQ(box.Pos(), 30);
    EXPECT_EQ(box.Button().caption, u"&Next");
}

TEST_F(TraceSearchTest, AMatchAtTheVeryStartIsFoundAgainAndAgain) {
    struct Case {
        std::u16string view;
        std::u16string search;
    };
    const Case cases[] = {{u"----\r\nx\r\n", u"-"}, {u"aaaa", u"aa"}};
    for (const Case& c : cases) {
        area.SetUserText(c.view);
        box.Type(c.search);
        for (int press = 0; press < 3; ++press) {
            EXPECT_EQ(box.Press(), std::nullopt);
            ExpectSelection(0, c.search.size());
            EXPECT_EQ(box.Pos(), 1);
            EXPECT_EQ(box.Button().caption, u"&Search");
        }
    }
}

TEST_F(TraceSearchTest, NextContinuesAfterTheMatchWithoutOverlap) {
    area.SetUserText(u"xaaaa");
    box.Type(u"AA");
    EXPECT_EQ(box.Press(), std::nullopt);
    ExpectSelection(1, 2);
    EXPECT_EQ(box.Press(), std::nullopt);
    ExpectSelection(3, 2);
    EXPECT_EQ(box.Pos(), 4);
    EXPECT_EQ(box.Press(), u"AA not found");
    EXPECT_EQ(box.Pos(), 4);
}

TEST_F(TraceSearchTest, SpacesAreTrimmedOnlyForTheButton) {
    area.SetUserText(u"xa a");
    box.Type(u" a");
    EXPECT_TRUE(box.Button().enabled);
    EXPECT_EQ(box.Press(), std::nullopt);
    ExpectSelection(2, 2);
}

TEST_F(TraceSearchTest, ContinuingInAShrunkViewFindsNothingUntilTheTextChanges) {
    area.SetUserText(u"x abc abc");
    box.Type(u"abc");
    box.Press();
    box.Press();
    EXPECT_EQ(box.Pos(), 7);
    for (std::u16string shrunk : {u"", u"x abc"}) {
        area.ReplaceAll(shrunk);
        EXPECT_EQ(box.Press(), u"abc not found");
        EXPECT_EQ(box.Pos(), 7);
    }
    box.Type(u"abc");
    EXPECT_EQ(box.Press(), std::nullopt);
    EXPECT_EQ(box.Pos(), 3);
}

TEST(SearchButtonFor, EnablesOnTextBeyondControlsAndSpaces) {
    struct Case {
        std::u16string_view text;
        std::int64_t pos;
        bool enabled;
        std::u16string_view caption;
    };
    const Case cases[] = {
        {u"", 1, false, u"&Search"},           {u"   ", 1, false, u"&Search"},
        {u"\t\r\n\x1F", 1, false, u"&Search"}, {u"   ", 7, false, u"&Next"},
        {u" a", 1, true, u"&Search"},          {u"a ", 2, true, u"&Next"},
        {u"\u00A0", 1, true, u"&Search"},      {u"!", 0, true, u"&Search"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.text.size() << " pos " << c.pos);
        const SearchButtonState state = SearchButtonFor(c.text, c.pos);
        EXPECT_EQ(state.enabled, c.enabled);
        EXPECT_EQ(state.caption, c.caption);
    }
}

TEST(SearchText, NotFoundTextAppendsTheSuffix) {
    EXPECT_EQ(NotFoundText(u"hello"), u"hello not found");
    EXPECT_EQ(NotFoundText(u" a"), u" a not found");
    EXPECT_EQ(NotFoundText(u""), u" not found");
}

TEST(SearchFindFolded, EdgeCases) {
    constexpr auto kNone = std::optional<std::size_t>{};
    struct Case {
        std::u16string_view haystack;
        std::u16string_view needle;
        std::size_t from;
        std::optional<std::size_t> expected;
    };
    const Case cases[] = {
        {u"Hello", u"hello", 0, 0},
        {u"xHeLLo", u"HELLO", 0, 1},
        {u"Hello", u"", 0, kNone},
        {u"", u"a", 0, kNone},
        {u"", u"", 0, kNone},
        {u"abc", u"abcd", 0, kNone},
        {u"ab", u"B", 1, 1},
        {u"abc", u"c", 3, kNone},
        {u"abc", u"a", 10, kNone},
        {u"abcABC", u"abc", 1, 3},
        // Only A-Z fold.
        {u"café", u"CAFÉ", 0, kNone},
        {u"CAFÉ", u"café", 0, kNone},
        {u"café", u"CAFé", 0, 0},
        {u"ΩΣ", u"ωσ", 0, kNone},
        {u"xΩ", u"Ω", 0, 1},
        // Neighbours of the letter ranges and units that share a letter's low bits.
        {u"`@", u"@", 0, 1},
        {u"@`", u"`", 0, 1},
        {u"{[", u"[", 0, 1},
        {u"[{", u"{", 0, 1},
        {u"\u0141\u0161\u0121a", u"A", 0, 3},
        {u"\u0161", u"\u0141", 0, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "haystack length " << c.haystack.size() << " needle length "
                     << c.needle.size() << " from " << c.from);
        EXPECT_EQ(FindFolded(c.haystack, c.needle, c.from), c.expected);
    }
}

// The scan takes several units at a time; every match position, start and tail length must
// still give the leftmost match, as a unit-by-unit search does.
TEST(SearchFindFolded, AgreesWithAUnitByUnitSearchAtEveryPosition) {
    auto fold = [](char16_t u) { return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u; };
    auto reference = [&](std::u16string_view h, std::u16string_view n,
                         std::size_t from) -> std::optional<std::size_t> {
        for (std::size_t i = from; n.size() <= h.size() && i + n.size() <= h.size(); ++i) {
            std::size_t k = 0;
            while (k < n.size() && fold(h[i + k]) == fold(n[k])) {
                ++k;
            }
            if (k == n.size()) {
                return i;
            }
        }
        return std::nullopt;
    };
    const std::u16string needles[] = {u"k", u"Ke", u"-y", u"kEY"};
    for (bool nearMisses : {false, true}) {
        for (std::size_t length = 1; length <= 40; ++length) {
            for (std::size_t at = 0; at < length; ++at) {
                // "KeY" at `at`, after either plain filler or partial matches ("k", "Ke").
                std::u16string haystack(length, u'.');
                for (std::size_t i = 0; nearMisses && i < at; i += 3) {
                    haystack.replace(i, std::min<std::size_t>(2, at - i), i % 2 ? u"Ke" : u"kE");
                }
                haystack.replace(at, 3, std::u16string(u"KeY").substr(0, length - at));
                for (const std::u16string& needle : needles) {
                    for (std::size_t from : {std::size_t{0}, at / 2, at, at + 1}) {
                        ASSERT_EQ(FindFolded(haystack, needle, from),
                                  reference(haystack, needle, from))
                            << "length " << length << " at " << at << " needle length "
                            << needle.size() << " from " << from << " near misses " << nearMisses;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace orsk
