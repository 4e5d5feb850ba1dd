// Rebuilding the view from a large store, and one search step across a large view.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "tests/support/EditorTextArea.h"
#include "tests/support/MemoryTextArea.h"
#include "window/view/TraceSearch.h"
#include "window/view/TraceView.h"

namespace orsk {
namespace {

TraceDate Start() {
    return MakeTraceDate({2026, 12, 9, 10, 31, 50, 0});
}

// A 100-unit trace text that varies from trace to trace, in the style of a program's log lines.
std::u16string TraceText(std::int64_t i) {
    std::u16string text = u"Worker " + std::u16string(1, char16_t(u'A' + i % 26)) +
                          u" handled request " + std::u16string(1, char16_t(u'0' + i % 10)) +
                          u" of the queue; state ok, elapsed time within limits, retry none";
    text.resize(100, u'.');
    return text;
}

// One store per size, filled once: the benchmarks time the view, not the store. Traces arrive
// ten per millisecond, so the rebuild meets a new second every 10,000 traces.
TraceStore& FilledStore(std::int64_t count) {
    static std::map<std::int64_t, std::unique_ptr<TraceStore>> stores;
    std::unique_ptr<TraceStore>& store = stores[count];
    if (!store) {
        store = std::make_unique<TraceStore>();
        store->CreateTable();
        store->Open();
        for (std::int64_t i = 0; i < count; ++i) {
            store->Append({Start().msSinceEpoch + i / 10}, static_cast<std::int32_t>(i % 5),
                          TraceText(i));
        }
    }
    return *store;
}

TraceView MakeView(MemoryTextArea& area, TraceStore& store) {
    TraceView view(
        area, store, [] { return Start(); }, [] { return std::u16string(u"0"); });
    view.SetRegionalFormats(RegionalFormats::EnglishUnitedStates());
    return view;
}

TraceView MakeView(EditorTextArea& area, TraceStore& store) {
    TraceView view(
        area, store, [] { return Start(); }, [] { return std::u16string(u"0"); });
    view.SetRegionalFormats(RegionalFormats::EnglishUnitedStates());
    return view;
}

// The rebuild into the window's own text model: chunked text and the line index.
void BM_ShowTracesIntoTextEditor(benchmark::State& state) {
    TraceStore& store = FilledStore(state.range(0));
    EditorTextArea area;
    TraceView view = MakeView(area, store);
    view.ShowTraces();  // the memory the next rebuilds refill
    for (auto _ : state) {
        view.ShowTraces();
        benchmark::DoNotOptimize(area.Length());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["view_units"] = static_cast<double>(area.Length());
    state.counters["lines"] = static_cast<double>(area.editor.Text().LineCount());
}
BENCHMARK(BM_ShowTracesIntoTextEditor)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Appending one trace's block at the end of a view of a million traces.
void BM_AppendBlockToLargeView(benchmark::State& state) {
    TraceStore& store = FilledStore(1'000'000);
    EditorTextArea area;
    MakeView(area, store).ShowTraces();
    const std::u16string block = u"----\r\n12/9/2026 10:48:30 AM\r\n" + TraceText(7) + u"\r\n\r\n";
    for (auto _ : state) {
        area.Append(block);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendBlockToLargeView);

// The search step across the chunked view of a million traces.
void BM_SearchStepInTextEditor(benchmark::State& state) {
    TraceStore& store = FilledStore(1'000'000);
    EditorTextArea area;
    MakeView(area, store).ShowTraces();
    area.Append(u"----\r\n12/9/2026 10:48:30 AM\r\nthe needle: Zanzibar\r\n\r\n");
    const std::u16string word = u"zanzibar";
    for (auto _ : state) {
        TraceSearch search;
        const auto match = search.Step(static_cast<const TextArea&>(area), word);
        if (!match) {
            state.SkipWithError("the word at the end was not found");
            break;
        }
        benchmark::DoNotOptimize(match);
    }
    state.counters["units/s"] = benchmark::Counter(
        static_cast<double>(area.Length()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SearchStepInTextEditor)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ShowTraces(benchmark::State& state) {
    TraceStore& store = FilledStore(state.range(0));
    MemoryTextArea area;
    TraceView view = MakeView(area, store);
    // The stand-in text area keeps its buffer from one rebuild to the next; one rebuild
    // before timing keeps its first allocation out of the figures.
    view.ShowTraces();
    for (auto _ : state) {
        view.ShowTraces();
        benchmark::DoNotOptimize(area.Length());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["view_units"] = static_cast<double>(area.Length());
}
BENCHMARK(BM_ShowTraces)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The search word is only in the very last trace, so a step scans the whole view.
void BM_SearchStep(benchmark::State& state) {
    constexpr std::int64_t kTraces = 1'000'000;
    TraceStore& store = FilledStore(kTraces);
    MemoryTextArea area;
    MakeView(area, store).ShowTraces();
    std::u16string viewText = area.Text();
    viewText += u"----\r\n12/9/2026 10:48:30 AM\r\nthe needle: Zanzibar\r\n\r\n";
    const std::u16string word = u"zanzibar";
    for (auto _ : state) {
        TraceSearch search;
        const auto match = search.Step(viewText, word);
        if (!match) {
            state.SkipWithError("the word at the end was not found");
            break;
        }
        benchmark::DoNotOptimize(match);
    }
    state.counters["units/s"] = benchmark::Counter(
        static_cast<double>(viewText.size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SearchStep)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace orsk
