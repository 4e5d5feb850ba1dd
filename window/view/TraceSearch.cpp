#include "window/view/TraceSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/Utf16.h"
#include "window/textmodel/TextBuffer.h"
#include "window/view/TextArea.h"

namespace orsk {
namespace {

// Eight units side by side, compared all at once (SSE2 on x86). Comparing two of them gives a
// mask of the same shape: all bits set where equal. They stay inside the scan's own function:
// no vector crosses a call.
using Units8 = std::uint16_t __attribute__((vector_size(16)));
using Mask8 = std::int16_t __attribute__((vector_size(16)));

// The haystack units that fold to `folded`. For a lower-case letter, setting bit 0x20 maps
// exactly its two cases onto it and nothing else, so one comparison covers both.
struct UnitTest {
    char16_t folded;
    char16_t caseBit;

    explicit UnitTest(char16_t needleUnit)
        : folded(FoldAZ(needleUnit)),
          caseBit(folded >= u'a' && folded <= u'z' ? char16_t{0x20} : char16_t{0}) {}

    // A test that every unit passes (all bits set either way).
    static UnitTest Any() { return UnitTest(char16_t{0xFFFF}, char16_t{0xFFFF}); }

    bool Matches(char16_t unit) const { return static_cast<char16_t>(unit | caseBit) == folded; }

private:
    UnitTest(char16_t f, char16_t c) : folded(f), caseBit(c) {}
};

bool RestMatches(const char16_t* at, std::u16string_view needle) {
    for (std::size_t k = 1; k < needle.size(); ++k) {
        if (FoldAZ(at[k]) != FoldAZ(needle[k])) {
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

    // Blocks of 64 units: eight vector compares of each of the two units, one test of the
    // block, and only a block with a candidate is looked at unit by unit.
    constexpr std::size_t kBlock = 64;
    Units8 firstCase, firstFolded, secondCase, secondFolded;
    for (int k = 0; k < 8; ++k) {
        firstCase[k] = first.caseBit;
        firstFolded[k] = first.folded;
        secondCase[k] = second.caseBit;
        secondFolded[k] = second.folded;
    }
    std::size_t i = from;
    while (end - i >= kBlock) {
        const char16_t* const block = units + i;
        Mask8 candidates{};
        for (std::size_t j = 0; j < kBlock; j += 8) {
            Units8 firstUnits, secondUnits;
            std::memcpy(&firstUnits, block + j, sizeof firstUnits);
            std::memcpy(&secondUnits, block + j + secondOffset, sizeof secondUnits);
            candidates |= ((firstUnits | firstCase) == firstFolded) &
                          ((secondUnits | secondCase) == secondFolded);
        }
        std::uint64_t words[2];
        std::memcpy(words, &candidates, sizeof words);
        if ((words[0] | words[1]) != 0) {
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
    return SearchButtonState{enabled, continuing ? SearchCaption::Next : SearchCaption::Search};
}

std::u16string NotFoundText(std::u16string_view searchText, std::u16string_view notFoundSuffix) {
    std::u16string text;
    text.reserve(searchText.size() + notFoundSuffix.size());
    text.append(searchText);
    text.append(notFoundSuffix);
    return text;
}

std::optional<std::size_t> FindFolded(const TextBuffer& haystack, std::u16string_view needle,
                                      std::size_t from) {
    if (needle.empty() || from > haystack.Length() || haystack.Length() - from < needle.size()) {
        return std::nullopt;
    }
    for (std::size_t c = 0; c < haystack.ChunkCount(); ++c) {
        const std::size_t chunkStart = haystack.ChunkStart(c);
        const std::u16string_view chunk = haystack.Chunk(c);
        const std::size_t chunkEnd = chunkStart + chunk.size();
        if (chunkEnd <= from) {
            continue;
        }
        const std::size_t localFrom = from > chunkStart ? from - chunkStart : 0;
        // Matches that lie wholly in this chunk come before those that run on into the next.
        if (const auto found = FindFolded(chunk, needle, localFrom)) {
            return chunkStart + *found;
        }
        if (c + 1 == haystack.ChunkCount()) {
            break;
        }
        // Starts in the chunk's last needle-1 units, read across the chunk boundary.
        const std::size_t tailStart =
            std::max(chunkStart + localFrom, chunkEnd - std::min(chunk.size(), needle.size() - 1));
        const std::u16string seam =
            haystack.Read(tailStart, chunkEnd - tailStart + needle.size() - 1);
        if (const auto found = FindFolded(seam, needle, 0);
            found && tailStart + *found < chunkEnd) {
            return tailStart + *found;
        }
    }
    return std::nullopt;
}

namespace {

// One search step over a view of `viewLength` units; `find(needle, from)` finds a match.
template <typename Find>
std::optional<TraceSearch::Match> SearchStep(std::int64_t& searchPos, std::size_t viewLength,
                                             std::u16string_view searchText, Find find) {
    const auto length = static_cast<std::int64_t>(searchText.size());
    // A match at position 1 leaves SearchPos at 1, which reads as "start over": the same match
    // is found again.
    const std::int64_t start = searchPos == 1 ? 1 : searchPos + length;
    if (start - 1 > static_cast<std::int64_t>(viewLength)) {
        return std::nullopt;  // the view shrank below the last match
    }
    const std::optional<std::size_t> found = find(searchText, static_cast<std::size_t>(start - 1));
    if (!found) {
        return std::nullopt;
    }
    searchPos = static_cast<std::int64_t>(*found) + 1;
    return TraceSearch::Match{*found, searchText.size()};
}

}  // namespace

std::optional<TraceSearch::Match> TraceSearch::Step(std::u16string_view viewText,
                                                    std::u16string_view searchText) {
    return SearchStep(searchPos_, viewText.size(), searchText,
                      [&](std::u16string_view needle, std::size_t from) {
                          return FindFolded(viewText, needle, from);
                      });
}

std::optional<TraceSearch::Match> TraceSearch::Step(const TextArea& view,
                                                    std::u16string_view searchText) {
    return SearchStep(searchPos_, view.Length(), searchText,
                      [&](std::u16string_view needle, std::size_t from) {
                          return view.FindFolded(needle, from);
                      });
}

}  // namespace orsk
