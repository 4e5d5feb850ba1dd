#pragma once
// Decoding of one trace message.
//
// Wire format (WM_COPYDATA, message 0x004A, sent to the window of class "TOrskTraceForm"):
//   wParam   the sender's window handle; ignored
//   lParam   address of a COPYDATASTRUCT, valid only during the call:
//     dwData   the trace level, pointer-sized unsigned; accepted range 0 .. 2,147,483,647.
//              A larger value (top bit of the low 32 bits set, or any higher bit on a 64-bit
//              receiver) is refused with "Range check error" before anything is decoded.
//     cbData   number of bytes at lpData, 32-bit unsigned; 0 is allowed. The whole count is
//              decoded (2 GiB or more too); when memory does not allow it the trace is refused
//              with an out-of-memory error.
//     lpData   the text as UTF-8, no terminator required. No header, magic or length prefix.
//   reply    1 when the trace was accepted, 0 when it was refused or its handling failed.
//
// The text becomes UTF-16. Each malformed UTF-8 sequence becomes one U+FFFD per maximal
// subpart (the Unicode-recommended practice, which Windows' own decoder follows). Exactly one
// trailing U+0000 (a NUL byte at the end) is dropped; any other U+0000 stays. A leading BOM is
// kept as U+FEFF. A byte count of 0, or any count with a null pointer, gives the empty text.

#include <cstddef>
#include <cstdint>
#include <string>

namespace orsk {

inline constexpr std::uint32_t kMaxTraceLevel = 2'147'483'647;

struct DecodedTrace {
    std::int32_t level = 0;
    std::u16string text;
};

// Throws TraceError("Range check error") for a level above kMaxTraceLevel, and
// TraceError("Out of memory") when the text does not fit in memory.
DecodedTrace DecodeTraceMessage(std::uintptr_t dwData, std::uint32_t cbData, const void* lpData);

namespace detail {

// A text of `units` U+0000 units for the decoder to fill. std::bad_alloc and std::length_error
// become TraceError("Out of memory"). Kept apart from the decoder so that the failure can be
// exercised with a size no machine can allocate.
std::u16string AllocateTraceText(std::size_t units);

}  // namespace detail

}  // namespace orsk
