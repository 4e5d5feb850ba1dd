#include "intake/TraceDecoder.h"

#include <new>
#include <stdexcept>
#include <string_view>

#include "common/TraceError.h"
#include "common/Utf8.h"

namespace orsk {

namespace detail {

std::u16string AllocateTraceText(std::size_t units) {
    try {
        return std::u16string(units, u'\0');
    } catch (const std::bad_alloc&) {
        throw TraceError(std::string(kOutOfMemory));
    } catch (const std::length_error&) {
        throw TraceError(std::string(kOutOfMemory));
    }
}

}  // namespace detail

DecodedTrace DecodeTraceMessage(std::uintptr_t dwData, std::uint32_t cbData, const void* lpData) {
    // The level is checked before lpData is looked at: a refused trace reads none of its bytes.
    if (dwData > kMaxTraceLevel) {
        throw TraceError(std::string(kRangeCheckError));
    }
    DecodedTrace trace;
    trace.level = static_cast<std::int32_t>(dwData);
    if (cbData == 0 || lpData == nullptr) {
        return trace;
    }

    // cbData stays unsigned all the way into the size_t of the view: a count of 2 GiB or more
    // is a long text, not a negative one.
    std::string_view bytes(static_cast<const char*>(lpData), cbData);

    // Senders often include the C terminator. The last unit is U+0000 exactly when the last
    // byte is 00 (a 00 byte always decodes to itself and ends any open sequence), so dropping
    // that byte before decoding drops exactly one U+0000 without allocating room for it.
    if (bytes.back() == '\0') {
        bytes.remove_suffix(1);
    }

    trace.text = detail::AllocateTraceText(Utf16LengthOfUtf8(bytes));
    Utf8ToUtf16Into(bytes, trace.text.data());
    return trace;
}

}  // namespace orsk
