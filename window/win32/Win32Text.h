#pragma once
// Conversions between the core's UTF-16 text (char16_t) and the Win32 API's wchar_t, which is
// the same 16-bit unit on Windows: the units are copied, never re-encoded.

#include <string>
#include <string_view>

namespace orsk {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

inline const wchar_t* AsWide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(AsWide(text), text.size());
}

inline std::u16string FromWide(std::wstring_view text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace orsk
