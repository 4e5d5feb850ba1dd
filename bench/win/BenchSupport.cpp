#include "bench/win/BenchSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>

namespace bench {
namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchShownWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !::IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring_view(className) != search->className) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CloseProcessWindow(HWND window, LPARAM param) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId == static_cast<DWORD>(param)) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

std::string VFormat(const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    std::string out(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, again);
    va_end(again);
    out.resize(static_cast<std::size_t>(std::max(length, 0)));
    return out;
}

}  // namespace

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

std::uint64_t EnvCount(const wchar_t* name, std::uint64_t fallback) {
    wchar_t value[32] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 32);
    if (length == 0 || length >= 32) {
        return fallback;
    }
    std::uint64_t count = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (value[i] < L'0' || value[i] > L'9') {
            return fallback;
        }
        count = count * 10 + static_cast<std::uint64_t>(value[i] - L'0');
    }
    return count;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

double Maximum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

std::wstring ProgramFolder() {
    wchar_t buffer[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
    std::wstring path = buffer;
    path.resize(path.find_last_of(L"\\/") + 1);
    return path;
}

Program::Program(const std::wstring& exe, const std::wstring& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // Under Wine a start right after another program ended fails now and then; a second try
    // a moment later succeeds.
    DWORD error = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::wstring commandLine =
            L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        startedAtMs_ = NowMs();
        if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &info_)) {
            return;
        }
        error = ::GetLastError();
        ::Sleep(200);
    }
    std::string name(exe.begin(), exe.end());
    throw std::runtime_error("cannot start " + name + ", error " + std::to_string(error));
}

Program::~Program() {
    Close();
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
}

HWND Program::WaitForShownWindow(const wchar_t* className, DWORD timeoutMs) const {
    const double deadline = NowMs() + timeoutMs;
    for (;;) {
        WindowSearch search{info_.dwProcessId, className, nullptr};
        ::EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        if (NowMs() >= deadline || !Running()) {
            return nullptr;
        }
        ::Sleep(1);
    }
}

bool Program::Running() const {
    return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program::WaitForExit(DWORD timeoutMs) const {
    if (::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void Program::Close() {
    if (!Running()) {
        return;
    }
    ::EnumWindows(CloseProcessWindow, static_cast<LPARAM>(info_.dwProcessId));
    if (WaitForExit(10000) == STILL_ACTIVE) {
        ::TerminateProcess(info_.hProcess, 99);
        ::WaitForSingleObject(info_.hProcess, 10000);
    }
}

void WaitUntilPainted(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result);
}

bool ShownUncovered(HWND window, HWND control) {
    if (!::IsWindowVisible(window) || ::IsIconic(window) || !::IsWindowVisible(control)) {
        return false;
    }
    RECT rect{};
    ::GetWindowRect(control, &rect);
    const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    HWND hit = ::WindowFromPoint(centre);
    return hit == control || ::IsChild(control, hit);
}

std::uint64_t ScreenHash(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (const std::uint32_t pixel : e2e::ClientPixels(control, client)) {
        hash = (hash ^ pixel) * 1099511628211ull;
    }
    return hash;
}

std::string Text100(const char* tag, std::uint64_t number) {
    std::string text = Format("%s #%010llu ", tag, static_cast<unsigned long long>(number));
    if (number % 10 == 0) {
        text += kMixedScripts;
        text += ' ';
    }
    static constexpr char kFiller[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (std::size_t i = 0; text.size() < 100; ++i) {
        text += kFiller[i % (sizeof(kFiller) - 1)];
    }
    text.resize(100);
    return text;
}

std::wstring NumberMark(std::uint64_t number) {
    const std::string mark = Format("#%010llu", static_cast<unsigned long long>(number));
    return std::wstring(mark.begin(), mark.end());
}

std::size_t TextLength(HWND control, UINT timeoutMs) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length)) {
        throw std::runtime_error("WM_GETTEXTLENGTH got no answer");
    }
    return static_cast<std::size_t>(length);
}

std::wstring ReadText(HWND control, UINT timeoutMs) {
    const std::size_t length = TextLength(control, timeoutMs);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXT, length + 1,
                               reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, timeoutMs,
                               &copied)) {
        throw std::runtime_error("WM_GETTEXT got no answer");
    }
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = VFormat(format, args);
    va_end(args);
    return out;
}

std::string Thousands(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

std::string Megabytes(std::uint64_t bytes) {
    return Format("%.1f MB", static_cast<double>(bytes) / 1e6);
}

void PrintRow(const std::string& target, const std::string& figure, const std::string& baseline,
              const std::string& ratio, const std::string& limit, bool pass) {
    std::printf("| %s | %s | %s | %s | %s | %s |\n", target.c_str(), figure.c_str(),
                baseline.c_str(), ratio.c_str(), limit.c_str(), pass ? "pass" : "FAIL");
    std::fflush(stdout);
}

int RunProgram(void (*run)()) {
    try {
        run();
        return 0;
    } catch (const std::exception& error) {
        Progress("error: %s", error.what());
        return 1;
    }
}

void Progress(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string line = VFormat(format, args);
    va_end(args);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

}  // namespace bench
