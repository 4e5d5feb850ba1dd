#pragma once
// Puts a handler of ours in front of a control's own window procedure, for as long as this
// object lives or the control exists, whichever ends first. Used for the parts of standard
// controls that the program needs to see first (the filter box's edit part and its typing).

#include <windows.h>

#include <exception>
#include <functional>

namespace orsk {

class Win32Subclass {
public:
    // Sees each message first; returns true with `result` set when it used the message up.
    using Handler =
        std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    // Gets what the handler threw; the message then counts as used up with result 0.
    using FailureHandler = std::function<void(std::exception_ptr)>;

    Win32Subclass() = default;
    ~Win32Subclass();
    Win32Subclass(const Win32Subclass&) = delete;
    Win32Subclass& operator=(const Win32Subclass&) = delete;

    // Throws TraceError when the control cannot be subclassed.
    void Attach(HWND control, Handler handler, FailureHandler onFailure);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept;
    void Detach() noexcept;

    HWND control_ = nullptr;
    WNDPROC controlProcedure_ = nullptr;  // the control's own
    Handler handler_;
    FailureHandler onFailure_;
};

}  // namespace orsk
