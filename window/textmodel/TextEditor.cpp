#include "window/textmodel/TextEditor.h"

#include <algorithm>

#include "window/textmodel/GraphemeClusters.h"
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

// The caret moves and deletes by grapheme cluster, so a line break (CR LF) and a character
// with its accents, modifiers or joined parts are one step.
std::size_t TextEditor::StepLeft(std::size_t position) const {
    return PreviousClusterBoundary(text_, position);
}

std::size_t TextEditor::StepRight(std::size_t position) const {
    return NextClusterBoundary(text_, position);
}

bool TextEditor::BlankClusterAt(std::size_t position) const {
    // A blank with a combining mark on it still separates words.
    return IsBlank(text_.At(position));
}

std::size_t TextEditor::WordLeftOf(std::size_t position) const {
    const std::size_t line = text_.LineOf(position);
    const std::size_t lineStart = text_.LineStart(line);
    if (position <= lineStart) {
        return StepLeft(position);
    }
    // The line's start is a boundary (after CR LF, or the text's start), so the steps stop there.
    while (position > lineStart && BlankClusterAt(StepLeft(position))) {
        position = StepLeft(position);
    }
    while (position > lineStart && !BlankClusterAt(StepLeft(position))) {
        position = StepLeft(position);
    }
    return position;
}

std::size_t TextEditor::WordRightOf(std::size_t position) const {
    const std::size_t lineEnd = LineEndOf(text_.LineOf(position));
    if (position >= lineEnd) {
        return StepRight(position);
    }
    // A cluster never runs on into the CR that ends the line.
    while (position < lineEnd && !BlankClusterAt(position)) {
        position = StepRight(position);
    }
    while (position < lineEnd && BlankClusterAt(position)) {
        position = StepRight(position);
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

std::pair<std::size_t, std::size_t> TextEditor::WordAt(std::size_t position) const {
    position = std::min(position, Length());
    const std::size_t line = text_.LineOf(position);
    const std::size_t lineStart = text_.LineStart(line);
    const std::size_t lineEnd = LineEndOf(line);
    if (lineEnd == lineStart) {
        return {lineStart, lineStart};
    }
    // The cluster at the position, or at a line's end (or inside its break) the one before.
    std::size_t start = position >= lineEnd                  ? StepLeft(lineEnd)
                        : IsClusterBoundary(text_, position) ? position
                                                             : StepLeft(position);
    const bool blank = BlankClusterAt(start);
    std::size_t end = StepRight(start);
    while (start > lineStart && BlankClusterAt(StepLeft(start)) == blank) {
        start = StepLeft(start);
    }
    while (end < lineEnd && BlankClusterAt(end) == blank) {
        end = StepRight(end);
    }
    return {start, end};
}

void TextEditor::SelectWordAt(std::size_t position) {
    const auto [start, end] = WordAt(position);
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
    // The edit may have joined the text on either side into one cluster (a letter typed before
    // a mark, a line break deleted before one): the caret goes to that cluster's end, after what
    // was typed, so that it never stands inside a character.
    anchor_ = caret_ = ClusterBoundaryAtOrAfter(text_, start + text.size());
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
    return DeleteFromCaret(&TextEditor::StepLeft);
}

bool TextEditor::DeleteForward() {
    return DeleteFromCaret(&TextEditor::StepRight);
}

bool TextEditor::DeleteWordBackward() {
    return DeleteFromCaret(&TextEditor::WordLeftOf);
}

bool TextEditor::DeleteWordForward() {
    return DeleteFromCaret(&TextEditor::WordRightOf);
}

// The selection, or else the text between the caret and where `step` takes it.
bool TextEditor::DeleteFromCaret(std::size_t (TextEditor::*step)(std::size_t) const) {
    if (HasSelection()) {
        return DeleteSelection();
    }
    const std::size_t other = (this->*step)(caret_);
    if (other == caret_) {
        return false;
    }
    const std::size_t from = std::min(caret_, other);
    Replace(from, std::max(caret_, other) - from, {}, false);
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
    LineColumns::Point from = columns_.BeforePosition(text_, line, end);
    for (std::size_t p = std::max(from.position, lineStart); p < end; ++p) {
        from.counter.Add(text_.At(p));
    }
    return from.counter.Column();
}

std::size_t TextEditor::PositionAtColumn(std::size_t line, std::size_t column) const {
    line = std::min(line, text_.LineCount() - 1);
    const std::size_t lineStart = text_.LineStart(line);
    // Held to the text, like everything the screen reads by line: a line index out of step
    // with the text must not lead beyond it.
    const std::size_t lineEnd = std::min(LineEndOf(line), Length());
    LineColumns::Point from = columns_.BeforeColumn(text_, line, column);
    ColumnCounter& counter = from.counter;
    // Cluster by cluster, so that the mouse and Up and Down stop where Left and Right do: the
    // start of the cluster that reaches past the column.
    for (std::size_t p = std::max(from.position, lineStart); p < lineEnd;) {
        const std::size_t end = std::min(StepRight(p), lineEnd);
        for (std::size_t q = p; q < end; ++q) {
            counter.Add(text_.At(q));
        }
        if (counter.Column() > column) {
            return p;
        }
        p = end;
    }
    return lineEnd;
}

}  // namespace orsk
