#include "bench/win/FloodViewCheck.h"

#include <cwchar>
#include <vector>

#include "bench/win/BenchSupport.h"
#include "tests/support/TraceWindowDriver.h"

namespace bench {
namespace {

// Parses "flood sender S trace N", followed by " " and the mixed scripts for every tenth N.
bool ParseText(std::wstring_view line, unsigned long& sender, unsigned long long& sequence) {
    const std::wstring text(line);
    int consumed = 0;
    if (std::swscanf(text.c_str(), L"flood sender %lu trace %llu%n", &sender, &sequence,
                     &consumed) != 2) {
        return false;
    }
    static const std::wstring mixed = L" " + e2e::FromUtf8(kMixedScripts);
    return text.substr(static_cast<std::size_t>(consumed)) == (sequence % 10 == 0 ? mixed : L"");
}

}  // namespace

FloodViewCheck CheckFloodView(std::wstring_view view, unsigned senders,
                              std::uint64_t tracesPerSender) {
    FloodViewCheck check;
    std::vector<std::uint64_t> next(senders, 0);
    std::size_t at = 0;
    std::wstring_view block[4];
    int inBlock = 0;
    while (at < view.size()) {
        const std::size_t end = view.find(L"\r\n", at);
        if (end == std::wstring_view::npos) {
            check.problem = "the view does not end with a line break";
            return check;
        }
        block[inBlock++] = view.substr(at, end - at);
        at = end + 2;
        ++check.lines;
        if (inBlock < 4) {
            continue;
        }
        inBlock = 0;
        unsigned long sender = 0;
        unsigned long long sequence = 0;
        if (block[0] != L"----" || block[1].empty() || !block[3].empty() ||
            !ParseText(block[2], sender, sequence) || sender >= senders) {
            check.problem = Format("malformed block ending at line %llu",
                                   static_cast<unsigned long long>(check.lines));
            return check;
        }
        if (sequence != next[sender]) {
            check.problem = Format("sender %lu: trace %llu where %llu was due", sender, sequence,
                                   static_cast<unsigned long long>(next[sender]));
            return check;
        }
        ++next[sender];
    }
    if (inBlock != 0) {
        check.problem = "the view ends inside a block";
        return check;
    }
    for (unsigned s = 0; s < senders; ++s) {
        if (next[s] != tracesPerSender) {
            check.problem = Format("sender %u: %llu of %llu traces", s,
                                   static_cast<unsigned long long>(next[s]),
                                   static_cast<unsigned long long>(tracesPerSender));
            return check;
        }
    }
    check.complete = true;
    return check;
}

}  // namespace bench
