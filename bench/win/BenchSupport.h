#pragma once
// Pieces shared by the Windows benchmark programs: counts from the environment, a clock, order
// statistics, started programs and their windows, screen checks, and the Markdown rows that
// bench/run-wine-benchmarks.sh gathers into its table.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/TraceWindowDriver.h"

namespace bench {

// From the end-to-end test driver: OrskTrace.exe's path, a control by its id.
using e2e::ControlOf;
using e2e::TraceExePath;

// Milliseconds on the performance counter.
double NowMs();

// A count from the environment (digits only), or `fallback` when unset or not a number.
std::uint64_t EnvCount(const wchar_t* name, std::uint64_t fallback);

// Order statistics of a sample; the percentile is the nearest-rank one (p in 0..100).
double Median(std::vector<double> values);
double Percentile(std::vector<double> values, double p);
double Maximum(const std::vector<double>& values);

// The folder of this program, with its trailing backslash; the benchmark programs and
// OrskTrace.exe sit side by side.
std::wstring ProgramFolder();

// A started program; asked to close (WM_CLOSE to its windows), and ended when it does not,
// when destroyed.
class Program {
public:
    explicit Program(const std::wstring& exe, const std::wstring& arguments = L"");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    // NowMs() taken right before the CreateProcess call that started it.
    double StartedAtMs() const { return startedAtMs_; }

    // Its visible top-level window of class `className`, polled every millisecond; nullptr
    // after `timeoutMs`.
    HWND WaitForShownWindow(const wchar_t* className, DWORD timeoutMs) const;

    bool Running() const;
    // Waits for its end; its exit code, or STILL_ACTIVE on time-out.
    DWORD WaitForExit(DWORD timeoutMs) const;
    void Close();

private:
    PROCESS_INFORMATION info_{};
    double startedAtMs_ = 0;
};

// Lets the window's thread handle everything sent or posted so far, painting included: what
// it has left to paint is painted now (WM_PAINT sent to it), then it answers WM_NULL.
void WaitUntilPainted(HWND window);

// True when the window is shown, not minimised, and `control` is what the screen shows at its
// centre (nothing covers it).
bool ShownUncovered(HWND window, HWND control);
// A hash of the screen pixels of `control`'s client area: changes when what it shows changes.
std::uint64_t ScreenHash(HWND control);

// What every tenth trace of the benchmarks carries, as traces of programs that handle people's
// names do: Cyrillic, Greek, Chinese, Arabic and emoji (UTF-8).
inline constexpr char kMixedScripts[] =
    "\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0 \xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1 "
    "\xE5\xB1\xB1\xE7\x94\xB0 \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 \xF0\x9F\x98\x80";

// A trace text of exactly 100 bytes of UTF-8: `tag`, then "#" and `number` in ten digits, then
// filler; the filler of every tenth (a `number` that ends in 0) starts with kMixedScripts.
std::string Text100(const char* tag, std::uint64_t number);
// The "#0000001234" mark inside Text100, for searches.
std::wstring NumberMark(std::uint64_t number);

// WM_GETTEXTLENGTH and WM_GETTEXT of another process's control, waiting up to `timeoutMs` each.
std::size_t TextLength(HWND control, UINT timeoutMs = 600000);
std::wstring ReadText(HWND control, UINT timeoutMs = 600000);

// Formatting for the table.
std::string Format(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));
std::string Thousands(std::uint64_t value);  // 1234567 -> "1,234,567"
std::string Megabytes(std::uint64_t bytes);  // "12.3 MB" (10^6 bytes)

// One row of the results table on standard output; progress goes to standard error.
void PrintRow(const std::string& target, const std::string& figure, const std::string& baseline,
              const std::string& ratio, const std::string& limit, bool pass);
void Progress(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));

// A benchmark program's main: runs `run`; an error goes to the progress output and gives 1.
int RunProgram(void (*run)());

}  // namespace bench
