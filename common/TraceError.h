#pragma once
// The one exception type of the trace window's own code. It carries the text that the
// standard error box shows ("Range check error", "Stream write error", ...). Handlers
// throw it; the one dispatch point of the window catches it and shows the box.

#include <stdexcept>
#include <string>
#include <string_view>

namespace orsk {

class TraceError : public std::runtime_error {
public:
    // `message` is UTF-8; what() gives it back unchanged.
    explicit TraceError(const std::string& message) : std::runtime_error(message) {}
    explicit TraceError(const char* message) : std::runtime_error(message) {}
};

// The texts of the errors the core raises, kept in one place.
inline constexpr std::string_view kRangeCheckError = "Range check error";
inline constexpr std::string_view kOutOfMemory = "Out of memory";

}  // namespace orsk
