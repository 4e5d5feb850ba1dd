#include "window/view/TraceView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "common/TraceError.h"
#include "tests/support/MemoryTextArea.h"

namespace orsk {
namespace {

// 2026-12-09 10:31:50 AM, the instant most tests show. A function, not a global: TraceDate.cpp
// has dynamically initialized constants, and globals of other files may be built before them.
TraceDate Morning() {
    return MakeTraceDate({2026, 12, 9, 10, 31, 50, 0});
}
constexpr std::u16string_view kMorningText = u"12/9/2026 10:31:50 AM";

std::u16string Block(std::u16string_view dateTime, std::u16string_view line) {
    return u"----\r\n" + std::u16string(dateTime) + u"\r\n" + std::u16string(line) + u"\r\n\r\n";
}

struct Stored {
    TraceDate date;
    std::int32_t level;
    std::u16string text;
    friend bool operator==(const Stored&, const Stored&) = default;
};

class TraceViewTest : public testing::Test {
protected:
    TraceViewTest() {
        store.CreateTable();
        store.Open();
        view.SetRegionalFormats(RegionalFormats::EnglishUnitedStates());
    }

    std::vector<Stored> StoredTraces() {
        std::vector<Stored> traces;
        for (store.First(); !store.Eof(); store.Next()) {
            traces.push_back({store.TraceDateValue(), store.TraceLevel(), store.TraceMemo()});
        }
        return traces;
    }

    void Add(std::u16string_view text, std::int32_t level = 0) { view.AddTrace(text, level); }

