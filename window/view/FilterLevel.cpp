#include "window/view/FilterLevel.h"

#include <cstddef>
#include <optional>

namespace orsk {
namespace {

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

// The sign is applied to the 32-bit pattern with wrap-around, so "-$80000000" is INT32_MIN
// and "-$FFFFFFFF" is 1, as a 32-bit negation gives them.
std::int32_t ApplySign(std::uint32_t pattern, bool negative) {
    return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
}

// At most eight significant digits; leading zeros are not counted, so "$000000001" fits.
std::optional<std::int32_t> ParseHex(std::u16string_view digits, bool negative) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    int significant = 0;
    for (const char16_t c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        if (significant == 0 && digit == 0) {
            continue;
        }
        if (++significant > 8) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return ApplySign(value, negative);
}

std::optional<std::int32_t> ParseDecimal(std::u16string_view digits, bool negative) {
    if (digits.empty()) {
        return std::nullopt;
    }
    // The magnitude may reach 2^31 for "-2147483648"; anything beyond is out of range whatever
    // the sign, and stopping there keeps the sum from overflowing on long inputs.
    constexpr std::uint64_t kNegativeLimit = 2147483648u;
    std::uint64_t magnitude = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - u'0');
        if (magnitude > kNegativeLimit) {
            return std::nullopt;
        }
    }
    if (!negative && magnitude == kNegativeLimit) {
        return std::nullopt;
    }
    return ApplySign(static_cast<std::uint32_t>(magnitude), negative);
}

bool IsHexMarker(char16_t c) {
    return c == u'x' || c == u'X';
}

}  // namespace

std::int32_t ParseFilterLevel(std::u16string_view text) {
    std::size_t pos = 0;
    // Only spaces: a tab or any other blank makes the text invalid.
    while (pos < text.size() && text[pos] == u' ') {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    const std::u16string_view body = text.substr(pos);
    std::size_t prefix = 0;
    if (!body.empty() && (body[0] == u'$' || IsHexMarker(body[0]))) {
        prefix = 1;
    } else if (body.size() >= 2 && body[0] == u'0' && IsHexMarker(body[1])) {
        prefix = 2;
    }
    // "0x" alone is a hex prefix without digits, so it is invalid, not a decimal 0 followed
    // by junk; a "0" followed by decimal digits is a plain decimal number.
    const std::optional<std::int32_t> value =
        prefix != 0 ? ParseHex(body.substr(prefix), negative) : ParseDecimal(body, negative);
    return value.value_or(0);
}

}  // namespace orsk
