#include "app/ErrorText.h"

namespace orsk {

std::u16string ErrorBoxText(std::u16string_view message) {
    std::u16string text(message);
    if (!text.empty() && text.back() > u'.') {
        text += u'.';
    }
    return text;
}

}  // namespace orsk
