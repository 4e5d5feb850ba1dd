#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/SendCommandLine.h"

namespace orsk {
namespace {

using Args = std::vector<std::string>;

TEST(SendCommandLine, ReadsOptionsAndText) {
    const struct {
        const char* name;
        Args args;
        std::uint32_t level;
        std::uint32_t timeoutMs;
        Args words;
    } cases[] = {
        {"nothing: lines of standard input", {}, 0, 5000, {}},
        {"text only", {"hello", "world"}, 0, 5000, {"hello", "world"}},
        {"level and timeout apart", {"-l", "2", "-t", "250", "x"}, 2, 250, {"x"}},
        {"values attached", {"-l7", "-t1", "x"}, 7, 1, {"x"}},
        {"largest values", {"-l", "2147483647", "-t", "2147483647"}, 2147483647, 2147483647, {}},
        {"leading zeros", {"-l", "007"}, 7, 5000, {}},
        {"level zero", {"-l", "0", "y"}, 0, 5000, {"y"}},
        {"last one wins", {"-l", "1", "-l", "3"}, 3, 5000, {}},
        {"options end at the text", {"say", "-l", "5"}, 0, 5000, {"say", "-l", "5"}},
        {"double dash ends options", {"-l", "4", "--", "-t", "--help"}, 4, 5000, {"-t", "--help"}},
        {"double dash alone", {"--"}, 0, 5000, {}},
        {"lone dash is text", {"-", "x"}, 0, 5000, {"-", "x"}},
        {"empty word is text", {""}, 0, 5000, {""}},
        {"UTF-8 words kept",
         {"gr\xC3\xBC\xC3\x9F", "\xE2\x82\xAC"},
         0,
         5000,
         {"gr\xC3\xBC\xC3\x9F", "\xE2\x82\xAC"}},
    };
    for (const auto& c : cases) {
        const SendCommandParse parse = ParseSendCommandLine(c.args);
        EXPECT_EQ(parse.error, "") << c.name;
        EXPECT_FALSE(parse.command.help) << c.name;
        EXPECT_EQ(parse.command.level, c.level) << c.name;
        EXPECT_EQ(parse.command.timeoutMs, c.timeoutMs) << c.name;
        EXPECT_EQ(parse.command.words, c.words) << c.name;
    }
}

TEST(SendCommandLine, RejectsEveryBadArgumentWithAMessageNamingIt) {
    const struct {
        Args args;
        const char* error;
    } cases[] = {
        {{"-l"}, "-l needs a level"},
        {{"-t"}, "-t needs a timeout"},
        {{"-l", "2", "-t"}, "-t needs a timeout"},
        {{"-x", "text"}, "unknown option '-x'"},
        {{"--level", "2"}, "unknown option '--level'"},
        {{"-L", "2"}, "unknown option '-L'"},
    };
    for (const auto& c : cases) {
        const SendCommandParse parse = ParseSendCommandLine(c.args);
        EXPECT_EQ(parse.error, c.error);
        EXPECT_FALSE(parse.command.help);
    }

    const char* const badLevels[] = {
        "2147483648", "4294967296", "99999999999999999999", "-1", "+1", " 1", "1 ", "0x10", "1.0",
        "abc",        "",           "\xEF\xBC\x91"};
    for (const char* level : badLevels) {
        EXPECT_EQ(ParseSendCommandLine({"-l", level, "text"}).error,
                  "bad level '" + std::string(level) +
                      "': expected a decimal number from 0 to 2147483647")
            << level;
    }
    const char* const badTimeouts[] = {"0", "00", "2147483648", "-5", "5s", "", "1e3"};
    for (const char* timeout : badTimeouts) {
        EXPECT_EQ(ParseSendCommandLine({"-t", timeout}).error,
                  "bad timeout '" + std::string(timeout) +
                      "': expected a number of milliseconds from 1 to 2147483647")
            << timeout;
    }
    // The attached form is checked the same way.
    EXPECT_EQ(ParseSendCommandLine({"-lx"}).error,
              "bad level 'x': expected a decimal number from 0 to 2147483647");
}

TEST(SendCommandLine, HelpAndVersionWinOverWhateverFollowsButNotOverAnEarlierError) {
    const struct {
        Args args;
        bool help;
        bool version;
    } cases[] = {
        {{"--help"}, true, false},
        {{"-h"}, true, false},
        {{"-?"}, true, false},
        {{"-l", "1", "--help"}, true, false},
        {{"--help", "-l", "nonsense"}, true, false},
        {{"--version"}, false, true},
        {{"-l", "1", "-t", "9", "--version"}, false, true},
        {{"--version", "-l", "nonsense", "text"}, false, true},
        {{"--help", "--version"}, true, false},
        {{"--version", "--help"}, false, true},
    };
    for (const auto& c : cases) {
        const SendCommandParse parse = ParseSendCommandLine(c.args);
        EXPECT_EQ(parse.command.help, c.help) << JoinWords(c.args);
        EXPECT_EQ(parse.command.version, c.version) << JoinWords(c.args);
        EXPECT_EQ(parse.error, "") << JoinWords(c.args);
    }
    // After the text or "--" they are words of the trace; an earlier bad option is reported.
    const std::string badLevel = "bad level 'x': expected a decimal number from 0 to 2147483647";
    const struct {
        Args args;
        std::string error;
    } notOptions[] = {
        {{"text", "--help"}, ""},
        {{"text", "--version"}, ""},
        {{"--", "--version"}, ""},
        {{"-l", "x", "--version"}, badLevel},
        {{"-l", "x", "--help"}, badLevel},
        {{"-version"}, "unknown option '-version'"},
        {{"--versions"}, "unknown option '--versions'"},
    };
    for (const auto& c : notOptions) {
        const SendCommandParse parse = ParseSendCommandLine(c.args);
        EXPECT_FALSE(parse.command.help) << JoinWords(c.args);
        EXPECT_FALSE(parse.command.version) << JoinWords(c.args);
        EXPECT_EQ(parse.error, c.error) << JoinWords(c.args);
    }
    EXPECT_EQ(ParseSendCommandLine({"--", "--version"}).command.words, Args{"--version"});
    EXPECT_NE(SendUsage().find("orsktrace-send [-l LEVEL] [-t TIMEOUT_MS]"), std::string::npos);
    EXPECT_NE(SendUsage().find("--version"), std::string::npos);
}

TEST(SendCommandLine, JoinsWordsWithSingleSpaces) {
    EXPECT_EQ(JoinWords({}), "");
    EXPECT_EQ(JoinWords({"one"}), "one");
    EXPECT_EQ(JoinWords({"a", "", "b c"}), "a  b c");
}

// Every line the splitter yields for `chunks` fed one after another, then the last line.
std::vector<std::string> Split(const std::vector<std::string>& chunks) {
    LineSplitter splitter;
    std::vector<std::string> lines;
    std::string_view line;
    for (const std::string& chunk : chunks) {
        splitter.Append(chunk);
        while (splitter.NextLine(line)) {
            lines.emplace_back(line);
        }
    }
    if (splitter.LastLine(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

TEST(LineSplitter, CutsAtLineEndsWhereverTheChunksBreak) {
    using Lines = std::vector<std::string>;
    const struct {
        const char* name;
        std::vector<std::string> chunks;
        Lines lines;
    } cases[] = {
        {"no input", {}, {}},
        {"empty chunks", {"", ""}, {}},
        {"LF", {"a\nb\n"}, {"a", "b"}},
        {"CR LF", {"a\r\nb\r\n"}, {"a", "b"}},
        {"no final line end", {"a\nb"}, {"a", "b"}},
        {"only a line end", {"\n"}, {""}},
        {"empty lines", {"\n\r\n\nx\n\n"}, {"", "", "", "x", ""}},
        {"CR LF across chunks", {"abc\r", "\ndef\r\n"}, {"abc", "def"}},
        {"CR LF across three chunks", {"ab", "c\r", "", "\n"}, {"abc"}},
        {"lone CR inside kept", {"a\rb\n"}, {"a\rb"}},
        {"lone CR before a chunk border kept", {"a\r", "b\n"}, {"a\rb"}},
        {"CR CR LF keeps one CR", {"a\r\r\n"}, {"a\r"}},
        {"trailing CR without LF kept", {"a\nb\r"}, {"a", "b\r"}},
        {"line spread over chunks", {"he", "ll", "o\nwor", "ld"}, {"hello", "world"}},
        {"NUL and non-ASCII bytes as they are",
         {std::string("n\0l\n", 4), "\xC3\xA4\xFF\n"},
         {std::string("n\0l", 3), "\xC3\xA4\xFF"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Split(c.chunks), c.lines) << c.name;
    }
}

TEST(LineSplitter, GivesTheSameLinesForEveryWayOfCuttingTheInput) {
    const std::string input = "first\r\n\r\nthird\rstill third\n\nsixth\r\nlast";
    const std::vector<std::string> expected = {"first", "",      "third\rstill third",
                                               "",      "sixth", "last"};
    for (std::size_t size = 1; size <= input.size(); ++size) {
        std::vector<std::string> chunks;
        for (std::size_t at = 0; at < input.size(); at += size) {
            chunks.push_back(input.substr(at, size));
        }
        EXPECT_EQ(Split(chunks), expected) << "chunk size " << size;
    }
}

}  // namespace
}  // namespace orsk
