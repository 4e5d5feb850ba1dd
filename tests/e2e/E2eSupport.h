#pragma once
// Helpers shared by the end-to-end tests: reading the view as blocks and its date lines, and
// the clipboard.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TraceWindowDriver.h"

namespace e2e {

// The view with every date-time line (the line after each "----") replaced by "<dt>", so that
// tests can compare whole views without knowing the clock.
std::string WithoutDates(const std::string& view);

// The date-time lines of the view, in order.
std::vector<std::string> DateLines(const std::string& view);

// The view of a running trace window, as UTF-8.
std::string View(const TraceWindowProcess& process);

// A block as the view shows it, with the date line masked.
std::string Block(const std::string& text);

// The clipboard's text (empty when it holds none or is busy), and putting text on it.
std::wstring ClipboardText();
bool SetClipboardText(const std::wstring& text);

}  // namespace e2e
