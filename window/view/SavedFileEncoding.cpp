#include "window/view/SavedFileEncoding.h"

#include "common/Utf8.h"
#include "window/view/TextArea.h"

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

void SaveView(const TextArea& view, const NarrowCodePage& ansiCodePage, SavedFile& file) {
    const std::string bytes = EncodeSavedFile(view.ReadAll(), ansiCodePage);
    file.Create();
    file.Write(bytes);
}

}  // namespace orsk
