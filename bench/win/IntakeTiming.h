#pragma once
// The sender's side of intake: WM_COPYDATA round trips timed one by one, and filling a window
// with many traces as fast as it takes them.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace bench {

// The level of every trace the benchmarks store: the filter item "1" shows them all.
inline constexpr ULONG_PTR kBenchLevel = 1;

// Sends the traces numbered `first` .. `first + count - 1` (Text100 with `tag`) one at a time,
// each after a pause of `gapMs`, and returns each round trip (SendMessageTimeout from call to
// return) in milliseconds. Throws when one is not accepted.
std::vector<double> TimedSends(HWND window, const char* tag, std::uint64_t first,
                               std::uint64_t count, DWORD gapMs);

// Sends the traces numbered `first` .. `first + count - 1` from `threads` threads at once, each
// as soon as its previous one was answered (their order in the window is not kept). Returns
// the traces per second. Throws when one is not accepted.
double Fill(HWND window, const char* tag, std::uint64_t first, std::uint64_t count,
            unsigned threads);

}  // namespace bench
