#pragma once
// UTF-8 to UTF-16 conversion with U+FFFD for each maximal subpart of a malformed sequence.

#include <cstddef>
#include <string>
#include <string_view>

namespace orsk {

// Number of UTF-16 units that Utf8ToUtf16 makes of `bytes`. Allocates nothing, so a caller can
// size its buffer exactly before decoding. Never more than bytes.size().
std::size_t Utf16LengthOfUtf8(std::string_view bytes);

// Decodes `bytes` to `out`, which needs room for Utf16LengthOfUtf8(bytes) units; returns the
// number of units written.
std::size_t Utf8ToUtf16Into(std::string_view bytes, char16_t* out);

// Decodes `bytes`; never fails on malformed input (each maximal subpart becomes U+FFFD).
std::u16string Utf8ToUtf16(std::string_view bytes);

// Encodes UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace orsk
