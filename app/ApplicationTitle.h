#pragma once
// The application title, the caption of every error box: the program file's name after the last
// path separator, cut at its first ".", with every character after the first one lower-cased.

#include <functional>
#include <string>
#include <string_view>

namespace orsk {

// `lowerCase` is the platform's locale-aware lower-casing of a whole text.
std::u16string ApplicationTitleFromPath(
    std::u16string_view modulePath,
    const std::function<std::u16string(std::u16string_view)>& lowerCase);

}  // namespace orsk
