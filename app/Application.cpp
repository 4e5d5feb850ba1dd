#include "app/Application.h"

#include <new>
#include <string>
#include <vector>

#include "app/ApplicationTitle.h"
#include "app/ErrorText.h"
#include "app/Win32RegionalFormats.h"
#include "common/TraceError.h"
#include "common/Utf8.h"
#include "window/win32/Win32Error.h"
#include "window/win32/Win32Text.h"

namespace orsk {
namespace {

constexpr wchar_t kApplicationWindowClass[] = L"OrskTraceApplication";

std::wstring ModulePath(HINSTANCE instance) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::u16string PlatformLowerCase(std::u16string_view text) {
    std::wstring wide = ToWide(text);
    if (!wide.empty()) {
        ::CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    }
    return FromWide(wide);
}

std::u16string MessageOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return Utf8ToUtf16(kOutOfMemory);
    } catch (const std::exception& e) {
        return Utf8ToUtf16(e.what());
    } catch (...) {
        return u"Unknown error";
    }
}

// Every window of the program the user could reach (visible and enabled), disabled for as long
// as this lives and enabled again afterwards; windows that were disabled already stay so.
class ProgramWindowsDisabled {
public:
    ProgramWindowsDisabled() {
        ::EnumThreadWindows(::GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows_));
        for (HWND window : windows_) {
            ::EnableWindow(window, FALSE);
        }
    }
    ~ProgramWindowsDisabled() {
        for (HWND window : windows_) {
            if (::IsWindow(window)) {
                ::EnableWindow(window, TRUE);
            }
        }
    }
    ProgramWindowsDisabled(const ProgramWindowsDisabled&) = delete;
    ProgramWindowsDisabled& operator=(const ProgramWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM windows) noexcept {
        if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
            try {
                reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
            } catch (...) {
                return FALSE;
            }
        }
        return TRUE;
    }

    std::vector<HWND> windows_;
};

}  // namespace

Application::Application(HINSTANCE instance) : instance_(instance) {
    formats_ = ReadRegionalFormats();
    title_ = ToWide(ApplicationTitleFromPath(FromWide(ModulePath(instance)), PlatformLowerCase));
    taskbarCreatedMessage_ = ::RegisterWindowMessageW(L"TaskbarCreated");

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, L"MAINICON");
    windowClass.lpszClassName = kApplicationWindowClass;
    ::RegisterClassExW(&windowClass);
    // A top-level window of no size: it carries the task bar button (with the title and the
    // icon), owns the trace window, and receives the settings broadcasts, which never reach
    // message-only windows.
    ::CreateWindowExW(0, kApplicationWindowClass, title_.c_str(),
                      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                      ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 0,
                      0, nullptr, nullptr, instance, this);
    if (Handle() == nullptr) {
        ThrowWin32Error("CreateWindowExW");
    }
}

LRESULT Application::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTINGCHANGE || message == taskbarCreatedMessage_) {
        RereadRegionalFormats();
        return 0;
    }
    switch (message) {
        case WM_SYSCOMMAND:
            return WMSysCommand(wParam, lParam);
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                ActivateMainWindow();
            }
            return 0;
        case WM_CLOSE:
            // Close from the task bar or Alt+F4 on the button: the trace window closes, and
            // with it the program.
            if (mainWindow_.window != nullptr) {
                ::PostMessageW(mainWindow_.window, WM_CLOSE, 0, 0);
            }
            return 0;
        default:
            return ::DefWindowProcW(Handle(), message, wParam, lParam);
    }
}

LRESULT Application::WMSysCommand(WPARAM command, LPARAM lParam) {
    const LRESULT result = ::DefWindowProcW(Handle(), WM_SYSCOMMAND, command, lParam);
    switch (command & 0xFFF0) {
        case SC_MINIMIZE:
            // The trace window goes with its button, and comes back with it.
            if (mainWindow_.window != nullptr && ::IsWindowVisible(mainWindow_.window)) {
                ::ShowWindow(mainWindow_.window, SW_HIDE);
                mainHiddenWhileMinimized_ = true;
            }
            break;
        case SC_RESTORE:
            if (mainHiddenWhileMinimized_ && mainWindow_.window != nullptr) {
                mainHiddenWhileMinimized_ = false;
                ::ShowWindow(mainWindow_.window, SW_SHOW);
            }
            ActivateMainWindow();
            break;
        default:
            break;
    }
    return result;
}