    MemoryTextArea area;
    TraceStore store;
    TraceDate now = Morning();
    std::u16string filter = u"0 = ALL";
    TraceView view{area, store, [this] { return now; }, [this] { return filter; }};
};

TEST_F(TraceViewTest, AddTraceShowsOneBlockAndStoresTheOriginalText) {
    struct Case {
        const char* name;
        TraceDate date;
        std::u16string text;
        std::u16string expectedView;
    };
    const Case cases[] = {
        {"plain", Morning(), u"Hello", u"----\r\n12/9/2026 10:31:50 AM\r\nHello\r\n\r\n"},
        {"midnight shows the date alone", MakeTraceDate({2026, 12, 9, 0, 0, 0, 0}), u"Hello",
         u"----\r\n12/9/2026\r\nHello\r\n\r\n"},
        {"multi-line", Morning(), u"one\r\ntwo", Block(kMorningText, u"one\r\ntwo")},
        {"empty", Morning(), u"", u"----\r\n12/9/2026 10:31:50 AM\r\n\r\n\r\n"},
        {"U+0000", Morning(), std::u16string(u"a\0b\0", 4), Block(kMorningText, u"a\u2400b\u2400")},
        {"U+0000 at the first and last unit of 8-unit blocks", Morning(),
         std::u16string(u"\0bcdefg\0\0jklmno\0\0", 17),
         Block(kMorningText, u"\u2400bcdefg\u2400\u2400jklmno\u2400\u2400")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        area.ReplaceAll(u"");
        store.EmptyTable();
        now = c.date;
        Add(c.text, 5);
        EXPECT_EQ(area.Text(), c.expectedView);
        EXPECT_EQ(StoredTraces(), (std::vector<Stored>{{c.date, 5, c.text}}));
    }
}

TEST(TraceViewBlockText, AddsLinesTheWayTheLineListDoes) {
    struct Case {
        bool lastLineIsEmpty;
        std::u16string_view text;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {true, u"Hi", u"----\r\nDT\r\nHi\r\n\r\n"},
        // Without the final break every line goes after a new break; the empty last line then
        // only closes the text line.
        {false, u"Hi", u"\r\n----\r\nDT\r\nHi\r\n"},
        {false, u"", u"\r\n----\r\nDT\r\n\r\n"},
        {false, u"Hi\r\n", u"\r\n----\r\nDT\r\nHi\r\n\r\n"},
        {true, u"Hi\r\n", u"----\r\nDT\r\nHi\r\n\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lastLineIsEmpty << " " << c.text.size());
        EXPECT_EQ(TraceBlockText(c.lastLineIsEmpty, u"DT", c.text), c.expected);
    }
}

TEST_F(TraceViewTest, AfterTheUserRemovedTheFinalBreakTheBlockStartsWithABreak) {
    area.SetUserText(u"note");
    area.Select(0, 2);
    Add(u"Hello");
    Add(u"World");
    EXPECT_EQ(area.Text(), u"note\r\n----\r\n12/9/2026 10:31:50 AM\r\nHello\r\n" +
                               Block(kMorningText, u"World"));
    // A new trace drops the selection and leaves the caret at the end.
    EXPECT_EQ(area.SelectionStart(), area.Length());
    EXPECT_EQ(area.SelectionLength(), 0u);
}

TEST_F(TraceViewTest, FilterDecidesWhatIsShownButEveryTraceIsStored) {
    struct Case {
        std::u16string filter;
        std::vector<std::int32_t> shown;
    };
    const Case cases[] = {
        {u"3", {3}},           {u"0 = ALL", {0, 3, 4, 7}}, {u" 7", {7}},
        {u"7 ", {0, 3, 4, 7}}, {u"abc", {0, 3, 4, 7}},     {u"-1", {}},
    };
    const std::int32_t levels[] = {0, 3, 4, 7};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.filter.begin(), c.filter.end()));
        area.ReplaceAll(u"");
        store.EmptyTable();
        filter = c.filter;
        std::u16string expected;
        for (std::int32_t level : levels) {
            const std::u16string text = u"level " + std::u16string(1, u'0' + level);
            Add(text, level);
            if (std::find(c.shown.begin(), c.shown.end(), level) != c.shown.end()) {
                expected += Block(kMorningText, text);
            }
        }
        EXPECT_EQ(area.Text(), expected);
        EXPECT_EQ(store.Count(), 4u);
        // A rebuild under the same filter shows the same.
        view.ShowTraces();
        EXPECT_EQ(area.Text(), expected);
    }
}

TEST_F(TraceViewTest, ShowTracesRebuildsInArrivalOrderUnderTheNewFilter) {
    const std::u16string times[] = {u"12/9/2026 10:31:50 AM", u"12/9/2026 10:31:51 AM",
                                    u"12/9/2026 10:31:52 AM", u"12/9/2026 10:31:53 AM"};
    for (int i = 0; i < 4; ++i) {
        now = MakeTraceDate({2026, 12, 9, 10, 31, 50 + i, 0});
        Add(u"t" + std::u16string(1, u'0' + i), i % 2 + 1);
    }
    filter = u"2";
    view.ShowTraces();
    EXPECT_EQ(area.Text(), Block(times[1], u"t1") + Block(times[3], u"t3"));

    filter = u"0";
    area.SetUserText(u"the user typed over it");
    view.ShowTraces();
    EXPECT_EQ(area.Text(), Block(times[0], u"t0") + Block(times[1], u"t1") +
                               Block(times[2], u"t2") + Block(times[3], u"t3"));
    EXPECT_EQ(area.SelectionStart(), area.Length());
    EXPECT_EQ(area.SelectionLength(), 0u);
}

TEST_F(TraceViewTest, ShowTracesReproducesTheBlocksAddTraceShowed) {
    // Neighbouring instants around second boundaries (the rebuild formats each second once),
    // including both sides of the epoch.
    const TraceDate dates[] = {
        Morning(), {Morning().msSinceEpoch + 999}, {Morning().msSinceEpoch + 1000},
        {-500},  // 1899-12-29 11:59:59.500 PM
        {200},   // 1899-12-30 00:00:00.200, shown as the date alone
        {200},
    };
    const std::u16string texts[] = {u"a", u"b\r\nc", u"", std::u16string(u"\0", 1), u"e\r\n", u"f"};
    for (std::size_t i = 0; i < std::size(dates); ++i) {
        now = dates[i];
        Add(texts[i]);
    }
    const std::u16string shown = area.Text();
    EXPECT_NE(shown.find(u"12/29/1899 11:59:59 PM\r\n\u2400\r\n"), std::u16string::npos);
    EXPECT_NE(shown.find(u"12/30/1899\r\ne\r\n"), std::u16string::npos);
    view.ShowTraces();
    EXPECT_EQ(area.Text(), shown);
}

TEST_F(TraceViewTest, ShowTracesFreezesDrawingOnceEvenWhenTheStoreFails) {
    Add(u"Hello");
    view.ShowTraces();
    EXPECT_EQ(area.FreezeCount(), 1);
    EXPECT_EQ(area.FreezeDepth(), 0);

    area.SetUserText(u"kept");
    store.Close();
    EXPECT_THROW(view.ShowTraces(), TraceError);
    EXPECT_EQ(area.FreezeCount(), 2);
    EXPECT_EQ(area.FreezeDepth(), 0);
    EXPECT_EQ(area.Text(), u"kept");
}

TEST(TraceViewClock, IsReadOncePerTraceSoShownAndStoredTimesAgree) {
    MemoryTextArea area;
    TraceStore store;
    store.CreateTable();
    store.Open();
    int reads = 0;
    // Every reading is a second later than the one before.
    TraceView view(
        area, store,
        [&] {
            return MakeTraceDate({2026, 12, 9, 10, 31, 50 + reads++, 0});
        },
        [] { return std::u16string(u"0"); });
    view.SetRegionalFormats(RegionalFormats::EnglishUnitedStates());
    view.AddTrace(u"x", 1);
    EXPECT_EQ(reads, 1);
    store.First();
    EXPECT_EQ(area.Text(), Block(FormatDateTimeText(view.Formats(), store.TraceDateValue()), u"x"));
}

TEST_F(TraceViewTest, NewRegionalFormatsApplyToLaterTextsAndTheNextRebuild) {
    RegionalFormats iso;
    iso.shortDatePattern = u"yyyy-MM-dd";
    iso.twentyFourHour = true;
    iso.hourLeadingZero = true;
    now = MakeTraceDate({2026, 12, 9, 9, 5, 7, 0});
    Add(u"before");
    view.SetRegionalFormats(iso);
    Add(u"after");
    EXPECT_EQ(area.Text(),
              Block(u"12/9/2026 9:05:07 AM", u"before") + Block(u"2026-12-09 09:05:07", u"after"));
    view.ShowTraces();
    EXPECT_EQ(area.Text(),
              Block(u"2026-12-09 09:05:07", u"before") + Block(u"2026-12-09 09:05:07", u"after"));
}

TEST_F(TraceViewTest, AddTraceOnAClosedStoreThrowsAndNeitherStoresNorShowsIt) {
    Add(u"first", 1);
    const std::u16string shown = area.Text();
    store.Close();
    EXPECT_THROW(Add(u"lost", 1), TraceError);
    EXPECT_EQ(area.Text(), shown);
    EXPECT_EQ(area.SelectionStart(), shown.size());
    store.Open();
    EXPECT_EQ(store.Count(), 0u);
    Add(u"kept", 1);
    EXPECT_EQ(StoredTraces(), (std::vector<Stored>{{Morning(), 1, u"kept"}}));
}

// Where two long texts first differ, for a short failure message.
std::string FirstDifference(std::u16string_view actual, std::u16string_view expected) {
    const auto [a, e] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (a == actual.end() && e == expected.end()) {
        return "none";
    }
    return "at " + std::to_string(a - actual.begin()) + " of " + std::to_string(actual.size()) +
           " units, expected " + std::to_string(expected.size());
}

// A text area that keeps what each call gave it, to see how a rebuild reaches it.
class RecordingTextArea final : public TextArea {
public:
    std::u16string ReadAll() const override { return text; }
    std::size_t Length() const override { return text.size(); }
    bool LastLineIsEmpty() const override { return text.empty() || text.ends_with(u"\r\n"); }
    void Append(std::u16string_view more) override {
        text.append(more);
        appends.push_back(more.size());
    }
    void ReplaceAll(std::u16string_view all) override { text.assign(all); }
    void ClearForRebuild() override {
        text.clear();
        appends.clear();
        ++rebuilds;
    }
    void Select(std::size_t, std::size_t) override {}

