#pragma once
// The seam between the trace window's logic and the control that shows the view text.
//
// AddTrace, ShowTraces, search and save talk only to this interface. The view's own text control
// (Win32TextControl) implements it in the window; MemoryTextArea implements it for the tests.
// Positions and lengths count UTF-16 units, 0-based.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "window/view/TraceSearch.h"

namespace orsk {

class TextArea {
public:
    virtual ~TextArea() = default;

    // The whole text, as the user sees it (user edits included).
    virtual std::u16string ReadAll() const = 0;
    virtual std::size_t Length() const = 0;

    // True when the text is empty or ends with a line break (CR LF): the next line then goes
    // right at the end. False when the user removed the final break.
    virtual bool LastLineIsEmpty() const = 0;

    // Appends at the end of the text, leaves the caret at the end (so the new text is in
    // view) and drops any selection. Text added this way is not part of the undo history.
    virtual void Append(std::u16string_view text) = 0;

    // Takes away the text from `position` to the end, as when an append is taken back; the
    // caret ends at the end. Not part of the undo history.
    virtual void RemoveFrom(std::size_t position) { ReplaceAll(ReadAll().substr(0, position)); }

    // Replaces the whole text; the caret ends at the end. Not part of the undo history.
    virtual void ReplaceAll(std::u16string_view text) = 0;

    // The leftmost match of `needle` at or after `from`, folding A-Z (see FindFolded).
    virtual std::optional<std::size_t> FindFolded(std::u16string_view needle,
                                                  std::size_t from) const {
        return orsk::FindFolded(ReadAll(), needle, from);
    }

    // Empties the text before a rebuild appends the new one. A text area may keep its memory
    // for that text and give back what it did not need when the update ends.
    virtual void ClearForRebuild() { ReplaceAll({}); }

    // Selects `length` units from `start`.
    virtual void Select(std::size_t start, std::size_t length) = 0;

    // Freezes and releases drawing around a rebuild, so the control is redrawn once.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
};

}  // namespace orsk
