#include "window/Win32EditTextArea.h"

#include <string>

#include "window/Win32Text.h"

namespace orsk {

std::u16string Win32EditTextArea::ReadAll() const {
    const std::size_t length = Length();
    std::u16string text(length, u'\0');
    if (length > 0) {
        const LRESULT copied =
            ::SendMessageW(edit_, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(copied));
    }
    return text;
}

std::size_t Win32EditTextArea::Length() const {
    return static_cast<std::size_t>(::SendMessageW(edit_, WM_GETTEXTLENGTH, 0, 0));
}

bool Win32EditTextArea::LastLineIsEmpty() const {
    const LRESULT lines = ::SendMessageW(edit_, EM_GETLINECOUNT, 0, 0);
    const LRESULT lastLineStart = ::SendMessageW(edit_, EM_LINEINDEX, lines - 1, 0);
    return ::SendMessageW(edit_, EM_LINELENGTH, lastLineStart, 0) == 0;
}

void Win32EditTextArea::Append(std::u16string_view text) {
    const std::wstring wide = ToWide(text);
    const auto end = static_cast<WPARAM>(Length());
    ::SendMessageW(edit_, EM_SETSEL, end, static_cast<LPARAM>(end));
    ::SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    ForgetUndo();
    CaretToEnd();
}

void Win32EditTextArea::ReplaceAll(std::u16string_view text) {
    const std::wstring wide = ToWide(text);
    ::SendMessageW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    ForgetUndo();
    CaretToEnd();
}

void Win32EditTextArea::Select(std::size_t start, std::size_t length) {
    ::SendMessageW(edit_, EM_SETSEL, start, static_cast<LPARAM>(start + length));
    ::SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}

void Win32EditTextArea::BeginUpdate() {
    ::LockWindowUpdate(frozenWindow_);
}

void Win32EditTextArea::EndUpdate() {
    ::LockWindowUpdate(nullptr);
}

void Win32EditTextArea::ForgetUndo() {
    // The program's text is not the user's edit: Undo must never take a trace away, nor
    // replay an older edit at positions the new text has moved.
    ::SendMessageW(edit_, EM_EMPTYUNDOBUFFER, 0, 0);
}

void Win32EditTextArea::CaretToEnd() {
    const auto end = static_cast<WPARAM>(Length());
    ::SendMessageW(edit_, EM_SETSEL, end, static_cast<LPARAM>(end));
    ::SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}

}  // namespace orsk
