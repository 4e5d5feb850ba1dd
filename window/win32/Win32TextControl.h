#pragma once
// The view's text area: a window class of our own ("OrskTraceText") that shows a TextEditor.
//
// It draws only the lines in view, so a text of millions of lines costs no more to show than
// a short one, and it answers the standard edit-control messages (WM_GETTEXT, EM_GETSEL,
// EM_SETSEL, EM_REPLACESEL, EM_LINEINDEX, EM_GETLINE, WM_COPY, WM_PASTE, EM_UNDO, ...) so that
// other programs and assistive tools can read and drive it like an edit control.
//
// Text the program appends goes into the text at once, but the screen follows at most about
// 60 times a second: a flood of traces is drawn in batches instead of trace by trace. While
// the message queue never empties (other programs keep sending), the control still draws at
// least every kMaxUndrawnMs.
//
// The window owns its object: it is made at WM_NCCREATE and deleted at WM_NCDESTROY.

#include <windows.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "window/textmodel/TextEditor.h"
#include "window/view/TextArea.h"
#include "window/win32/Win32Handles.h"
#include "window/win32/Win32LineDrawing.h"
#include "window/win32/Win32TextAutomation.h"
#include "window/win32/Win32Window.h"

namespace orsk {

class Win32TextControl final : public TextArea, public Win32Window<Win32TextControl> {
public:
    static const wchar_t* ClassName();  // registers the class on first use
    // The object of a window of this class; null for any other window.
    static Win32TextControl* FromHandle(HWND window);

    // TextArea: the program's side.
    std::u16string ReadAll() const override { return editor_.Text().ReadAll(); }
    std::size_t Length() const override { return editor_.Length(); }
    bool LastLineIsEmpty() const override;
    void Append(std::u16string_view text) override;
    void RemoveFrom(std::size_t position) override;
    void ReplaceAll(std::u16string_view text) override;
    void ClearForRebuild() override;
    std::optional<std::size_t> FindFolded(std::u16string_view needle,
                                          std::size_t from) const override;
    void Select(std::size_t start, std::size_t length) override;
    void BeginUpdate() override;
    void EndUpdate() override;

    // Told of a message that failed, such as an edit that ran out of memory (the edit then
    // did not happen), so that the user learns why a key or a paste did nothing.
    void SetFailureHandler(std::function<void(std::exception_ptr)> handler);

private:
    friend class Win32Window<Win32TextControl>;
    // Assistive tools read the text and the screen as they are drawn.
    friend class Win32TextAutomation;
    friend class Win32TextAccessibility;
    static constexpr ULONGLONG kMaxUndrawnMs = 100;

    explicit Win32TextControl(HWND window);
    ~Win32TextControl() override = default;

    // The window's life: made with the window, deleted with it.
    static Win32TextControl* ObjectFor(HWND window, const CREATESTRUCTW& create);
    void WindowDestroyed() noexcept { delete this; }
    LRESULT MessageFailed(std::exception_ptr error) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT EditMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // Drawing and scrolling (Win32TextControlPaint.cpp).
    void Paint();
    void PaintLine(HDC dc, std::size_t line, int y, const RECT& client);
    void SetFont(HFONT font);
    void Measure();
    std::size_t VisibleLines() const;
    std::size_t VisibleColumns() const;
    void ScrollCaretIntoView();
    void ClampScroll();
    void UpdateScrollBars();
    void SetScrollBar(int bar, int last, std::size_t page, std::size_t position);
    HDC BackBuffer(HDC screen, int width, int height);
    // The caret as wide as the user set it (SPI_GETCARETWIDTH), made while the control has the
    // focus.
    void CreateSystemCaret();
    void PlaceSystemCaret();
    void ScrollTo(std::size_t topLine, std::size_t leftColumn);
    void VScroll(int request);
    void HScroll(int request);
    std::size_t PositionAtPoint(int x, int y) const;
    POINT PointOfPosition(std::size_t position) const;
    // The part of a line in view, with its scripts: what is drawn, and where.
    LineSlice SliceInView(std::size_t line) const;
    HFONT DrawingFont() const;

