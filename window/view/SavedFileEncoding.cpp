#include "window/view/SavedFileEncoding.h"

#include "common/Utf8.h"

namespace orsk {

std::string EncodeSavedFile(std::u16string_view viewText, const NarrowCodePage& ansiCodePage) {
    if (viewText.empty()) {
        return {};
    }
    std::string ansi = ansiCodePage.Narrow(viewText);
    if (ansiCodePage.Widen(ansi) == viewText) {
        return ansi;
    }
    std::string utf8(kUtf8ByteOrderMark);
    utf8 += Utf16ToUtf8(viewText);
    return utf8;
}

}  // namespace orsk
