#pragma once
// The one way a window's messages reach its C++ object, for every window class of the program.
//
// Win32Window<Derived> gives Derived a window procedure (Procedure, to put in the window class)
// that
// - binds the object at WM_NCCREATE: Derived::ObjectFor(window, create) names it; by default
//   the object passed as CreateWindowExW's last argument;
// - hands every later message to Derived::HandleMessage(message, wParam, lParam);
// - clears the window's user data and its handle at WM_NCDESTROY, then calls
//   Derived::WindowDestroyed() (a window that owns its object deletes it there);
// - lets no exception out: one catch-all hands it to Derived::MessageFailed(error), whose
//   return value is the message's result.
//
// The object owns its window: when the object goes first (a constructor that throws after the
// window exists included), its window is destroyed with it, its user data cleared beforehand so
// that no message on the way reaches the object.

#include <windows.h>

#include <exception>
#include <utility>

namespace orsk {

template <class Derived>
class Win32Window {
public:
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // Null before WM_NCCREATE and after WM_NCDESTROY.
    HWND Handle() const noexcept { return handle_; }

protected:
    Win32Window() = default;
    ~Win32Window() { DestroyHandle(); }

    // Destroys the window now, without a message reaching this object on the way.
    void DestroyHandle() noexcept {
        if (HWND window = std::exchange(handle_, nullptr); window != nullptr) {
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            ::DestroyWindow(window);
        }
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            try {
                self = Derived::ObjectFor(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
            } catch (...) {
                return FALSE;  // the window is not made, and CreateWindowExW returns null
            }
            if (self == nullptr) {
                return FALSE;
            }
            static_cast<Win32Window&>(*self).handle_ = window;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<Derived*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        if (self == nullptr) {
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            static_cast<Win32Window&>(*self).handle_ = nullptr;
            self->WindowDestroyed();
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        try {
            return self->HandleMessage(message, wParam, lParam);
        } catch (...) {
            return self->MessageFailed(std::current_exception());
        }
    }

    // Defaults that Derived may hide with its own.
    static Derived* ObjectFor(HWND, const CREATESTRUCTW& create) {
        return static_cast<Derived*>(create.lpCreateParams);
    }
    void WindowDestroyed() noexcept {}

private:
    HWND handle_ = nullptr;
};

}  // namespace orsk