// The task bar button or Alt+Tab activated the application window: the window the user works
// in takes over (the trace window, or a box or dialog open over it).
void Application::ActivateMainWindow() {
    if (::IsIconic(Handle()) || mainWindow_.window == nullptr) {
        return;
    }
    HWND target = ::GetLastActivePopup(mainWindow_.window);
    if (target == nullptr || !::IsWindowVisible(target) || !::IsWindowEnabled(target)) {
        target = mainWindow_.window;
    }
    if (::IsWindowVisible(target) && ::IsWindowEnabled(target)) {
        ::SetActiveWindow(target);
    }
}

LRESULT Application::MessageFailed(std::exception_ptr error) noexcept {
    ShowException(error);
    return 0;
}

Application::MainWindowScope::MainWindowScope(Application& application, MainWindow mainWindow)
    : application_(application) {
    application_.mainWindow_ = std::move(mainWindow);
}

Application::MainWindowScope::~MainWindowScope() {
    application_.mainWindow_ = MainWindow{};
}

void Application::RereadRegionalFormats() {
    formats_ = ReadRegionalFormats();
    if (mainWindow_.formatsListener) {
        mainWindow_.formatsListener(formats_);
    }
}

void Application::ShowCurrentException() noexcept {
    ShowException(std::current_exception());
}

void Application::ShowException(std::exception_ptr error) noexcept {
    try {
        ShowErrorBox(MessageOf(error));
    } catch (...) {
        // Nothing sensible is left to do when even building the text fails.
    }
}

void Application::ShowErrorBox(std::u16string_view message) noexcept {
    if (errorBoxOpen_) {
        ++errorsNotShown_;
        return;
    }
    try {
        std::u16string text = ErrorBoxText(message);
        if (errorsNotShown_ > 0) {
            text += u"\r\n\r\n(" + Utf8ToUtf16(std::to_string(errorsNotShown_)) +
                    (errorsNotShown_ == 1 ? u" more error" : u" more errors") +
                    u" occurred while the previous error box was open.)";
            errorsNotShown_ = 0;
        }
        errorBoxOpen_ = true;
        const std::wstring wide = ToWide(text);
        // Owned by the window in front (the trace window, or a box or dialog of its own), and
        // modal to the whole program: nothing underneath can be ended or used meanwhile.
        HWND active = ::GetActiveWindow();
        HWND owner = active != nullptr ? active : mainWindow_.window;
        HWND focus = ::GetFocus();
        {
            const ProgramWindowsDisabled disabled;
            ::MessageBoxW(owner, wide.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
        }
        if (active != nullptr && ::IsWindow(active)) {
            ::SetActiveWindow(active);
        }
        if (focus != nullptr && ::IsWindow(focus)) {
            ::SetFocus(focus);
        }
    } catch (...) {
    }
    errorBoxOpen_ = false;
}

int Application::Run(int showCommand) {
    // The task bar button first: the application window, shown but of no size.
    switch (showCommand) {
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            // Started minimised: only the button; the trace window appears when it is restored.
            ::ShowWindow(Handle(), SW_SHOWMINNOACTIVE);
            mainHiddenWhileMinimized_ = true;
            break;
        default:
            ::ShowWindow(Handle(), SW_SHOWNA);
            ::ShowWindow(mainWindow_.window,
                         showCommand == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
            ::UpdateWindow(mainWindow_.window);
    }

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        try {
            if (mainWindow_.messageFilter && mainWindow_.messageFilter(message)) {
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        } catch (...) {
            ShowCurrentException();
        }
    }
    return 0;
}

void ShowStartupFailure(std::exception_ptr error) noexcept {
    try {
        const std::wstring text = ToWide(ErrorBoxText(MessageOf(error)));
        const std::wstring title =
            ToWide(ApplicationTitleFromPath(FromWide(ModulePath(nullptr)), PlatformLowerCase));
        ::MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing sensible is left to do when even building the text fails.
    }
}

}  // namespace orsk
