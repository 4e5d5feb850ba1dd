#pragma once
// Scans of UTF-16 text eight units at a time (SSE2 on x86), for the passes that every appended
// unit goes through: finding the line feeds and the runs of printable ASCII between them. A
// rebuild of a million traces runs these over a hundred million units.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace orsk::unit_runs {

using Units8 = std::uint16_t __attribute__((vector_size(16)));

static_assert(std::endian::native == std::endian::little, "lanes are read as little-endian words");

inline Units8 Splat(std::uint16_t unit) {
    return Units8{unit, unit, unit, unit, unit, unit, unit, unit};
}

inline Units8 Load(const char16_t* at) {
    Units8 units;
    std::memcpy(&units, at, sizeof units);
    return units;
}

// The first lane whose mask is set, or 8 if none is.
inline std::size_t FirstSetLane(const Units8& mask) {
    std::uint64_t words[2];
    std::memcpy(words, &mask, sizeof words);
    if (words[0] != 0) {
        return static_cast<std::size_t>(std::countr_zero(words[0])) / 16;
    }
    if (words[1] != 0) {
        return 4 + static_cast<std::size_t>(std::countr_zero(words[1])) / 16;
    }
    return 8;
}

// The position of the first `unit` at or after `from`, or text.size().
inline std::size_t FindUnit(std::u16string_view text, std::size_t from, char16_t unit) {
    const Units8 wanted = Splat(unit);
    std::size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        const auto equal = static_cast<Units8>(Load(text.data() + i) == wanted);
        if (const std::size_t lane = FirstSetLane(equal); lane < 8) {
            return i + lane;
        }
    }
    for (; i < text.size(); ++i) {
        if (text[i] == unit) {
            return i;
        }
    }
    return text.size();
}

inline bool IsPrintableAscii(char16_t unit) {
    return unit >= 0x20 && unit < 0x7F;
}

// The end of the run of printable ASCII (U+0020 to U+007E) that starts at `from`.
inline std::size_t PrintableAsciiRunEnd(std::u16string_view text, std::size_t from) {
    const Units8 space = Splat(0x20);
    const Units8 count = Splat(0x7F - 0x20);
    std::size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        // Units below the space wrap round to large values: one unsigned compare tests both ends.
        const auto other = static_cast<Units8>((Load(text.data() + i) - space) >= count);
        if (const std::size_t lane = FirstSetLane(other); lane < 8) {
            return i + lane;
        }
    }
    while (i < text.size() && IsPrintableAscii(text[i])) {
        ++i;
    }
    return i;
}

}  // namespace orsk::unit_runs
