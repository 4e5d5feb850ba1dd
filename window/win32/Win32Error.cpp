#include "window/win32/Win32Error.h"

#include "common/TraceError.h"
#include "common/Utf8.h"

namespace orsk {

std::u16string SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text;
    if (length != 0 && buffer != nullptr) {
        text.assign(reinterpret_cast<const char16_t*>(buffer), length);
    }
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() <= u' ' || text.back() == u'.')) {
        text.pop_back();
    }
    return text;
}

void ThrowWin32Error(const char* call, DWORD code) {
    std::string message = call;
    message += " failed: ";
    message += Utf16ToUtf8(SystemErrorText(code));
    throw TraceError(message);
}

}  // namespace orsk
