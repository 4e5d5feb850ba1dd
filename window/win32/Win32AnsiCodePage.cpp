#include "window/win32/Win32AnsiCodePage.h"

#include <windows.h>

#include <climits>

#include "common/TraceError.h"
#include "window/win32/Win32Text.h"

namespace orsk {
namespace {

int CheckedLength(std::size_t length) {
    if (length > static_cast<std::size_t>(INT_MAX)) {
        throw TraceError(std::string(kOutOfMemory));
    }
    return static_cast<int>(length);
}

}  // namespace

std::string Win32AnsiCodePage::Narrow(std::u16string_view text) const {
    if (text.empty()) {
        return {};
    }
    const int units = CheckedLength(text.size());
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, AsWide(text), units, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, AsWide(text), units, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::u16string Win32AnsiCodePage::Widen(std::string_view bytes) const {
    if (bytes.empty()) {
        return {};
    }
    const int count = CheckedLength(bytes.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, text.data(), size);
    return FromWide(text);
}

}  // namespace orsk
