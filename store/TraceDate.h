#pragma once
// The arrival time of a trace: local date and time to the millisecond.
//
// It is kept as whole milliseconds since 1899-12-30 00:00:00.000, the epoch of the day-count
// doubles that Windows date values use (day count as the integer part, time of day as the
// fraction). Whole milliseconds make a stored date read back exactly; the day count is only a
// view of it for callers that want one.

#include <cstdint>

namespace orsk {

// Calendar fields of a date-time, proleptic Gregorian calendar.
struct CivilDateTime {
    int year = 1899;
    int month = 12;  // 1..12
    int day = 30;    // 1..31
    int hour = 0;    // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

struct TraceDate {
    std::int64_t msSinceEpoch = 0;

    friend bool operator==(TraceDate, TraceDate) = default;
};

// Builds the date from calendar fields; fields are taken as they are (no range check).
TraceDate MakeTraceDate(const CivilDateTime& civil);

// The calendar fields of a date.
CivilDateTime ToCivil(TraceDate date);

// Day of the week, 0 = Sunday ... 6 = Saturday.
int DayOfWeek(TraceDate date);

// Days since the epoch with the time of day as the fraction, and back (rounded to the
// nearest millisecond). Dates before the epoch count down continuously.
double ToDayCount(TraceDate date);
TraceDate FromDayCount(double days);

}  // namespace orsk
