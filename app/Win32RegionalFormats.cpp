#include "app/Win32RegionalFormats.h"

#include <windows.h>

#include <optional>
#include <string>

#include "window/win32/Win32Handles.h"
#include "window/win32/Win32Text.h"

namespace orsk {
namespace {

std::optional<std::u16string> LocaleText(LCTYPE type) {
    wchar_t buffer[256];
    const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 256);
    if (length <= 0) {
        return std::nullopt;
    }
    return FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

class InternationalKey {
public:
    InternationalKey() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\International", 0, KEY_READ,
                            &key) == ERROR_SUCCESS) {
            key_.reset(key);
        }
    }

    std::optional<std::u16string> Text(const wchar_t* name) const {
        if (!key_) {
            return std::nullopt;
        }
        wchar_t buffer[256];
        DWORD size = sizeof(buffer);
        DWORD type = 0;
        if (::RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                               &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return std::nullopt;
        }
        std::size_t units = size / sizeof(wchar_t);
        while (units > 0 && buffer[units - 1] == L'\0') {
            --units;
        }
        return FromWide(std::wstring_view(buffer, units));
    }

private:
    unique_hkey key_;
};

// The user's value: the registry's override when present, else the locale's.
std::u16string Read(const InternationalKey& key, const wchar_t* valueName, LCTYPE type,
                    std::u16string fallback) {
    if (auto value = key.Text(valueName)) {
        return *value;
    }
    if (auto value = LocaleText(type)) {
        return *value;
    }
    return fallback;
}

bool ReadFlag(const InternationalKey& key, const wchar_t* valueName, LCTYPE type, bool fallback) {
    const std::u16string value = Read(key, valueName, type, fallback ? u"1" : u"0");
    return !value.empty() && value != u"0";
}

}  // namespace

RegionalFormats ReadRegionalFormats() {
    ::SetThreadLocale(LOCALE_USER_DEFAULT);
    const InternationalKey key;
    RegionalFormats f;
    f.shortDatePattern = Read(key, L"sShortDate", LOCALE_SSHORTDATE, f.shortDatePattern);
    f.dateSeparator = Read(key, L"sDate", LOCALE_SDATE, f.dateSeparator);
    f.timeSeparator = Read(key, L"sTime", LOCALE_STIME, f.timeSeparator);
    f.hourLeadingZero = ReadFlag(key, L"iTLZero", LOCALE_ITLZERO, f.hourLeadingZero);
    f.twentyFourHour = ReadFlag(key, L"iTime", LOCALE_ITIME, f.twentyFourHour);
    f.markerBeforeTime = ReadFlag(key, L"iTimePrefix", LOCALE_ITIMEMARKPOSN, f.markerBeforeTime);
    f.amMarker = Read(key, L"s1159", LOCALE_S1159, f.amMarker);
    f.pmMarker = Read(key, L"s2359", LOCALE_S2359, f.pmMarker);
    for (int m = 0; m < 12; ++m) {
        if (auto name = LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + m))) {
            f.shortMonthNames[static_cast<std::size_t>(m)] = *name;
        }
        if (auto name = LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + m))) {
            f.longMonthNames[static_cast<std::size_t>(m)] = *name;
        }
    }
    // The locale numbers days from Monday (1) to Sunday (7); the formats from Sunday.
    for (int d = 0; d < 7; ++d) {
        const auto sundayFirst = static_cast<std::size_t>((d + 1) % 7);
        if (auto name = LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + d))) {
            f.shortDayNames[sundayFirst] = *name;
        }
        if (auto name = LocaleText(static_cast<LCTYPE>(LOCALE_SDAYNAME1 + d))) {
            f.longDayNames[sundayFirst] = *name;
        }
    }
    return f;
}

}  // namespace orsk
