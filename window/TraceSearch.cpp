#include "window/TraceSearch.h"

#include <cstdint>

namespace orsk {
namespace {

constexpr char16_t Fold(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
}

// The haystack units that fold to `folded`. For a lower-case letter, setting bit 0x20 maps
// exactly its two cases onto it and nothing else, so one comparison covers both; no branch, so
// the block scan below vectorizes.
struct UnitTest {
    char16_t folded;
    char16_t caseBit;

    explicit UnitTest(char16_t needleUnit)
        : folded(Fold(needleUnit)),
          caseBit(folded >= u'a' && folded <= u'z' ? char16_t{0x20} : char16_t{0}) {}

    // A test that every unit passes (all bits set either way).
    static UnitTest Any() { return UnitTest(char16_t{0xFFFF}, char16_t{0xFFFF}); }

    bool Matches(char16_t unit) const { return static_cast<char16_t>(unit | caseBit) == folded; }

private:
    UnitTest(char16_t f, char16_t c) : folded(f), caseBit(c) {}
};

bool RestMatches(const char16_t* at, std::u16string_view needle) {
    for (std::size_t k = 1; k < needle.size(); ++k) {
        if (Fold(at[k]) != Fold(needle[k])) {
            return false;
        }
    }
    return true;
}

bool IsBlank(char16_t unit) {
    return unit <= u' ';
}

}  // namespace

std::optional<std::size_t> FindFolded(std::u16string_view haystack, std::u16string_view needle,
                                      std::size_t from) {
    if (needle.empty() || from > haystack.size() || haystack.size() - from < needle.size()) {
        return std::nullopt;
    }
    const char16_t* const units = haystack.data();
    const std::size_t end = haystack.size() - needle.size() + 1;  // one past the last start
    // Candidates must match the first two units: in ordinary text a single common letter or
    // the block's "-" would send the scan into the slow unit-by-unit check far too often.
    const UnitTest first(needle[0]);
    const UnitTest second = needle.size() > 1 ? UnitTest(needle[1]) : UnitTest::Any();
    const std::size_t secondOffset = needle.size() > 1 ? 1 : 0;

    auto matchAt = [&](std::size_t i) {
        return first.Matches(units[i]) && RestMatches(units + i, needle);
    };

    // Fixed-size blocks without an early exit: the compiler turns the inner loop into vector
    // compares, and only a block with a candidate is looked at unit by unit.
    constexpr std::size_t kBlock = 32;
    std::size_t i = from;
    while (end - i >= kBlock) {
        const char16_t* const block = units + i;
        unsigned candidates = 0;
        for (std::size_t j = 0; j < kBlock; ++j) {
            candidates |= static_cast<unsigned>(first.Matches(block[j]) &
                                                second.Matches(block[j + secondOffset]));
        }
        if (candidates != 0) {
            for (std::size_t j = i; j < i + kBlock; ++j) {
                if (matchAt(j)) {
                    return j;
                }
            }
        }
        i += kBlock;
    }
    for (; i < end; ++i) {
        if (matchAt(i)) {
            return i;
        }
    }
    return std::nullopt;
}

SearchButtonState SearchButtonFor(std::u16string_view searchText, std::int64_t searchPos) {
    std::size_t begin = 0;
    std::size_t end = searchText.size();
    while (begin < end && IsBlank(searchText[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(searchText[end - 1])) {
        --end;
    }
    const bool enabled = begin < end;
    const bool continuing = searchPos > 1;
    return SearchButtonState{enabled, continuing ? kNextCaption : kSearchCaption};
}

std::u16string NotFoundText(std::u16string_view searchText) {
    std::u16string text;
    text.reserve(searchText.size() + kNotFoundSuffix.size());
    text.append(searchText);
    text.append(kNotFoundSuffix);
    return text;
}

std::optional<TraceSearch::Match> TraceSearch::Step(std::u16string_view viewText,
                                                    std::u16string_view searchText) {
    const auto length = static_cast<std::int64_t>(searchText.size());
    // A match at position 1 leaves SearchPos at 1, which reads as "start over": the same match
    // is found again.
    const std::int64_t start = searchPos_ == 1 ? 1 : searchPos_ + length;
    if (start - 1 > static_cast<std::int64_t>(viewText.size())) {
        return std::nullopt;  // the view shrank below the last match
    }
    const auto found = FindFolded(viewText, searchText, static_cast<std::size_t>(start - 1));
    if (!found) {
        return std::nullopt;
    }
    searchPos_ = static_cast<std::int64_t>(*found) + 1;
    return Match{*found, searchText.size()};
}

}  // namespace orsk
