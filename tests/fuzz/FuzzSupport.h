#pragma once
// Shared by the fuzz targets: a property check that ends the run with a readable report (the
// fuzzer then keeps the input), and plain, table-free UTF helpers that the targets hold the
// project's own conversions against. They are written for clarity, not speed, and do not share
// a line with common/Utf8.cpp, so a fault there cannot hide behind the same fault here.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace orsk::fuzz {

[[noreturn]] inline void PropertyFailed(const char* file, int line, const char* property) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, property);
    std::abort();
}

#define ORSK_FUZZ_CHECK(property)                                        \
    do {                                                                 \
        if (!(property)) {                                               \
            ::orsk::fuzz::PropertyFailed(__FILE__, __LINE__, #property); \
        }                                                                \
    } while (false)

inline constexpr char16_t kReplacement = 0xFFFD;

inline bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The text with every surrogate that is not part of a high-low pair replaced by U+FFFD; an
// unchanged result means the text is valid UTF-16.
inline std::u16string WithUnpairedSurrogatesReplaced(std::u16string_view text) {
    std::u16string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (IsHighSurrogate(out[i]) && i + 1 < out.size() && IsLowSurrogate(out[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(out[i]) || IsLowSurrogate(out[i])) {
            out[i] = kReplacement;
        }
    }
    return out;
}

inline bool IsValidUtf16(std::u16string_view text) {
    return WithUnpairedSurrogatesReplaced(text) == text;
}

struct ReferenceDecoding {
    std::u16string text;
    bool wellFormed = true;
};

// UTF-8 to UTF-16 after the Unicode Standard's table of well-formed byte sequences: each lead
// byte allows a narrower range for its first continuation byte (no overlongs, no surrogates,
// nothing above U+10FFFF). A sequence that breaks off is one U+FFFD for the bytes read so far
// (its maximal subpart), and decoding resumes at the byte that broke it.
inline ReferenceDecoding DecodeUtf8ForReference(std::string_view bytes) {
    ReferenceDecoding result;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        ++i;
        if (lead < 0x80) {
            result.text.push_back(static_cast<char16_t>(lead));
            continue;
        }
        int continuations = 0;
        unsigned firstLow = 0x80;
        unsigned firstHigh = 0xBF;
        std::uint32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            continuations = 1;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuations = 2;
            code = lead & 0x0Fu;
            firstLow = lead == 0xE0 ? 0xA0 : 0x80;
            firstHigh = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuations = 3;
            code = lead & 0x07u;
            firstLow = lead == 0xF0 ? 0x90 : 0x80;
            firstHigh = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            result.text.push_back(kReplacement);
            result.wellFormed = false;
            continue;
        }
        bool complete = true;
        for (int k = 0; k < continuations; ++k) {
            const unsigned low = k == 0 ? firstLow : 0x80;
            const unsigned high = k == 0 ? firstHigh : 0xBF;
            if (i >= bytes.size()) {
                complete = false;
                break;
            }
            const auto next = static_cast<unsigned char>(bytes[i]);
            if (next < low || next > high) {
                complete = false;
                break;
            }
            code = code << 6 | (next & 0x3Fu);
            ++i;
        }
        if (!complete) {
            result.text.push_back(kReplacement);
            result.wellFormed = false;
        } else if (code >= 0x10000) {
            code -= 0x10000;
            result.text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            result.text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            result.text.push_back(static_cast<char16_t>(code));
        }
    }
    return result;
}

// One UTF-16 unit per input byte pair (little-endian; an odd last byte stands alone), so that
// any unit, unpaired surrogates included, can come out of the fuzzer's bytes.
inline std::u16string UnitsOfBytes(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto low = static_cast<unsigned char>(bytes[i]);
        const auto high = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0u;
        units.push_back(static_cast<char16_t>(low | high << 8));
    }
    return units;
}

}  // namespace orsk::fuzz
