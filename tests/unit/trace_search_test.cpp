#include "window/view/TraceSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/MemoryTextArea.h"
#include "window/textmodel/TextBuffer.h"

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
            return NotFoundText(text_, u" not found");
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
    EXPECT_EQ(box.Button().caption, SearchCaption::Next);

    EXPECT_EQ(box.Press(), u"hello not found");
    ExpectSelection(29, 5);
    EXPECT_EQ(box.Pos(), 30);
    EXPECT_EQ(box.Button().caption, SearchCaption::Next);
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
            EXPECT_EQ(box.Button().caption, SearchCaption::Search);
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
        SearchCaption caption;
    };
    const Case cases[] = {
        {u"", 1, false, SearchCaption::Search},           {u"   ", 1, false, SearchCaption::Search},
        {u"\t\r\n\x1F", 1, false, SearchCaption::Search}, {u"   ", 7, false, SearchCaption::Next},
        {u" a", 1, true, SearchCaption::Search},          {u"a ", 2, true, SearchCaption::Next},
        {u"\u00A0", 1, true, SearchCaption::Search},      {u"!", 0, true, SearchCaption::Search},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.text.size() << " pos " << c.pos);
        const SearchButtonState state = SearchButtonFor(c.text, c.pos);
        EXPECT_EQ(state.enabled, c.enabled);
        EXPECT_EQ(state.caption, c.caption);
    }
}

