// The view's text control: its window class, the program's side (TextArea) and the standard
// edit-control messages.

#include "window/win32/Win32TextControl.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

#include "window/view/TraceSearch.h"

namespace orsk {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshDelayMs = 15;

std::u16string_view WideView(LPARAM text) {
    const auto* chars = reinterpret_cast<const char16_t*>(text);
    return chars == nullptr ? std::u16string_view{} : std::u16string_view(chars);
}

// The edit messages' numbers are 32-bit, as the system's edit control reads them: a 32-bit
// program's -1 arrives in a 64-bit window as 0xFFFFFFFF and must still mean -1.
std::int32_t Int32Of(WPARAM value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int32_t Int32Of(LPARAM value) {
    return Int32Of(static_cast<WPARAM>(value));
}

LRESULT ClampToLresult(std::size_t value) {
    return static_cast<LRESULT>(std::min<std::size_t>(value, LONG_MAX));
}

}  // namespace

const wchar_t* Win32TextControl::ClassName() {
    static const wchar_t* const name = [] {
        WNDCLASSEXW text{};
        text.cbSize = sizeof(text);
        text.style = CS_DBLCLKS;
        text.lpfnWndProc = Procedure;
        text.hInstance = ::GetModuleHandleW(nullptr);
        text.hCursor = ::LoadCursorW(nullptr, IDC_IBEAM);
        text.lpszClassName = L"OrskTraceText";
        ::RegisterClassExW(&text);
        return text.lpszClassName;
    }();
    return name;
}

Win32TextControl* Win32TextControl::FromHandle(HWND window) {
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 32);
    if (::lstrcmpW(className, ClassName()) != 0) {
        return nullptr;
    }
    return reinterpret_cast<Win32TextControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

Win32TextControl::Win32TextControl(HWND window) : window_(window) {
    readOnly_ = (::GetWindowLongW(window, GWL_STYLE) & ES_READONLY) != 0;
    SetFont(nullptr);
}

Win32TextControl* Win32TextControl::ObjectFor(HWND window, const CREATESTRUCTW&) {
    return new Win32TextControl(window);
}

void Win32TextControl::SetFailureHandler(std::function<void(std::exception_ptr)> handler) {
    failureHandler_ = std::move(handler);
}

LRESULT Win32TextControl::MessageFailed(std::exception_ptr error) noexcept {
    // Out of memory (or a length beyond the text's limits) in the middle of an edit: the edit
    // did not happen, and the control goes on. The owner is told; a failure while it is being
    // told (its message box lets messages through to the control) is not told again.
    if (failureHandler_ && !reportingFailure_) {
        reportingFailure_ = true;
        try {
            failureHandler_(error);
        } catch (...) {
            // Nowhere left to report it: nothing may leave the window procedure.
        }
        reportingFailure_ = false;
    }
    return 0;
}

// ---- The program's side ---------------------------------------------------------------------

bool Win32TextControl::LastLineIsEmpty() const {
    const TextBuffer& text = editor_.Text();
    return text.LineLength(text.LineCount() - 1) == 0;
}

void Win32TextControl::Append(std::u16string_view text) {
    // The last line is the first that the new text may change.
    const std::size_t changedFrom = editor_.Text().LineCount() - 1;
    editor_.AppendProgramText(text);
    appendedFromLine_ = std::min(appendedFromLine_, changedFrom);
    followCaretPending_ = true;
    RefreshLater();
}

void Win32TextControl::RemoveFrom(std::size_t position) {
    editor_.RemoveProgramTextFrom(position);
    Refresh(true);
}

void Win32TextControl::ReplaceAll(std::u16string_view text) {
    editor_.ReplaceAllProgramText(text);
    Refresh(true);
}

void Win32TextControl::ClearForRebuild() {
    editor_.ClearForRefill();
    topLine_ = 0;
    leftColumn_ = 0;
}

std::optional<std::size_t> Win32TextControl::FindFolded(std::u16string_view needle,
                                                        std::size_t from) const {
    return orsk::FindFolded(editor_.Text(), needle, from);
}

void Win32TextControl::Select(std::size_t start, std::size_t length) {
    const std::pair<std::size_t, std::size_t> oldLines = SelectionLines();
    editor_.Select(start, start + length);
    Refresh(true, false, oldLines);
}

void Win32TextControl::BeginUpdate() {
    frozen_ = true;
}

void Win32TextControl::EndUpdate() {
    frozen_ = false;
    editor_.FinishRefill();
    Refresh(true);
}

// ---- Keeping the screen up to date ------------------------------------------------------------

void Win32TextControl::Refresh(bool followCaret, bool onlyAppended,
                               std::optional<std::pair<std::size_t, std::size_t>> oldSelection) {
    followCaretPending_ = followCaretPending_ || followCaret;
    if (frozen_) {
        return;
    }
    const std::size_t oldTop = topLine_;
    const std::size_t oldLeft = leftColumn_;
    if (refreshTimerSet_) {
        ::KillTimer(window_, kRefreshTimer);
        refreshTimerSet_ = false;
    }
    if (followCaretPending_) {
        ScrollCaretIntoView();
        followCaretPending_ = false;
    }
    ClampScroll();
    UpdateScrollBars();
    if (onlyAppended && leftColumn_ == oldLeft && topLine_ >= oldTop &&
        topLine_ - oldTop < VisibleLines() && appendedFromLine_ != kNoLine) {
        InvalidateAppended(oldTop);
    } else if (oldSelection && leftColumn_ == oldLeft && topLine_ == oldTop &&
               appendedFromLine_ == kNoLine) {
        // Nothing scrolled and no text changed: only the lines of the old and the new selection
        // look different (a search step in a million traces draws two lines, not the page).
        InvalidateLines(oldSelection->first, oldSelection->second);
        const auto [first, last] = SelectionLines();
        InvalidateLines(first, last);
    } else {
        InvalidateAll();
    }
    appendedFromLine_ = kNoLine;
    PlaceSystemCaret();
}

void Win32TextControl::RefreshLater() {
    if (frozen_) {
        return;
    }
    if (::GetTickCount64() - lastPaintTick_ >= kMaxUndrawnMs) {
        // Messages keep coming and the timer never gets its turn: draw now.
        RefreshPending();
        return;
    }
    if (!refreshTimerSet_) {
        refreshTimerSet_ = ::SetTimer(window_, kRefreshTimer, kRefreshDelayMs, nullptr) != 0;
    }
}

void Win32TextControl::RefreshPending() {
    Refresh(false, true);
    ::UpdateWindow(window_);
    // Also when nothing was drawn (the window is minimised): the next batch waits its turn.
    lastPaintTick_ = ::GetTickCount64();
}

void Win32TextControl::Notify(WORD code) {
    HWND parent = ::GetParent(window_);
    if (parent != nullptr) {
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(window_), code),
                       reinterpret_cast<LPARAM>(window_));
    }
}

