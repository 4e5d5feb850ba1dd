// Start-up to a visible window: the time from CreateProcess until the program's top-level
// window exists and is visible, for OrskTrace.exe and for the minimal window program
// (orsk_bench_null_window.exe), taken in turns, ORSK_BENCH_STARTUP_RUNS times each (default 7).
// Each program is closed before the next starts. The row of the results table goes to standard
// output, progress to standard error.

#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/win/BenchSupport.h"
#include "window/ControlIds.h"

namespace bench {
namespace {

double TimeToShownWindow(const std::wstring& exe, const wchar_t* className) {
    Program program(exe);
    if (program.WaitForShownWindow(className, 30000) == nullptr) {
        throw std::runtime_error("a window did not appear");
    }
    const double ms = NowMs() - program.StartedAtMs();
    program.Close();
    // A moment between programs, so that one's end does not overlap the next one's start.
    ::Sleep(300);
    return ms;
}

void Run() {
    const auto runs = static_cast<int>(EnvCount(L"ORSK_BENCH_STARTUP_RUNS", 7));
    std::vector<double> minimal;
    std::vector<double> trace;
    for (int i = 0; i < runs; ++i) {
        minimal.push_back(TimeToShownWindow(ProgramFolder() + L"orsk_bench_null_window.exe",
                                            L"OrskBenchNullWindow"));
        trace.push_back(TimeToShownWindow(TraceExePath(), e2e::kTraceWindowClass));
        Progress("  run %d: minimal %.0f ms, trace window %.0f ms", i + 1, minimal.back(),
                 trace.back());
    }
    const double traceMedian = Median(trace);
    const double minimalMedian = Median(minimal);
    const double ratio = minimalMedian > 0 ? traceMedian / minimalMedian : 0;
    PrintRow(Format("5. Start-up to a visible window (median of %d)", runs),
             Format("%.0f ms", traceMedian),
             Format("minimal window program %.0f ms", minimalMedian), Format("%.2fx", ratio),
             "<= 1.2x", runs > 0 && ratio <= 1.2);
}

}  // namespace
}  // namespace bench

int wmain() {
    return bench::RunProgram(bench::Run);
}