TEST(SearchText, NotFoundTextAppendsTheSuffix) {
    EXPECT_EQ(NotFoundText(u"hello", u" not found"), u"hello not found");
    EXPECT_EQ(NotFoundText(u" a", u" not found"), u" a not found");
    EXPECT_EQ(NotFoundText(u"", u" not found"), u" not found");
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
    // The scan tests the needle's two rarest units first, wherever they stand in it.
    const std::u16string needles[] = {u"k", u"Ke", u"-y", u"kEY", u".kEy", u"eY", u"ke\u00E9"};
    for (bool nearMisses : {false, true}) {
        // Past two blocks of the vector scan, and every tail length.
        for (std::size_t length = 1; length <= 140; ++length) {
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

// The chunked search must find what the search of the same text in one piece finds, wherever
// the chunk boundaries fall. Chunks only get small through edits: here a text of several
// chunks is cut down to a few units per chunk, so that every needle crosses boundaries.
TEST(SearchFindFoldedChunks, AgreesWithTheSearchInOnePieceOverTinyChunks) {
    constexpr std::size_t kChunk = TextBuffer::kChunkUnits;
    std::mt19937 random(8);
    static constexpr char16_t kUnits[] = u"aAbB-[{\u00E9\u00C9";
    auto unit = [&] {
        return kUnits[std::uniform_int_distribution<std::size_t>(0, std::size(kUnits) - 2)(random)];
    };
    const std::vector<std::vector<std::size_t>> layouts = {{3, 1, 4, 2}, {1, 1, 1}, {5, 2}, {1, 6}};
    TextBuffer buffer;
    std::u16string full;
    for (const std::vector<std::size_t>& sizes : layouts) {
        std::u16string text;
        full.assign(sizes.size() * kChunk, u'.');
        for (std::size_t i = 9; i < full.size(); i += 10) {
            full.replace(i - 1, 2, u"\r\n");  // short lines, as the view has
        }
        for (std::size_t c = 0; c < sizes.size(); ++c) {
            for (std::size_t i = 0; i < sizes[c]; ++i) {
                text.push_back(unit());
                full[c * kChunk + i] = text.back();
            }
        }
        buffer.ClearForRefill();
        buffer.Append(full);
        for (std::size_t c = sizes.size(); c-- > 0;) {
            buffer.Replace(c * kChunk + sizes[c], kChunk - sizes[c], u"");
        }
        ASSERT_EQ(buffer.ReadAll(), text);
        ASSERT_EQ(buffer.ChunkCount(), sizes.size());
        for (std::size_t c = 0; c < sizes.size(); ++c) {
            ASSERT_EQ(buffer.Chunk(c).size(), sizes[c]);
        }

        // Every piece of the text as a needle, its Latin letters in the other case, and random
        // needles that mostly do not occur.
        std::vector<std::u16string> needles;
        for (std::size_t start = 0; start < text.size(); ++start) {
            for (std::size_t n = 1; start + n <= text.size() + 1 && n <= 7; ++n) {
                std::u16string needle = text.substr(start, n);
                for (char16_t& u : needle) {
                    u = u == u'a' ? u'A' : u == u'B' ? u'b' : u;
                }
                if (start + n > text.size()) {
                    needle.back() = unit();  // may run past the end
                }
                needles.push_back(needle);
            }
        }
        for (int i = 0; i < 30; ++i) {
            needles.push_back({unit(), unit(), unit()});
        }
        for (const std::u16string& needle : needles) {
            for (std::size_t from = 0; from <= text.size() + 1; ++from) {
                ASSERT_EQ(FindFolded(buffer, needle, from), FindFolded(text, needle, from))
                    << "chunks " << sizes.size() << " text length " << text.size()
                    << " needle length " << needle.size() << " from " << from;
            }
        }
    }
}

// Full chunks, as a text that was only appended to has them: needles placed over the boundary,
// right at it, at the very end, and searches that start inside the seam.
TEST(SearchFindFoldedChunks, FindsNeedlesAcrossFullChunks) {
    constexpr std::size_t kChunk = TextBuffer::kChunkUnits;
    std::u16string text(kChunk + 500, u'a');
    for (std::size_t i = 9; i < text.size(); i += 10) {
        text[i - 1] = u'\r';
        text[i] = u'\n';
    }
    // A near miss just before the boundary: the first units of the needles, then a mismatch.
    const std::size_t boundary = kChunk;
    const std::size_t nearAt = boundary - 120;
    text.replace(nearAt, 4, u"qZx-");
    const std::u16string filler = text;
    const std::u16string needles[] = {u"Q", u"qZ", u"QzXw",
                                      u"qzxW0123456789ABCDEFGHIJKLMNOPQRSTUVWX"};

    TextBuffer buffer;
    for (const std::u16string& needle : needles) {
        const std::size_t n = needle.size();
        // Ending at the boundary, starting one after each of its first units, in the middle,
        // starting right at the boundary and after it.
        std::vector<std::size_t> starts = {boundary - n, boundary - n + 1, boundary - n / 2,
                                           boundary - 1, boundary,         boundary + 1};
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
        for (const std::size_t start : starts) {
            SCOPED_TRACE(testing::Message() << "needle length " << n << " at " << start);
            // The haystack has the needle with its case swapped, and a second copy after it.
            std::u16string placed = needle;
            for (char16_t& u : placed) {
                u = u >= u'a' && u <= u'z'   ? char16_t(u - 32)
                    : u >= u'A' && u <= u'Z' ? char16_t(u + 32)
                                             : u;
            }
            const std::size_t second = start + needle.size() + 7;
            text.replace(start, placed.size(), placed);
            text.replace(second, placed.size(), placed);
            buffer.ClearForRefill();
            buffer.Append(text);
            ASSERT_EQ(buffer.ChunkCount(), 2u);
            ASSERT_EQ(buffer.ChunkStart(1), kChunk);

            for (const std::size_t from :
                 {boundary - 130, start - 1, start, start + 1, boundary - 1, boundary}) {
                // "Q" and "qZ" match the near miss as well.
                const std::size_t expected = needle.size() <= 2 && from <= nearAt ? nearAt
                                             : from <= start                      ? start
                                                                                  : second;
                EXPECT_EQ(FindFolded(buffer, needle, from), expected) << "from " << from;
                EXPECT_EQ(FindFolded(std::u16string_view(text), needle, from), expected)
                    << "from " << from;
            }
            text.replace(start, placed.size(), filler, start, placed.size());
            text.replace(second, placed.size(), filler, second, placed.size());
        }
    }

    // A needle at the very end of a text that ends at a chunk boundary, and one that would run
    // past it; "\u00C9" is not folded.
    text.resize(2 * kChunk);
    std::fill(text.begin() + kChunk + 500, text.end(), u'a');
    text.replace(2 * kChunk - 3, 3, u"\u00C9nD");
    buffer.ClearForRefill();
    buffer.Append(text);
    ASSERT_EQ(buffer.ChunkCount(), 2u);
    const std::size_t last = 2 * kChunk - 3;
    struct Case {
        std::u16string_view needle;
        std::size_t from;
        std::optional<std::size_t> expected;
    };
    for (const Case& c :
         {Case{u"\u00C9ND", kChunk - 1, last}, Case{u"\u00C9nd", last, last},
          Case{u"d", 2 * kChunk - 1, 2 * kChunk - 1}, Case{u"\u00C9nd", last + 1, {}},
          Case{u"\u00C9ndx", kChunk - 1, {}}, Case{u"\u00E9nd", kChunk - 1, {}},
          Case{u"d", 2 * kChunk, {}}, Case{u"d", 2 * kChunk + 1, {}}}) {
        EXPECT_EQ(FindFolded(buffer, c.needle, c.from), c.expected)
            << "needle length " << c.needle.size() << " from " << c.from;
    }
}

// A text area over the chunked text, as the window's own control is: the search steps through
// it as through the same text in one piece.
class BufferTextArea final : public TextArea {
public:
    std::u16string ReadAll() const override { return buffer_.ReadAll(); }
    std::size_t Length() const override { return buffer_.Length(); }
    bool LastLineIsEmpty() const override { return true; }
    void Append(std::u16string_view text) override { buffer_.Append(text); }
    void ReplaceAll(std::u16string_view text) override {
        buffer_.Clear();
        buffer_.Append(text);
    }
    std::optional<std::size_t> FindFolded(std::u16string_view needle,
                                          std::size_t from) const override {
        return orsk::FindFolded(buffer_, needle, from);
    }
    void Select(std::size_t, std::size_t) override {}

private:
    TextBuffer buffer_;
};

TEST(SearchFindFoldedChunks, SearchStepsThroughAChunkedViewAsThroughOnePiece) {
    constexpr std::size_t kChunk = TextBuffer::kChunkUnits;
    const std::vector<std::size_t> places = {5, kChunk - 2, kChunk + 1, 2 * kChunk - 1,
                                             2 * kChunk + 7};
    std::u16string text(2 * kChunk + 10, u'-');
    for (const std::size_t at : places) {
        text.replace(at, 3, at % 2 ? u"AbC" : u"aBc");
    }
    BufferTextArea area;
    area.Append(text);
    ASSERT_EQ(area.Length(), text.size());
    TraceSearch chunked;
    TraceSearch whole;
    std::vector<std::size_t> found;
    for (std::size_t press = 0; press <= places.size(); ++press) {
        const auto match = chunked.Step(area, u"abc");
        const auto expected = whole.Step(text, u"abc");
        ASSERT_EQ(match.has_value(), expected.has_value()) << "press " << press;
        ASSERT_EQ(chunked.SearchPos(), whole.SearchPos()) << "press " << press;
        if (match) {
            EXPECT_EQ(match->selectionStart, expected->selectionStart);
            found.push_back(match->selectionStart);
        }
    }
    EXPECT_EQ(found, places);
}

}  // namespace
}  // namespace orsk
