#include "intake/TraceDecoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/TraceError.h"

namespace orsk {
namespace {

// Any read through this address crashes the test, which proves that it was not read.
const void* const kUnreadable = reinterpret_cast<const void*>(1);

DecodedTrace Decode(std::uintptr_t level, const std::string& bytes) {
    return DecodeTraceMessage(level, static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

// The message of the TraceError that `call` throws; fails the test when it throws none.
template <typename Call>
std::string TraceErrorOf(Call call) {
    try {
        call();
    } catch (const TraceError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no TraceError thrown";
    return {};
}

TEST(TraceDecoder, AcceptsLevelsUpToTheLargestInt32) {
    const std::uint32_t levels[] = {0, 1, 5, 65'536, 2'147'483'646, 2'147'483'647};
    for (std::uint32_t level : levels) {
        SCOPED_TRACE(level);
        const DecodedTrace trace = Decode(level, "text");
        EXPECT_EQ(trace.level, static_cast<std::int32_t>(level));
        EXPECT_EQ(trace.text, u"text");
    }
}

TEST(TraceDecoder, RefusesLargerLevelsWithoutReadingTheText) {
    std::vector<std::uintptr_t> levels = {2'147'483'648u, 3'000'000'000u, 4'294'967'295u};
    if constexpr (sizeof(std::uintptr_t) > 4) {
        levels.push_back(static_cast<std::uintptr_t>(std::uint64_t{1} << 32));
        levels.push_back(static_cast<std::uintptr_t>((std::uint64_t{1} << 32) + 5));
        levels.push_back(UINTPTR_MAX);
    }
    for (std::uintptr_t level : levels) {
        SCOPED_TRACE(level);
        EXPECT_EQ(TraceErrorOf([&] { DecodeTraceMessage(level, 16, kUnreadable); }),
                  kRangeCheckError);
    }
}

TEST(TraceDecoder, GivesTheEmptyTextForNoBytesOrNoPointer) {
    EXPECT_EQ(DecodeTraceMessage(3, 0, kUnreadable).text, u"");
    EXPECT_EQ(DecodeTraceMessage(3, 0, nullptr).text, u"");
    const DecodedTrace trace = DecodeTraceMessage(4, 100, nullptr);
    EXPECT_EQ(trace.level, 4);
    EXPECT_EQ(trace.text, u"");
}

TEST(TraceDecoder, DropsExactlyOneTrailingNul) {
    struct Case {
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {std::string("abc\0", 4), u"abc"},
        {std::string("abc\0\0", 5), std::u16string(u"abc\0", 4)},
        {std::string("\0", 1), u""},
        {std::string("\0\0", 2), std::u16string(1, u'\0')},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {std::string("\0abc", 4), std::u16string(u"\0abc", 4)},
        {"abc", u"abc"},
        {std::string("\xC3\xA9\0", 3), u"\u00E9"},
        {std::string("\xF0\x9F\x98\x80\0", 5), u"\xD83D\xDE00"},
        {std::string("\xE2\x82\0", 3), u"\uFFFD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        EXPECT_EQ(Decode(0, c.bytes).text, c.text);
    }
}

TEST(TraceDecoder, KeepsTheTextAsSent) {
    EXPECT_EQ(Decode(0, "\xEF\xBB\xBFstart").text, u"\uFEFFstart");
    EXPECT_EQ(Decode(0, "line 1\r\nline 2\r\n").text, u"line 1\r\nline 2\r\n");
    EXPECT_EQ(Decode(0, "caf\xC3\xA9 \xE2\x82\xAC 5").text, u"caf\u00E9 \u20AC 5");
}

TEST(TraceDecoder, ReplacesMalformedBytes) {
    EXPECT_EQ(Decode(0,
                     "a\xF1\x80\x80\xE1\x80\xC2"
                     "b\x80"
                     "c\x80\xBF"
                     "d")
                  .text,
              u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd");
    EXPECT_EQ(Decode(0, "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xFF").text,
              std::u16string(10, u'\uFFFD'));
}

TEST(TraceDecoder, ReadsNoByteBeyondTheCount) {
    const std::string buffer = "abc\xE2\x82\xAC";
    EXPECT_EQ(DecodeTraceMessage(0, 3, buffer.data()).text, u"abc");
    // The count cuts the euro sign short: its first two bytes are a truncated sequence.
    EXPECT_EQ(DecodeTraceMessage(0, 5, buffer.data()).text, u"abc\uFFFD");
}

TEST(TraceDecoder, DecodesALargeTextWhole) {
    const std::string pattern = "Worker 7: caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 ok\r\n";
    const std::u16string patternText = u"Worker 7: caf\u00E9 \u20AC \xD83D\xDE00 ok\r\n";
    std::string bytes;
    std::u16string expected;
    while (bytes.size() < 4 * 1024 * 1024) {
        bytes += pattern;
        expected += patternText;
    }
    bytes += "end";
    expected += u"end";

    const DecodedTrace trace = Decode(2, bytes);
    EXPECT_EQ(trace.text.size(), expected.size());
    EXPECT_TRUE(trace.text == expected);
}

TEST(TraceDecoder, ReportsAnUnallocatableTextAsOutOfMemory) {
    const std::size_t maxUnits = std::u16string().max_size();
    EXPECT_EQ(TraceErrorOf([&] { detail::AllocateTraceText(maxUnits + 1); }), kOutOfMemory);
    EXPECT_EQ(TraceErrorOf([&] { detail::AllocateTraceText(maxUnits); }), kOutOfMemory);
    EXPECT_EQ(detail::AllocateTraceText(7).size(), 7u);
}

}  // namespace
}  // namespace orsk
