// Responsiveness under a flood: ORSK_BENCH_FLOOD_SENDERS sender processes (default 4) send
// ORSK_BENCH_FLOOD_TRACES traces each (default 100,000) into the shown trace window as fast as
// it takes them, while this program, as a probe, sends WM_NULL to the window every 10 ms and
// times each answer. The same probe on the idle window, before the flood, is the baseline.
// Afterwards the view must hold every trace as its four-line block, each sender's in order.
// An accessibility client is attached all the while: another thread of this program holds the
// text area's MSAA object and reads its name and value every 10 ms, as a screen reader
// following the caret would.
// The rows of the results table go to standard output, progress to standard error.

#include <windows.h>

#include <oleacc.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/win/BenchSupport.h"
#include "bench/win/FloodViewCheck.h"
#include "window/ControlIds.h"

namespace bench {
namespace {

constexpr DWORD kProbePeriodMs = 10;
constexpr int kIdleProbes = 100;

// One probe: the milliseconds until the window answers WM_NULL (10 s when it does not).
double Probe(HWND window) {
    DWORD_PTR result = 0;
    const double start = NowMs();
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    return NowMs() - start;
}

// Holds the text area's MSAA object and reads its name and value every kProbePeriodMs until
// `stop`; returns each read's milliseconds (none when the object could not be had).
std::vector<double> AccessibilityClient(HWND view, const std::atomic<bool>& stop) {
    std::vector<double> reads;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* object = nullptr;
    if (SUCCEEDED(::AccessibleObjectFromWindow(view, static_cast<DWORD>(OBJID_CLIENT),
                                               __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&object))) &&
        object != nullptr) {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        while (!stop) {
            const double start = NowMs();
            BSTR name = nullptr;
            BSTR value = nullptr;
            object->get_accName(self, &name);
            object->get_accValue(self, &value);
            reads.push_back(NowMs() - start);
            ::SysFreeString(name);
            ::SysFreeString(value);
            ::Sleep(kProbePeriodMs);
        }
        object->Release();
    }
    ::CoUninitialize();
    return reads;
}

bool AllEnded(const std::vector<std::unique_ptr<Program>>& senders) {
    for (const auto& sender : senders) {
        if (sender->Running()) {
            return false;
        }
    }
    return true;
}

// Probes every kProbePeriodMs (at once when a probe took longer) until `done` says stop.
template <typename Done>
std::vector<double> ProbeUntil(HWND window, Done done) {
    std::vector<double> latencies;
    double nextAt = NowMs();
    while (!done()) {
        latencies.push_back(Probe(window));
        nextAt += kProbePeriodMs;
        const double wait = nextAt - NowMs();
        if (wait > 0) {
            ::Sleep(static_cast<DWORD>(wait));
        } else {
            nextAt = NowMs();
        }
    }
    return latencies;
}

void Run() {
    const auto senderCount = static_cast<unsigned>(EnvCount(L"ORSK_BENCH_FLOOD_SENDERS", 4));
    const std::uint64_t perSender = EnvCount(L"ORSK_BENCH_FLOOD_TRACES", 100000);
    const std::string scale = Format("%ux%s traces", senderCount, Thousands(perSender).c_str());

    Program program(TraceExePath());
    HWND window = program.WaitForShownWindow(e2e::kTraceWindowClass, 30000);
    HWND view = window != nullptr ? ControlOf(window, orsk::kIdMemTrace) : nullptr;
    if (view == nullptr) {
        throw std::runtime_error("the trace window did not appear");
    }
    WaitUntilPainted(window);

    int idleCount = 0;
    const std::vector<double> idle = ProbeUntil(window, [&] { return idleCount++ == kIdleProbes; });

    // Named start signals, unique to this run.
    const std::wstring suffix = std::to_wstring(::GetCurrentProcessId());
    const std::wstring readyName = L"OrskBenchFloodReady" + suffix;
    const std::wstring goName = L"OrskBenchFloodGo" + suffix;
    HANDLE ready =
        ::CreateSemaphoreW(nullptr, 0, static_cast<LONG>(senderCount), readyName.c_str());
    HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, goName.c_str());
    std::vector<std::unique_ptr<Program>> senders;
    for (unsigned s = 0; s < senderCount; ++s) {
        senders.push_back(
            std::make_unique<Program>(ProgramFolder() + L"orsk_bench_flood_sender.exe",
                                      std::to_wstring(s) + L" " + std::to_wstring(perSender) +
                                          L" " + readyName + L" " + goName));
    }
    for (unsigned s = 0; s < senderCount; ++s) {
        if (::WaitForSingleObject(ready, 60000) != WAIT_OBJECT_0) {
            throw std::runtime_error("the senders did not get ready");
        }
    }
    Progress("flood: %s, probing every %lu ms", scale.c_str(), kProbePeriodMs);
    std::atomic<bool> stopClient{false};
    std::vector<double> clientReads;
    std::thread client([&] { clientReads = AccessibilityClient(view, stopClient); });
    const double start = NowMs();
    ::SetEvent(go);
    const std::vector<double> busy = ProbeUntil(window, [&] { return AllEnded(senders); });
    stopClient = true;
    client.join();
    const double seconds = (NowMs() - start) / 1000;
    bool sendersOk = true;
    for (const auto& sender : senders) {
        sendersOk = sendersOk && sender->WaitForExit(0) == 0;
    }
    ::CloseHandle(go);
    ::CloseHandle(ready);
    Progress("  %.1f s, %.0f traces/s", seconds,
             static_cast<double>(senderCount * perSender) / seconds);

    const double p99 = Percentile(busy, 99);
    const double idleP99 = Percentile(idle, 99);
    PrintRow(Format("2. WM_NULL answer during a %s flood, p99", scale.c_str()),
             Format("%.1f ms (max %.1f ms, %s probes, flood %.1f s)%s", p99, Maximum(busy),
                    Thousands(busy.size()).c_str(), seconds,
                    sendersOk ? "" : " (senders NOT all accepted)"),
             Format("idle window p99 %.2f ms", idleP99),
             Format("%.0fx", idleP99 > 0 ? p99 / idleP99 : 0), "<= 100 ms",
             sendersOk && p99 <= 100);

    PrintRow(Format("2. Accessibility client during the flood: MSAA name and value every %lu ms, "
                    "p99",
                    kProbePeriodMs),
             clientReads.empty()
                 ? std::string("no MSAA object")
                 : Format("%.1f ms (max %.1f ms, %s reads)", Percentile(clientReads, 99),
                          Maximum(clientReads), Thousands(clientReads.size()).c_str()),
             "-", "-", "<= 100 ms", !clientReads.empty() && Percentile(clientReads, 99) <= 100);

    Progress("reading the view");
    WaitUntilPainted(window);
    const std::wstring text = ReadText(view);
    const FloodViewCheck check = CheckFloodView(text, senderCount, perSender);
    PrintRow(Format("2. View after the %s flood", scale.c_str()),
             Format("%s lines%s%s", Thousands(check.lines).c_str(),
                    check.complete ? ", every sender's traces complete and in order" : ": ",
                    check.problem.c_str()),
             "-", "-", Format("%s lines in order", Thousands(4 * senderCount * perSender).c_str()),
             check.complete && check.lines == 4 * senderCount * perSender);
}

}  // namespace
}  // namespace bench

int wmain() {
    return bench::RunProgram(bench::Run);
}
