#include "window/win32/Win32Subclass.h"

#include "window/win32/Win32Error.h"

namespace orsk {
namespace {

// The window property that leads the shared procedure to its object.
constexpr wchar_t kSubclassProperty[] = L"OrskTraceSubclass";

}  // namespace

Win32Subclass::~Win32Subclass() {
    Detach();
}

void Win32Subclass::Attach(HWND control, Handler handler, FailureHandler onFailure) {
    Detach();
    handler_ = std::move(handler);
    onFailure_ = std::move(onFailure);
    if (control == nullptr || !::SetPropW(control, kSubclassProperty, this)) {
        ThrowWin32Error("SetPropW");
    }
    control_ = control;
    ::SetLastError(0);
    controlProcedure_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
    if (controlProcedure_ == nullptr) {
        const DWORD code = ::GetLastError();
        ::RemovePropW(control, kSubclassProperty);
        control_ = nullptr;
        ThrowWin32Error("SetWindowLongPtrW", code);
    }
}

void Win32Subclass::Detach() noexcept {
    if (control_ == nullptr) {
        return;
    }
    ::SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProcedure_));
    ::RemovePropW(control_, kSubclassProperty);
    control_ = nullptr;
}

LRESULT CALLBACK Win32Subclass::Procedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
    auto* self = static_cast<Win32Subclass*>(::GetPropW(window, kSubclassProperty));
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    const WNDPROC controlProcedure = self->controlProcedure_;
    if (message == WM_NCDESTROY) {
        // The control goes first: give it back its own procedure for its last message.
        self->Detach();
        return ::CallWindowProcW(controlProcedure, window, message, wParam, lParam);
    }
    try {
        LRESULT result = 0;
        if (self->handler_(message, wParam, lParam, result)) {
            return result;
        }
    } catch (...) {
        if (self->onFailure_) {
            self->onFailure_(std::current_exception());
        }
        return 0;
    }
    return ::CallWindowProcW(controlProcedure, window, message, wParam, lParam);
}

}  // namespace orsk
