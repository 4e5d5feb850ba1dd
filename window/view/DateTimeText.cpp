#include "window/view/DateTimeText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orsk {
namespace {

// A rebuild formats up to a million dates, so the text is built in one string: the helpers
// append to it instead of returning pieces, and numbers are written digit by digit.
void AppendNumber(std::u16string& out, int value, int minDigits) {
    const bool negative = value < 0;
    // Unsigned arithmetic keeps INT_MIN's magnitude representable.
    std::uint32_t magnitude =
        negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    char16_t digits[16];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count < minDigits && count < 16) {
        digits[count++] = u'0';
    }
    if (negative) {
        out.push_back(u'-');
    }
    while (count > 0) {
        out.push_back(digits[--count]);
    }
}

std::size_t RunLength(std::u16string_view pattern, std::size_t pos) {
    std::size_t end = pos + 1;
    while (end < pattern.size() && pattern[end] == pattern[pos]) {
        ++end;
    }
    return end - pos;
}

// Appends a quoted literal whose opening apostrophe is at pos and returns the position after
// it. Two apostrophes in a row stand for one, whether inside a literal or outside one (where
// they look like an empty literal). A literal that is never closed runs to the end of the
// pattern rather than being dropped, so a mistyped pattern still shows its text.
std::size_t AppendQuoted(std::u16string& out, std::u16string_view pattern, std::size_t pos) {
    ++pos;
    if (pos < pattern.size() && pattern[pos] == u'\'') {
        out.push_back(u'\'');
        return pos + 1;
    }
    while (pos < pattern.size()) {
        if (pattern[pos] == u'\'') {
            if (pos + 1 < pattern.size() && pattern[pos + 1] == u'\'') {
                out.push_back(u'\'');
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        out.push_back(pattern[pos++]);
    }
    return pos;
}

int YearOfCentury(int year) {
    return (year % 100 + 100) % 100;
}

void AppendShortDate(std::u16string& out, const RegionalFormats& formats,
                     const CivilDateTime& civil, TraceDate date) {
    const std::u16string_view pattern = formats.shortDatePattern;
    const auto month = static_cast<std::size_t>(civil.month - 1);
    // The unquoted spaces at the end of the text so far, from spacesBegin to spacesEnd; an era
    // at the end of the pattern takes them away. Quoted spaces and separators never count.
    std::size_t spacesBegin = out.size();
    std::size_t spacesEnd = out.size();
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        const char16_t c = pattern[pos];
        if (c == u'\'') {
            pos = AppendQuoted(out, pattern, pos);
            continue;
        }
        if (c == u'/' || c == u':') {
            out.append(c == u'/' ? formats.dateSeparator : formats.timeSeparator);
            ++pos;
            continue;
        }
        if (c == u' ') {
            if (out.size() != spacesEnd) {
                spacesBegin = out.size();
            }
            out.push_back(c);
            spacesEnd = out.size();
            ++pos;
            continue;
        }
        if (c != u'd' && c != u'M' && c != u'y' && c != u'g') {
            out.push_back(c);
            ++pos;
            continue;
        }
        const std::size_t run = RunLength(pattern, pos);
        pos += run;
        switch (c) {
            case u'd':
                if (run <= 2) {
                    AppendNumber(out, civil.day, static_cast<int>(run));
                } else {
                    const auto weekday = static_cast<std::size_t>(DayOfWeek(date));
                    out.append(run == 3 ? formats.shortDayNames[weekday]
                                        : formats.longDayNames[weekday]);
                }
                break;
            case u'M':
                if (run <= 2) {
                    AppendNumber(out, civil.month, static_cast<int>(run));
                } else {
                    out.append(run == 3 ? formats.shortMonthNames[month]
                                        : formats.longMonthNames[month]);
                }
                break;
            case u'y':
                if (run <= 2) {
                    AppendNumber(out, YearOfCentury(civil.year), static_cast<int>(run));
                } else {
                    AppendNumber(out, civil.year, run == 3 ? 1 : 4);
                }
                break;
            default:
                // The era ("g", "gg") is left out: the trace dates are Gregorian, where the era
                // would only ever add "A.D." to every line. Its gap goes with it, so that
                // "g yyyy" or "yyyy g" leaves no space at the start or the end.
                while (pos < pattern.size() && pattern[pos] == u' ') {
                    ++pos;
                }
                if (pos == pattern.size() && out.size() == spacesEnd) {
                    out.resize(spacesBegin);
                }
                break;
        }
    }
}

void AppendLongTime(std::u16string& out, const RegionalFormats& formats,
                    const CivilDateTime& civil) {
    int hour = civil.hour;
    // With a 24-hour clock there is no marker. An empty marker (as German Windows has) adds no
    // space either, so the time never starts or ends with a stray blank.
    const std::u16string* marker = nullptr;
    if (!formats.twentyFourHour) {
        const std::u16string& text = hour < 12 ? formats.amMarker : formats.pmMarker;
        if (!text.empty()) {
            marker = &text;
        }
        hour %= 12;
        if (hour == 0) {
            hour = 12;
        }
    }
    if (marker != nullptr && formats.markerBeforeTime) {
        out.append(*marker);
        out.push_back(u' ');
    }
    AppendNumber(out, hour, formats.hourLeadingZero ? 2 : 1);
    out.append(formats.timeSeparator);
    AppendNumber(out, civil.minute, 2);
    out.append(formats.timeSeparator);
    AppendNumber(out, civil.second, 2);
    if (marker != nullptr && !formats.markerBeforeTime) {
        out.push_back(u' ');
        out.append(*marker);
    }
}

// Enough for the usual patterns and a time, so the text is allocated once.
std::size_t ExpectedLength(const RegionalFormats& formats) {
    return formats.shortDatePattern.size() + 24;
}

}  // namespace

