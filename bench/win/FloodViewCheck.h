#pragma once
// Checks a view after a flood: every trace of every sender present, as its four-line block, and
// each sender's traces in the order it sent them.

#include <cstdint>
#include <string>
#include <string_view>

namespace bench {

struct FloodViewCheck {
    std::uint64_t lines = 0;  // CR LF terminated lines
    bool complete = false;    // every block well formed, every sender's traces 0..count-1 in order
    std::string problem;      // the first thing wrong, when not complete
};

// `view` holds blocks "----", a date-time line, "flood sender S trace N", "" (each line ended by
// CR LF), from senders 0..senders-1 with N = 0..tracesPerSender-1 each.
FloodViewCheck CheckFloodView(std::wstring_view view, unsigned senders,
                              std::uint64_t tracesPerSender);

}  // namespace bench
