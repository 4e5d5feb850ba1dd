// Fuzzes the decoding of one trace message and the store that keeps its text.
//
// Input: 8 bytes from which the level (dwData) is made, then the message bytes (lpData).
// The top byte picks how the level is made, so that accepted and refused levels both come up
// often: below 0x80 a level in range, below 0xC0 a 32-bit value (as a 32-bit sender passes it,
// top bit possibly set), otherwise all 64 bits as they are.
//
// Each input gets a store of its own, so that a failure depends on nothing but its input. That
// store's first chunk allocation is most of the time a run takes; texts running on from one
// chunk into the next are left to the unit tests, which can afford to fill a chunk.

#include <sanitizer/asan_interface.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "common/TraceError.h"
#include "common/Utf8.h"
#include "intake/TraceDecoder.h"
#include "store/TraceStore.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using orsk::fuzz::DecodeUtf8ForReference;

std::uintptr_t LevelOf(std::uint64_t raw) {
    const auto selector = static_cast<unsigned>(raw >> 56);
    if (selector < 0x80) {
        return static_cast<std::uintptr_t>(raw & 0x7FFF'FFFFu);
    }
    if (selector < 0xC0) {
        return static_cast<std::uintptr_t>(raw & 0xFFFF'FFFFu);
    }
    return static_cast<std::uintptr_t>(raw);
}

// The message bytes in a buffer of exactly their size, as a sender's WM_COPYDATA block is: ASan
// then reports any read past cbData. Poisoned, the buffer also proves that a refused trace
// reads none of its bytes.
class MessageBuffer {
public:
    MessageBuffer(std::string_view bytes, bool poisoned)
        : size_(bytes.size()), bytes_(new char[bytes.size()]), poisoned_(poisoned) {
        std::memcpy(bytes_.get(), bytes.data(), bytes.size());
        if (poisoned_) {
            ASAN_POISON_MEMORY_REGION(bytes_.get(), size_);
        }
    }
    ~MessageBuffer() {
        if (poisoned_) {
            ASAN_UNPOISON_MEMORY_REGION(bytes_.get(), size_);
        }
    }
    MessageBuffer(const MessageBuffer&) = delete;
    MessageBuffer& operator=(const MessageBuffer&) = delete;

    const void* Data() const { return bytes_.get(); }

private:
    std::size_t size_;
    std::unique_ptr<char[]> bytes_;
    bool poisoned_;
};

// Every text must read back exactly, by the cursor and by the visitor: the decoded one, the
// raw units of the input (unpaired surrogates and U+0000 included) and the empty text.
void CheckStoreKeeps(orsk::TraceDate date, std::int32_t level, const std::u16string& text,
                     std::string_view bytes) {
    const std::u16string texts[] = {text, orsk::fuzz::UnitsOfBytes(bytes), u""};
    constexpr std::size_t kTexts = std::size(texts);
    orsk::TraceStore store;
    store.CreateTable();
    store.Open();
    for (const std::u16string& memo : texts) {
        store.Append(date, level, memo);
    }
    ORSK_FUZZ_CHECK(store.Count() == kTexts);

    std::size_t index = 0;
    for (store.First(); !store.Eof(); store.Next()) {
        ORSK_FUZZ_CHECK(index < kTexts);
        ORSK_FUZZ_CHECK(store.TraceMemo() == texts[index]);
        ORSK_FUZZ_CHECK(store.TraceLevel() == level);
        ORSK_FUZZ_CHECK(store.TraceDateValue() == date);
        ++index;
    }
    ORSK_FUZZ_CHECK(index == kTexts);

    index = 0;
    store.ForEach([&](orsk::TraceDate d, std::int32_t l, std::u16string_view memo) {
        ORSK_FUZZ_CHECK(index < kTexts);
        ORSK_FUZZ_CHECK(memo == texts[index]);
        ORSK_FUZZ_CHECK(l == level);
        ORSK_FUZZ_CHECK(d == date);
        ++index;
    });
    ORSK_FUZZ_CHECK(index == kTexts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) {
        return -1;  // no level: not worth keeping in the corpus
    }
    std::uint64_t raw = 0;
    std::memcpy(&raw, data, 8);
    const std::uintptr_t dwData = LevelOf(raw);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 8, size - 8);
    const auto cbData = static_cast<std::uint32_t>(bytes.size());
    const bool refused = dwData > orsk::kMaxTraceLevel;

    const MessageBuffer message(bytes, refused);
    orsk::DecodedTrace trace;
    try {
        trace = orsk::DecodeTraceMessage(dwData, cbData, message.Data());
    } catch (const orsk::TraceError& error) {
        ORSK_FUZZ_CHECK(refused);
        ORSK_FUZZ_CHECK(std::string_view(error.what()) == orsk::kRangeCheckError);
        return 0;
    }
    ORSK_FUZZ_CHECK(!refused);
    ORSK_FUZZ_CHECK(trace.level == static_cast<std::int32_t>(dwData));

    // A null pointer gives the empty text, whatever the count.
    ORSK_FUZZ_CHECK(orsk::DecodeTraceMessage(dwData, cbData, nullptr).text.empty());

    std::string_view kept = bytes;
    if (!kept.empty() && kept.back() == '\0') {
        kept.remove_suffix(1);
    }
    ORSK_FUZZ_CHECK(trace.text.size() == orsk::Utf16LengthOfUtf8(kept));
    ORSK_FUZZ_CHECK(orsk::fuzz::IsValidUtf16(trace.text));
    const orsk::fuzz::ReferenceDecoding reference = DecodeUtf8ForReference(kept);
    ORSK_FUZZ_CHECK(trace.text == reference.text);
    if (reference.wellFormed) {
        ORSK_FUZZ_CHECK(orsk::Utf16ToUtf8(trace.text) == kept);
    }

    CheckStoreKeeps(orsk::TraceDate{static_cast<std::int64_t>(raw)}, trace.level, trace.text,
                    bytes);
    return 0;
}
