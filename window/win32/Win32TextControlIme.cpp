// The view's text control and the input method (IME): the composition window stands at the
// caret and shows the view's font, and what the user composed is typed as one edit.

#include <windows.h>

#include <imm.h>

#include <string>

#include "window/win32/Win32TextControl.h"

namespace orsk {
namespace {

// An input context for as long as it is in use.
class InputContext {
public:
    explicit InputContext(HWND window) : window_(window), context_(::ImmGetContext(window)) {}
    ~InputContext() {
        if (context_ != nullptr) {
            ::ImmReleaseContext(window_, context_);
        }
    }
    InputContext(const InputContext&) = delete;
    InputContext& operator=(const InputContext&) = delete;

    HIMC Get() const { return context_; }

private:
    HWND window_;
    HIMC context_;
};

// The string the input method has finished, or nothing.
std::u16string ResultString(HIMC context) {
    const LONG bytes = ::ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
    if (bytes <= 0) {
        return {};
    }
    std::u16string result(static_cast<std::size_t>(bytes) / sizeof(char16_t), u'\0');
    const LONG copied = ::ImmGetCompositionStringW(context, GCS_RESULTSTR, result.data(),
                                                   static_cast<DWORD>(bytes));
    result.resize(copied > 0 ? static_cast<std::size_t>(copied) / sizeof(char16_t) : 0);
    return result;
}

}  // namespace

void Win32TextControl::PlaceCompositionWindow() {
    const InputContext context(window_);
    if (context.Get() == nullptr) {
        return;
    }
    COMPOSITIONFORM where{};
    where.dwStyle = CFS_POINT;
    where.ptCurrentPos = PointOfPosition(editor_.Caret());
    ::ImmSetCompositionWindow(context.Get(), &where);
    LOGFONTW font{};
    if (::GetObjectW(DrawingFont(), sizeof(font), &font) == sizeof(font)) {
        ::ImmSetCompositionFont(context.Get(), &font);
    }
}

LRESULT Win32TextControl::ImeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_IME_STARTCOMPOSITION:
            composing_ = true;
            PlaceCompositionWindow();
            break;
        case WM_IME_ENDCOMPOSITION:
            composing_ = false;
            break;
        case WM_IME_COMPOSITION:
            if ((lParam & GCS_RESULTSTR) != 0) {
                // Taken here whole: the default handling would send it back as one WM_CHAR per
                // unit, with half a surrogate pair in the text between two of them.
                const InputContext context(window_);
                const std::u16string result =
                    context.Get() != nullptr ? ResultString(context.Get()) : std::u16string{};
                if (CanEdit() && editor_.TypeText(result)) {
                    UserEdited();
                }
                return 0;
            }
            break;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace orsk
