#pragma once
// The application object: its title, the standard error box, the regional formats (read at start
// and again on every settings broadcast) and the message loop. It owns the application window,
// which carries the task bar button, owns the trace window and receives the platform's
// broadcasts; and it is the trace window's host.

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "window/TraceWindowHost.h"
#include "window/view/DateTimeText.h"
#include "window/win32/Win32Window.h"

namespace orsk {

class Application final : public TraceWindowHost, public Win32Window<Application> {
public:
    using FormatsListener = std::function<void(const RegionalFormats&)>;
    // Sees each message before it is translated and dispatched; true uses it up.
    using MessageFilter = std::function<bool(const MSG&)>;

    // What the application needs of its main window while it runs.
    struct MainWindow {
        HWND window = nullptr;  // owns error boxes (it is disabled while one is open)
        MessageFilter messageFilter;
        FormatsListener formatsListener;  // called with the new formats after every re-read
    };

    // Ties the main window to the application for this scope: when the scope ends (the window
    // is about to go), the application forgets it and its callbacks, so that nothing (a settings
    // broadcast during a last error box, say) reaches a window that is gone.
    class MainWindowScope {
    public:
        MainWindowScope(Application& application, MainWindow mainWindow);
        ~MainWindowScope();
        MainWindowScope(const MainWindowScope&) = delete;
        MainWindowScope& operator=(const MainWindowScope&) = delete;

    private:
        Application& application_;
    };

    // Reads the regional formats, works out the title and creates the hidden application window.
    explicit Application(HINSTANCE instance);

    // TraceWindowHost.
    HINSTANCE Instance() const override { return instance_; }
    HWND TaskbarWindow() const override { return Handle(); }
    const RegionalFormats& Formats() const override { return formats_; }
    void ShowException(std::exception_ptr error) noexcept override;

    void RereadRegionalFormats();

    // The standard error box for the exception being handled (call from inside a catch).
    void ShowCurrentException() noexcept;

    // Shows `message` in the standard error box. Only one box is open at a time: a failure
    // while one is open is counted, not shown, and the next box says how many were left out.
    void ShowErrorBox(std::u16string_view message) noexcept;

    // Shows the main window as the program was asked to, then dispatches messages until the
    // main window is closed. Returns the exit code.
    int Run(int showCommand);

private:
    friend class Win32Window<Application>;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT MessageFailed(std::exception_ptr error) noexcept;
    LRESULT WMSysCommand(WPARAM command, LPARAM lParam);
    void ActivateMainWindow();

    HINSTANCE instance_;
    std::wstring title_;
    RegionalFormats formats_;
    MainWindow mainWindow_;
    UINT taskbarCreatedMessage_ = 0;
    bool mainHiddenWhileMinimized_ = false;
    bool errorBoxOpen_ = false;
    unsigned long errorsNotShown_ = 0;
};

// The box for a failure before the application object exists (it could not be made): the
// standard error box without the application object.
void ShowStartupFailure(std::exception_ptr error) noexcept;

}  // namespace orsk
