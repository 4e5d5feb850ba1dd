// The trace store at the size of a long session: a million traces of 100 ASCII characters.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "store/TraceStore.h"

namespace orsk {
namespace {

constexpr std::int64_t kTraces = 1'000'000;
constexpr std::size_t kTextUnits = 100;

void FillStore(TraceStore& store) {
    // The last character changes so that the texts are not all alike.
    std::u16string text(kTextUnits, u'.');
    for (std::int64_t i = 0; i < kTraces; ++i) {
        text[kTextUnits - 1] = static_cast<char16_t>(u'a' + i % 26);
        store.Append(TraceDate{i}, static_cast<std::int32_t>(i % 5), text);
    }
}

void BM_StoreAppend(benchmark::State& state) {
    std::size_t allocated = 0;
    std::size_t count = 0;
    for (auto _ : state) {
        TraceStore store;
        store.CreateTable();
        store.Open();
        FillStore(store);
        allocated = store.AllocatedBytes();
        count = store.Count();
        state.PauseTiming();  // freeing the store is not part of appending
        store.Close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kTraces);
    const double textBytes = static_cast<double>(count * kTextUnits);
    state.counters["bytes_per_entry"] = static_cast<double>(allocated) / static_cast<double>(count);
    state.counters["overhead_per_entry"] =
        (static_cast<double>(allocated) - textBytes) / static_cast<double>(count);
}
BENCHMARK(BM_StoreAppend)->Unit(benchmark::kMillisecond);

// A view rebuild reads every field of every trace through the cursor.
void BM_StoreIterate(benchmark::State& state) {
    TraceStore store;
    store.CreateTable();
    store.Open();
    FillStore(store);
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (store.First(); !store.Eof(); store.Next()) {
            const std::u16string memo = store.TraceMemo();
            sum += store.TraceDateValue().msSinceEpoch + store.TraceLevel() + memo.back();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kTraces);
}
BENCHMARK(BM_StoreIterate)->Unit(benchmark::kMillisecond);

// The same reading through the visitor, which decodes into one reused buffer.
void BM_StoreForEach(benchmark::State& state) {
    TraceStore store;
    store.CreateTable();
    store.Open();
    FillStore(store);
    for (auto _ : state) {
        std::int64_t sum = 0;
        store.ForEach([&](TraceDate date, std::int32_t level, std::u16string_view memo) {
            sum += date.msSinceEpoch + level + memo.back();
        });
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kTraces);
}
BENCHMARK(BM_StoreForEach)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orsk
