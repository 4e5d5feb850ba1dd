// Fuzzes the date-time text: any short-date pattern, separators, AM/PM markers, day and month
// names and clock flags, and any date (the whole 64-bit range, dates of years 1 to 9999, and
// exact midnights, where the time is left out).
//
// The formatter must never fail or hang, the block's text must be the short date plus, unless
// the hour, minute and second are all zero, a space and the long time, and everything that is
// not a pattern letter, an apostrophe, "/" or ":" must come out as it stands.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "store/TraceDate.h"
#include "tests/fuzz/FuzzSupport.h"
#include "window/view/DateTimeText.h"

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// 0001-01-01 and 10000-01-01 as days since 1899-12-30.
constexpr std::int64_t kFirstDay = -693'593;
constexpr std::int64_t kEndDay = 2'958'466;

// Units for patterns and names: mostly the characters the formatter reacts to and their
// neighbours, some Latin-1, and now and then any unit at all.
std::u16string TextFrom(FuzzedDataProvider& in, std::size_t maxUnits) {
    static constexpr char16_t kInteresting[] = u"dMyg'/ .-,hHmstDYa:";
    constexpr std::size_t kInterestingCount = sizeof(kInteresting) / sizeof(char16_t) - 1;
    std::u16string text;
    const std::size_t units = in.ConsumeIntegralInRange<std::size_t>(0, maxUnits);
    for (std::size_t i = 0; i < units && in.remaining_bytes() > 0; ++i) {
        const auto byte = in.ConsumeIntegral<std::uint8_t>();
        if (byte < 0xC0) {
            text.push_back(kInteresting[byte % kInterestingCount]);
        } else if (byte < 0xF0) {
            text.push_back(static_cast<char16_t>(byte));
        } else {
            text.push_back(in.ConsumeIntegral<char16_t>());
        }
    }
    return text;
}

orsk::TraceDate DateFrom(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            return orsk::TraceDate{in.ConsumeIntegral<std::int64_t>()};
        case 1:
            return orsk::TraceDate{
                in.ConsumeIntegralInRange(kFirstDay * kMsPerDay, kEndDay * kMsPerDay - 1)};
        default:
            return orsk::TraceDate{in.ConsumeIntegralInRange(kFirstDay, kEndDay - 1) * kMsPerDay +
                                   in.ConsumeIntegralInRange(0, 999)};
    }
}

template <std::size_t N>
void ReplaceOneName(FuzzedDataProvider& in, std::array<std::u16string, N>& names) {
    names[in.ConsumeIntegralInRange<std::size_t>(0, N - 1)] = TextFrom(in, 12);
}

bool HasPatternCharacter(std::u16string_view pattern) {
    for (const char16_t c : pattern) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'\'' || c == u'/' ||
            c == u':') {
            return true;
        }
    }
    return false;
}

std::u16string ShortDateWith(orsk::RegionalFormats formats, std::u16string pattern,
                             orsk::TraceDate date) {
    formats.shortDatePattern = std::move(pattern);
    return orsk::FormatShortDate(formats, date);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    orsk::RegionalFormats formats = in.ConsumeBool() ? orsk::RegionalFormats::GermanGermany()
                                                     : orsk::RegionalFormats::EnglishUnitedStates();
    formats.hourLeadingZero = in.ConsumeBool();
    formats.twentyFourHour = in.ConsumeBool();
    formats.markerBeforeTime = in.ConsumeBool();
    const orsk::TraceDate date = DateFrom(in);
    formats.dateSeparator = TextFrom(in, 4);
    formats.timeSeparator = TextFrom(in, 4);
    formats.amMarker = TextFrom(in, 6);
    formats.pmMarker = TextFrom(in, 6);
    for (int changes = in.ConsumeIntegralInRange(0, 4); changes > 0; --changes) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0:
                ReplaceOneName(in, formats.shortMonthNames);
                break;
            case 1:
                ReplaceOneName(in, formats.longMonthNames);
                break;
            case 2:
                ReplaceOneName(in, formats.shortDayNames);
                break;
            default:
                ReplaceOneName(in, formats.longDayNames);
                break;
        }
    }
    formats.shortDatePattern = TextFrom(in, 64);

    // The calendar fields the formatter indexes its name tables with.
    const orsk::CivilDateTime civil = orsk::ToCivil(date);
    ORSK_FUZZ_CHECK(civil.month >= 1 && civil.month <= 12);
    ORSK_FUZZ_CHECK(civil.day >= 1 && civil.day <= 31);
    ORSK_FUZZ_CHECK(civil.hour >= 0 && civil.hour <= 23);
    ORSK_FUZZ_CHECK(civil.minute >= 0 && civil.minute <= 59);
    ORSK_FUZZ_CHECK(civil.second >= 0 && civil.second <= 59);
    const int weekday = orsk::DayOfWeek(date);
    ORSK_FUZZ_CHECK(weekday >= 0 && weekday <= 6);

    const std::u16string shortDate = orsk::FormatShortDate(formats, date);
    const std::u16string longTime = orsk::FormatLongTime(formats, date);
    const bool timeShown = civil.hour != 0 || civil.minute != 0 || civil.second != 0;
    ORSK_FUZZ_CHECK(orsk::FormatDateTimeText(formats, date) ==
                    (timeShown ? shortDate + u" " + longTime : shortDate));

    const std::u16string& pattern = formats.shortDatePattern;
    if (!HasPatternCharacter(pattern)) {
        ORSK_FUZZ_CHECK(shortDate == pattern);
    }
    // Quoted, any pattern without an apostrophe is a literal; a quote that is never closed runs
    // to the end of the pattern.
    if (!pattern.empty() && pattern.find(u'\'') == std::u16string::npos) {
        ORSK_FUZZ_CHECK(ShortDateWith(formats, u"'" + pattern + u"'", date) == pattern);
        ORSK_FUZZ_CHECK(ShortDateWith(formats, u"'" + pattern, date) == pattern);
    }
    return 0;
}
