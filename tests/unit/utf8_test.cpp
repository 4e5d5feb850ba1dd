#include "common/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orsk {
namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u16string text;
};

void ExpectDecodes(const DecodeCase& c) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text);
    EXPECT_EQ(Utf16LengthOfUtf8(c.bytes), c.text.size());
}

TEST(Utf8ToUtf16, DecodesWellFormedCharactersOfEveryLength) {
    const std::vector<DecodeCase> cases = {
        {"empty", "", u""},
        {"ascii", "Hello, world", u"Hello, world"},
        {"nul and del", std::string("a\0\x7F", 3), std::u16string(u"a\0\x7F", 3)},
        {"U+0080", "\xC2\x80", u"\u0080"},
        {"U+00E9", "\xC3\xA9", u"\u00E9"},
        {"U+07FF", "\xDF\xBF", u"\u07FF"},
        {"U+0800", "\xE0\xA0\x80", u"\u0800"},
        {"U+20AC", "\xE2\x82\xAC", u"\u20AC"},
        {"U+D7FF", "\xED\x9F\xBF", u"\uD7FF"},
        {"U+E000", "\xEE\x80\x80", u"\uE000"},
        {"U+FEFF", "\xEF\xBB\xBF", u"\uFEFF"},
        {"U+FFFD", "\xEF\xBF\xBD", u"\uFFFD"},
        {"U+FFFF", "\xEF\xBF\xBF", u"\uFFFF"},
        {"U+10000", "\xF0\x90\x80\x80", u"\xD800\xDC00"},
        {"U+1F600", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        {"U+40000", "\xF1\x80\x80\x80", u"\xD8C0\xDC00"},
        {"U+FFFFF", "\xF3\xBF\xBF\xBF", u"\xDBBF\xDFFF"},
        {"U+100000", "\xF4\x80\x80\x80", u"\xDBC0\xDC00"},
        {"U+10FFFF", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
        {"mixed", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z", u"a\u00E9\u20AC\xD83D\xDE00z"},
    };
    for (const DecodeCase& c : cases) {
        ExpectDecodes(c);
    }
}

// Rows of the Unicode Standard's examples of U+FFFD substitution (chapter 3, tables 3-8 to
// 3-11) and further cases of each kind: one U+FFFD per maximal subpart.
TEST(Utf8ToUtf16, ReplacesEachMaximalSubpartOfMalformedInput) {
    const std::vector<DecodeCase> cases = {
        {"unicode: mixed", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
         u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
        {"unicode: non-shortest forms", "\xC0\xAF\xE0\x80\xBF\xF0\x81\x82\x41",
         u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDA"},
        {"unicode: surrogates", "\xED\xA0\x80\xED\xBF\xBF\xED\xAF\x41",
         u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDA"},
        {"unicode: other ill-formed", "\xF4\x91\x92\x93\xFF\x41\x80\xBF\x42",
         u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDA\uFFFD\uFFFDB"},
        {"unicode: truncated", "\xE1\x80\xE2\xF0\x91\x92\xF1\xBF\x41",
         u"\uFFFD\uFFFD\uFFFD\uFFFDA"},

        {"truncated 2-byte at end", "a\xC2", u"a\uFFFD"},
        {"truncated 3-byte at end (1)", "a\xE2", u"a\uFFFD"},
        {"truncated 3-byte at end (2)", "a\xE2\x82", u"a\uFFFD"},
        {"truncated E0 at end", "\xE0\xA0", u"\uFFFD"},
        {"truncated ED at end", "\xED\x9F", u"\uFFFD"},
        {"truncated 4-byte at end (1)", "\xF0", u"\uFFFD"},
        {"truncated 4-byte at end (2)", "\xF0\x90", u"\uFFFD"},
        {"truncated 4-byte at end (3)", "\xF0\x90\x80", u"\uFFFD"},
        {"truncated F4 at end", "\xF4\x8F\xBF", u"\uFFFD"},
        {"sequence broken by ascii",
         "\xE2\x82"
         "A",
         u"\uFFFDA"},
        {"sequence broken by a new lead", "\xE2\x82\xE2\x82\xAC", u"\uFFFD\u20AC"},
        {"4-byte broken by a 2-byte", "\xF0\x9F\x98\xC3\xA9", u"\uFFFD\u00E9"},
        {"sequence broken by nul", std::string("\xC3\0", 2), std::u16string(u"\uFFFD\0", 2)},

        {"overlong C0", "\xC0\x80", u"\uFFFD\uFFFD"},
        {"overlong C1", "\xC1\xBF", u"\uFFFD\uFFFD"},
        {"overlong E0 80", "\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"overlong E0 9F", "\xE0\x9F\xBF", u"\uFFFD\uFFFD\uFFFD"},
        {"overlong F0 80", "\xF0\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"overlong F0 8F", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},

        {"high surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"low surrogate", "\xED\xBF\xBF", u"\uFFFD\uFFFD\uFFFD"},
        {"encoded surrogate pair", "\xED\xA0\xBD\xED\xB8\x80",
         u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},

        {"above U+10FFFF: F4 90", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF: F4 BF", "\xF4\xBF\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"F5 lead", "\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"F7 lead", "\xF7\xBF\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"old 5-byte form", "\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"old 6-byte form", "\xFC\x84\x80\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"FE FF", "\xFE\xFF", u"\uFFFD\uFFFD"},

        {"lone continuation 80", "\x80", u"\uFFFD"},
        {"lone continuation BF",
         "a\xBF"
         "b",
         u"a\uFFFD"
         "b"},
        {"continuations after a complete character", "\xC3\xA9\x80\x80", u"\u00E9\uFFFD\uFFFD"},
    };
    for (const DecodeCase& c : cases) {
        ExpectDecodes(c);
    }
}

TEST(Utf8ToUtf16, DecodesEverySingleByte) {
    for (unsigned b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::string bytes(1, static_cast<char>(b));
        const std::u16string expected(1, b < 0x80 ? static_cast<char16_t>(b) : u'\uFFFD');
        EXPECT_EQ(Utf8ToUtf16(bytes), expected);
        EXPECT_EQ(Utf16LengthOfUtf8(bytes), 1u);
    }
}

// The ASCII fast path takes several bytes per step; a multi-byte or malformed sequence must be
// found wherever it falls within or after such a step.
TEST(Utf8ToUtf16, FindsNonAsciiAtEveryPositionOfAnAsciiRun) {
    const DecodeCase inserts[] = {
        {"2-byte", "\xC3\xA9", u"\u00E9"},
        {"4-byte", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        {"malformed", "\xE2\x82", u"\uFFFD"},
        {"lone continuation", "\x80", u"\uFFFD"},
    };
    for (const DecodeCase& insert : inserts) {
        for (std::size_t before = 0; before <= 20; ++before) {
            const std::size_t after = 20 - before;
            const DecodeCase c = {
                insert.name,
                std::string(before, 'x') + insert.bytes + std::string(after, 'y'),
                std::u16string(before, u'x') + insert.text + std::u16string(after, u'y'),
            };
            ExpectDecodes(c);
        }
    }
}

TEST(Utf16ToUtf8, EncodesCharactersAndReplacesUnpairedSurrogates) {
    struct EncodeCase {
        std::u16string text;
        std::string bytes;
    };
    const EncodeCase cases[] = {
        {u"", ""},
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
        {u"\u007F\u0080\u07FF\u0800", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80"},
        {u"\uD7FF\uE000\uFFFF", "\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"},
        {u"\xD800\xDC00", "\xF0\x90\x80\x80"},
        {u"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},
        {u"a\xD800", "a\xEF\xBF\xBD"},
        {u"\xDC00z", "\xEF\xBF\xBDz"},
        {u"\xD800z", "\xEF\xBF\xBDz"},
        {u"\xD800\xD800\xDC00", "\xEF\xBF\xBD\xF0\x90\x80\x80"},
        {u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const EncodeCase& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.text), c.bytes) << testing::PrintToString(c.text);
    }
}

// Every scalar value, encoded and decoded again, comes back unchanged and takes the shortest
// form (1 to 4 bytes by range), so neither side can drift into overlong or lossy forms. One
// plane per step keeps the run short and still says where a fault lies.
TEST(Utf16ToUtf8, RoundTripsEveryScalarValue) {
    for (char32_t plane = 0; plane <= 0x10; ++plane) {
        std::u16string text;
        std::size_t shortestBytes = 0;
        for (char32_t code = plane << 16; code < (plane + 1) << 16; ++code) {
            if (code >= 0xD800 && code <= 0xDFFF) {
                continue;
            }
            if (code < 0x10000) {
                text += static_cast<char16_t>(code);
            } else {
                text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
                text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            }
            shortestBytes += code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        }
        SCOPED_TRACE(static_cast<unsigned>(plane));
        const std::string bytes = Utf16ToUtf8(text);
        EXPECT_EQ(bytes.size(), shortestBytes);
        EXPECT_EQ(Utf16LengthOfUtf8(bytes), text.size());
        EXPECT_TRUE(Utf8ToUtf16(bytes) == text);
    }
}

}  // namespace
}  // namespace orsk
