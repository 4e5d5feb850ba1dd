#include <gtest/gtest.h>

#include <string>

#include "app/ApplicationTitle.h"
#include "app/ErrorText.h"

namespace orsk {
namespace {

// ASCII-only stand-in for the platform's lower-casing; the rule under test is where it applies.
std::u16string AsciiLower(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + (u'a' - u'A'));
        }
    }
    return out;
}

TEST(ApplicationTitle, FollowsTheFileNameRule) {
    const struct {
        std::u16string_view path;
        std::u16string_view title;
    } cases[] = {
        {u"C:\\Tools\\OrskTrace.exe", u"Orsktrace"},
        {u"C:\\Tools\\ORSK.Trace.Window.exe", u"Orsk"},  // cut at the first dot
        {u"D:/mixed\\seps/MyTool.EXE", u"Mytool"},
        {u"orsktrace.exe", u"orsktrace"},  // the first character is never changed
        {u"C:NoSeparator.exe", u"Noseparator"},
        {u"C:\\dir.with.dots\\App", u"App"},  // dots of folders do not count
        {u"C:\\Tools\\.hidden.exe", u""},
        {u"x.exe", u"x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ApplicationTitleFromPath(c.path, AsciiLower), c.title)
            << std::string(c.path.begin(), c.path.end());
    }
}

TEST(ApplicationTitle, KeepsTheFirstCharacterAsItIs) {
    EXPECT_EQ(ApplicationTitleFromPath(u"c:\\a\\orskTRACE.exe", AsciiLower), u"orsktrace");
}

TEST(ErrorBoxText, AppendsAPeriodOnlyAfterCharactersAbovePeriod) {
    const struct {
        std::u16string_view message;
        std::u16string_view text;
    } cases[] = {
        {u"Range check error", u"Range check error."},
        {u"Stream write error", u"Stream write error."},
        {u"Already ends.", u"Already ends."},
        {u"Exclaims!", u"Exclaims!"},  // '!' is below '.'
        {u"Comma,", u"Comma,"},        // ',' is below '.'
        {u"Slash/", u"Slash/."},       // '/' is above '.'
        {u"Digit 7", u"Digit 7."},
        {u"Trailing space ", u"Trailing space "},
        {u"Umlaut \u00e4", u"Umlaut \u00e4."},
        {u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorBoxText(c.message), c.text);
    }
}

}  // namespace
}  // namespace orsk
