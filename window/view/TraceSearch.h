#pragma once
// Text search over the view: a forward scan of the whole view text that folds "A".."Z" onto
// "a".."z" only (every other character compares exactly). Positions count UTF-16 units.
//
// SearchPos is 1-based: 1 means the next search starts at the beginning; a larger value is the
// position of the last match, and the next search then starts right after that match
// (SearchPos + length of the search text), so matches never overlap. There is no wrap-around, and
// a failed search changes nothing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orsk {

class TextArea;
class TextBuffer;

// 0-based index of the leftmost occurrence of `needle` in `haystack` at or after `from`,
// folding A-Z; nothing for an empty needle or when too few units remain.
std::optional<std::size_t> FindFolded(std::u16string_view haystack, std::u16string_view needle,
                                      std::size_t from);

// The same over a chunked text, without copying it.
std::optional<std::size_t> FindFolded(const TextBuffer& haystack, std::u16string_view needle,
                                      std::size_t from);

// Which of its two captions the search button shows; the texts themselves ("&Search", "&Next")
// are the program's string resources.
enum class SearchCaption { Search, Next };

struct SearchButtonState {
    bool enabled = false;
    SearchCaption caption = SearchCaption::Search;
};

// Enabled when the search text, trimmed of every unit at or below U+0020 at both ends, is not
// empty; Next while continuing (SearchPos > 1).
SearchButtonState SearchButtonFor(std::u16string_view searchText, std::int64_t searchPos);

// The information box's text when nothing is found: the search text and `notFoundSuffix` (the
// string resource " not found").
std::u16string NotFoundText(std::u16string_view searchText, std::u16string_view notFoundSuffix);

class TraceSearch {
public:
    struct Match {
        std::size_t selectionStart;  // 0-based
        std::size_t selectionLength;
    };

    // SearchPos is kept in 64 bits so that "position + length" cannot overflow on huge views.
    std::int64_t SearchPos() const { return searchPos_; }

    // Every change of the search text starts over at the beginning.
    void SearchTextChanged() { searchPos_ = 1; }

    // One search step; on a match SearchPos becomes its 1-based position.
    std::optional<Match> Step(std::u16string_view viewText, std::u16string_view searchText);
    std::optional<Match> Step(const TextArea& view, std::u16string_view searchText);

private:
    std::int64_t searchPos_ = 1;
};

}  // namespace orsk
