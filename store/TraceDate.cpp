#include "store/TraceDate.h"

#include <cmath>

namespace orsk {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Days from 1970-01-01 to a civil date and back (Howard Hinnant's algorithms, which are exact
// over the whole proleptic Gregorian calendar).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

// 1899-12-30 counted from 1970-01-01; constant, so that dates made during static
// initialisation in other files are right too.
constexpr std::int64_t kEpochDaysFromUnix = DaysFromCivil(1899, 12, 30);

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

}  // namespace

TraceDate MakeTraceDate(const CivilDateTime& c) {
    const std::int64_t days =
        DaysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) -
        kEpochDaysFromUnix;
    const std::int64_t msOfDay =
        ((static_cast<std::int64_t>(c.hour) * 60 + c.minute) * 60 + c.second) * 1000 +
        c.millisecond;
    return TraceDate{days * kMsPerDay + msOfDay};
}

CivilDateTime ToCivil(TraceDate date) {
    const std::int64_t days = FloorDiv(date.msSinceEpoch, kMsPerDay);
    // The remainder, not days * kMsPerDay subtracted: that product overflows for the earliest
    // representable dates.
    std::int64_t msOfDay = date.msSinceEpoch % kMsPerDay;
    if (msOfDay < 0) {
        msOfDay += kMsPerDay;
    }
    CivilDateTime c;
    CivilFromDays(days + kEpochDaysFromUnix, c.year, c.month, c.day);
    c.millisecond = static_cast<int>(msOfDay % 1000);
    msOfDay /= 1000;
    c.second = static_cast<int>(msOfDay % 60);
    msOfDay /= 60;
    c.minute = static_cast<int>(msOfDay % 60);
    c.hour = static_cast<int>(msOfDay / 60);
    return c;
}

int DayOfWeek(TraceDate date) {
    // 1899-12-30 was a Saturday (6).
    const std::int64_t days = FloorDiv(date.msSinceEpoch, kMsPerDay);
    return static_cast<int>(((days + 6) % 7 + 7) % 7);
}

double ToDayCount(TraceDate date) {
    return static_cast<double>(date.msSinceEpoch) / static_cast<double>(kMsPerDay);
}

TraceDate FromDayCount(double days) {
    return TraceDate{
        static_cast<std::int64_t>(std::llround(days * static_cast<double>(kMsPerDay)))};
}

}  // namespace orsk
