#pragma once
// What the trace window needs of the program that runs it, and nothing more: the module its
// resources come from, the window that carries the task bar button, the user's regional
// formats, and the standard error box. The program's
// application object implements it; the window never sees the application itself.

#include <windows.h>

#include <exception>

#include "window/view/DateTimeText.h"

namespace orsk {

class TraceWindowHost {
public:
    virtual HINSTANCE Instance() const = 0;
    // The program's task bar window: it owns the trace window, which so has no button of its
    // own, and it is minimised in the trace window's stead.
    virtual HWND TaskbarWindow() const = 0;
    virtual const RegionalFormats& Formats() const = 0;
    // The standard error box for `error`; also while another box is open (it is then counted).
    virtual void ShowException(std::exception_ptr error) noexcept = 0;

protected:
    ~TraceWindowHost() = default;
};

}  // namespace orsk
