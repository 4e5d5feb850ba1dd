#include "store/TraceStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "common/TraceError.h"
#include "store/Wtf8.h"

namespace orsk {
namespace {

constexpr std::size_t kChunk = TraceStore::kTextChunkBytes;

struct Entry {
    TraceDate date;
    std::int32_t level = 0;
    std::u16string memo;
    friend bool operator==(const Entry&, const Entry&) = default;
};

void MakeOpen(TraceStore& store) {
    store.CreateTable();
    store.Open();
}

void AppendAll(TraceStore& store, const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        store.Append(e.date, e.level, e.memo);
    }
}

// Reads the store both ways, so that the cursor and the visitor are held to the same result.
void ExpectHolds(TraceStore& store, const std::vector<Entry>& expected) {
    std::vector<Entry> byCursor;
    for (store.First(); !store.Eof(); store.Next()) {
        byCursor.push_back({store.TraceDateValue(), store.TraceLevel(), store.TraceMemo()});
    }
    std::vector<Entry> byVisitor;
    store.ForEach([&](TraceDate date, std::int32_t level, std::u16string_view memo) {
        byVisitor.push_back({date, level, std::u16string(memo)});
    });
    EXPECT_EQ(store.Count(), expected.size());
    ASSERT_EQ(byCursor.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(byCursor[i] == expected[i]) << "cursor, entry " << i;
        EXPECT_TRUE(byVisitor[i] == expected[i]) << "visitor, entry " << i;
    }
    EXPECT_EQ(byVisitor.size(), expected.size());
}

void ExpectThrowsWith(const std::function<void()>& operation, const std::string& text) {
    try {
        operation();
        ADD_FAILURE() << "no TraceError; expected one containing \"" << text << '"';
    } catch (const TraceError& error) {
        EXPECT_NE(std::string(error.what()).find(text), std::string::npos) << error.what();
    }
}

TEST(TraceStoreState, OpeningNeedsTheTable) {
    TraceStore store;
    ExpectThrowsWith([&] { store.Open(); }, "no table");
    store.Close();  // harmless while undefined
    store.EmptyTable();
    EXPECT_FALSE(store.Active());
    ExpectThrowsWith([&] { store.SetActive(true); }, "no table");
    store.CreateTable();
    store.CreateTable();  // again while closed
    store.Open();
    EXPECT_TRUE(store.Active());
}

TEST(TraceStoreState, RefusesEveryAccessWhileNotOpen) {
    const std::function<void(TraceStore&)> states[] = {
        [](TraceStore&) {},                      // undefined
        [](TraceStore& s) { s.CreateTable(); },  // closed
        [](TraceStore& s) {                      // closed after use
            MakeOpen(s);
            s.Append({1}, 2, u"gone");
            s.Close();
        },
    };
    for (const auto& enter : states) {
        TraceStore store;
        enter(store);
        const std::size_t allocated = store.AllocatedBytes();
        ExpectThrowsWith([&] { store.Append({1}, 1, u"lost"); }, "not open");
        ExpectThrowsWith([&] { store.First(); }, "not open");
        ExpectThrowsWith([&] { store.Next(); }, "not open");
        ExpectThrowsWith([&] { store.TraceDateValue(); }, "not open");
        ExpectThrowsWith([&] { store.TraceLevel(); }, "not open");
        ExpectThrowsWith([&] { store.TraceMemo(); }, "not open");
        ExpectThrowsWith(
            [&] { store.ForEach([](TraceDate, std::int32_t, std::u16string_view) {}); },
            "not open");
        EXPECT_TRUE(store.Eof());
        EXPECT_EQ(store.Count(), 0u);
        EXPECT_EQ(store.AllocatedBytes(), allocated);
    }
}

TEST(TraceStoreState, OpenCloseAndEmptyTransitions) {
    TraceStore store;
    MakeOpen(store);
    AppendAll(store, {{{1}, 1, u"a"}, {{2}, 2, u"b"}});
    store.Open();  // already open: keeps the entries
    ExpectHolds(store, {{{1}, 1, u"a"}, {{2}, 2, u"b"}});
    ExpectThrowsWith([&] { store.CreateTable(); }, "open");
    EXPECT_TRUE(store.Active());

    store.EmptyTable();  // stays open and takes new entries
    EXPECT_TRUE(store.Active());
    ExpectHolds(store, {});
    store.Append({3}, 3, u"c");
    ExpectHolds(store, {{{3}, 3, u"c"}});

    store.SetActive(false);
    store.Close();
    store.EmptyTable();
    EXPECT_FALSE(store.Active());
    store.CreateTable();
    store.SetActive(true);
    ExpectHolds(store, {});
    store.Append({4}, 4, u"d");
    ExpectHolds(store, {{{4}, 4, u"d"}});
}

TEST(TraceStoreCursor, EofAndFieldsAtTheEnd) {
    TraceStore store;
    MakeOpen(store);
    store.First();
    EXPECT_TRUE(store.Eof());
    ExpectThrowsWith([&] { store.TraceMemo(); }, "at its end");
    store.Append({7}, 7, u"x");
    store.First();
    store.Next();
    store.Next();  // stays at the end
    EXPECT_TRUE(store.Eof());
    ExpectThrowsWith([&] { store.TraceDateValue(); }, "at its end");
    ExpectThrowsWith([&] { store.TraceLevel(); }, "at its end");
    store.First();
    store.ForEach([](TraceDate, std::int32_t, std::u16string_view) {});
    EXPECT_EQ(store.TraceLevel(), 7);  // the visitor left the cursor alone
}

TEST(TraceStoreContent, KeepsOrderLevelsAndDatesExactly) {
    constexpr auto kMaxLevel = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMinLevel = std::numeric_limits<std::int32_t>::min();
    const TraceDate day = MakeTraceDate({2026, 12, 9, 10, 31, 50, 123});
    const std::vector<Entry> entries = {
        {day, 0, u"zero"},
        {{day.msSinceEpoch + 1}, kMaxLevel, u"next millisecond"},
        {{day.msSinceEpoch - 1}, kMinLevel, u"earlier, out of order"},
        {{0}, -1, u"epoch"},
        {{std::numeric_limits<std::int64_t>::max()}, 1, u"latest"},
        {{std::numeric_limits<std::int64_t>::min()}, 2, u"earliest"},
    };
    TraceStore store;
    MakeOpen(store);
    AppendAll(store, entries);
    ExpectHolds(store, entries);
}

// A long text with every kind of sequence, and a surrogate pair across the encoder's slices.
std::u16string LongMixedText(std::size_t bytesAtLeast) {
    const std::u16string pattern = u"ab\u00e9\u20ac\U0001F600\xDC01\r\n";
    std::u16string text(1023, u'x');
    text += u"\U0001F600";
    std::size_t bytes = ToWtf8(text).size();
    while (bytes < bytesAtLeast) {
        text += pattern;
        bytes += ToWtf8(pattern).size();
    }
    return text;
}

TEST(TraceStoreContent, TextsRoundTripExactly) {
    const std::u16string texts[] = {
        u"",
        u"plain ASCII text of some length",
        u"line\r\nnext\r\n",
        std::u16string(u"embedded\0zero and trailing\0", 28),
        std::u16string(1, u'\0'),
        u"caf\u00e9 \u20ac \u4e2d\u6587 \uFFFF",
        u"pairs \U0001F600\U00010000\U0010FFFF",
        u"lone high \xD800 at end \xDBFF",
        u"\xDC00 lone low, reversed pair \xDC00\xD800",
        u"text ends in a high surrogate \xD83D",
        u"\xDE00 and the next starts with a low one",  // must not join with the one above
        LongMixedText(3 * kChunk + 17),
    };
    std::vector<Entry> entries;
    for (const std::u16string& text : texts) {
        entries.push_back({{static_cast<std::int64_t>(entries.size())}, 1, text});
    }
    TraceStore store;
    MakeOpen(store);
    AppendAll(store, entries);
    ExpectHolds(store, entries);
}

TEST(TraceStoreContent, TextsStraddlingChunkEnds) {
    // The padding leaves `room` bytes in the first chunk, so every way of cutting the probes'
    // sequences at the chunk end is met.
    const std::u16string probes[] = {u"\u00e9\u00e9\u00e9", u"\u20ac\u20ac",
                                     u"\U0001F600\U0001F601", u"\xDC00\xD800\xDC00",
                                     u"a\U0001F600\u00e9\u20ac"};
    for (std::size_t room = 0; room <= 9; ++room) {
        for (const std::u16string& probe : probes) {
            const std::vector<Entry> entries = {
                {{1}, 1, std::u16string(kChunk - room, u'p')}, {{2}, 2, probe}, {{3}, 3, u"tail"}};
            TraceStore store;
            MakeOpen(store);
            AppendAll(store, entries);
            SCOPED_TRACE(room);
            ExpectHolds(store, entries);
        }
    }
}

TEST(TraceStoreMemory, GrowsByChunksNotPerEntry) {
    TraceStore store;
    MakeOpen(store);
    EXPECT_LT(store.AllocatedBytes(), 256u);
    std::vector<Entry> entries;
    const auto append = [&] {
        const auto n = static_cast<std::int32_t>(entries.size());
        const std::string digits = std::to_string(n);
        entries.push_back({{n}, n, u"entry " + std::u16string(digits.begin(), digits.end())});
        store.Append(entries.back().date, entries.back().level, entries.back().memo);
    };
    append();
    const std::size_t oneChunk = store.AllocatedBytes();
    while (entries.size() < TraceStore::kEntriesPerChunk) {
        append();
    }
    EXPECT_EQ(store.AllocatedBytes(), oneChunk);
    append();  // needs a second entry chunk, and only that
    EXPECT_GE(store.AllocatedBytes() - oneChunk, 20 * TraceStore::kEntriesPerChunk);
    EXPECT_LT(store.AllocatedBytes() - oneChunk, 21 * TraceStore::kEntriesPerChunk);
    ExpectHolds(store, entries);
}

TEST(TraceStoreMemory, GivesEverythingBackOnEmptyAndClose) {
    TraceStore store;
    MakeOpen(store);
    const std::size_t empty = store.AllocatedBytes();
    const std::u16string text(100, u'm');
    for (const std::function<void()>& release :
         std::vector<std::function<void()>>{[&] { store.EmptyTable(); }, [&] { store.Close(); }}) {
        store.Open();
        for (int i = 0; i < 100'000; ++i) {
            store.Append({i}, i, text);
        }
        EXPECT_GT(store.AllocatedBytes(), 100 * 100'000u);
        release();
        EXPECT_EQ(store.AllocatedBytes(), empty);
        EXPECT_EQ(store.Count(), 0u);
    }
}

TEST(TraceStoreMemory, OverheadPerEntryAtAMillionEntries) {
    constexpr std::size_t kEntries = 1'000'000;
    const std::u16string text(100, u'a');
    TraceStore store;
    MakeOpen(store);
    for (std::size_t i = 0; i < kEntries; ++i) {
        store.Append({static_cast<std::int64_t>(i)}, 1, text);
    }
    ASSERT_EQ(store.Count(), kEntries);
    const double overhead =
        static_cast<double>(store.AllocatedBytes() - kEntries * text.size()) / kEntries;
    EXPECT_LE(overhead, 32.0);
    std::size_t units = 0;
    store.ForEach([&](TraceDate, std::int32_t, std::u16string_view memo) { units += memo.size(); });
    EXPECT_EQ(units, kEntries * text.size());
}

TEST(TraceStoreWtf8, EncodesEachKindOfUnit) {
    const struct {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {std::u16string(1, u'\0'), std::string(1, '\0')},
        {u"A\u007F", "A\x7F"},
        {u"\u0080\u07FF", "\xC2\x80\xDF\xBF"},
        {u"\u0800\uFFFF", "\xE0\xA0\x80\xEF\xBF\xBF"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\xD800x\xDFFF", "\xED\xA0\x80x\xED\xBF\xBF"},
        {u"\xDC00\xD800", "\xED\xB0\x80\xED\xA0\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToWtf8(c.text), c.bytes);
        EXPECT_EQ(FromWtf8(c.bytes), c.text);
    }
}

TEST(TraceStoreWtf8, MalformedBytesGiveReplacementCharacters) {
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"\xC3", u"\uFFFD"},   {"\xE2\x82", u"\uFFFD\uFFFD"}, {"\x80z", u"\uFFFDz"},
        {"\xC3(", u"\uFFFD("}, {"\xF8\xFF", u"\uFFFD\uFFFD"}, {"\xF4\x90\x80\x80", u"\uFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromWtf8(c.bytes), c.text);
    }
}

TEST(TraceStoreWtf8, CompletePrefixStopsBeforeACutSequence) {
    EXPECT_EQ(Wtf8CompletePrefix(""), 0u);
    EXPECT_EQ(Wtf8CompletePrefix("ab"), 2u);
    EXPECT_EQ(Wtf8CompletePrefix("a\xC3"), 1u);
    EXPECT_EQ(Wtf8CompletePrefix("a\xC3\xA9"), 3u);
    EXPECT_EQ(Wtf8CompletePrefix("a\xE2\x82"), 1u);
    EXPECT_EQ(Wtf8CompletePrefix("a\xF0\x9F\x98"), 1u);
    EXPECT_EQ(Wtf8CompletePrefix("a\xF0\x9F\x98\x80"), 5u);
}

TEST(TraceStoreWtf8, AsciiFastPathAroundNonAsciiAtEveryPosition) {
    for (std::size_t length = 0; length <= 20; ++length) {
        for (std::size_t at = 0; at <= length; ++at) {
            for (const char16_t* odd : {u"\u00e9", u"\U0001F600", u"\xD800"}) {
                std::u16string text(length, u'a');
                text.insert(at, odd);
                EXPECT_EQ(FromWtf8(ToWtf8(text)), text) << length << ' ' << at;
            }
        }
    }
}

}  // namespace
}  // namespace orsk
