#include "window/form/FilterBoxTyping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orsk {
namespace {

const std::vector<std::u16string> kLevels{u"0 = ALL", u"1", u"2", u"3", u"4",
                                          u"5",       u"6", u"7", u"8", u"9"};

FilterBoxState State(std::u16string text, std::size_t start, std::size_t end, int chosen) {
    return FilterBoxState{std::move(text), start, end, chosen};
}

struct TypeCase {
    const char* situation;
    FilterBoxState before;
    char16_t typed;
    FilterBoxState after;
    bool textChanged;
};

void ExpectTyping(const std::vector<std::u16string>& items, std::initializer_list<TypeCase> cases) {
    for (const TypeCase& c : cases) {
        EXPECT_EQ(TypeIntoFilterBox(c.before, c.typed, items),
                  (FilterBoxEdit{c.after, true, c.textChanged}))
            << c.situation;
    }
}

TEST(FilterBoxTyping, TypingCompletesAgainstTheLevelItems) {
    ExpectTyping(
        kLevels,
        {
            {"replacing ALL by 1", State(u"0 = ALL", 0, 7, 0), u'1', State(u"1", 1, 1, 1), true},
            {"12 is no item", State(u"1", 1, 1, 1), u'2', State(u"12", 2, 2, -1), true},
            {"appending to ALL", State(u"0 = ALL", 7, 7, 0), u'1', State(u"0 = ALL1", 8, 8, -1),
             true},
            {"retyping the chosen item", State(u"0 = ALL", 0, 7, 0), u'0',
             State(u"0 = ALL", 1, 7, 0), false},
            {"empty box, no item", State(u"", 0, 0, -1), u'a', State(u"a", 1, 1, -1), true},
            {"completion ignores case", State(u"0 = ", 4, 4, -1), u'a', State(u"0 = aLL", 5, 7, 0),
             true},
            {"typing the whole item", State(u"0 = AL", 6, 6, -1), u'L', State(u"0 = ALL", 7, 7, 0),
             true},
            {"typing the next char of the completion", State(u"0 = ALL", 1, 7, 0), u' ',
             State(u"0 = ALL", 2, 7, 0), false},
            {"typing before the text", State(u"5", 0, 0, 5), u'1', State(u"15", 1, 1, -1), true},
            {"selection made backwards", State(u"0 = ALL", 7, 0, 0), u'3', State(u"3", 1, 1, 3),
             true},
            {"selection past the end", State(u"0", 9, 5, 0), u'9', State(u"09", 2, 2, -1), true},
            {"a middle part replaced", State(u"0 = ALL", 1, 6, 0), u'x', State(u"0xL", 2, 2, -1),
             true},
        });
}

TEST(FilterBoxTyping, TheFirstMatchingItemWinsAndOnlyAsciiLettersFoldCase) {
    ExpectTyping(
        {u"Abc", u"abd", u"\u00C9t\u00E9", u"\u00E9x"},
        {
            {"first of two", State(u"", 0, 0, 1), u'a', State(u"abc", 1, 3, 0), true},
            {"second by its own letter", State(u"ab", 2, 2, 0), u'D', State(u"abD", 3, 3, 1), true},
            {"accented letter exact", State(u"", 0, 0, -1), u'\u00C9',
             State(u"\u00C9t\u00E9", 1, 3, 2), true},
            {"lower case accent not folded", State(u"", 0, 0, -1), u'\u00E9',
             State(u"\u00E9x", 1, 2, 3), true},
        });
    EXPECT_EQ(TypeIntoFilterBox(State(u"", 0, 0, -1), u'\u00C9', {u"\u00E9x"}),
              (FilterBoxEdit{State(u"\u00C9", 1, 1, -1), true, true}));
}

TEST(FilterBoxTyping, BackspaceDeletesTheSelectionOrTheCharacterBeforeTheCaret) {
    struct Case {
        const char* situation;
        FilterBoxState before;
        FilterBoxState after;
    };
    for (const Case& c : {
             Case{"completed rest", State(u"0 = ALL", 1, 7, 0), State(u"0", 1, 1, -1)},
             Case{"selection made backwards", State(u"0 = ALL", 5, 2, 0), State(u"0 LL", 2, 2, -1)},
             Case{"one character", State(u"12", 2, 2, -1), State(u"1", 1, 1, -1)},
             Case{"inside the text", State(u"123", 1, 1, 1), State(u"23", 0, 0, -1)},
             Case{"at the start", State(u"12", 0, 0, 1), State(u"12", 0, 0, -1)},
             Case{"empty box", State(u"", 0, 0, -1), State(u"", 0, 0, -1)},
             Case{"caret past the end", State(u"12", 7, 7, -1), State(u"1", 1, 1, -1)},
             Case{"surrogate pair", State(u"a\U0001F600", 3, 3, -1), State(u"a", 1, 1, -1)},
             Case{"pair at the start", State(u"\U0001F600b", 2, 2, -1), State(u"b", 0, 0, -1)},
             Case{"lone low surrogate", State(u"a\xDC00", 2, 2, -1), State(u"a", 1, 1, -1)},
         }) {
        EXPECT_EQ(BackspaceInFilterBox(c.before), (FilterBoxEdit{c.after, false, true}))
            << c.situation;
    }
}

TEST(FilterBoxTyping, ASessionOfTypingAndErasing) {
    FilterBoxState box = State(u"0 = ALL", 0, 7, 0);
    std::vector<bool> changes;
    const auto type = [&](char16_t c) {
        const FilterBoxEdit edit = TypeIntoFilterBox(box, c, kLevels);
        box = edit.state;
        changes.push_back(edit.textChanged);
    };
    const auto erase = [&] {
        const FilterBoxEdit edit = BackspaceInFilterBox(box);
        box = edit.state;
        changes.push_back(edit.textChanged);
    };
    type(u'1');
    type(u'2');
    erase();
    erase();
    type(u'0');
    type(u' ');
    EXPECT_EQ(box, State(u"0 = ALL", 2, 7, 0));
    EXPECT_EQ(changes, (std::vector<bool>{true, true, true, true, true, false}));
}

}  // namespace
}  // namespace orsk
