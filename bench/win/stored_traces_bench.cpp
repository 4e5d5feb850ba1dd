// One trace window filled with many traces (ORSK_BENCH_STORED, default 1,000,000, each of 100
// ASCII characters at level 1), measured from outside as senders and a user would:
//   intake   the round trip of one trace into the shown window, for the first
//            ORSK_BENCH_SAMPLES traces (default 200) and for the last ones up to the
//            ORSK_BENCH_STORED-th, against the same round trip into a window that does nothing;
//            one trace every ORSK_BENCH_GAP_MS (default 10) milliseconds, as a program that
//            traces now and then sends: the window paints in the pauses, and a paint still
//            running when the next trace comes is paid by that trace; and as many back to back,
//            each sent as soon as the one before was answered, as a program that traces in a
//            loop sends, with the window painting as it goes (against the null window in
//            alternating slices);
//   memory   private bytes with every trace stored, against the UTF-16 size of the view text;
//   rebuild  filter picks that show every trace again ("1", then "0 = ALL"), three of each;
//   search   one search step across the whole view for a mark in the last trace, three times;
//   core     the same rebuild and search by the window's core in this process, without a
//            window, and a plain pass over the same text: the baselines of the two rows above;
//   Empty    private bytes afterwards, against those right after start-up.
// The rows of the results table go to standard output, progress to standard error.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/win/BenchSupport.h"
#include "bench/win/CoreBaselines.h"
#include "bench/win/IntakeTiming.h"
#include "bench/win/ProcessMemory.h"
#include "bench/win/ViewTiming.h"
#include "window/ControlIds.h"

