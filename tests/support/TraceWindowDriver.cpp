#include "tests/support/TraceWindowDriver.h"

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <thread>
#include <vector>

#include "window/ControlIds.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

void Fail(const std::string& what) {
    throw std::runtime_error(what);
}

struct FindState {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid != state->processId) {
        return TRUE;
    }
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (state->className != nullptr && std::wstring_view(className) != state->className) {
        return TRUE;
    }
    if (state->caption != nullptr) {
        wchar_t caption[256] = {};
        ::GetWindowTextW(window, caption, 256);
        if (std::wstring_view(caption) != state->caption) {
            return TRUE;
        }
    }
    state->found = window;
    return FALSE;
}

struct ChildState {
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<ChildState*>(param);
    if (::GetDlgCtrlID(window) == state->id) {
        state->found = window;
        return FALSE;
    }
    return TRUE;
}

struct DialogCount {
    DWORD processId;
    int count;
};

BOOL CALLBACK CountDialog(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<DialogCount*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (pid == count->processId && std::wstring_view(className) == L"#32770" &&
        ::IsWindowVisible(window)) {
        ++count->count;
    }
    return TRUE;
}

}  // namespace

std::wstring TraceExePath() {
    wchar_t buffer[MAX_PATH * 2] = {};
    if (::GetEnvironmentVariableW(L"ORSK_TRACE_EXE", buffer, MAX_PATH * 2) > 0) {
        return buffer;
    }
    ::GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
    std::wstring path = buffer;
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"OrskTrace.exe";
}

TraceWindowProcess::TraceWindowProcess(const std::wstring& exePath) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // Under Wine a start right after the previous program ended fails now and then; a
    // second try a moment later succeeds.
    DWORD error = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::wstring commandLine = L"\"" + exePath + L"\"";
        if (::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &process_)) {
            error = 0;
            break;
        }
        error = ::GetLastError();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    if (error != 0) {
        Fail("cannot start " + ToUtf8(exePath) + ", error " + std::to_string(error));
    }
    processId_ = process_.dwProcessId;
    ::WaitForInputIdle(process_.hProcess, 10000);
    window_ = WaitForWindow(processId_, e2e::kTraceWindowClass, nullptr, 15000);
    if (window_ == nullptr) {
        Fail("the trace window did not appear");
    }
    // The loop shows the window; wait until it has, so tests see the running state.
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!::IsWindowVisible(window_) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    threadId_ = ::GetWindowThreadProcessId(window_, nullptr);
    Sync(window_);
}