// ---- Messages ---------------------------------------------------------------------------------

LRESULT Win32TextControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = true;
    const LRESULT result = EditMessage(message, wParam, lParam, handled);
    if (handled) {
        return result;
    }
    switch (message) {
        case WM_PAINT:
            Paint();
            // Tools hear of a change once it is on screen: at most once a paint in a flood.
            accessibility_.AfterPaint(editor_);
            return 0;
        case WM_GETOBJECT:
            if (const LRESULT object = accessibility_.Answer(wParam, lParam); object != 0) {
                return object;
            }
            return ::DefWindowProcW(window_, message, wParam, lParam);
        case WM_ERASEBKGND:
            return 1;  // every pixel is drawn by WM_PAINT
        case WM_SIZE:
            Refresh(false);
            return 0;
        case WM_SETFONT:
            SetFont(reinterpret_cast<HFONT>(wParam));
            if (LOWORD(lParam) != 0) {
                Refresh(false);
            }
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        case WM_TIMER:
            if (wParam == kRefreshTimer) {
                RefreshPending();
            } else {
                DragScroll();
            }
            return 0;
        case WM_SETFOCUS:
            focused_ = true;
            CreateSystemCaret();
            // The selection shows only with the focus: its lines are all that change.
            Refresh(false, false, SelectionLines());
            Notify(EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            focused_ = false;
            ::DestroyCaret();
            caretShown_ = false;
            MouseUp();
            {
                const auto [first, last] = SelectionLines();
                InvalidateLines(first, last);
            }
            Notify(EN_KILLFOCUS);
            return 0;
        case WM_ENABLE:
            InvalidateAll();
            return 0;
        case WM_VSCROLL:
            VScroll(LOWORD(wParam));
            return 0;
        case WM_HSCROLL:
            HScroll(LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            // With Shift the wheel scrolls sideways: turned towards the user, to the right.
            if ((GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0) {
                SidewaysWheel(-GET_WHEEL_DELTA_WPARAM(wParam));
            } else {
                Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
            }
            return 0;
        case WM_MOUSEHWHEEL:
            SidewaysWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETCARETWIDTH && focused_) {
                CreateSystemCaret();
                PlaceSystemCaret();
            }
            return 0;
        case WM_IME_STARTCOMPOSITION:
        case WM_IME_COMPOSITION:
        case WM_IME_ENDCOMPOSITION:
            return ImeMessage(message, wParam, lParam);
        case WM_KEYDOWN:
            // Other keys go on as usual: Shift+F10 and the menu key open the popup menu.
            return KeyDown(wParam) ? 0 : ::DefWindowProcW(window_, message, wParam, lParam);
        case WM_CHAR:
            Char(static_cast<wchar_t>(wParam));
            return 0;
        case WM_LBUTTONDOWN:
            MouseDown(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                      (wParam & MK_SHIFT) != 0);
            return 0;
        case WM_RBUTTONDOWN:
            // A right click gives the text area the focus; the button's release then asks the
            // parent for the popup menu (WM_CONTEXTMENU, by the default handling).
            ::SetFocus(window_);
            return 0;
        case WM_LBUTTONDBLCLK:
            DoubleClick(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            return 0;
        case WM_MOUSEMOVE:
            MouseMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            return 0;
        case WM_LBUTTONUP:
            // Where the button is let go ends the selection, even when the last moves before it
            // were merged away.
            MouseMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            MouseUp();
            return 0;
        case WM_CAPTURECHANGED:
            MouseUp();
            return 0;
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT Win32TextControl::EditMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    const TextBuffer& text = editor_.Text();
    switch (message) {
        case WM_GETTEXTLENGTH:
            return ClampToLresult(text.Length());
        case WM_GETTEXT: {
            auto* out = reinterpret_cast<char16_t*>(lParam);
            if (out == nullptr || wParam == 0) {
                return 0;
            }
            const std::size_t copied = text.CopyTo(0, static_cast<std::size_t>(wParam) - 1, out);
            out[copied] = u'\0';
            return ClampToLresult(copied);
        }
        case WM_SETTEXT:
            editor_.ReplaceAllProgramText(WideView(lParam));
            editor_.Select(0, 0);
            editor_.SetModified(false);
            topLine_ = 0;
            leftColumn_ = 0;
            Refresh(true);
            Notify(EN_CHANGE);
            return TRUE;
        case EM_GETSEL: {
            const std::size_t start = editor_.SelectionStart();
            const std::size_t end = editor_.SelectionEnd();
            if (wParam != 0) {
                *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
            }
            if (lParam != 0) {
                *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
            }
            return (start > 0xFFFF || end > 0xFFFF) ? -1 : MAKELRESULT(start, end);
        }
        case EM_SETSEL: {
            const std::int32_t start = Int32Of(wParam);
            const std::int32_t end = Int32Of(lParam);
            if (start < 0) {
                editor_.Select(editor_.Caret(), editor_.Caret());  // just deselect
            } else {
                const std::size_t last = editor_.Length();
                editor_.Select(static_cast<std::size_t>(start),
                               end < 0 ? last : static_cast<std::size_t>(end));
            }
            Refresh(false);
            return 0;
        }
        case EM_REPLACESEL:
            if (CanEdit()) {
                editor_.ReplaceSelection(WideView(lParam));
                if (wParam == FALSE) {
                    editor_.ForgetUndo();
                }
                Refresh(true);
                Notify(EN_CHANGE);
            }
            return 0;
        case EM_GETLINECOUNT:
            return ClampToLresult(text.LineCount());
        case EM_LINEINDEX: {
            const std::size_t line = Int32Of(wParam) < 0
                                         ? text.LineOf(editor_.Caret())
                                         : static_cast<std::size_t>(Int32Of(wParam));
            return line < text.LineCount() ? ClampToLresult(text.LineStart(line)) : -1;
        }
        case EM_LINEFROMCHAR: {
            const std::size_t position = Int32Of(wParam) < 0
                                             ? editor_.SelectionStart()
                                             : static_cast<std::size_t>(Int32Of(wParam));
            return ClampToLresult(text.LineOf(position));
        }
        case EM_LINELENGTH: {
            if (Int32Of(wParam) < 0) {
                // The units on the selection's lines that are not selected.
                const std::size_t first = text.LineOf(editor_.SelectionStart());
                const std::size_t last = text.LineOf(editor_.SelectionEnd());
                return ClampToLresult(
                    editor_.SelectionStart() - text.LineStart(first) + text.LineStart(last) +
                    text.LineLength(last) -
                    std::min(editor_.SelectionEnd(), text.LineStart(last) + text.LineLength(last)));
            }
            return ClampToLresult(
                text.LineLength(text.LineOf(static_cast<std::size_t>(Int32Of(wParam)))));
        }
        case EM_GETLINE: {
            auto* out = reinterpret_cast<char16_t*>(lParam);
            if (out == nullptr || Int32Of(wParam) < 0 ||
                static_cast<std::size_t>(Int32Of(wParam)) >= text.LineCount()) {
                return 0;
            }
            WORD room = 0;
            std::memcpy(&room, out, sizeof(room));
            const auto line = static_cast<std::size_t>(Int32Of(wParam));
            return ClampToLresult(text.CopyTo(
                text.LineStart(line), std::min<std::size_t>(text.LineLength(line), room), out));
        }
        case EM_GETFIRSTVISIBLELINE:
            return ClampToLresult(topLine_);
        case EM_LINESCROLL:
            ScrollTo(static_cast<std::size_t>(
                         std::max<INT_PTR>(0, static_cast<INT_PTR>(topLine_) + Int32Of(lParam))),
                     static_cast<std::size_t>(std::max<INT_PTR>(
                         0, static_cast<INT_PTR>(leftColumn_) + Int32Of(wParam))));
            return TRUE;
        case EM_SCROLL: {
            const std::size_t before = topLine_;
            VScroll(static_cast<int>(wParam));
            const auto moved = static_cast<INT_PTR>(topLine_) - static_cast<INT_PTR>(before);
            return MAKELRESULT(static_cast<WORD>(moved), TRUE);
        }
        case EM_SCROLLCARET:
            Refresh(true);
            return TRUE;
        case EM_POSFROMCHAR: {
            if (Int32Of(wParam) < 0 ||
                static_cast<std::size_t>(Int32Of(wParam)) > editor_.Length()) {
                return -1;
            }
            const POINT at = PointOfPosition(static_cast<std::size_t>(Int32Of(wParam)));
            return MAKELRESULT(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
        }
        case EM_CHARFROMPOS: {
            const std::size_t position = PositionAtPoint(static_cast<short>(LOWORD(lParam)),
                                                         static_cast<short>(HIWORD(lParam)));
            return MAKELRESULT(static_cast<WORD>(position),
                               static_cast<WORD>(text.LineOf(position)));
        }
        case EM_GETRECT:
            if (lParam != 0) {
                ::GetClientRect(window_, reinterpret_cast<RECT*>(lParam));
            }
            return 0;
        case EM_CANUNDO:
            return editor_.CanUndo() ? TRUE : FALSE;
        case EM_UNDO:
        case WM_UNDO:
            if (!editor_.CanUndo() || !CanEdit()) {
                return FALSE;
            }
            Undo();
            return TRUE;
        case EM_EMPTYUNDOBUFFER:
            editor_.ForgetUndo();
            return 0;
        case EM_GETMODIFY:
            return editor_.Modified() ? TRUE : FALSE;
        case EM_SETMODIFY:
            editor_.SetModified(wParam != FALSE);
            return 0;
        case EM_SETREADONLY:
            readOnly_ = wParam != FALSE;
            ::SetWindowLongW(window_, GWL_STYLE,
                             (::GetWindowLongW(window_, GWL_STYLE) & ~ES_READONLY) |
                                 (readOnly_ ? ES_READONLY : 0));
            return TRUE;
        case EM_LIMITTEXT:  // also EM_SETLIMITTEXT
            limitText_ = static_cast<std::uint32_t>(wParam);
            return 0;
        case EM_GETLIMITTEXT:
            return limitText_ == 0 ? LONG_MAX : ClampToLresult(limitText_);
        case WM_COPY:
            Copy();
            return 0;
        case WM_CUT:
            Cut();
            return 0;
        case WM_PASTE:
            Paste();
            return 0;
        case WM_CLEAR:
            Clear();
            return 0;
        default:
            handled = false;
            return 0;
    }
}

}  // namespace orsk
