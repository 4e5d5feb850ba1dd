#include "window/view/FilterLevel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>

namespace orsk {
namespace {

using namespace std::string_view_literals;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct LevelCase {
    std::u16string_view text;
    std::int32_t level;
};

void ExpectLevels(std::initializer_list<LevelCase> cases) {
    for (const LevelCase& c : cases) {
        EXPECT_EQ(ParseFilterLevel(c.text), c.level)
            << "text " << testing::PrintToString(std::u16string(c.text));
    }
}

TEST(FilterLevel, TheComboItemsGiveTheirLevels) {
    EXPECT_EQ(ParseFilterLevel(u"0 = ALL"), 0);
    for (int level = 1; level <= 9; ++level) {
        const std::u16string item(1, static_cast<char16_t>(u'0' + level));
        EXPECT_EQ(ParseFilterLevel(item), level) << level;
    }
}

TEST(FilterLevel, DecimalTextWithLeadingSpacesAndSign) {
    ExpectLevels({
        {u"0", 0},
        {u" 7", 7},
        {u"  -1", -1},
        {u"007", 7},
        {u"+5", 5},
        {u"-0", 0},
        {u"   +12", 12},
        {u"2147483647", kMax},
        {u"-2147483648", kMin},
        {u"+2147483647", kMax},
        {u"000000000002147483647", kMax}  // leading zeros do not overflow
    });
}

TEST(FilterLevel, HexTextIsA32BitPatternAndTheSignWraps) {
    ExpectLevels({{u"x1F", 31},
                  {u"X1f", 31},
                  {u"0x1F", 31},
                  {u"0X1f", 31},
                  {u"$ff", 255},
                  {u"$0", 0},
                  {u"0x0", 0},
                  {u"$FFFFFFFF", -1},
                  {u"$80000000", kMin},
                  {u"$7FFFFFFF", kMax},
                  {u"$000000001", 1},  // leading zeros are not significant digits
                  {u"0x00000000FFFFFFFF", -1},
                  {u"-$1", -1},
                  {u"+$10", 16},
                  {u" -x10", -16},
                  {u"-$80000000", kMin},
                  {u"-$FFFFFFFF", 1},
                  {u"-0x7FFFFFFF", -kMax}});
}

TEST(FilterLevel, OutOfRangeNumbersCountAsZero) {
    ExpectLevels({{u"2147483648", 0},
                  {u"-2147483649", 0},
                  {u"99999999999999999999999", 0},
                  {u"$100000000", 0},
                  {u"-$100000000", 0},
                  {u"0x123456789", 0}});
}

TEST(FilterLevel, MalformedTextCountsAsZero) {
    ExpectLevels({{u"", 0},     {u"   ", 0},  {u"7 ", 0},      {u"7a", 0},     {u"1 2", 0},
                  {u"+", 0},    {u"-", 0},    {u" -", 0},      {u"++1", 0},    {u"--1", 0},
                  {u"+-1", 0},  {u"- 1", 0},  {u"$", 0},       {u"x", 0},      {u"0x", 0},
                  {u"0X", 0},   {u"-0x", 0},  {u"$ 1", 0},     {u"$-1", 0},    {u"$g", 0},
                  {u"0x1G", 0}, {u"$0x1", 0}, {u"0x$1", 0},    {u"00x1", 0},   {u"1x1", 0},
                  {u"0xx1", 0}, {u"\t7", 0},  {u"\u00a07", 0}, {u"\uff17", 0}, {u"7\0"sv, 0},
                  {u"1.5", 0},  {u"1e3", 0},  {u"$ff ", 0}});
}

}  // namespace
}  // namespace orsk
