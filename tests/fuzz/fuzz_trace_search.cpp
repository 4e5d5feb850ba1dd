// Fuzzes the view search against a naive scan that folds A-Z one unit at a time.
//
// FindFolded must return a real folded match with no earlier one at or after its start, or
// nothing exactly when the naive scan finds nothing. Pressing Search/Next again and again must
// give the naive scan's matches in order: positions never go back, and two matches never
// overlap, except that a match at the very start is found again (SearchPos 1 reads as "start
// over"). A failed step changes nothing.
//
// Input: the first byte is the needle's length (0 to 11), then the needle's units and the
// view's. Units come mostly from a small alphabet, so that matches are common: letters of both
// cases and the characters one bit (0x20) away from them that must not fold ("@" and "`",
// "[" and "{", "\u00C0" and "\u00E0"); bytes from 0xC0 are Latin-1 as they stand, bytes from
// 0xF0 take the next two bytes as any unit.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "tests/fuzz/FuzzSupport.h"
#include "window/view/TraceSearch.h"

namespace {

std::u16string UnitsOf(const std::uint8_t* data, std::size_t size) {
    static constexpr char16_t kAlphabet[] = u"aAbBzZ@`[{-\r\n \u00C0\u00E0";
    constexpr std::size_t kAlphabetSize = sizeof(kAlphabet) / sizeof(char16_t) - 1;
    std::u16string units;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] < 0xC0) {
            units.push_back(kAlphabet[data[i] % kAlphabetSize]);
        } else if (data[i] < 0xF0 || i + 2 >= size) {
            units.push_back(static_cast<char16_t>(data[i]));
        } else {
            units.push_back(static_cast<char16_t>(data[i + 1] | data[i + 2] << 8));
            i += 2;
        }
    }
    return units;
}

char16_t Folded(char16_t unit) {
    if (unit >= u'A' && unit <= u'Z') {
        return static_cast<char16_t>(unit - u'A' + u'a');
    }
    return unit;
}

bool FoldedMatchAt(std::u16string_view view, std::u16string_view needle, std::size_t at) {
    if (at > view.size() || view.size() - at < needle.size()) {
        return false;
    }
    for (std::size_t k = 0; k < needle.size(); ++k) {
        if (Folded(view[at + k]) != Folded(needle[k])) {
            return false;
        }
    }
    return true;
}

std::optional<std::size_t> NaiveFind(std::u16string_view view, std::u16string_view needle,
                                     std::size_t from) {
    if (needle.empty()) {
        return std::nullopt;
    }
    for (std::size_t at = from; at + needle.size() <= view.size(); ++at) {
        if (FoldedMatchAt(view, needle, at)) {
            return at;
        }
    }
    return std::nullopt;
}

// Where the next step must find its match: from the start at SearchPos 1, else right after
// the last match.
std::optional<std::size_t> ExpectedStep(std::u16string_view view, std::u16string_view needle,
                                        std::int64_t searchPos) {
    const std::int64_t from =
        searchPos == 1 ? 0 : searchPos - 1 + static_cast<std::int64_t>(needle.size());
    if (from > static_cast<std::int64_t>(view.size())) {
        return std::nullopt;
    }
    return NaiveFind(view, needle, static_cast<std::size_t>(from));
}

void CheckFind(std::u16string_view view, std::u16string_view needle, std::size_t from) {
    const std::optional<std::size_t> found = orsk::FindFolded(view, needle, from);
    if (found) {
        ORSK_FUZZ_CHECK(*found >= from);
        ORSK_FUZZ_CHECK(FoldedMatchAt(view, needle, *found));
    }
    ORSK_FUZZ_CHECK(found == NaiveFind(view, needle, from));
}

// One step, held against the naive scan; returns the match.
std::optional<orsk::TraceSearch::Match> CheckedStep(orsk::TraceSearch& search,
                                                    std::u16string_view view,
                                                    std::u16string_view needle) {
    const std::int64_t before = search.SearchPos();
    const std::optional<std::size_t> expected = ExpectedStep(view, needle, before);
    const auto match = search.Step(view, needle);
    ORSK_FUZZ_CHECK(match.has_value() == expected.has_value());
    if (!match) {
        ORSK_FUZZ_CHECK(search.SearchPos() == before);
        return match;
    }
    ORSK_FUZZ_CHECK(match->selectionStart == *expected);
    ORSK_FUZZ_CHECK(match->selectionLength == needle.size());
    ORSK_FUZZ_CHECK(search.SearchPos() == static_cast<std::int64_t>(match->selectionStart) + 1);
    return match;
}

void CheckSearchSteps(std::u16string_view view, std::u16string_view needle) {
    orsk::TraceSearch search;
    std::optional<orsk::TraceSearch::Match> previous;
    // Every step that finds something moves on by at least one unit, so this many steps reach
    // the end of any view.
    for (std::size_t step = 0; step <= view.size() + 1; ++step) {
        const auto match = CheckedStep(search, view, needle);
        if (!match) {
            // Nothing more to find, and pressing again changes nothing.
            ORSK_FUZZ_CHECK(!CheckedStep(search, view, needle));
            break;
        }
        if (previous) {
            const std::size_t last = previous->selectionStart;
            ORSK_FUZZ_CHECK(match->selectionStart >= last);
            const bool repeatsFirst = last == 0 && match->selectionStart == 0;
            ORSK_FUZZ_CHECK(repeatsFirst || match->selectionStart >= last + needle.size());
            if (repeatsFirst) {
                break;  // it would be found again forever
            }
        }
        previous = match;
    }

    // A view that shrank below the last match, as after the user deleted text.
    if (previous && !view.empty()) {
        CheckedStep(search, view.substr(0, previous->selectionStart / 2), needle);
    }

    // A changed search text starts over at the first match.
    search.SearchTextChanged();
    ORSK_FUZZ_CHECK(search.SearchPos() == 1);
    const auto first = CheckedStep(search, view, needle);
    ORSK_FUZZ_CHECK(first.has_value() == NaiveFind(view, needle, 0).has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return -1;
    }
    const std::u16string units = UnitsOf(data + 1, size - 1);
    const std::size_t needleSize = std::min<std::size_t>(data[0] % 12, units.size());
    const std::u16string_view needle = std::u16string_view(units).substr(0, needleSize);
    const std::u16string_view view = std::u16string_view(units).substr(needleSize);

    for (const std::size_t from : {std::size_t{0}, std::size_t{1}, view.size() / 3, view.size() / 2,
                                   view.size(), view.size() + 1}) {
        CheckFind(view, needle, from);
    }
    CheckSearchSteps(view, needle);
    return 0;
}
