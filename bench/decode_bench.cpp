// Decoding one trace message: a short log line and a 64 KiB text, mostly ASCII.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "intake/TraceDecoder.h"

namespace orsk {
namespace {

// `size` bytes of log-style UTF-8: ASCII with an accented letter, a euro sign and an emoji on
// every line, padded with ASCII so that no sequence is cut.
std::string TraceBytes(std::size_t size) {
    const std::string line =
        "2026-12-09 10:31:50 worker 7 handled request, caf\xC3\xA9 \xE2\x82\xAC 5, "
        "state \xF0\x9F\x98\x80 ok, elapsed 12 ms\r\n";
    std::string bytes;
    while (bytes.size() + line.size() <= size) {
        bytes += line;
    }
    bytes.resize(size, '.');
    return bytes;
}

void BM_Decode(benchmark::State& state) {
    const std::string bytes = TraceBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        DecodedTrace trace =
            DecodeTraceMessage(1, static_cast<std::uint32_t>(bytes.size()), bytes.data());
        benchmark::DoNotOptimize(trace.text.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_Decode)->Arg(100)->Arg(65536);

}  // namespace
}  // namespace orsk
