#include "window/textmodel/TextEditor.h"

#include <algorithm>

#include "window/textmodel/TextColumns.h"

namespace orsk {
namespace {

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

}  // namespace

std::u16string TextEditor::SelectedText() const {
    return text_.Read(SelectionStart(), SelectionEnd() - SelectionStart());
}

void TextEditor::Select(std::size_t anchor, std::size_t caret) {
    anchor_ = std::min(anchor, Length());
    caret_ = std::min(caret, Length());
    wantedColumn_.reset();
}

std::size_t TextEditor::LineEndOf(std::size_t line) const {
    return text_.LineStart(line) + text_.LineLength(line);
}

std::size_t TextEditor::StepLeft(std::size_t position) const {
    if (position == 0) {
        return 0;
    }
    const std::size_t line = text_.LineOf(position);
    if (position == text_.LineStart(line) && line > 0) {
        return LineEndOf(line - 1);  // over the line break as one step
    }
    --position;
    if (position > 0 && IsLowSurrogate(text_.At(position)) &&
        IsHighSurrogate(text_.At(position - 1))) {
        --position;
    }
    return position;
}

std::size_t TextEditor::StepRight(std::size_t position) const {
    if (position >= Length()) {
        return Length();
    }
    const std::size_t line = text_.LineOf(position);
    if (position >= LineEndOf(line) && line + 1 < text_.LineCount()) {
        return text_.LineStart(line + 1);
    }
    ++position;
    if (position < Length() && IsLowSurrogate(text_.At(position)) &&
        IsHighSurrogate(text_.At(position - 1))) {
        ++position;
    }
    return position;
}

std::size_t TextEditor::WordLeftOf(std::size_t position) const {
    const std::size_t line = text_.LineOf(position);
    const std::size_t lineStart = text_.LineStart(line);
    if (position <= lineStart) {
        return StepLeft(position);
    }
    while (position > lineStart && IsBlank(text_.At(position - 1))) {
        --position;
    }
    while (position > lineStart && !IsBlank(text_.At(position - 1))) {
        --position;
    }
    return position;
}

std::size_t TextEditor::WordRightOf(std::size_t position) const {
    const std::size_t lineEnd = LineEndOf(text_.LineOf(position));
    if (position >= lineEnd) {
        return StepRight(position);
    }
    while (position < lineEnd && !IsBlank(text_.At(position))) {
        ++position;
    }
    while (position < lineEnd && IsBlank(text_.At(position))) {
        ++position;
    }
    return position;
}

void TextEditor::PlaceCaret(std::size_t position, bool extend) {
    caret_ = std::min(position, Length());
    if (!extend) {
        anchor_ = caret_;
    }
}

void TextEditor::Move(CaretMove move, bool extend, std::size_t pageLines) {
    const bool vertical = move == CaretMove::Up || move == CaretMove::Down ||
                          move == CaretMove::PageUp || move == CaretMove::PageDown;
    if (vertical) {
        if (!wantedColumn_) {
            wantedColumn_ = ColumnOf(caret_);
        }
        const std::size_t line = text_.LineOf(caret_);
        const std::size_t last = text_.LineCount() - 1;
        const std::size_t step = (move == CaretMove::Up || move == CaretMove::Down)
                                     ? 1
                                     : std::max<std::size_t>(pageLines, 1);
        std::size_t target = line;
        if (move == CaretMove::Up || move == CaretMove::PageUp) {
            target = line >= step ? line - step : 0;
        } else {
            target = last - line >= step ? line + step : last;
        }
        const std::size_t column = *wantedColumn_;
        PlaceCaret(PositionAtColumn(target, column), extend);
        wantedColumn_ = column;
        return;
    }
    wantedColumn_.reset();
    std::size_t position = caret_;
    switch (move) {
        case CaretMove::Left:
            // Without Shift, Left from a selection lands at its start, Right at its end.
            position = HasSelection() && !extend ? SelectionStart() : StepLeft(caret_);
            break;
        case CaretMove::Right:
            position = HasSelection() && !extend ? SelectionEnd() : StepRight(caret_);
            break;
        case CaretMove::WordLeft:
            position = WordLeftOf(caret_);
            break;
        case CaretMove::WordRight:
            position = WordRightOf(caret_);
            break;
        case CaretMove::LineStart:
            position = text_.LineStart(text_.LineOf(caret_));
            break;
        case CaretMove::LineEnd:
            position = LineEndOf(text_.LineOf(caret_));
            break;
        case CaretMove::TextStart:
            position = 0;
            break;
        case CaretMove::TextEnd:
            position = Length();
            break;
        default:
            break;
    }
    PlaceCaret(position, extend);
}

void TextEditor::SelectWordAt(std::size_t position) {
    position = std::min(position, Length());
    const std::size_t line = text_.LineOf(position);
    const std::size_t lineStart = text_.LineStart(line);
    const std::size_t lineEnd = LineEndOf(line);
    if (position >= lineEnd) {
        if (position == lineStart) {
            Select(position, position);
            return;
        }
        --position;  // at the end of a line: the word before
    }
    const bool blank = IsBlank(text_.At(position));
    std::size_t start = position;
    while (start > lineStart && IsBlank(text_.At(start - 1)) == blank) {
        --start;
    }
    std::size_t end = position;
    while (end < lineEnd && IsBlank(text_.At(end)) == blank) {
        ++end;
    }
    Select(start, end);
}

void TextEditor::Replace(std::size_t start, std::size_t length, std::u16string_view text,
                         bool typing) {
    const bool continuesTyping = typing && undo_ && undo_->typing && length == 0 &&
                                 start == undo_->position + undo_->insertedLength;
    // The new record is made before the text changes and moved in after it has, so that
    // running out of memory in either leaves the text and the record as they were.
    std::optional<UndoRecord> record;
    if (!continuesTyping) {
        record = UndoRecord{start, text_.Read(start, length), text.size(), typing};
    }
    text_.Replace(start, length, text);
    if (record) {
        undo_ = std::move(record);
    } else {
        undo_->insertedLength += text.size();
    }
    anchor_ = caret_ = start + text.size();
    wantedColumn_.reset();
    modified_ = true;
}

bool TextEditor::ReplaceSelection(std::u16string_view text) {
    if (!HasSelection() && text.empty()) {
        return false;
    }
    const std::size_t start = SelectionStart();
    Replace(start, SelectionEnd() - start, text, false);
    return true;
}

bool TextEditor::TypeCharacter(char16_t unit) {
    return TypeText(std::u16string_view(&unit, 1));
}

bool TextEditor::TypeText(std::u16string_view units) {
    if (!HasSelection() && units.empty()) {
        return false;
    }
    const std::size_t start = SelectionStart();
    Replace(start, SelectionEnd() - start, units, true);
    return true;
}

bool TextEditor::Backspace() {
    if (HasSelection()) {
        return DeleteSelection();
    }
    if (caret_ == 0) {
        return false;
    }
    const std::size_t from = StepLeft(caret_);
    Replace(from, caret_ - from, {}, false);
    return true;
}

bool TextEditor::DeleteForward() {
    if (HasSelection()) {
        return DeleteSelection();
    }
    if (caret_ >= Length()) {
        return false;
    }
    const std::size_t to = StepRight(caret_);
    Replace(caret_, to - caret_, {}, false);
    return true;
}

bool TextEditor::Undo() {
    if (!undo_) {
        return false;
    }
    // The inverse edit becomes the record, so a second Undo redoes. Like any edit, it reads
    // what it needs before the text changes and touches the record only after.
    UndoRecord& record = *undo_;
    std::u16string inserted = text_.Read(record.position, record.insertedLength);
    text_.Replace(record.position, record.insertedLength, record.removed);
    const std::size_t restored = record.removed.size();
    record.removed = std::move(inserted);
    record.insertedLength = restored;
    record.typing = false;
    // The restored text is selected, as the system's edit control does.
    anchor_ = record.position;
    caret_ = record.position + restored;
    wantedColumn_.reset();
    modified_ = true;
    return true;
}

void TextEditor::AppendProgramText(std::u16string_view text) {
    text_.Append(text);
    anchor_ = caret_ = Length();
    wantedColumn_.reset();
    undo_.reset();
}

void TextEditor::ReplaceAllProgramText(std::u16string_view text) {
    // Made aside and moved in, so that running out of memory leaves the old text whole; the
    // old text's memory goes back as the new one takes its place.
    TextBuffer replacement;
    replacement.Append(text);
    text_ = std::move(replacement);
    anchor_ = caret_ = Length();
    wantedColumn_.reset();
    undo_.reset();
}

void TextEditor::RemoveProgramTextFrom(std::size_t position) {
    if (position < Length()) {
        text_.Replace(position, Length() - position, {});
    }
    anchor_ = caret_ = Length();
    wantedColumn_.reset();
    undo_.reset();
}

void TextEditor::ClearForRefill() {
    text_.ClearForRefill();
    anchor_ = caret_ = 0;
    wantedColumn_.reset();
    undo_.reset();
}

std::size_t TextEditor::ColumnOf(std::size_t position) const {
    position = std::min(position, Length());
    const std::size_t line = text_.LineOf(position);
    const std::size_t lineStart = text_.LineStart(line);
    const std::size_t end = std::min(position, LineEndOf(line));
    std::size_t column = 0;
    char16_t previous = 0;
    for (std::size_t p = lineStart; p < end; ++p) {
        const char16_t unit = text_.At(p);
        column = NextColumn(column, previous, unit);
        previous = unit;
    }
    return column;
}

std::size_t TextEditor::PositionAtColumn(std::size_t line, std::size_t column) const {
    line = std::min(line, text_.LineCount() - 1);
    const std::size_t lineStart = text_.LineStart(line);
    // Held to the text, like everything the screen reads by line: a line index out of step
    // with the text must not lead beyond it.
    const std::size_t lineEnd = std::min(LineEndOf(line), Length());
    std::size_t at = 0;
    char16_t previous = 0;
    for (std::size_t p = lineStart; p < lineEnd; ++p) {
        const char16_t unit = text_.At(p);
        const std::size_t next = NextColumn(at, previous, unit);
        // Never between the halves of a surrogate pair.
        if (next > column && !(IsLowSurrogate(unit) && IsHighSurrogate(previous))) {
            return p;
        }
        at = next;
        previous = unit;
    }
    return lineEnd;
}

}  // namespace orsk
