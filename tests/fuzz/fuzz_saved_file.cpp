// Fuzzes the bytes of a saved view against a Latin-1-like ANSI code page that, like the
// platform's conversion, writes a look-alike or "?" for characters it lacks.
//
// Whatever the view, the file must give it back: a view of Latin-1 characters only as exactly
// its Latin-1 bytes, any other as a byte-order mark and well-formed UTF-8 that decodes to the
// view (with U+FFFD where the view held an unpaired surrogate, which UTF-8 cannot carry).
//
// Input: each byte below 0xE0 is the Latin-1 character of that value, so that many views stay
// within the code page; a byte from 0xE0 takes the next two bytes as any UTF-16 unit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/Utf8.h"
#include "tests/fuzz/FuzzSupport.h"
#include "window/view/SavedFileEncoding.h"

namespace {

class LatinOneCodePage final : public orsk::NarrowCodePage {
public:
    std::string Narrow(std::u16string_view text) const override {
        std::string out;
        for (const char16_t c : text) {
            if (c <= 0xFF) {
                out.push_back(static_cast<char>(c));
            } else if (c == u'\u0101') {  // a with macron: best fit "a"
                out.push_back('a');
            } else if (c == u'\u2212') {  // minus sign: best fit "-"
                out.push_back('-');
            } else {
                out.push_back('?');
            }
        }
        return out;
    }
    std::u16string Widen(std::string_view bytes) const override {
        std::u16string out;
        for (const char b : bytes) {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(b)));
        }
        return out;
    }
};

std::u16string ViewOf(const std::uint8_t* data, std::size_t size) {
    std::u16string view;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] < 0xE0 || i + 2 >= size) {
            view.push_back(static_cast<char16_t>(data[i]));
        } else {
            view.push_back(static_cast<char16_t>(data[i + 1] | data[i + 2] << 8));
            i += 2;
        }
    }
    return view;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const LatinOneCodePage ansi;
    const std::u16string view = ViewOf(data, size);
    const std::string file = orsk::EncodeSavedFile(view, ansi);
    if (view.empty()) {
        ORSK_FUZZ_CHECK(file.empty());
        return 0;
    }

    bool latinOne = true;
    std::string latinOneBytes;
    for (const char16_t c : view) {
        latinOne = latinOne && c <= 0xFF;
        latinOneBytes.push_back(static_cast<char>(c));
    }
    if (latinOne) {
        ORSK_FUZZ_CHECK(file == latinOneBytes);
        return 0;
    }

    const std::string_view bom = orsk::kUtf8ByteOrderMark;
    ORSK_FUZZ_CHECK(file.substr(0, bom.size()) == bom);
    const std::string_view utf8 = std::string_view(file).substr(bom.size());
    const std::u16string expected = orsk::fuzz::WithUnpairedSurrogatesReplaced(view);
    const orsk::fuzz::ReferenceDecoding reference = orsk::fuzz::DecodeUtf8ForReference(utf8);
    ORSK_FUZZ_CHECK(reference.wellFormed);
    ORSK_FUZZ_CHECK(reference.text == expected);
    ORSK_FUZZ_CHECK(orsk::Utf8ToUtf16(utf8) == expected);
    return 0;
}
