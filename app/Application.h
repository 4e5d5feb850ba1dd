#pragma once
// The application object: its title, the standard error box, the regional formats (read at start
// and again on every settings broadcast) and the message loop.

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "window/view/DateTimeText.h"
#include "window/win32/Win32Handles.h"

namespace orsk {

class Application {
public:
    using FormatsListener = std::function<void(const RegionalFormats&)>;
    // Sees each message before it is translated and dispatched; true uses it up.
    using MessageFilter = std::function<bool(const MSG&)>;

    // Reads the regional formats, works out the title and creates the hidden application window
    // that receives the platform's broadcasts.
    explicit Application(HINSTANCE instance);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    HINSTANCE Instance() const { return instance_; }
    const std::wstring& Title() const { return title_; }
    const RegionalFormats& Formats() const { return formats_; }

    // Called with the new formats after every re-read.
    void OnFormatsChanged(FormatsListener listener) { formatsListener_ = std::move(listener); }
    void RereadRegionalFormats();

    // The window that owns error boxes (it is disabled while one is open).
    void SetMainWindow(HWND window) { mainWindow_ = window; }
    void SetMessageFilter(MessageFilter filter) { messageFilter_ = std::move(filter); }

    // The standard error box for the exception being handled (call from inside a catch).
    void ShowCurrentException() noexcept;
    void ShowException(std::exception_ptr error) noexcept;

    // Shows `message` in the standard error box. Only one box is open at a time: a failure
    // while one is open is counted, not shown, and the next box says how many were left out.
    void ShowErrorBox(std::u16string_view message) noexcept;

    // Shows the main window as the program was asked to, then dispatches messages until the
    // main window is closed. Returns the exit code.
    int Run(int showCommand);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    std::wstring title_;
    RegionalFormats formats_;
    FormatsListener formatsListener_;
    MessageFilter messageFilter_;
    HWND mainWindow_ = nullptr;
    unique_hwnd applicationWindow_;
    UINT taskbarCreatedMessage_ = 0;
    bool errorBoxOpen_ = false;
    unsigned long errorsNotShown_ = 0;
};

}  // namespace orsk
