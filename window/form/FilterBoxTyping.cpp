#include "window/form/FilterBoxTyping.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "common/Utf16.h"

namespace orsk {
namespace {

// The items are level numbers and "0 = ALL", so folding ASCII letters is all the completion
// needs; any other character has to match exactly.
char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool StartsWithIgnoringCase(std::u16string_view item, std::u16string_view prefix) {
    return item.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), item.begin(),
                      [](char16_t a, char16_t b) { return FoldAscii(a) == FoldAscii(b); });
}

// The selection in text order, limited to the text, whichever way it was made.
struct Span {
    std::size_t start;
    std::size_t end;
};

Span Selection(const FilterBoxState& state) {
    const std::size_t size = state.text.size();
    const std::size_t a = std::min(state.selectionStart, size);
    const std::size_t b = std::min(state.selectionEnd, size);
    return Span{std::min(a, b), std::max(a, b)};
}

}  // namespace

FilterBoxEdit TypeIntoFilterBox(const FilterBoxState& state, char16_t typed,
                                const std::vector<std::u16string>& items) {
    const Span selection = Selection(state);
    std::u16string typedText = state.text.substr(0, selection.start);
    typedText += typed;
    typedText += std::u16string_view(state.text).substr(selection.end);

    FilterBoxEdit edit;
    edit.openList = true;
    // The typed text always holds the typed character, so it is never empty and never
    // completes to the first item by default.
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!StartsWithIgnoringCase(items[i], typedText)) {
            continue;
        }
        const int chosen = static_cast<int>(i);
        const std::size_t typedLength = typedText.size();
        edit.state.text = std::move(typedText);
        edit.state.text += std::u16string_view(items[i]).substr(typedLength);
        edit.state.selectionStart = typedLength;
        edit.state.selectionEnd = edit.state.text.size();
        edit.state.chosenItem = chosen;
        // Completing to the item already chosen leaves the level as it was.
        edit.textChanged = chosen != state.chosenItem;
        return edit;
    }
    edit.state.text = std::move(typedText);
    edit.state.selectionStart = edit.state.selectionEnd = selection.start + 1;
    edit.state.chosenItem = -1;
    edit.textChanged = true;
    return edit;
}

FilterBoxEdit BackspaceInFilterBox(const FilterBoxState& state) {
    Span removed = Selection(state);
    if (removed.start == removed.end && removed.start > 0) {
        removed.start -= 1;
        // A character outside the BMP is one character to the user: remove both halves.
        if (removed.start > 0 && IsLowSurrogate(state.text[removed.start]) &&
            IsHighSurrogate(state.text[removed.start - 1])) {
            removed.start -= 1;
        }
    }
    FilterBoxEdit edit;
    edit.state.text = state.text;
    edit.state.text.erase(removed.start, removed.end - removed.start);
    edit.state.selectionStart = edit.state.selectionEnd = removed.start;
    edit.state.chosenItem = -1;
    edit.textChanged = true;
    edit.openList = false;
    return edit;
}

}  // namespace orsk
