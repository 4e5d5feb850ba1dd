#pragma once
// What the view's text control does with its text, apart from drawing it: the caret and the
// selection, the caret moves of the keyboard, the user's edits with their undo, and the
// program's appends. The Win32 control draws it and turns messages into these calls; the unit
// tests drive it directly.
//
// Like the system's edit control: one level of undo, and undoing twice redoes; consecutive
// typed characters undo together. Text the program adds is never part of the undo history:
// adding it forgets the last edit, so Undo can never take program text away.
//
// Every change is all or nothing: when memory runs out part of the way (std::bad_alloc), the
// text, the selection and what Undo would do are all as they were.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "window/textmodel/LineColumns.h"
#include "window/textmodel/TextBuffer.h"

namespace orsk {

enum class CaretMove {
    Left,
    Right,
    WordLeft,
    WordRight,
    Up,
    Down,
    PageUp,
    PageDown,
    LineStart,
    LineEnd,
    TextStart,
    TextEnd,
};

class TextEditor {
public:
    const TextBuffer& Text() const { return text_; }
    // Where the columns of the last long line asked about stand (see LineColumns).
    const LineColumns& Columns() const { return columns_; }
    std::size_t Length() const { return text_.Length(); }

    // The anchor stays where a selection was started; the caret is the moving end.
    std::size_t Anchor() const { return anchor_; }
    std::size_t Caret() const { return caret_; }
    std::size_t SelectionStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
    std::size_t SelectionEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
    bool HasSelection() const { return anchor_ != caret_; }
    std::u16string SelectedText() const;

    // Both ends are clamped to the text.
    void Select(std::size_t anchor, std::size_t caret);
    void SelectAll() { Select(0, Length()); }
    // Moves the caret; with `extend` the anchor stays, else the selection goes. `pageLines` is
    // how many lines PageUp and PageDown move.
    void Move(CaretMove move, bool extend, std::size_t pageLines = 1);
    // The word (a run of characters other than spaces and tabs) or the run of blanks at
    // `position`, within its line: its start and end.
    std::pair<std::size_t, std::size_t> WordAt(std::size_t position) const;
    void SelectWordAt(std::size_t position);

    // The user's edits; each can be undone. They report whether the text changed.
    bool ReplaceSelection(std::u16string_view text);
    bool TypeCharacter(char16_t unit);
    // Units typed by one key, as Enter types CR LF: one edit, never half of it.
    bool TypeText(std::u16string_view units);
    bool Backspace();
    bool DeleteForward();
    // Ctrl+Backspace and Ctrl+Delete: to where Ctrl+Left and Ctrl+Right would take the caret.
    bool DeleteWordBackward();
    bool DeleteWordForward();
    bool DeleteSelection() { return HasSelection() && ReplaceSelection({}); }
    bool CanUndo() const { return undo_.has_value(); }
    bool Undo();
    void ForgetUndo() { undo_.reset(); }
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    // The program's text: added at the end (or put in place of all), the caret at the end
    // and no selection; the last edit can no longer be undone.
    void AppendProgramText(std::u16string_view text);
    void ReplaceAllProgramText(std::u16string_view text);
    void RemoveProgramTextFrom(std::size_t position);
    // A rebuild: the text is emptied keeping its memory, the new text is appended, and
    // FinishRefill gives back the memory it did not need.
    void ClearForRefill();
    void FinishRefill() { text_.ReleaseSpareChunks(); }

    // Columns (see TextColumns.h): where a position stands on its line, and the position on a
    // line nearest before a column.
    std::size_t ColumnOf(std::size_t position) const;
    std::size_t PositionAtColumn(std::size_t line, std::size_t column) const;

private:
    struct UndoRecord {
        std::size_t position;
        std::u16string removed;
        std::size_t insertedLength;
        bool typing;
    };
    void Replace(std::size_t start, std::size_t length, std::u16string_view text, bool typing);
    bool DeleteFromCaret(std::size_t (TextEditor::*step)(std::size_t) const);
    std::size_t StepLeft(std::size_t position) const;
    std::size_t StepRight(std::size_t position) const;
    bool BlankClusterAt(std::size_t position) const;
    std::size_t WordLeftOf(std::size_t position) const;
    std::size_t WordRightOf(std::size_t position) const;
    std::size_t LineEndOf(std::size_t line) const;
    void PlaceCaret(std::size_t position, bool extend);

    TextBuffer text_;
    LineColumns columns_;
    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    // The column that Up and Down aim for, kept across vertical moves.
    std::optional<std::size_t> wantedColumn_;
    std::optional<UndoRecord> undo_;
    bool modified_ = false;
};

}  // namespace orsk
