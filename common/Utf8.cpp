#include "common/Utf8.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace orsk {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// What a byte can start. `trail` is the number of continuation bytes that follow a lead byte
// (0 for bytes that never start a multi-byte sequence: continuations, C0, C1, F5-FF). Only the
// first continuation has a narrower range than 80-BF; that range is what rules out overlongs
// (E0, F0), surrogates (ED) and code points above U+10FFFF (F4).
struct LeadByte {
    std::uint8_t trail;
    std::uint8_t low;
    std::uint8_t high;
};

// The well-formed sequences by lead byte; every other byte is 0 in kLeadBytes.
struct LeadRange {
    unsigned first;
    unsigned last;
    LeadByte lead;
};

constexpr LeadRange kLeadRanges[] = {
    {0xC2, 0xDF, {1, 0x80, 0xBF}}, {0xE0, 0xE0, {2, 0xA0, 0xBF}}, {0xE1, 0xEC, {2, 0x80, 0xBF}},
    {0xED, 0xED, {2, 0x80, 0x9F}}, {0xEE, 0xEF, {2, 0x80, 0xBF}}, {0xF0, 0xF0, {3, 0x90, 0xBF}},
    {0xF1, 0xF3, {3, 0x80, 0xBF}}, {0xF4, 0xF4, {3, 0x80, 0x8F}},
};

constexpr std::array<LeadByte, 256> kLeadBytes = [] {
    std::array<LeadByte, 256> table{};
    for (const LeadRange& range : kLeadRanges) {
        for (unsigned b = range.first; b <= range.last; ++b) {
            table[b] = range.lead;
        }
    }
    return table;
}();

constexpr std::uint64_t kHighBitOfEachByte = 0x8080'8080'8080'8080;

// The one decoding loop, shared by counting (kWrite false: `out` is not touched) and filling,
// so that the count always matches what the fill produces. Returns the number of units.
//
// A malformed sequence ends at the first byte that cannot continue it; that maximal subpart
// becomes one U+FFFD and decoding resumes at the byte that broke it, which may itself start a
// new sequence.
template <bool kWrite>
std::size_t DecodeUtf8(std::string_view bytes, char16_t* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    std::size_t units = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            // Trace texts are mostly ASCII: take eight bytes per step while none has its top bit.
            while (n - i >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p + i, 8);
                if ((word & kHighBitOfEachByte) != 0) {
                    break;
                }
                if constexpr (kWrite) {
                    for (std::size_t k = 0; k < 8; ++k) {
                        out[units + k] = p[i + k];
                    }
                }
                units += 8;
                i += 8;
            }
            while (i < n && p[i] < 0x80) {
                if constexpr (kWrite) {
                    out[units] = p[i];
                }
                ++units;
                ++i;
            }
            continue;
        }

        const LeadByte lead = kLeadBytes[p[i]];
        std::size_t j = i + 1;
        char32_t code = 0;
        bool complete = false;
        if (lead.trail != 0 && j < n && p[j] >= lead.low && p[j] <= lead.high) {
            code = (p[i] & (0x3Fu >> lead.trail)) << 6 | (p[j] & 0x3Fu);
            ++j;
            const std::size_t end = i + 1 + lead.trail;
            while (j < end && j < n && (p[j] & 0xC0u) == 0x80u) {
                code = code << 6 | (p[j] & 0x3Fu);
                ++j;
            }
            complete = j == end;
        }
        i = j;

        if (!complete) {
            if constexpr (kWrite) {
                out[units] = kReplacement;
            }
            ++units;
        } else if (code >= 0x10000) {
            if constexpr (kWrite) {
                code -= 0x10000;
                out[units] = static_cast<char16_t>(0xD800 + (code >> 10));
                out[units + 1] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
            }
            units += 2;
        } else {
            if constexpr (kWrite) {
                out[units] = static_cast<char16_t>(code);
            }
            ++units;
        }
    }
    return units;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::size_t Utf16LengthOfUtf8(std::string_view bytes) {
    return DecodeUtf8<false>(bytes, nullptr);
}

std::size_t Utf8ToUtf16Into(std::string_view bytes, char16_t* out) {
    return DecodeUtf8<true>(bytes, out);
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string text(Utf16LengthOfUtf8(bytes), u'\0');
    Utf8ToUtf16Into(bytes, text.data());
    return text;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0xD800 || unit > 0xDFFF) {
            AppendUtf8(bytes, unit);
        } else if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            AppendUtf8(bytes, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(bytes, kReplacement);
        }
    }
    return bytes;
}

}  // namespace orsk