    // After a change: at once for the user's actions, in batches for the program's appends.
    // `onlyAppended`: nothing but the program's appends changed since the last refresh, so the
    // picture moves up and only the lines they changed are drawn again.
    // Scrolls the caret into view when `followCaret`, updates the scroll bars and invalidates
    // what changed: the appended lines when `onlyAppended`, the lines of `oldSelection` and of
    // the selection now when only the selection changed, or else everything in view.
    void Refresh(bool followCaret, bool onlyAppended = false,
                 std::optional<std::pair<std::size_t, std::size_t>> oldSelection = std::nullopt);
    void InvalidateAppended(std::size_t oldTopLine);
    void InvalidateAll();
    // Invalidates the rows of lines `first` to `last` that are in view.
    void InvalidateLines(std::size_t first, std::size_t last);
    // The first and last line that the selection (or the caret) touches.
    std::pair<std::size_t, std::size_t> SelectionLines() const;
    void RefreshLater();
    void RefreshPending();

    // The user's side (Win32TextControlInput.cpp).
    bool KeyDown(WPARAM key);  // false: not a key of the text control
    void Char(wchar_t unit);
    void MouseDown(int x, int y, bool extend);
    void DoubleClick(int x, int y);
    void StartDrag(int x, int y, bool byWords);
    void MouseMove(int x, int y);
    void MouseUp();
    void DragScroll();
    void Wheel(int delta);
    void SidewaysWheel(int delta);  // positive: to the right
    void UserEdited();
    void Copy();
    void Cut();
    void Paste();
    void Clear();
    void Undo();
    bool CanEdit() const { return !readOnly_; }
    void Notify(WORD code);

    // The input method (Win32TextControlIme.cpp): its windows at the caret in the view's font,
    // and its result typed as one edit.
    LRESULT ImeMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void PlaceCompositionWindow();

    HWND window_;
    TextEditor editor_;
    std::function<void(std::exception_ptr)> failureHandler_;
    bool reportingFailure_ = false;
    HFONT font_ = nullptr;
    Win32LineDrawing lineDrawing_;
    int ascent_ = 13;  // of font_: every font of a line draws on this baseline
    int lineHeight_ = 16;
    int cellWidth_ = 8;
    int margin_ = 2;
    std::size_t topLine_ = 0;
    std::size_t leftColumn_ = 0;
    bool focused_ = false;
    bool caretShown_ = false;
    bool frozen_ = false;
    bool readOnly_ = false;
    bool selecting_ = false;
    // After a double-click the drag selects whole words, always all of the first one.
    bool selectingWords_ = false;
    std::pair<std::size_t, std::size_t> firstWord_{};
    POINT dragPoint_{};
    bool composing_ = false;  // an input method's composition is under way
    bool refreshTimerSet_ = false;
    bool followCaretPending_ = false;
    static constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);
    std::size_t appendedFromLine_ = kNoLine;  // the first line appends changed since the refresh
    ULONGLONG lastPaintTick_ = 0;
    int wheelRemainder_ = 0;
    int sidewaysWheelRemainder_ = 0;
    std::size_t limitText_ = 0;
    // The picture is drawn into this bitmap and copied to the screen in one step: drawing in
    // memory is done by the process itself, without a round trip to the display per call.
    // Declared in this order so that the bitmap leaves the device context before either goes.
    unique_hdc backDc_;
    unique_hbitmap backBitmap_;
    SelectedObject backSelection_;
    SIZE backSize_{};
    // The back buffer holds the current picture above this y (all of it after a full paint).
    LONG backGoodAboveY_ = 0;
    bool backShifted_ = false;  // moved up after appends since the last paint
    // What the scroll bars show, so that they are only set (and redrawn) when it changes.
    SCROLLINFO shownScroll_[2]{};
    // Last, so that assistive tools are cut off before anything they read goes.
    Win32TextAccessibility accessibility_{*this};
};

}  // namespace orsk