RegionalFormats RegionalFormats::EnglishUnitedStates() {
    RegionalFormats f;
    f.shortDatePattern = u"M/d/yyyy";
    f.dateSeparator = u"/";
    f.timeSeparator = u":";
    f.hourLeadingZero = false;
    f.twentyFourHour = false;
    f.markerBeforeTime = false;
    f.amMarker = u"AM";
    f.pmMarker = u"PM";
    f.shortMonthNames = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                         u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    f.longMonthNames = {u"January",   u"February", u"March",    u"April",
                        u"May",       u"June",     u"July",     u"August",
                        u"September", u"October",  u"November", u"December"};
    f.shortDayNames = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    f.longDayNames = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                      u"Thursday", u"Friday", u"Saturday"};
    return f;
}

RegionalFormats RegionalFormats::GermanGermany() {
    RegionalFormats f;
    f.shortDatePattern = u"dd.MM.yyyy";
    f.dateSeparator = u".";
    f.timeSeparator = u":";
    f.hourLeadingZero = true;
    f.twentyFourHour = true;
    f.markerBeforeTime = false;
    // German Windows has no AM/PM designators.
    f.amMarker.clear();
    f.pmMarker.clear();
    // Escaped so the text does not depend on the compiler's source character set.
    f.shortMonthNames = {u"Jan", u"Feb", u"M\u00e4r", u"Apr", u"Mai", u"Jun",
                         u"Jul", u"Aug", u"Sep",      u"Okt", u"Nov", u"Dez"};
    f.longMonthNames = {u"Januar", u"Februar", u"M\u00e4rz", u"April",   u"Mai",      u"Juni",
                        u"Juli",   u"August",  u"September", u"Oktober", u"November", u"Dezember"};
    f.shortDayNames = {u"So", u"Mo", u"Di", u"Mi", u"Do", u"Fr", u"Sa"};
    f.longDayNames = {u"Sonntag",    u"Montag",  u"Dienstag", u"Mittwoch",
                      u"Donnerstag", u"Freitag", u"Samstag"};
    return f;
}

std::u16string FormatShortDate(const RegionalFormats& formats, TraceDate date) {
    std::u16string out;
    out.reserve(ExpectedLength(formats));
    AppendShortDate(out, formats, ToCivil(date), date);
    return out;
}

std::u16string FormatLongTime(const RegionalFormats& formats, TraceDate date) {
    std::u16string out;
    out.reserve(ExpectedLength(formats));
    AppendLongTime(out, formats, ToCivil(date));
    return out;
}

std::u16string FormatDateTimeText(const RegionalFormats& formats, TraceDate date) {
    const CivilDateTime civil = ToCivil(date);
    std::u16string out;
    out.reserve(ExpectedLength(formats));
    AppendShortDate(out, formats, civil, date);
    // Milliseconds do not count: a trace at 00:00:00.500 shows the date alone.
    if (civil.hour != 0 || civil.minute != 0 || civil.second != 0) {
        out.push_back(u' ');
        AppendLongTime(out, formats, civil);
    }
    return out;
}

}  // namespace orsk
