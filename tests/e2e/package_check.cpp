// orsk_package_check: the Windows half of scripts/check-package.sh, run under wine64 on the
// exes unpacked from a release zip. It prints one line per item it verified and ends with exit
// code 1 when any of them failed.
//
//   orsk_package_check version EXE NUMBERS [KEY=VALUE...]
//       EXE's version resource: FILEVERSION and PRODUCTVERSION are NUMBERS (as "1.2.3.0"), and
//       each StringFileInfo KEY holds exactly VALUE
//   orsk_package_check wait-window SECONDS
//       a trace window appears and is visible within SECONDS
//   orsk_package_check close-window SECONDS
//       the trace window, told to close, ends its process with exit code 0 within SECONDS

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/TraceWindowDriver.h"

namespace {

using e2e::kTraceWindowClass;
using e2e::ToUtf8;

class Report {
public:
    void Check(bool ok, const std::wstring& what) {
        failed_ = failed_ || !ok;
        const std::string line = (ok ? "ok      " : "FAILED  ") + ToUtf8(what) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
    // "NAME: WHAT ACTUAL", and what was expected when that differs.
    void Compare(const std::wstring& what, const std::wstring& actual,
                 const std::wstring& expected) {
        Check(actual == expected,
              what + L" " + actual + (actual == expected ? L"" : L", expected " + expected));
    }
    int ExitCode() const { return failed_ ? 1 : 0; }

private:
    bool failed_ = false;
};

std::wstring Numbers(DWORD high, DWORD low) {
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
           std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

int CheckVersion(const std::wstring& exe, const std::wstring& numbers,
                 const std::vector<std::wstring>& strings) {
    Report report;
    const std::wstring name = exe.substr(exe.find_last_of(L"\\/") + 1);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::vector<BYTE> data(size);
    if (size == 0 || !::GetFileVersionInfoW(exe.c_str(), 0, size, data.data())) {
        report.Check(false, name + L": a version resource (error " +
                                std::to_wstring(::GetLastError()) + L")");
        return report.ExitCode();
    }
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", &value, &length) ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        report.Check(false, name + L": the fixed version numbers");
        return report.ExitCode();
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    const std::wstring file = Numbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    const std::wstring product = Numbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    report.Compare(name + L": FILEVERSION", file, numbers);
    report.Compare(name + L": PRODUCTVERSION", product, numbers);

    // The strings are looked up in the language the resource itself announces.
    std::wstring table;
    if (::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) &&
        length >= 2 * sizeof(WORD)) {
        const auto* translation = static_cast<const WORD*>(value);
        wchar_t hex[9];
        std::swprintf(hex, 9, L"%04x%04x", translation[0], translation[1]);
        table = hex;
    }
    report.Check(!table.empty(), name + L": a translation entry " + table);
    for (const std::wstring& pair : strings) {
        const std::size_t equals = pair.find(L'=');
        const std::wstring key = pair.substr(0, equals);
        const std::wstring expected = equals == std::wstring::npos ? L"" : pair.substr(equals + 1);
        const std::wstring path = L"\\StringFileInfo\\" + table + L"\\" + key;
        std::wstring actual = L"(missing)";
        if (::VerQueryValueW(data.data(), path.c_str(), &value, &length)) {
            actual = L"\"" + std::wstring(static_cast<const wchar_t*>(value)) + L"\"";
        }
        report.Compare(name + L": " + key, actual, L"\"" + expected + L"\"");
    }
    return report.ExitCode();
}

HWND VisibleTraceWindow() {
    HWND window = ::FindWindowW(kTraceWindowClass, nullptr);
    return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

int WaitForWindow(DWORD seconds) {
    Report report;
    const ULONGLONG start = ::GetTickCount64();
    HWND window = nullptr;
    while ((window = VisibleTraceWindow()) == nullptr &&
           ::GetTickCount64() - start < seconds * 1000) {
        ::Sleep(50);
    }
    report.Check(window != nullptr, L"the trace window is on screen after " +
                                        std::to_wstring(::GetTickCount64() - start) + L" ms");
    return report.ExitCode();
}

int CloseWindow(DWORD seconds) {
    Report report;
    HWND window = VisibleTraceWindow();
    DWORD processId = 0;
    if (window != nullptr) {
        ::GetWindowThreadProcessId(window, &processId);
    }
    const HANDLE process =
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        report.Check(false, L"a trace window to close");
        return report.ExitCode();
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = STILL_ACTIVE;
    if (::WaitForSingleObject(process, seconds * 1000) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(process, &exitCode);
    }
    ::CloseHandle(process);
    report.Check(exitCode == 0, exitCode == STILL_ACTIVE ? L"the trace window did not close"
                                                         : L"the trace window closed, exit code " +
                                                               std::to_wstring(exitCode));
    return report.ExitCode();
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == L"version") {
        return CheckVersion(args[1], args[2], {args.begin() + 3, args.end()});
    }
    if (args.size() == 2 && args[0] == L"wait-window") {
        return WaitForWindow(static_cast<DWORD>(std::wcstoul(args[1].c_str(), nullptr, 10)));
    }
    if (args.size() == 2 && args[0] == L"close-window") {
        return CloseWindow(static_cast<DWORD>(std::wcstoul(args[1].c_str(), nullptr, 10)));
    }
    std::fputs(
        "usage: orsk_package_check version EXE NUMBERS [KEY=VALUE...]\n"
        "       orsk_package_check wait-window SECONDS | close-window SECONDS\n",
        stderr);
    return 64;
}
