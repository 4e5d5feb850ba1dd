#pragma once
// How the parts of the form description parser refuse a text: every problem names its line and
// quotes the words it is about, so that the messages read alike wherever they are raised.

#include <string>
#include <string_view>

#include "window/form/FormDescription.h"

namespace orsk::form_detail {

[[noreturn]] inline void Fail(int line, const std::string& problem) {
    throw FormDescriptionError(line, problem);
}

inline std::string Quote(std::string_view text) {
    return '"' + std::string(text) + '"';
}

}  // namespace orsk::form_detail
