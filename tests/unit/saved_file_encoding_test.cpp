#include "window/view/SavedFileEncoding.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "tests/support/MemoryTextArea.h"

namespace orsk {
namespace {

using namespace std::literals;

// A Latin-1-like code page with the behaviour of the platform's conversion: characters it
// lacks become a best-fit look-alike (for a few) or "?".
class FakeAnsiCodePage final : public NarrowCodePage {
public:
    std::string Narrow(std::u16string_view text) const override {
        std::string out;
        for (char16_t c : text) {
            if (c <= 0xFF) {
                out += static_cast<char>(c);
            } else if (c == u'\u0101') {  // a with macron: best fit "a"
                out += 'a';
            } else if (c == u'\u2212') {  // minus sign: best fit "-"
                out += '-';
            } else {
                out += '?';
            }
        }
        return out;
    }
    std::u16string Widen(std::string_view bytes) const override {
        std::u16string out;
        for (char b : bytes) {
            out += static_cast<char16_t>(static_cast<unsigned char>(b));
        }
        return out;
    }
};

TEST(SavedFileEncoding, KeepsTheAnsiBytesWhenTheWholeTextConvertsExactly) {
    const FakeAnsiCodePage ansi;
    const struct {
        std::u16string_view view;
        std::string bytes;
    } cases[] = {
        {u"----\r\n12/9/2026\r\nHello\r\n\r\n", "----\r\n12/9/2026\r\nHello\r\n\r\n"},
        {u"caf\u00e9 \u00fc\u00df", "caf\xE9 \xFC\xDF"},
        {u"a\u0000b"sv, "a\0b"s},               // U+0000 converts exactly
        {u"no final break", "no final break"},  // line breaks as they stand
        {u"lone\nLF\rCR", "lone\nLF\rCR"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeSavedFile(c.view, ansi), c.bytes);
    }
}

TEST(SavedFileEncoding, WritesUtf8WithAByteOrderMarkWhenAnyCharacterWouldChange) {
    const FakeAnsiCodePage ansi;
    const struct {
        const char* name;
        std::u16string_view view;
        std::string bytes;
    } cases[] = {
        {"best fit", u"\u0101bc",
         "\xEF\xBB\xBF\xC4\x81"
         "bc"},
        {"best-fit minus", u"5 \u2212 3",
         "\xEF\xBB\xBF"
         "5 \xE2\x88\x92 3"},
        {"not representable", u"\u041f\u0440\u0438", "\xEF\xBB\xBF\xD0\x9F\xD1\x80\xD0\xB8"},
        {"outside the BMP", u"\U0001F600", "\xEF\xBB\xBF\xF0\x9F\x98\x80"},
        {"a question mark stays", u"why?\u4e2d", "\xEF\xBB\xBFwhy?\xE4\xB8\xAD"},
        {"mixed with Latin-1", u"caf\u00e9 \u2400",
         "\xEF\xBB\xBF"
         "caf\xC3\xA9 \xE2\x90\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeSavedFile(c.view, ansi), c.bytes) << c.name;
    }
}

TEST(SavedFileEncoding, AnEmptyViewIsAnEmptyFile) {
    const FakeAnsiCodePage ansi;
    EXPECT_EQ(EncodeSavedFile(u"", ansi), "");
}

// Records what happens to the file, in order.
class RecordingFile final : public SavedFile {
public:
    void Create() override { steps.push_back("create"); }
    void Write(std::string_view bytes) override { steps.push_back("write " + std::string(bytes)); }
    std::vector<std::string> steps;
};

// A view whose text cannot be read: memory ran out while copying it.
class UnreadableView final : public TextArea {
public:
    std::u16string ReadAll() const override { throw std::bad_alloc(); }
    std::size_t Length() const override { return 1; }
    bool LastLineIsEmpty() const override { return false; }
    void Append(std::u16string_view) override {}
    void ReplaceAll(std::u16string_view) override {}
    void Select(std::size_t, std::size_t) override {}
};

TEST(SaveView, CreatesTheFileOnlyOnceItsBytesExist) {
    const FakeAnsiCodePage ansi;
    RecordingFile file;
    MemoryTextArea view;
    view.Append(u"caf\u00e9\r\n");
    SaveView(view, ansi, file);
    EXPECT_EQ(file.steps, (std::vector<std::string>{"create", "write caf\xE9\r\n"}));

    RecordingFile untouched;
    EXPECT_THROW(SaveView(UnreadableView(), ansi, untouched), std::bad_alloc);
    EXPECT_TRUE(untouched.steps.empty());  // an existing file would still be whole
}

}  // namespace
}  // namespace orsk
