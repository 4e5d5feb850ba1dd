// The view's text control: the user's keys, mouse and clipboard.

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "window/win32/Win32TextControl.h"

namespace orsk {
namespace {

constexpr UINT_PTR kDragScrollTimer = 2;
constexpr UINT kDragScrollMs = 50;

bool Held(int key) {
    return ::GetKeyState(key) < 0;
}

// The whole notches in what the wheel turned so far; the rest waits for the next turn, so that
// a fine-grained wheel scrolls as far as a notched one.
int WholeNotches(int& remainder, int delta) {
    remainder += delta;
    const int notches = remainder / WHEEL_DELTA;
    remainder %= WHEEL_DELTA;
    return notches;
}

// The clipboard's text, or nothing when it holds none or cannot be opened.
std::u16string ClipboardText(HWND owner) {
    std::u16string text;
    const OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen()) {
        return text;
    }
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        const GlobalLockScope lock(data);
        if (const auto* chars = static_cast<const char16_t*>(lock.Get())) {
            // Stop at the end of the memory block too: a careless program may leave out the NUL.
            const std::size_t room = ::GlobalSize(data) / sizeof(char16_t);
            text.assign(chars, std::find(chars, chars + room, u'\0'));
        }
    }
    return text;
}

bool SetClipboardText(HWND owner, const std::u16string& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    unique_hglobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (memory == nullptr) {
        return false;
    }
    {
        const GlobalLockScope lock(memory.get());
        if (lock.Get() == nullptr) {
            return false;
        }
        std::memcpy(lock.Get(), text.c_str(), bytes);
    }
    const OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen()) {
        return false;
    }
    ::EmptyClipboard();
    if (::SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) {
        return false;
    }
    memory.release();  // the clipboard owns it now
    return true;
}

}  // namespace

void Win32TextControl::UserEdited() {
    Refresh(true);
    Notify(EN_CHANGE);
}

bool Win32TextControl::KeyDown(WPARAM key) {
    const bool shift = Held(VK_SHIFT);
    const bool ctrl = Held(VK_CONTROL);
    CaretMove move;
    switch (key) {
        case VK_LEFT:
            move = ctrl ? CaretMove::WordLeft : CaretMove::Left;
            break;
        case VK_RIGHT:
            move = ctrl ? CaretMove::WordRight : CaretMove::Right;
            break;
        case VK_UP:
            move = CaretMove::Up;
            break;
        case VK_DOWN:
            move = CaretMove::Down;
            break;
        case VK_PRIOR:
            move = CaretMove::PageUp;
            break;
        case VK_NEXT:
            move = CaretMove::PageDown;
            break;
        case VK_HOME:
            move = ctrl ? CaretMove::TextStart : CaretMove::LineStart;
            break;
        case VK_END:
            move = ctrl ? CaretMove::TextEnd : CaretMove::LineEnd;
            break;
        case VK_DELETE:
            if (shift) {
                Cut();
            } else if (CanEdit() &&
                       (ctrl ? editor_.DeleteWordForward() : editor_.DeleteForward())) {
                UserEdited();
            }
            return true;
        case VK_BACK:
            // Plain Backspace comes as a character (WM_CHAR); with Ctrl it would come as DEL
            // (0x7F), which is no character to type.
            if (!ctrl) {
                return false;
            }
            if (CanEdit() && editor_.DeleteWordBackward()) {
                UserEdited();
            }
            return true;
        case VK_INSERT:
            if (ctrl) {
                Copy();
            } else if (shift) {
                Paste();
            }
            return true;
        default:
            return false;
    }
    editor_.Move(move, shift, VisibleLines());
    Refresh(true);
    return true;
}

void Win32TextControl::Char(wchar_t unit) {
    switch (unit) {
        case 1:  // Ctrl+A
            editor_.SelectAll();
            Refresh(false);
            return;
        case 3:  // Ctrl+C
            Copy();
            return;
        case 22:  // Ctrl+V
            Paste();
            return;
        case 24:  // Ctrl+X
            Cut();
            return;
        case 26:  // Ctrl+Z
            Undo();
            return;
        default:
            break;
    }
    if (!CanEdit()) {
        return;
    }
    if (unit == L'\b' && Held(VK_CONTROL) && Held(VK_BACK)) {
        return;  // Ctrl+Backspace, which deleted a word at the key (Ctrl+H is a Backspace)
    }
    bool changed = false;
    if (unit == L'\b') {
        changed = editor_.Backspace();
    } else if (unit == L'\r') {
        changed = editor_.TypeText(u"\r\n");
    } else if (unit == L'\t' || (unit >= L' ' && unit != 0x7F)) {
        changed = editor_.TypeCharacter(static_cast<char16_t>(unit));
    }
    if (changed) {
        UserEdited();
    }
}

void Win32TextControl::Copy() {
    if (editor_.HasSelection()) {
        SetClipboardText(window_, editor_.SelectedText());
    }
}

