#pragma once
// Lossless conversion between UTF-16 code units and bytes, for the trace store.
//
// Traces arrive as UTF-16 that nobody validated: it may hold unpaired surrogates. Plain UTF-8
// cannot carry those, so the store uses the generalized form (WTF-8): a valid surrogate pair is
// encoded as the four-byte sequence of its code point, and every other unit (unpaired surrogates
// included) as the one-, two- or three-byte sequence of its value. Decoding gives back the exact
// units, so any u16string survives the round trip. ASCII, the bulk of most traces, takes a fast
// path eight units at a time.

#include <cstddef>
#include <string>
#include <string_view>

namespace orsk {

// Longest encoding of one UTF-16 unit: a lone unit takes at most three bytes, and a pair takes
// four bytes for two units.
inline constexpr std::size_t kWtf8MaxBytesPerUnit = 3;

// Encodes `text` to `out`, which needs room for kWtf8MaxBytesPerUnit * text.size() bytes.
// Returns the end of the bytes written.
char* EncodeWtf8(std::u16string_view text, char* out);

// Decodes `bytes` to `out`, which needs room for bytes.size() units (no byte sequence gives
// more units than it has bytes). Returns the end of the units written. Bytes that EncodeWtf8
// did not produce never make it read past the input: a lead byte without its continuation
// bytes, a stray continuation byte or an out-of-range code point each give U+FFFD.
char16_t* DecodeWtf8(std::string_view bytes, char16_t* out);

// Number of bytes of the sequence that `lead` starts (1 for a byte that cannot start one).
std::size_t Wtf8SequenceLength(char lead);

// Length of the longest prefix of `bytes` that does not end inside a sequence: where a piece of
// a longer encoding may be cut so that each piece decodes on its own.
std::size_t Wtf8CompletePrefix(std::string_view bytes);

// Convenience forms that own their result.
std::string ToWtf8(std::u16string_view text);
std::u16string FromWtf8(std::string_view bytes);

}  // namespace orsk
