#pragma once
// The text of the standard error box: the failure's message, with "." appended when the message
// is not empty and its last character comes after "." in code order (so "Range check error"
// becomes "Range check error." while "Done!" or "Path\" stay as they are).

#include <string>
#include <string_view>

namespace orsk {

std::u16string ErrorBoxText(std::u16string_view message);

}  // namespace orsk
