#include "window/view/DateTimeText.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace orsk {
namespace {

struct DateTimeCase {
    CivilDateTime when;
    std::u16string_view text;
};

void ExpectDateTimeTexts(const RegionalFormats& formats,
                         std::initializer_list<DateTimeCase> cases) {
    for (const DateTimeCase& c : cases) {
        const CivilDateTime& w = c.when;
        EXPECT_EQ(FormatDateTimeText(formats, MakeTraceDate(w)), c.text)
            << w.year << '-' << w.month << '-' << w.day << ' ' << w.hour << ':' << w.minute << ':'
            << w.second << '.' << w.millisecond;
    }
}

TEST(DateTimeText, EnglishUnitedStatesShowsATwelveHourTimeUnlessAtMidnight) {
    ExpectDateTimeTexts(RegionalFormats::EnglishUnitedStates(),
                        {{{2026, 12, 9, 10, 31, 50, 0}, u"12/9/2026 10:31:50 AM"},
                         {{2026, 1, 2, 0, 5, 9, 0}, u"1/2/2026 12:05:09 AM"},
                         {{2026, 1, 2, 12, 0, 0, 0}, u"1/2/2026 12:00:00 PM"},
                         {{2026, 1, 2, 13, 0, 0, 0}, u"1/2/2026 1:00:00 PM"},
                         {{2026, 1, 2, 11, 59, 59, 999}, u"1/2/2026 11:59:59 AM"},
                         {{2026, 1, 2, 23, 59, 59, 999}, u"1/2/2026 11:59:59 PM"},
                         {{2026, 1, 2, 0, 0, 1, 0}, u"1/2/2026 12:00:01 AM"},
                         {{2026, 1, 2, 0, 1, 0, 0}, u"1/2/2026 12:01:00 AM"},
                         {{2026, 1, 2, 0, 0, 0, 0}, u"1/2/2026"},
                         {{2026, 1, 2, 0, 0, 0, 999}, u"1/2/2026"}});
}

TEST(DateTimeText, GermanGermanyShowsATwentyFourHourTimeWithoutMarker) {
    ExpectDateTimeTexts(RegionalFormats::GermanGermany(),
                        {{{2026, 12, 9, 10, 31, 50, 0}, u"09.12.2026 10:31:50"},
                         {{2026, 1, 2, 0, 5, 9, 0}, u"02.01.2026 00:05:09"},
                         {{2026, 1, 2, 23, 59, 59, 0}, u"02.01.2026 23:59:59"},
                         {{2026, 1, 2, 0, 0, 0, 500}, u"02.01.2026"}});
}

TEST(DateTimeText, SeparatorsReplaceSlashAndColon) {
    RegionalFormats formats = RegionalFormats::EnglishUnitedStates();
    formats.dateSeparator = u"-";
    formats.timeSeparator = u".";
    ExpectDateTimeTexts(formats, {{{2026, 12, 9, 10, 31, 50, 0}, u"12-9-2026 10.31.50 AM"}});
    formats.dateSeparator = u" / ";
    formats.timeSeparator = u"h";
    ExpectDateTimeTexts(formats, {{{2026, 12, 9, 22, 1, 2, 0}, u"12 / 9 / 2026 10h01h02 PM"}});
}

struct TimeCase {
    bool twentyFourHour;
    bool hourLeadingZero;
    bool markerBeforeTime;
    std::u16string_view amMarker;
    int hour;
    std::u16string_view text;
};

TEST(DateTimeText, LongTimeFollowsTheClockFlags) {
    const TimeCase cases[] = {{false, false, false, u"AM", 9, u"9:05:00 AM"},
                              {false, false, true, u"AM", 9, u"AM 9:05:00"},
                              {false, false, true, u"AM", 21, u"PM 9:05:00"},
                              {false, true, false, u"AM", 9, u"09:05:00 AM"},
                              {false, true, true, u"AM", 0, u"AM 12:05:00"},
                              {false, true, false, u"AM", 13, u"01:05:00 PM"},
                              {false, false, false, u"a.m.", 11, u"11:05:00 a.m."},
                              // An empty marker brings no space with it.
                              {false, false, false, u"", 9, u"9:05:00"},
                              {false, false, true, u"", 9, u"9:05:00"},
                              // A 24-hour clock shows no marker even when the locale has one.
                              {true, false, false, u"AM", 9, u"9:05:00"},
                              {true, true, true, u"AM", 9, u"09:05:00"},
                              {true, true, false, u"AM", 0, u"00:05:00"},
                              {true, false, false, u"AM", 21, u"21:05:00"}};
    for (const TimeCase& c : cases) {
        RegionalFormats formats = RegionalFormats::EnglishUnitedStates();
        formats.twentyFourHour = c.twentyFourHour;
        formats.hourLeadingZero = c.hourLeadingZero;
        formats.markerBeforeTime = c.markerBeforeTime;
        formats.amMarker = c.amMarker;
        const TraceDate date = MakeTraceDate({2026, 12, 9, c.hour, 5, 0, 0});
        EXPECT_EQ(FormatLongTime(formats, date), c.text) << testing::PrintToString(c.text);
    }
}

struct PatternCase {
    std::u16string_view pattern;
    CivilDateTime when;
    std::u16string_view text;
};

TEST(DateTimeText, ShortDatePatternTokens) {
    constexpr CivilDateTime kMonday{2005, 3, 7, 0, 0, 0, 0};
    constexpr CivilDateTime kLate{2026, 11, 17, 0, 0, 0, 0};
    const PatternCase cases[] = {
        {u"d", kMonday, u"7"},
        {u"d", kLate, u"17"},
        {u"dd", kMonday, u"07"},
        {u"ddd", kMonday, u"Mon"},
        {u"dddd", kMonday, u"Monday"},
        {u"dddddd", kMonday, u"Monday"},
        {u"M", kMonday, u"3"},
        {u"M", kLate, u"11"},
        {u"MM", kMonday, u"03"},
        {u"MMM", kMonday, u"Mar"},
        {u"MMMM", kMonday, u"March"},
        {u"MMMMMM", kMonday, u"March"},
        {u"y", kMonday, u"5"},
        {u"yy", kMonday, u"05"},
        {u"y", kLate, u"26"},
        {u"yy", {2000, 1, 1, 0, 0, 0, 0}, u"00"},
        {u"yyy", kMonday, u"2005"},
        {u"yyyy", kMonday, u"2005"},
        {u"yyyyy", kMonday, u"2005"},
        {u"yyy", {987, 1, 1, 0, 0, 0, 0}, u"987"},
        {u"yyyy", {987, 1, 1, 0, 0, 0, 0}, u"0987"},
        {u"ggyyyy", kMonday, u"2005"},
        // The era prints nothing and takes its gap along, but no quoted or distant blank.
        {u"g yyyy/MM/dd", kMonday, u"2005-03-07"},
        {u"d M gg", kMonday, u"7 3"},
        {u"yyyy g MM", kMonday, u"2005 03"},
        {u"yyyy g ", kMonday, u"2005"},
        {u"' 'g d", kMonday, u" 7"},
        {u"d' ' g", kMonday, u"7 "},
        // The separators here are "-" and "."; other characters stand for themselves.
        {u"M/d/yyyy", kMonday, u"3-7-2005"},
        {u"dd.MM.yyyy", kMonday, u"07.03.2005"},
        {u"dddd, MMMM d, yyyy", kMonday, u"Monday, March 7, 2005"},
        {u"hh:mm t", kMonday, u"hh.mm t"},
        {u"d:M' d:M'", kMonday, u"7.3 d:M"},
        {u"'Day' d", kMonday, u"Day 7"},
        {u"d 'o''clock'", kMonday, u"7 o'clock"},
        {u"'it''s' d", kMonday, u"it's 7"},
        {u"d''M", kMonday, u"7'3"},
        {u"d'/'M", kMonday, u"7/3"},
        {u"''''", kMonday, u"''"},
        {u"'d", kMonday, u"d"},
        {u"M 'd/y", kMonday, u"3 d/y"},
        {u"", kMonday, u""}};
    RegionalFormats formats = RegionalFormats::EnglishUnitedStates();
    formats.dateSeparator = u"-";
    formats.timeSeparator = u".";
    for (const PatternCase& c : cases) {
        formats.shortDatePattern = c.pattern;
        EXPECT_EQ(FormatShortDate(formats, MakeTraceDate(c.when)), c.text)
            << testing::PrintToString(std::u16string(c.pattern));
    }
}

TEST(DateTimeText, GermanNamesIncludeUmlauts) {
    RegionalFormats formats = RegionalFormats::GermanGermany();
    const TraceDate saturday = MakeTraceDate({2026, 3, 7, 0, 0, 0, 0});
    formats.shortDatePattern = u"dddd, d. MMMM yyyy";
    EXPECT_EQ(FormatShortDate(formats, saturday), u"Samstag, 7. M\u00e4rz 2026");
    formats.shortDatePattern = u"ddd, dd. MMM yy";
    EXPECT_EQ(FormatShortDate(formats, saturday), u"Sa, 07. M\u00e4r 26");
}

TEST(DateTimeText, DayNamesFollowTheWeekFromSunday) {
    RegionalFormats formats = RegionalFormats::EnglishUnitedStates();
    formats.shortDatePattern = u"dddd";
    const std::u16string_view week[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                        u"Thursday", u"Friday", u"Saturday"};
    // 2026-12-06 is a Sunday.
    for (int offset = 0; offset < 7; ++offset) {
        const TraceDate date = MakeTraceDate({2026, 12, 6 + offset, 0, 0, 0, 0});
        EXPECT_EQ(FormatShortDate(formats, date), week[offset]) << "offset " << offset;
    }
}

}  // namespace
}  // namespace orsk