    std::u16string text;
    std::vector<std::size_t> appends;
    int rebuilds = 0;
};

TEST_F(TraceViewTest, ShowTracesAppendedInBatchesGivesTheViewBuiltInOnePiece) {
    RecordingTextArea recording;
    TraceView batched(
        recording, store, [this] { return now; }, [this] { return filter; });
    batched.SetRegionalFormats(RegionalFormats::EnglishUnitedStates());
    std::u16string all;       // every block, built here in one piece
    std::u16string levelOne;  // the blocks of level 1 only
    for (int i = 0; i < 3000; ++i) {
        now = {Morning().msSinceEpoch + i * 337};
        std::u16string text(static_cast<std::size_t>(i % 97), static_cast<char16_t>(u'a' + i % 26));
        if (i % 101 == 0) {
            text += std::u16string(u"x\0y", 3);
        }
        if (i % 7 == 0) {
            text += u"\r\nsecond line";
        }
        if (i == 1500) {
            text.assign(100000, u'z');  // a block larger than a batch on its own
        }
        const std::int32_t level = i % 2 + 1;
        batched.AddTrace(text, level);
        std::u16string line = text;
        std::replace(line.begin(), line.end(), u'\0', u'\u2400');
        const std::u16string block = Block(FormatDateTimeText(batched.Formats(), now), line);
        all += block;
        if (level == 1) {
            levelOne += block;
        }
    }
    ASSERT_EQ(FirstDifference(recording.text, all), "none");

    recording.text = u"typed by the user";
    batched.ShowTraces();
    EXPECT_EQ(recording.rebuilds, 1);
    EXPECT_GT(recording.appends.size(), 2u);
    EXPECT_EQ(FirstDifference(recording.text, all), "none");

    filter = u"1";
    batched.ShowTraces();
    EXPECT_EQ(recording.rebuilds, 2);
    EXPECT_GT(recording.appends.size(), 1u);
    EXPECT_EQ(FirstDifference(recording.text, levelOne), "none");
}

}  // namespace
}  // namespace orsk
