#include "store/Wtf8.h"

#include <cstdint>
#include <cstring>

#include "common/Utf16.h"

namespace orsk {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Eight units whose high bits are all clear are ASCII; the mask is the same in every 16-bit
// lane, so the test does not depend on byte order.
bool EightUnitsAreAscii(const char16_t* units) {
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, units, sizeof a);
    std::memcpy(&b, units + 4, sizeof b);
    return ((a | b) & 0xFF80FF80FF80FF80ULL) == 0;
}

bool EightBytesAreAscii(const char* bytes) {
    std::uint64_t a;
    std::memcpy(&a, bytes, sizeof a);
    return (a & 0x8080808080808080ULL) == 0;
}

}  // namespace

char* EncodeWtf8(std::u16string_view text, char* out) {
    const char16_t* in = text.data();
    const char16_t* const end = in + text.size();
    while (in != end) {
        while (end - in >= 8 && EightUnitsAreAscii(in)) {
            for (int i = 0; i < 8; ++i) {
                out[i] = static_cast<char>(in[i]);
            }
            in += 8;
            out += 8;
        }
        if (in == end) {
            break;
        }
        const char32_t unit = *in++;
        if (unit < 0x80) {
            *out++ = static_cast<char>(unit);
        } else if (unit < 0x800) {
            *out++ = static_cast<char>(0xC0 | (unit >> 6));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
        } else if (IsHighSurrogate(static_cast<char16_t>(unit)) && in != end &&
                   IsLowSurrogate(*in)) {
            const char32_t cp = 0x10000 + ((unit - 0xD800) << 10) + (*in++ - 0xDC00);
            *out++ = static_cast<char>(0xF0 | (cp >> 18));
            *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            // Everything else, unpaired surrogates included, takes the three-byte form.
            *out++ = static_cast<char>(0xE0 | (unit >> 12));
            *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

char16_t* DecodeWtf8(std::string_view bytes, char16_t* out) {
    const char* in = bytes.data();
    const char* const end = in + bytes.size();
    while (in != end) {
        while (end - in >= 8 && EightBytesAreAscii(in)) {
            for (int i = 0; i < 8; ++i) {
                out[i] = static_cast<char16_t>(in[i]);
            }
            in += 8;
            out += 8;
        }
        if (in == end) {
            break;
        }
        const auto lead = static_cast<unsigned char>(*in);
        const std::size_t length = Wtf8SequenceLength(*in);
        const auto available = static_cast<std::size_t>(end - in);
        bool wellFormed = length <= available && (length == 1 ? lead < 0x80 : true);
        for (std::size_t i = 1; wellFormed && i < length; ++i) {
            wellFormed = IsContinuation(static_cast<unsigned char>(in[i]));
        }
        if (!wellFormed) {
            // Resynchronize on the next byte; a malformed lead never swallows what follows.
            *out++ = kReplacement;
            ++in;
            continue;
        }
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            cp = (cp << 6) | (static_cast<unsigned char>(in[i]) & 0x3F);
        }
        in += length;
        if (length < 4) {
            *out++ = static_cast<char16_t>(cp);
        } else if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *out++ = kReplacement;
        }
    }
    return out;
}

std::size_t Wtf8SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    if (byte >= 0xC0 && byte < 0xE0) {
        return 2;
    }
    if (byte >= 0xE0 && byte < 0xF0) {
        return 3;
    }
    if (byte >= 0xF0 && byte < 0xF8) {
        return 4;
    }
    return 1;
}

std::size_t Wtf8CompletePrefix(std::string_view bytes) {
    // The last sequence starts at most three bytes before the end.
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
        const std::size_t start = size - back;
        if (!IsContinuation(static_cast<unsigned char>(bytes[start]))) {
            return Wtf8SequenceLength(bytes[start]) > back ? start : size;
        }
    }
    return size;
}

std::string ToWtf8(std::u16string_view text) {
    std::string bytes(kWtf8MaxBytesPerUnit * text.size(), '\0');
    bytes.resize(static_cast<std::size_t>(EncodeWtf8(text, bytes.data()) - bytes.data()));
    return bytes;
}

std::u16string FromWtf8(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    text.resize(static_cast<std::size_t>(DecodeWtf8(bytes, text.data()) - text.data()));
    return text;
}

}  // namespace orsk
