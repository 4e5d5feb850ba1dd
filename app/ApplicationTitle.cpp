#include "app/ApplicationTitle.h"

namespace orsk {

std::u16string ApplicationTitleFromPath(
    std::u16string_view modulePath,
    const std::function<std::u16string(std::u16string_view)>& lowerCase) {
    std::u16string_view name = modulePath;
    const std::size_t separator = name.find_last_of(u"\\/:");
    if (separator != std::u16string_view::npos) {
        name.remove_prefix(separator + 1);
    }
    name = name.substr(0, name.find(u'.'));
    if (name.empty()) {
        return {};
    }
    std::u16string title(name.substr(0, 1));
    title += lowerCase(name.substr(1));
    return title;
}

}  // namespace orsk