namespace bench {
namespace {

constexpr char kTag[] = "stored trace";
constexpr unsigned kFillThreads = 4;
constexpr int kRepeats = 3;

struct TraceWindow {
    HWND window = nullptr;
    HWND view = nullptr;
    HWND filterBox = nullptr;
    HWND searchBox = nullptr;
    HWND searchButton = nullptr;
    HWND emptyButton = nullptr;
};

TraceWindow FindControls(const Program& program) {
    TraceWindow w;
    w.window = program.WaitForShownWindow(e2e::kTraceWindowClass, 30000);
    if (w.window == nullptr) {
        throw std::runtime_error("the trace window did not appear");
    }
    w.view = ControlOf(w.window, orsk::kIdMemTrace);
    w.filterBox = ControlOf(w.window, orsk::kIdCbFilter);
    w.searchBox = ControlOf(w.window, orsk::kIdEdtSearchFor);
    w.searchButton = ControlOf(w.window, orsk::kIdBtnSearch);
    w.emptyButton = ControlOf(w.window, orsk::kIdBtnEmpty);
    if (!w.view || !w.filterBox || !w.searchBox || !w.searchButton || !w.emptyButton) {
        throw std::runtime_error("a control of the trace window is missing");
    }
    return w;
}

std::vector<double> FloorRoundTrips(HWND nullWindow, std::uint64_t samples, DWORD gapMs) {
    return TimedSends(nullWindow, "floor trace", 1, samples, gapMs);
}

// Sends a batch of timed traces and tells whether the view's pixels on screen changed.
std::vector<double> TimedBatch(const TraceWindow& w, std::uint64_t first, std::uint64_t count,
                               DWORD gapMs, bool& shownAndPainting) {
    WaitUntilPainted(w.window);
    const std::uint64_t before = ScreenHash(w.view);
    std::vector<double> roundTrips = TimedSends(w.window, kTag, first, count, gapMs);
    WaitUntilPainted(w.window);
    shownAndPainting = ShownUncovered(w.window, w.view) && ScreenHash(w.view) != before;
    return roundTrips;
}

// Back-to-back round trips into the trace window and into the null window, in alternating
// slices of kSlice, so that both see the same moments of the machine.
struct PairedRoundTrips {
    std::vector<double> window;
    std::vector<double> floor;
    bool shownAndPainting = false;
};

PairedRoundTrips BackToBack(const TraceWindow& w, HWND nullWindow, std::uint64_t first,
                            std::uint64_t count) {
    constexpr std::uint64_t kSlice = 20;
    PairedRoundTrips paired;
    WaitUntilPainted(w.window);
    const std::uint64_t before = ScreenHash(w.view);
    for (std::uint64_t done = 0; done < count; done += kSlice) {
        const std::uint64_t slice = std::min(kSlice, count - done);
        for (const double ms : TimedSends(nullWindow, "floor trace", 1, slice, 0)) {
            paired.floor.push_back(ms);
        }
        for (const double ms : TimedSends(w.window, kTag, first + done, slice, 0)) {
            paired.window.push_back(ms);
        }
    }
    WaitUntilPainted(w.window);
    paired.shownAndPainting = ShownUncovered(w.window, w.view) && ScreenHash(w.view) != before;
    return paired;
}

void IntakeRow(const std::string& target, const std::vector<double>& roundTrips, double floorMedian,
               bool shownAndPainting, double limit) {
    const double median = Median(roundTrips);
    const double ratio = floorMedian > 0 ? median / floorMedian : 0;
    PrintRow(target,
             Format("median %.3f ms, p90 %.3f ms%s", median, Percentile(roundTrips, 90),
                    shownAndPainting ? "" : " (window NOT shown and painting)"),
             Format("null window, median %.3f ms", floorMedian), Format("%.2fx", ratio),
             Format("<= %gx", limit), shownAndPainting && ratio <= limit);
}

void Run() {
    const std::uint64_t stored = EnvCount(L"ORSK_BENCH_STORED", 1000000);
    const std::uint64_t samples = std::min(EnvCount(L"ORSK_BENCH_SAMPLES", 200), stored / 4);
    const auto gapMs = static_cast<DWORD>(EnvCount(L"ORSK_BENCH_GAP_MS", 10));
    if (samples == 0) {
        throw std::runtime_error("ORSK_BENCH_STORED must be at least 4");
    }
    const std::string n = Thousands(stored);

    Program receiver(ProgramFolder() + L"orsk_bench_null_window.exe");
    HWND nullWindow = receiver.WaitForShownWindow(L"OrskBenchNullWindow", 30000);
    if (nullWindow == nullptr) {
        throw std::runtime_error("the null window did not appear");
    }
    WaitUntilPainted(nullWindow);
    Progress("floor: %s round trips into the null window", Thousands(samples).c_str());
    const double floorMedian = Median(FloorRoundTrips(nullWindow, samples, gapMs));
    // It stays, out of the trace window's way, for the back-to-back comparisons.
    ::ShowWindow(nullWindow, SW_SHOWMINNOACTIVE);

    Program program(TraceExePath());
    const TraceWindow w = FindControls(program);
    WaitUntilPainted(w.window);
    const std::uint64_t startBytes = PrivateBytes(program.Id());

    // Spaced and back-to-back batches at the start, the fill, then both again at the end.
    Progress("intake: traces 1 to %s", Thousands(2 * samples).c_str());
    bool firstPainted = false;
    const std::vector<double> first = TimedBatch(w, 1, samples, gapMs, firstPainted);
    const PairedRoundTrips firstBackToBack = BackToBack(w, nullWindow, samples + 1, samples);
    Progress("filling to %s traces with %u senders", n.c_str(), kFillThreads);
    const double perSecond =
        Fill(w.window, kTag, 2 * samples + 1, stored - 4 * samples, kFillThreads);
    Progress("  %.0f traces/s", perSecond);
    Progress("intake: traces %s to %s", Thousands(stored - 2 * samples + 1).c_str(), n.c_str());
    const PairedRoundTrips lastBackToBack =
        BackToBack(w, nullWindow, stored - 2 * samples + 1, samples);
    // The floor again, right before the last batch: the machine may have changed in between.
    ::ShowWindow(nullWindow, SW_SHOWNOACTIVATE);
    const double lastFloorMedian = Median(FloorRoundTrips(nullWindow, samples, gapMs));
    ::ShowWindow(nullWindow, SW_SHOWMINNOACTIVE);
    bool lastPainted = false;
    const std::vector<double> last =
        TimedBatch(w, stored - samples + 1, samples, gapMs, lastPainted);
    IntakeRow(Format("1. Intake round trip, traces 1-%s (%s ms apart)", Thousands(samples).c_str(),
                     std::to_string(gapMs).c_str()),
              first, floorMedian, firstPainted, 2.0);
    IntakeRow(Format("1. Intake round trip, traces %s-%s", Thousands(stored - samples + 1).c_str(),
                     n.c_str()),
              last, lastFloorMedian, lastPainted, 2.0);
    IntakeRow(Format("1. Back-to-back intake from one sender, traces %s-%s",
                     Thousands(samples + 1).c_str(), Thousands(2 * samples).c_str()),
              firstBackToBack.window, Median(firstBackToBack.floor),
              firstBackToBack.shownAndPainting, 1.5);
    IntakeRow(
        Format("1. Back-to-back intake from one sender, traces %s-%s",
               Thousands(stored - 2 * samples + 1).c_str(), Thousands(stored - samples).c_str()),
        lastBackToBack.window, Median(lastBackToBack.floor), lastBackToBack.shownAndPainting, 1.5);

    Progress("memory with %s traces", n.c_str());
    const std::uint64_t fullBytes = PrivateBytes(program.Id());
    const std::size_t viewUnits = TextLength(w.view);
    const auto lines = static_cast<std::uint64_t>(::SendMessageW(w.view, EM_GETLINECOUNT, 0, 0));
    // Four lines a trace, and the empty line after the last line break.
    const bool complete = lines == 4 * stored + 1;
    const double memoryRatio =
        viewUnits > 0 ? static_cast<double>(fullBytes) / (2.0 * static_cast<double>(viewUnits)) : 0;
    PrintRow(
        Format("4. Private bytes, %s traces of 100 characters", n.c_str()),
        Format("%s (%s more than right after start-up)%s", Megabytes(fullBytes).c_str(),
               Megabytes(fullBytes > startBytes ? fullBytes - startBytes : 0).c_str(),
               complete ? "" : Format(" (view has %s lines!)", Thousands(lines).c_str()).c_str()),
        Format("view text %s (UTF-16)", Megabytes(2 * viewUnits).c_str()),
        Format("%.2fx", memoryRatio), "<= 2.5x", complete && fullBytes > 0 && memoryRatio <= 2.5);

    Progress("rebuilds after filter picks");
    std::vector<double> rebuilds;
    bool sameView = true;
    for (int i = 0; i < kRepeats; ++i) {
        for (const int item : {1, 0}) {  // "1" (every trace has level 1), then "0 = ALL"
            rebuilds.push_back(TimeFilterPick(w.window, w.filterBox, item));
            sameView = sameView && TextLength(w.view) == viewUnits;
        }
    }

    Progress("search steps");
    std::vector<double> searches;
    bool found = true;
    for (int i = 0; i < kRepeats; ++i) {
        const SearchStep step =
            TimeSearchStep(w.window, program.Id(), w.searchBox, w.searchButton, NumberMark(stored));
        searches.push_back(step.ms);
        found = found && step.found;
    }

    Progress("the same rebuild and search in this process, without a window");
    const CoreBaselines core = MeasureCoreBaselines(kTag, stored, NumberMark(stored), kRepeats);
    const bool sameText = core.found && core.units == viewUnits;
    const double rebuildRatio = core.rebuildMs > 0 ? Median(rebuilds) / core.rebuildMs : 0;
    PrintRow(Format("3. Rebuild after a filter pick, %s traces shown", n.c_str()),
             Format("median %.1f ms, max %.1f ms (%d picks)%s", Median(rebuilds), Maximum(rebuilds),
                    2 * kRepeats, sameView ? "" : " (view changed!)"),
             Format("the rebuild into the text model alone, median %.1f ms%s", core.rebuildMs,
                    sameText ? "" : " (NOT the same text)"),
             Format("%.2fx", rebuildRatio), "<= 1.2x and <= 1000 ms",
             sameView && sameText && rebuildRatio <= 1.2 && Maximum(rebuilds) <= 1000);
    const double searchRatio = core.scanMs > 0 ? Median(searches) / core.scanMs : 0;
    PrintRow(Format("3. Search step to the last of %s traces", n.c_str()),
             Format("median %.1f ms, max %.1f ms (%d steps)%s", Median(searches), Maximum(searches),
                    kRepeats, found ? "" : " (NOT found)"),
             Format("the scan of the text model alone, median %.1f ms", core.scanMs),
             Format("%.2fx", searchRatio), "<= 1.3x and <= 100 ms",
             found && sameText && searchRatio <= 1.3 && Maximum(searches) <= 100);
    const double scanRatio = core.plainPassMs > 0 ? core.scanMs / core.plainPassMs : 0;
    PrintRow(
        Format("3. Scan of the text model, %s units", Thousands(core.units).c_str()),
        Format("median %.1f ms", core.scanMs),
        Format("a memchr-class pass over the same UTF-16 text, median %.1f ms", core.plainPassMs),
        Format("%.2fx", scanRatio), "<= 1.5x", sameText && scanRatio <= 1.5);

    Progress("Empty");
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(w.emptyButton, BM_CLICK, 0, 0, SMTO_NORMAL, 600000, &result);
    WaitUntilPainted(w.window);
    const bool emptied = TextLength(w.view) == 0;
    const std::uint64_t afterBytes = PrivateBytes(program.Id());
    const double growth = static_cast<double>(fullBytes) - static_cast<double>(startBytes);
    const double givenBack =
        growth > 0 ? (static_cast<double>(fullBytes) - static_cast<double>(afterBytes)) / growth
                   : 0;
    PrintRow("4. Private bytes after Empty",
             Format("%s (%.0f%% of the growth given back)%s", Megabytes(afterBytes).c_str(),
                    100 * givenBack, emptied ? "" : " (view NOT empty)"),
             Format("right after start-up %s", Megabytes(startBytes).c_str()),
             Format("%.2fx", startBytes > 0
                                 ? static_cast<double>(afterBytes) / static_cast<double>(startBytes)
                                 : 0),
             ">= 90% of the growth given back", emptied && startBytes > 0 && givenBack >= 0.9);
}

}  // namespace
}  // namespace bench

int wmain() {
    return bench::RunProgram(bench::Run);
}
