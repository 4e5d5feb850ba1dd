#pragma once
// Typing into the filter box: every typed character opens the list and completes the text
// against the items (ignoring case), the way a user of the level filter expects.

#include <cstddef>
#include <string>
#include <vector>

namespace orsk {

struct FilterBoxState {
    std::u16string text;
    std::size_t selectionStart = 0;  // UTF-16 units
    std::size_t selectionEnd = 0;
    int chosenItem = -1;  // the item the text was chosen or completed from; -1: none
    friend bool operator==(const FilterBoxState&, const FilterBoxState&) = default;
};

struct FilterBoxEdit {
    FilterBoxState state;
    bool openList = false;     // the list is to be opened (typing opens it)
    bool textChanged = false;  // cbFilterChange is to be called
    friend bool operator==(const FilterBoxEdit&, const FilterBoxEdit&) = default;
};

// A typed character replaces the selection. When an item starts with the resulting text
// (ignoring case), the text becomes the typed part followed by the rest of that item, the rest
// is selected, the item becomes the chosen one, and textChanged is set only if the chosen item
// changed. Otherwise the character is simply typed and textChanged is set.
FilterBoxEdit TypeIntoFilterBox(const FilterBoxState& state, char16_t typed,
                                const std::vector<std::u16string>& items);

// Backspace deletes the selection, or else the character before the caret; the chosen item is
// cleared and textChanged is set.
FilterBoxEdit BackspaceInFilterBox(const FilterBoxState& state);

}  // namespace orsk
