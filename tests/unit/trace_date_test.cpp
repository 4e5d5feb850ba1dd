#include "store/TraceDate.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace orsk {
namespace {

TEST(TraceDate, EpochIsDayZero) {
    const TraceDate epoch = MakeTraceDate({1899, 12, 30, 0, 0, 0, 0});
    EXPECT_EQ(epoch.msSinceEpoch, 0);
    EXPECT_DOUBLE_EQ(ToDayCount(epoch), 0.0);
    EXPECT_EQ(DayOfWeek(epoch), 6);  // a Saturday
}

TEST(TraceDate, CivilFieldsRoundTripToTheMillisecond) {
    const CivilDateTime cases[] = {
        {2026, 12, 9, 10, 31, 50, 123}, {2000, 2, 29, 23, 59, 59, 999},  {1900, 3, 1, 0, 0, 0, 1},
        {2100, 1, 1, 12, 0, 0, 0},      {1899, 12, 29, 23, 59, 59, 999},
    };
    for (const CivilDateTime& c : cases) {
        const CivilDateTime back = ToCivil(MakeTraceDate(c));
        EXPECT_EQ(back.year, c.year);
        EXPECT_EQ(back.month, c.month);
        EXPECT_EQ(back.day, c.day);
        EXPECT_EQ(back.hour, c.hour);
        EXPECT_EQ(back.minute, c.minute);
        EXPECT_EQ(back.second, c.second);
        EXPECT_EQ(back.millisecond, c.millisecond);
    }
}

TEST(TraceDate, DayCountMatchesWindowsDateValues) {
    // 2026-12-09 is day 46365 of the Windows day count; 18:00 is three quarters of a day.
    const TraceDate date = MakeTraceDate({2026, 12, 9, 18, 0, 0, 0});
    EXPECT_DOUBLE_EQ(ToDayCount(date), 46365.75);
    EXPECT_EQ(FromDayCount(46365.75), date);
    EXPECT_EQ(DayOfWeek(date), 3);  // a Wednesday
}

TEST(TraceDate, DayCountRoundsToTheNearestMillisecond) {
    const TraceDate date = MakeTraceDate({2026, 12, 9, 10, 31, 50, 123});
    EXPECT_EQ(FromDayCount(ToDayCount(date)), date);
    EXPECT_EQ(FromDayCount(ToDayCount(date) + 0.4 / 86'400'000.0), date);
}

TEST(TraceDate, TheExtremeMillisecondCountsGiveTheirTimeOfDayWithoutOverflow) {
    const CivilDateTime earliest = ToCivil(TraceDate{INT64_MIN});
    const CivilDateTime latest = ToCivil(TraceDate{INT64_MAX});
    // -9223372036854775808 ms is 10:31:01.192 into its day (floor division), +...807 is
    // 13:28:58.807.
    EXPECT_EQ(earliest.hour * 3600000 + earliest.minute * 60000 + earliest.second * 1000 +
                  earliest.millisecond,
              static_cast<int>(((INT64_MIN % 86400000) + 86400000) % 86400000));
    EXPECT_EQ(
        latest.hour * 3600000 + latest.minute * 60000 + latest.second * 1000 + latest.millisecond,
        static_cast<int>(INT64_MAX % 86400000));
}

}  // namespace
}  // namespace orsk
