#include "window/view/TraceSearch.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Utf16.h"
#include "window/textmodel/TextBuffer.h"
#include "window/textmodel/UnitRuns.h"
#include "window/view/TextArea.h"

namespace orsk {
namespace {

// Comparing two vectors of eight units gives a mask of the same shape: all bits set where
// equal. They stay inside the scan's own function: no vector crosses a call.
using unit_runs::Units8;
using Mask8 = std::int16_t __attribute__((vector_size(16)));

bool AnyLane(const Mask8& mask) {
    std::uint64_t words[2];
    std::memcpy(words, &mask, sizeof words);
    return (words[0] | words[1]) != 0;
}

// The haystack units that fold to `folded`. For a lower-case letter, setting bit 0x20 maps
// exactly its two cases onto it and nothing else, so one comparison covers both.
struct UnitTest {
    char16_t folded;
    char16_t caseBit;

    explicit UnitTest(char16_t needleUnit)
        : folded(FoldAZ(needleUnit)),
          caseBit(folded >= u'a' && folded <= u'z' ? char16_t{0x20} : char16_t{0}) {}

    bool Matches(char16_t unit) const { return static_cast<char16_t>(unit | caseBit) == folded; }
};

bool MatchesAt(const char16_t* at, std::u16string_view needle) {
    for (std::size_t k = 0; k < needle.size(); ++k) {
        if (FoldAZ(at[k]) != FoldAZ(needle[k])) {
            return false;
        }
    }
    return true;
}

// Roughly how common a unit is in a trace log: spaces and line breaks, then letters in the
// order of English, digits (every date, time and number), some punctuation, then the rest.
int Commonness(char16_t unit) {
    static constexpr std::string_view kLetters = "etaoinshrdlcumwfgypbvkjxqz";  // commonest first
    static constexpr std::string_view kPunctuation = ".,:;/-_=()[]'\"";
    const char16_t folded = FoldAZ(unit);
    if (unit == u' ' || unit == u'\r' || unit == u'\n') {
        return 100;
    }
    if (folded >= u'a' && folded <= u'z') {
        return 90 - 2 * static_cast<int>(kLetters.find(static_cast<char>(folded)));
    }
    if (unit >= u'0' && unit <= u'9') {
        return 80;
    }
    if (unit < 0x80 && kPunctuation.find(static_cast<char>(unit)) != std::string_view::npos) {
        return 40;
    }
    return unit < 0x80 ? 20 : 30;
}

// The two offsets of the needle whose units the scan tests first: the rarest two (a unit
// that the needle repeats counts as commoner), of different units where the needle has two.
// A log of "#0000000001", "#0000000002", ... searched for "#0001000000" then gives candidates
// only where both "#" and the "1" stand, instead of at every number.
std::pair<std::size_t, std::size_t> ProbeOffsets(std::u16string_view needle) {
    std::vector<int> scores(needle.size());
    for (std::size_t k = 0; k < needle.size(); ++k) {
        const char16_t folded = FoldAZ(needle[k]);
        const auto repeats = std::count_if(needle.begin(), needle.end(),
                                           [&](char16_t unit) { return FoldAZ(unit) == folded; });
        scores[k] = 2 * Commonness(needle[k]) + (repeats > 1 ? 1 : 0);
    }
    const auto a =
        static_cast<std::size_t>(std::min_element(scores.begin(), scores.end()) - scores.begin());
    // The second: a different unit before a lower score; the first offset on ties.
    constexpr int kSameUnit = 1000;
    std::size_t b = a;
    int bestRank = 0;
    for (std::size_t k = 0; k < needle.size(); ++k) {
        const int rank = scores[k] + (FoldAZ(needle[k]) == FoldAZ(needle[a]) ? kSameUnit : 0);
        if (k != a && (b == a || rank < bestRank)) {
            b = k;
            bestRank = rank;
        }
    }
    return {a, b};
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
    // Candidates must match two of the needle's units: in ordinary text a single common
    // letter or the block's "-" would send the scan into the slow check far too often.
    const auto [firstOffset, secondOffset] = ProbeOffsets(needle);
    const UnitTest first(needle[firstOffset]);
    const UnitTest second(needle[secondOffset]);

    // Blocks of 64 units: eight vector compares of each of the two units and one test of the
    // block. In a block with candidates only the candidates are looked at further: in a log
    // full of similar numbers, nearly every block has one.
    constexpr std::size_t kGroups = 8;
    constexpr std::size_t kBlock = 8 * kGroups;
    const Units8 firstCase = unit_runs::Splat(first.caseBit);
    const Units8 firstFolded = unit_runs::Splat(first.folded);
    const Units8 secondCase = unit_runs::Splat(second.caseBit);
    const Units8 secondFolded = unit_runs::Splat(second.folded);
    std::size_t i = from;
    while (end - i >= kBlock) {
        const char16_t* const block = units + i;
        Mask8 candidates[kGroups];
        Mask8 any{};
        for (std::size_t g = 0; g < kGroups; ++g) {
            const Units8 firstUnits = unit_runs::Load(block + 8 * g + firstOffset);
            const Units8 secondUnits = unit_runs::Load(block + 8 * g + secondOffset);
            candidates[g] = ((firstUnits | firstCase) == firstFolded) &
                            ((secondUnits | secondCase) == secondFolded);
            any |= candidates[g];
        }
        if (AnyLane(any)) {
            for (std::size_t g = 0; g < kGroups; ++g) {
                // Four 16-bit lanes a word, the first unit in the lowest bits.
                std::uint64_t words[2];
                std::memcpy(words, &candidates[g], sizeof words);
                for (std::size_t w = 0; w < 2; ++w) {
                    for (std::uint64_t lanes = words[w]; lanes != 0;) {
                        const auto lane = static_cast<std::size_t>(std::countr_zero(lanes)) / 16;
                        const std::size_t at = i + 8 * g + 4 * w + lane;
                        if (MatchesAt(units + at, needle)) {
                            return at;
                        }
                        lanes &= ~(std::uint64_t{0xFFFF} << (16 * lane));
                    }
                }
            }
        }
        i += kBlock;
    }
    for (; i < end; ++i) {
        if (first.Matches(units[i + firstOffset]) && MatchesAt(units + i, needle)) {
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
