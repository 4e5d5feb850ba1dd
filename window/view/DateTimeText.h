#pragma once
// The date-time text of a trace block: the short date, then a space and the long time unless
// the hour, minute and second are all zero (milliseconds are not looked at).
//
// The formats come from the user's regional settings. The short date is the locale's short-date
// pattern, written as Windows locales write it:
//   d dd ddd dddd   day, day with leading zero, abbreviated and full day name
//   M MM MMM MMMM   month, month with leading zero, abbreviated and full month name
//   y yy yyyy       year in century without and with leading zero, full year (yyy and
//                   five y's give the full year too)
//   g gg            era, which prints nothing (the dates are Gregorian) and takes the
//                   unquoted spaces right after it; an era that ends the pattern, or is
//                   followed by nothing but spaces, takes those right before it as well
//   '...'           quoted literal ('' inside or outside quotes is one apostrophe)
//   /               the locale's date separator
//   :               the locale's time separator
// Every other character stands for itself. The long time is not the locale's time pattern but
// is built from three flags: "h" or "hh" (leading zero), ":mm:ss", and with a 12-hour clock the
// AM/PM marker before the time followed by a space, or after it preceded by a space; ":" is the
// locale's time separator.

#include <array>
#include <string>

#include "store/TraceDate.h"

namespace orsk {

struct RegionalFormats {
    std::u16string shortDatePattern = u"M/d/yyyy";
    std::u16string dateSeparator = u"/";
    std::u16string timeSeparator = u":";
    bool hourLeadingZero = false;   // "hh" instead of "h"
    bool twentyFourHour = false;    // no AM/PM marker
    bool markerBeforeTime = false;  // "AM 9:05:00" instead of "9:05:00 AM"
    std::u16string amMarker = u"AM";
    std::u16string pmMarker = u"PM";
    std::array<std::u16string, 12> shortMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                                   u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    std::array<std::u16string, 12> longMonthNames{
        u"January", u"February", u"March",     u"April",   u"May",      u"June",
        u"July",    u"August",   u"September", u"October", u"November", u"December"};
    // Sunday first.
    std::array<std::u16string, 7> shortDayNames{u"Sun", u"Mon", u"Tue", u"Wed",
                                                u"Thu", u"Fri", u"Sat"};
    std::array<std::u16string, 7> longDayNames{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                               u"Thursday", u"Friday", u"Saturday"};

    // English (United States) and German (Germany) as Windows ships them; handy for tests and
    // for builds that have no regional settings to read.
    static RegionalFormats EnglishUnitedStates();
    static RegionalFormats GermanGermany();
};

std::u16string FormatShortDate(const RegionalFormats& formats, TraceDate date);
std::u16string FormatLongTime(const RegionalFormats& formats, TraceDate date);
std::u16string FormatDateTimeText(const RegionalFormats& formats, TraceDate date);

}  // namespace orsk
