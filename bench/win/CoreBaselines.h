#pragma once
// The baselines of the view rows, measured in this process on the same machine in the same
// run: the window's own platform-free core (store, view, text model, search) doing the same
// rebuild and the same search without a window, and a plain pass over the view's text, the
// floor any search of it stands on.

#include <cstdint>
#include <string>

namespace bench {

struct CoreBaselines {
    double rebuildMs = 0;     // median rebuild of the view into the text model
    double scanMs = 0;        // median search step (the scan) over that text model
    double plainPassMs = 0;   // median memchr-class pass over the same UTF-16 text
    std::uint64_t units = 0;  // the view's length
    bool found = false;       // the scan found `mark`
};

// A store of the traces Text100(`tag`, 1..`stored`) at level 1, its view rebuilt `repeats`
// times (after one untimed rebuild), then `repeats` searches for `mark` from the start, then
// `repeats` plain passes.
CoreBaselines MeasureCoreBaselines(const char* tag, std::uint64_t stored, const std::wstring& mark,
                                   int repeats);

}  // namespace bench
