// Regional formats: read at start, and read again when the settings change.

#include <gtest/gtest.h>

#include <string>

#include "E2eSupport.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

// Sets the user's short-date pattern for one test and puts the old one back afterwards (the
// Wine prefix is shared by all tests).
class ShortDatePattern {
public:
    explicit ShortDatePattern(const wchar_t* pattern) {
        wchar_t old[128] = {};
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, old, 128);
        old_ = old;
        Set(pattern);
    }
    ~ShortDatePattern() { Set(old_.c_str()); }

    static void Set(const wchar_t* pattern) {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, pattern);
    }

private:
    std::wstring old_;
};

struct Today {
    Today() {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        year = Digits(now.wYear, 4);
        month = Digits(now.wMonth, 2);
        day = Digits(now.wDay, 2);
    }
    static std::string Digits(int value, std::size_t width) {
        std::string text = std::to_string(value);
        return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
    }
    std::string year, month, day;
};

void Broadcast() {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"),
                          SMTO_ABORTIFHUNG, 5000, &result);
}

TEST(Regional, TheShortDateIsReadWhenTheProgramStarts) {
    ShortDatePattern pattern(L"yyyy'y'MM'm'dd");
    TraceWindowProcess trace;
    ASSERT_EQ(SendTrace(trace.Window(), 1, "dated").reply, 1);
    const auto dates = DateLines(View(trace));
    ASSERT_EQ(dates.size(), 1u);
    const Today today;
    EXPECT_EQ(dates[0].rfind(today.year + "y" + today.month + "m" + today.day, 0), 0u) << dates[0];
}

TEST(Regional, AChangeOfSettingsAppliesToLaterTracesAndToTheNextRebuild) {
    TraceWindowProcess trace;
    ASSERT_EQ(SendTrace(trace.Window(), 1, "before").reply, 1);
    ShortDatePattern pattern(L"dd|MM|yyyy");
    Broadcast();
    ASSERT_EQ(SendTrace(trace.Window(), 1, "after").reply, 1);
    auto dates = DateLines(View(trace));
    ASSERT_EQ(dates.size(), 2u);
    EXPECT_EQ(dates[0].find('|'), std::string::npos) << dates[0];
    const Today today;
    const std::string changed = today.day + "|" + today.month + "|" + today.year;
    EXPECT_EQ(dates[1].rfind(changed, 0), 0u) << dates[1];

    // The lines already shown keep their text until a rebuild writes them anew.
    ChooseFilterItem(trace.Control(orsk::kIdCbFilter), 1);
    ChooseFilterItem(trace.Control(orsk::kIdCbFilter), 0);
    dates = DateLines(View(trace));
    ASSERT_EQ(dates.size(), 2u);
    EXPECT_EQ(dates[0].rfind(changed, 0), 0u) << dates[0];
}

}  // namespace
}  // namespace e2e
