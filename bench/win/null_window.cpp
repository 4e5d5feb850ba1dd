// A minimal Win32 window program: one window that answers every WM_COPYDATA with 1 and does
// nothing else. It is the floor of the intake round trip and the yardstick of start-up; with
// "--hidden" it shows no window and only keeps the Wine desktop alive between programs (once
// the last GUI process ends, the desktop quits after a few seconds and the next window then
// takes seconds to appear).

#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA:
            return 1;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"OrskBenchNullWindow";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowW(windowClass.lpszClassName, L"Null window", WS_OVERLAPPEDWINDOW,
                                  200, 104, 460, 460, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    if (std::wcsstr(commandLine, L"--hidden") == nullptr) {
        ::ShowWindow(window, showCommand);
        ::UpdateWindow(window);
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