TraceWindowProcess::~TraceWindowProcess() {
    if (Running()) {
        // Close whatever box is open, then the window itself.
        for (int i = 0; i < 20 && CountDialogs(processId_) > 0; ++i) {
            if (HWND box = WaitForWindow(processId_, L"#32770", nullptr, 100)) {
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        if (WaitForExit(5000) == STILL_ACTIVE) {
            ::TerminateProcess(process_.hProcess, 99);
            ::WaitForSingleObject(process_.hProcess, 5000);
        }
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
}

HWND TraceWindowProcess::Control(int id) const {
    return ControlOf(window_, id);
}

HWND ControlOf(HWND window, int id) {
    ChildState state{id, nullptr};
    ::EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

DWORD TraceWindowProcess::WaitForExit(DWORD timeoutMs) {
    if (::WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool TraceWindowProcess::Running() const {
    return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

SendResult SendTrace(HWND window, ULONG_PTR level, const void* bytes, DWORD count, UINT timeoutMs) {
    COPYDATASTRUCT data{};
    data.dwData = level;
    data.cbData = count;
    data.lpData = const_cast<void*>(bytes);
    DWORD_PTR reply = 0;
    const LRESULT ok =
        ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                              SMTO_ABORTIFHUNG, timeoutMs, &reply);
    return SendResult{ok != 0, static_cast<LRESULT>(reply)};
}

SendResult SendTrace(HWND window, ULONG_PTR level, std::string_view utf8, UINT timeoutMs) {
    return SendTrace(window, level, utf8.data(), static_cast<DWORD>(utf8.size()), timeoutMs);
}

std::wstring ReadText(HWND control) {
    DWORD_PTR length = 0;
    ::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 60000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                          SMTO_ABORTIFHUNG, 60000, &copied);
    text.resize(copied);
    return text;
}

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string ReadTextUtf8(HWND control) {
    return ToUtf8(ReadText(control));
}

HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                   DWORD timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        FindState state{processId, className, caption, nullptr};
        ::EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&state));
        if (state.found != nullptr && ::IsWindowVisible(state.found)) {
            return state.found;
        }
        if (Clock::now() >= deadline) {
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int CountDialogs(DWORD processId) {
    DialogCount count{processId, 0};
    ::EnumWindows(CountDialog, reinterpret_cast<LPARAM>(&count));
    return count.count;
}

std::wstring BoxText(HWND box) {
    std::wstring text;
    HWND child = nullptr;
    while ((child = ::FindWindowExW(box, child, L"Static", nullptr)) != nullptr) {
        std::wstring candidate = ReadText(child);
        if (candidate.size() > text.size()) {
            text = candidate;
        }
    }
    return text;
}

void PressOk(HWND box) {
    HWND ok = ::GetDlgItem(box, IDOK);
    if (ok == nullptr) {
        Fail("the box has no OK button");
    }
    ::PostMessageW(ok, BM_CLICK, 0, 0);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (::IsWindow(box) && ::IsWindowVisible(box) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void ChooseFilterItem(HWND filterBox, int index) {
    ::SendMessageW(filterBox, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(::GetParent(filterBox), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(filterBox), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(filterBox));
}

void SetEditText(HWND edit, std::wstring_view text) {
    const std::wstring copy(text);
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

void ClickButton(HWND button) {
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

void Sync(HWND window) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

HWND FocusOf(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(threadId, &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

namespace {

// The window's screen pixels as 0x00RRGGBB values, row by row from the top.
std::vector<std::uint32_t> ScreenPixels(HWND window, int& width, int& height) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> out(pixels, pixels + static_cast<std::size_t>(width) * height);
    for (std::uint32_t& p : out) {
        p &= 0x00FFFFFF;
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return out;
}

std::uint32_t Rgb(COLORREF color) {
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

}  // namespace

std::vector<MenuRow> MenuRows(HWND popup) {
    int width = 0;
    int height = 0;
    const std::vector<std::uint32_t> pixels = ScreenPixels(popup, width, height);
    const std::uint32_t background = Rgb(::GetSysColor(COLOR_MENU));
    const std::uint32_t text = Rgb(::GetSysColor(COLOR_MENUTEXT));
    const int border = 3;  // the frame
    const int inner = width - 2 * border;

    // Bands of rows with ink. A separator is a line across (nearly) the whole width; an item's
    // text and the underline of its access key are one band with at most two empty rows between.
    struct Band {
        int first;
        int last;
        bool line;
        bool normalText;
    };
    std::vector<Band> bands;
    for (int y = border; y < height - border; ++y) {
        int ink = 0;
        bool normalText = false;
        for (int x = border; x < width - border; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
            ink += p != background ? 1 : 0;
            normalText = normalText || p == text;
        }
        if (ink == 0) {
            continue;
        }
        const bool line = ink * 10 >= inner * 8;
        if (!bands.empty() && !line && !bands.back().line && y - bands.back().last <= 3) {
            bands.back().last = y;
            bands.back().normalText = bands.back().normalText || normalText;
        } else if (!bands.empty() && line && bands.back().line && y - bands.back().last == 1) {
            bands.back().last = y;  // a separator's two lines, dark and light
        } else {
            bands.push_back(Band{y, y, line, normalText});
        }
    }
    std::vector<MenuRow> rows;
    for (const Band& band : bands) {
        rows.push_back(band.line         ? MenuRow::Separator
                       : band.normalText ? MenuRow::Enabled
                                         : MenuRow::Disabled);
    }
    return rows;
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className) {
    FindState state{processId, className, nullptr, nullptr};
    ::EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);

    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageSize;
    bool saved = false;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        saved = ::WriteFile(file, &header, sizeof(header), &written, nullptr) &&
                ::WriteFile(file, &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr) &&
                ::WriteFile(file, bits, imageSize, &written, nullptr);
        ::CloseHandle(file);
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return saved;
}

std::vector<std::uint32_t> ClientPixels(HWND window, RECT area) {
    POINT origin{area.left, area.top};
    ::ClientToScreen(window, &origin);
    const int width = std::max<int>(0, area.right - area.left);
    const int height = std::max<int>(0, area.bottom - area.top);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        ::SelectObject(memory, old);
        const auto* from = static_cast<const std::uint32_t*>(bits);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = from[i] & 0x00FFFFFFu;
        }
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace e2e