void Win32TextControl::Cut() {
    if (!editor_.HasSelection() || !CanEdit()) {
        return;
    }
    // Only what reached the clipboard is taken from the text.
    if (SetClipboardText(window_, editor_.SelectedText()) && editor_.DeleteSelection()) {
        UserEdited();
    }
}

void Win32TextControl::Paste() {
    if (!CanEdit()) {
        return;
    }
    const std::u16string text = ClipboardText(window_);
    if (!text.empty() && editor_.ReplaceSelection(text)) {
        UserEdited();
    }
}

void Win32TextControl::Clear() {
    if (CanEdit() && editor_.DeleteSelection()) {
        UserEdited();
    }
}

void Win32TextControl::Undo() {
    if (CanEdit() && editor_.Undo()) {
        UserEdited();
    }
}

void Win32TextControl::MouseDown(int x, int y, bool extend) {
    ::SetFocus(window_);
    const std::size_t position = PositionAtPoint(x, y);
    editor_.Select(extend ? editor_.Anchor() : position, position);
    StartDrag(x, y, false);
    Refresh(false);
}

void Win32TextControl::DoubleClick(int x, int y) {
    ::SetFocus(window_);
    editor_.SelectWordAt(PositionAtPoint(x, y));
    // The button is still down: moving on selects whole words from this one.
    StartDrag(x, y, true);
    Refresh(true);
}

void Win32TextControl::StartDrag(int x, int y, bool byWords) {
    selecting_ = true;
    selectingWords_ = byWords;
    firstWord_ = {editor_.SelectionStart(), editor_.SelectionEnd()};
    dragPoint_ = POINT{x, y};
    ::SetCapture(window_);
    ::SetTimer(window_, kDragScrollTimer, kDragScrollMs, nullptr);
}

void Win32TextControl::MouseMove(int x, int y) {
    if (!selecting_) {
        return;
    }
    dragPoint_ = POINT{x, y};
    std::size_t position = PositionAtPoint(x, y);
    if (x < 0 && leftColumn_ > 0) {
        // Past the left edge the point stands for the column before the first in view, as past
        // the right edge it stands for one after the last: the view follows either way.
        position = editor_.PositionAtColumn(editor_.Text().LineOf(position), leftColumn_ - 1);
    }
    if (!selectingWords_) {
        editor_.Select(editor_.Anchor(), position);
    } else if (position < firstWord_.first) {
        // The anchor stays at the far end of the first word; the other end takes the whole
        // word (or run of blanks) that the point is in.
        editor_.Select(firstWord_.second, editor_.WordAt(position).first);
    } else if (position > firstWord_.second) {
        editor_.Select(firstWord_.first, editor_.WordAt(position - 1).second);
    } else {
        editor_.Select(firstWord_.first, firstWord_.second);
    }
    Refresh(true);
}

void Win32TextControl::DragScroll() {
    // Holding the button beyond an edge keeps the selection growing that way.
    RECT client{};
    ::GetClientRect(window_, &client);
    if (!selecting_ || ::PtInRect(&client, dragPoint_)) {
        return;
    }
    MouseMove(dragPoint_.x, dragPoint_.y < 0                ? dragPoint_.y - lineHeight_
                            : dragPoint_.y >= client.bottom ? dragPoint_.y + lineHeight_
                                                            : dragPoint_.y);
}

void Win32TextControl::MouseUp() {
    if (!selecting_) {
        return;
    }
    selecting_ = false;
    selectingWords_ = false;
    ::KillTimer(window_, kDragScrollTimer);
    if (::GetCapture() == window_) {
        ::ReleaseCapture();
    }
}

void Win32TextControl::Wheel(int delta) {
    UINT linesPerNotch = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &linesPerNotch, 0);
    const int notches = WholeNotches(wheelRemainder_, delta);
    if (notches == 0 || linesPerNotch == 0) {
        return;
    }
    const std::size_t lines = linesPerNotch == WHEEL_PAGESCROLL
                                  ? VisibleLines()
                                  : static_cast<std::size_t>(linesPerNotch);
    const auto step = static_cast<long long>(lines) * notches;
    const long long top = static_cast<long long>(topLine_) - step;
    ScrollTo(static_cast<std::size_t>(std::max<long long>(0, top)), leftColumn_);
}

void Win32TextControl::SidewaysWheel(int delta) {
    UINT columnsPerNotch = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLCHARS, 0, &columnsPerNotch, 0);
    const int notches = WholeNotches(sidewaysWheelRemainder_, delta);
    if (notches == 0 || columnsPerNotch == 0) {
        return;
    }
    // Positive: tilted to the right. ScrollTo's refresh holds the column to the widest line.
    const long long left =
        static_cast<long long>(leftColumn_) + static_cast<long long>(columnsPerNotch) * notches;
    ScrollTo(topLine_, static_cast<std::size_t>(std::max<long long>(0, left)));
}

}  // namespace orsk
