#pragma once
// The user's side of a full view: a rebuild after a filter pick, and one search step, each
// timed until the window has painted the result and answers again.

#include <windows.h>

#include <string>

namespace bench {

// Picks item `index` of the filter box as a list pick does (selection, then CBN_SELCHANGE to
// the box's parent, whose handler rebuilds the view) and returns the milliseconds until the
// window has painted and answers again.
double TimeFilterPick(HWND window, HWND filterBox, int index);

struct SearchStep {
    double ms = 0;       // from the click until the window has painted and answers again
    bool found = false;  // no "not found" box, and the button offers "Next"
};

// Puts `text` into the search box (a new search from the start of the view) and clicks the
// Search button. A "not found" box is closed at once and reported as not found.
SearchStep TimeSearchStep(HWND window, DWORD processId, HWND searchBox, HWND searchButton,
                          const std::wstring& text);

}  // namespace bench
