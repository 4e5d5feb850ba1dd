#include "bench/win/CoreBaselines.h"

#include <string_view>
#include <vector>

#include "bench/win/BenchSupport.h"
#include "common/Utf8.h"
#include "store/TraceStore.h"
#include "tests/support/EditorTextArea.h"
#include "window/view/TraceSearch.h"
#include "window/view/TraceView.h"

namespace bench {
namespace {

std::size_t FindUnit(std::u16string_view text, char16_t unit) {
    constexpr std::size_t kStep = 64;
    const char16_t* const units = text.data();
    std::size_t i = 0;
    for (; text.size() - i >= kStep; i += kStep) {
        unsigned any = 0;
        for (std::size_t j = 0; j < kStep; ++j) {
            any |= static_cast<unsigned>(units[i + j] == unit);
        }
        if (any != 0) {
            break;
        }
    }
    for (; i < text.size(); ++i) {
        if (units[i] == unit) {
            return i;
        }
    }
    return text.size();
}

}  // namespace

CoreBaselines MeasureCoreBaselines(const char* tag, std::uint64_t stored, const std::wstring& mark,
                                   int repeats) {
    const orsk::TraceDate start = orsk::MakeTraceDate({2026, 12, 10, 9, 0, 0, 0});
    orsk::TraceStore store;
    store.CreateTable();
    store.Open();
    for (std::uint64_t i = 1; i <= stored; ++i) {
        store.Append({start.msSinceEpoch + static_cast<std::int64_t>(i / 10)}, 1,
                     orsk::Utf8ToUtf16(Text100(tag, i)));
    }
    orsk::EditorTextArea area;
    orsk::TraceView view(
        area, store, [&] { return start; }, [] { return std::u16string(u"0"); });
    view.SetRegionalFormats(orsk::RegionalFormats::EnglishUnitedStates());

    CoreBaselines baselines;
    view.ShowTraces();  // the memory the timed rebuilds refill, as in the window
    std::vector<double> rebuilds;
    for (int i = 0; i < repeats; ++i) {
        const double t0 = NowMs();
        view.ShowTraces();
        rebuilds.push_back(NowMs() - t0);
    }
    baselines.rebuildMs = Median(rebuilds);
    baselines.units = area.Length();

    const std::u16string needle(mark.begin(), mark.end());
    std::vector<double> scans;
    baselines.found = true;
    for (int i = 0; i < repeats; ++i) {
        orsk::TraceSearch search;
        const double t0 = NowMs();
        const auto match = search.Step(static_cast<const orsk::TextArea&>(area), needle);
        scans.push_back(NowMs() - t0);
        baselines.found = baselines.found && match.has_value();
    }
    baselines.scanMs = Median(scans);

    // The floor: a memchr-class pass over the same bytes, in the form the compiler turns into
    // vector compares (64 units a step, no early exit inside a step), for a unit that is not there.
    const std::u16string text = area.ReadAll();
    std::vector<double> passes;
    for (int i = 0; i < repeats; ++i) {
        const double t0 = NowMs();
        const std::size_t at = FindUnit(text, u'\xFFFF');
        passes.push_back(NowMs() - t0);
        baselines.found = baselines.found && at == text.size();  // the view has no U+FFFF
    }
    baselines.plainPassMs = Median(passes);
    return baselines;
}

}  // namespace bench
