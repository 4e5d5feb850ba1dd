#include "bench/win/IntakeTiming.h"

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "bench/win/BenchSupport.h"
#include "tests/support/TraceWindowDriver.h"

namespace bench {
namespace {

// Long enough that a slow window is measured, not given up on (a given-up trace may still
// arrive later).
constexpr UINT kSendTimeoutMs = 120000;

void SendOrThrow(HWND window, const std::string& text) {
    const e2e::SendResult result = e2e::SendTrace(window, kBenchLevel, text, kSendTimeoutMs);
    if (!result.delivered || result.reply != 1) {
        throw std::runtime_error("a trace was not accepted: " + text);
    }
}

}  // namespace

std::vector<double> TimedSends(HWND window, const char* tag, std::uint64_t first,
                               std::uint64_t count, DWORD gapMs) {
    std::vector<double> roundTrips;
    roundTrips.reserve(count);
    for (std::uint64_t number = first; number < first + count; ++number) {
        const std::string text = Text100(tag, number);
        if (gapMs > 0) {
            ::Sleep(gapMs);
        }
        const double start = NowMs();
        SendOrThrow(window, text);
        roundTrips.push_back(NowMs() - start);
    }
    return roundTrips;
}

double Fill(HWND window, const char* tag, std::uint64_t first, std::uint64_t count,
            unsigned threads) {
    std::atomic<std::uint64_t> next{first};
    std::atomic<std::uint64_t> done{0};
    std::atomic<bool> failed{false};
    const std::uint64_t end = first + count;
    const double start = NowMs();
    auto send = [&] {
        for (std::uint64_t number = next++; number < end && !failed; number = next++) {
            try {
                SendOrThrow(window, Text100(tag, number));
            } catch (const std::exception&) {
                failed = true;
                return;
            }
            // One line of progress every tenth of the way.
            const std::uint64_t sent = ++done;
            if (count >= 10 && sent % (count / 10) == 0) {
                Progress("  filled %s of %s traces (%.0f s)", Thousands(sent).c_str(),
                         Thousands(count).c_str(), (NowMs() - start) / 1000);
            }
        }
    };
    std::vector<std::thread> senders;
    for (unsigned i = 0; i < threads; ++i) {
        senders.emplace_back(send);
    }
    for (std::thread& sender : senders) {
        sender.join();
    }
    if (failed) {
        throw std::runtime_error("a trace of the fill was not accepted");
    }
    const double seconds = (NowMs() - start) / 1000;
    return seconds > 0 ? static_cast<double>(count) / seconds : 0;
}

}  // namespace bench
