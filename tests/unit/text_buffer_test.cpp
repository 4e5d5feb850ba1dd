#include "window/textmodel/TextBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/Utf16.h"
#include "window/textmodel/TextColumns.h"
#include "window/textmodel/TextLayout.h"

namespace orsk {
namespace {

constexpr std::size_t kChunk = TextBuffer::kChunkUnits;

// The model the buffer is held against: the whole text in one string, its lines found by a
// plain scan for CR LF, and its columns counted here rather than with TextColumns.h (the
// random texts hold one wide character, U+1F600, in two columns).
std::vector<std::size_t> LineStartsOf(std::u16string_view text) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'\r' && text[i + 1] == u'\n') {
            starts.push_back(i + 2);
        }
    }
    return starts;
}

std::size_t ReferenceColumns(std::u16string_view line) {
    std::size_t column = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == u'\t') {
            column += 8 - column % 8;
        } else if (i > 0 && IsLowSurrogate(line[i]) && IsHighSurrogate(line[i - 1])) {
            ++column;  // the pair's second column
        } else {
            ++column;
        }
    }
    return column;
}

std::size_t ReferenceWidest(std::u16string_view text) {
    const std::vector<std::size_t> starts = LineStartsOf(text);
    std::size_t widest = 0;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] - 2 : text.size();
        widest = std::max(widest, ReferenceColumns(text.substr(starts[i], end - starts[i])));
    }
    return widest;
}

void ModelReplace(std::u16string& model, std::size_t start, std::size_t length,
                  std::u16string_view text) {
    start = std::min(start, model.size());
    length = std::min(length, model.size() - start);
    model.replace(start, length, text);
}

// Compares everything the buffer tells about its text with the model. Positions are checked
// every `stride` units, and always around chunk boundaries and the given extra places.
testing::AssertionResult MatchesModel(const TextBuffer& buffer, const std::u16string& model,
                                      std::size_t stride = 1,
                                      const std::vector<std::size_t>& extra = {}) {
    if (buffer.Length() != model.size()) {
        return testing::AssertionFailure()
               << "length " << buffer.Length() << ", model " << model.size();
    }
    if (buffer.Empty() != model.empty()) {
        return testing::AssertionFailure() << "Empty() disagrees";
    }
    // A sampled check compares the chunks below; a full one reads the text as well.
    if (stride == 1 && buffer.ReadAll() != model) {
        return testing::AssertionFailure() << "ReadAll differs";
    }

    // The chunks lie end to end and hold the text, each of a bounded size.
    std::vector<std::size_t> places = extra;
    std::size_t expectedStart = 0;
    for (std::size_t c = 0; c < buffer.ChunkCount(); ++c) {
        if (buffer.ChunkStart(c) != expectedStart) {
            return testing::AssertionFailure()
                   << "chunk " << c << " starts at " << buffer.ChunkStart(c) << ", expected "
                   << expectedStart;
        }
        const std::u16string_view chunk = buffer.Chunk(c);
        if (chunk.size() > 2 * kChunk) {
            return testing::AssertionFailure() << "chunk " << c << " holds " << chunk.size();
        }
        if (std::u16string_view(model).substr(expectedStart, chunk.size()) != chunk) {
            return testing::AssertionFailure() << "chunk " << c << " differs from the model";
        }
        for (std::size_t d = 0; d < 3; ++d) {
            places.push_back(expectedStart + d);
            places.push_back(expectedStart >= d + 1 ? expectedStart - d - 1 : 0);
        }
        expectedStart += chunk.size();
    }
    if (expectedStart != model.size()) {
        return testing::AssertionFailure() << "chunks hold " << expectedStart << " units";
    }

    const std::vector<std::size_t> starts = LineStartsOf(model);
    if (buffer.LineCount() != starts.size()) {
        return testing::AssertionFailure()
               << "line count " << buffer.LineCount() << ", model " << starts.size();
    }
    for (std::size_t line = 0; line < starts.size(); ++line) {
        const std::size_t end = line + 1 < starts.size() ? starts[line + 1] - 2 : model.size();
        if (buffer.LineStart(line) != starts[line] ||
            buffer.LineLength(line) != end - starts[line]) {
            return testing::AssertionFailure()
                   << "line " << line << " at " << buffer.LineStart(line) << " length "
                   << buffer.LineLength(line) << ", model at " << starts[line] << " length "
                   << end - starts[line];
        }
    }
    if (stride == 1 && !starts.empty() &&
        buffer.Line(starts.size() - 1) != model.substr(starts.back())) {
        return testing::AssertionFailure() << "the last line's text differs";
    }

    for (std::size_t p = 0; p < model.size(); p += stride) {
        places.push_back(p);
    }
    places.push_back(model.size());
    places.push_back(model.size() + 3);
    for (const std::size_t p : places) {
        const auto after = std::upper_bound(starts.begin(), starts.end(), p);
        const auto expectedLine = static_cast<std::size_t>(after - starts.begin()) - 1;
        if (buffer.LineOf(p) != expectedLine) {
            return testing::AssertionFailure()
                   << "LineOf(" << p << ") " << buffer.LineOf(p) << ", model " << expectedLine;
        }
        if (p < model.size() && buffer.At(p) != model[p]) {
            return testing::AssertionFailure() << "At(" << p << ") differs";
        }
    }

    // Reads that start anywhere, run across chunks or past the end.
    for (const std::size_t p : places) {
        for (const std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{7}}) {
            const std::size_t start = std::min(p, model.size());
            if (buffer.Read(p, length) != model.substr(start, length)) {
                return testing::AssertionFailure() << "Read(" << p << ", " << length << ") differs";
            }
        }
    }
    if (stride == 1 && buffer.Read(0, std::u16string::npos) != model) {
        return testing::AssertionFailure() << "a read of everything differs";
    }

    // No line is wider than the widest: every line of a short text, on a big one the lines at
    // the extra places (where it was edited).
    std::vector<std::size_t> lines;
    for (std::size_t line = 0; stride == 1 && line < starts.size(); ++line) {
        lines.push_back(line);
    }
    for (const std::size_t p : stride == 1 ? std::vector<std::size_t>{} : extra) {
        const auto after = std::upper_bound(starts.begin(), starts.end(), p);
        lines.push_back(static_cast<std::size_t>(after - starts.begin()) - 1);
    }
    std::size_t widest = 0;
    for (const std::size_t line : lines) {
        const std::size_t end = line + 1 < starts.size() ? starts[line + 1] - 2 : model.size();
        const std::u16string_view text = std::u16string_view(model).substr(starts[line]);
        widest = std::max(widest, ReferenceColumns(text.substr(0, end - starts[line])));
    }
    if (buffer.WidestLineColumns() < widest) {
        return testing::AssertionFailure() << "widest line " << buffer.WidestLineColumns()
                                           << " columns, the text has one of " << widest;
    }
    return testing::AssertionSuccess();
}

// Short random texts, rich in line-break units, surrogates and tabs; with `plainRuns`, mostly
// runs of letters that those units break at any place of an 8-unit block.
std::u16string RandomUnits(std::mt19937& random, std::size_t maxLength, bool plainRuns = false) {
    static constexpr char16_t kUnits[] = {u'a',  u'b',  u'\r', u'\n',  u'\r',
                                          u'\n', u'\t', u' ',  0xD83D, 0xDE00};
    std::u16string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), u'a');
    std::uniform_int_distribution<int> plain(0, 6);
    for (char16_t& unit : text) {
        if (plainRuns && plain(random) != 0) {
            continue;
        }
        unit = kUnits[std::uniform_int_distribution<std::size_t>(0, std::size(kUnits) - 1)(random)];
    }
    return text;
}

// Lines of a few dozen units with the odd lone CR or LF, for texts of several chunks: `length`
// units of one such text made once, from a place that `random` picks.
std::u16string BigText(std::mt19937& random, std::size_t length) {
    static const std::u16string lines = [] {
        std::mt19937 make(1);
        std::u16string text;
        std::uniform_int_distribution<int> lineLength(0, 70);
        while (text.size() < 3 * kChunk) {
            const int n = lineLength(make);
            for (int i = 0; i < n; ++i) {
                text.push_back(static_cast<char16_t>(u'a' + (i * 7 + n) % 26));
            }
            text.append(n % 11 == 0 ? u"\r" : n % 13 == 0 ? u"\n" : u"\r\n");
        }
        return text;
    }();
    const std::size_t from =
        std::uniform_int_distribution<std::size_t>(0, lines.size() - length)(random);
    return lines.substr(from, length);
}

TEST(TextBuffer, StartsEmptyWithOneLine) {
    TextBuffer buffer;
    EXPECT_TRUE(MatchesModel(buffer, u""));
    EXPECT_EQ(buffer.ChunkCount(), 0u);
    EXPECT_EQ(buffer.WidestLineColumns(), 0u);
}

TEST(TextBuffer, LineBreaksAreCrLfPairsWhereverTheEditsJoinOrSplitThem) {
    struct Step {
        enum { kAppend, kReplace } kind;
        std::size_t start;
        std::size_t length;
        std::u16string_view text;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::u16string_view expected;
        std::vector<std::size_t> lineStarts;
    };
    const Case cases[] = {
        {"CR ending one append, LF starting the next",
         {{Step::kAppend, 0, 0, u"a\r"}, {Step::kAppend, 0, 0, u"\nb"}},
         u"a\r\nb",
         {0, 3}},
        {"lone CR and lone LF are characters",
         {{Step::kAppend, 0, 0, u"a\rb\nc\n\r"}},
         u"a\rb\nc\n\r",
         {0}},
        {"CR CR LF and LF CR LF break once",
         {{Step::kAppend, 0, 0, u"\r\r\n\n\r\n"}},
         u"\r\r\n\n\r\n",
         {0, 3, 6}},
        {"text ending with a break ends with an empty line",
         {{Step::kAppend, 0, 0, u"a\r\n\r\n"}},
         u"a\r\n\r\n",
         {0, 3, 5}},
        {"an insertion between CR and LF splits the break",
         {{Step::kAppend, 0, 0, u"a\r\nb"}, {Step::kReplace, 2, 0, u"x"}},
         u"a\rx\nb",
         {0}},
        {"deleting what stands between a CR and an LF joins them",
         {{Step::kAppend, 0, 0, u"a\rxy\nb"}, {Step::kReplace, 2, 2, u""}},
         u"a\r\nb",
         {0, 3}},
        {"an inserted LF completes a CR",
         {{Step::kAppend, 0, 0, u"a\rb"}, {Step::kReplace, 2, 0, u"\n"}},
         u"a\r\nb",
         {0, 3}},
        {"an inserted CR completes an LF",
         {{Step::kAppend, 0, 0, u"a\nb"}, {Step::kReplace, 1, 0, u"\r"}},
         u"a\r\nb",
         {0, 3}},
        {"deleting the CR or the LF removes the break",
         {{Step::kAppend, 0, 0, u"a\r\nb\r\nc"},
          {Step::kReplace, 1, 1, u""},
          {Step::kReplace, 4, 1, u""}},
         u"a\nb\rc",
         {0}},
        {"an edit just before a break leaves one break",
         {{Step::kAppend, 0, 0, u"a\r\n"}, {Step::kReplace, 0, 1, u"x"}},
         u"x\r\n",
         {0, 3}},
        {"a longer edit just before a break shifts it",
         {{Step::kAppend, 0, 0, u"ab\r\ncd\r\n"}, {Step::kReplace, 1, 1, u"XY"}},
         u"aXY\r\ncd\r\n",
         {0, 5, 9}},
        {"an insertion right before a CR",
         {{Step::kAppend, 0, 0, u"ab\r\ncd"}, {Step::kReplace, 2, 0, u"z"}},
         u"abz\r\ncd",
         {0, 5}},
        {"an insertion right after an LF",
         {{Step::kAppend, 0, 0, u"ab\r\ncd"}, {Step::kReplace, 4, 0, u"z"}},
         u"ab\r\nzcd",
         {0, 4}},
        {"inserted breaks in the middle of a line",
         {{Step::kAppend, 0, 0, u"abcd\r\nef"}, {Step::kReplace, 2, 0, u"\r\n\r\n"}},
         u"ab\r\n\r\ncd\r\nef",
         {0, 4, 6, 10}},
        {"replacing everything",
         {{Step::kAppend, 0, 0, u"ab\r\ncd\r\n"}, {Step::kReplace, 0, 100, u"\r\nx"}},
         u"\r\nx",
         {0, 2}},
        {"deleting everything",
         {{Step::kAppend, 0, 0, u"ab\r\ncd"}, {Step::kReplace, 0, 6, u""}},
         u"",
         {0}},
        {"a start beyond the end appends",
         {{Step::kAppend, 0, 0, u"ab\r"}, {Step::kReplace, 50, 3, u"\nc"}},
         u"ab\r\nc",
         {0, 4}},
        {"deleting the break at the very end",
         {{Step::kAppend, 0, 0, u"ab\r\n"},
          {Step::kReplace, 2, 2, u""},
          {Step::kAppend, 0, 0, u"\r\n"}},
         u"ab\r\n",
         {0, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextBuffer buffer;
        for (const Step& step : c.steps) {
            if (step.kind == Step::kAppend) {
                buffer.Append(step.text);
            } else {
                buffer.Replace(step.start, step.length, step.text);
            }
        }
        EXPECT_EQ(buffer.ReadAll(), c.expected);
        std::vector<std::size_t> starts;
        for (std::size_t line = 0; line < buffer.LineCount(); ++line) {
            starts.push_back(buffer.LineStart(line));
        }
        EXPECT_EQ(starts, c.lineStarts);
        EXPECT_TRUE(MatchesModel(buffer, std::u16string(c.expected)));
    }
}

TEST(TextBuffer, RandomEditsOfShortTextsAgreeWithTheModel) {
    std::mt19937 random(20240611);
    for (int script = 0; script < 300; ++script) {
        TextBuffer buffer;
        std::u16string model;
        for (int step = 0; step < 30; ++step) {
            const int kind = std::uniform_int_distribution<int>(0, 19)(random);
            if (kind < 6) {
                const std::u16string text = RandomUnits(random, 6);
                buffer.Append(text);
                model += text;
            } else if (kind < 17) {
                const std::size_t start =
                    std::uniform_int_distribution<std::size_t>(0, model.size() + 1)(random);
                const std::size_t length =
                    std::uniform_int_distribution<std::size_t>(0, kind == 16 ? 40 : 4)(random);
                const std::u16string text = RandomUnits(random, 5);
                buffer.Replace(start, length, text);
                ModelReplace(model, start, length, text);
            } else if (kind == 17) {
                buffer.Clear();
                model.clear();
            } else {
                buffer.ClearForRefill();
                model.clear();
                for (int i = std::uniform_int_distribution<int>(0, 3)(random); i > 0; --i) {
                    const std::u16string text = RandomUnits(random, 8);
                    buffer.Append(text);
                    model += text;
                }
                if (kind == 18) {
                    buffer.ReleaseSpareChunks();
                }
            }
            ASSERT_TRUE(MatchesModel(buffer, model)) << "script " << script << " step " << step;
        }
    }
}

TEST(TextBuffer, EditsOfATextOfSeveralChunksAgreeWithTheModel) {
    std::mt19937 random(77);
    TextBuffer buffer;
    std::u16string model = BigText(random, 2 * kChunk + 12345);
    model.replace(kChunk - 1, 2, u"\r\n");  // a break across the first chunk boundary
    // Appended in uneven pieces, so that pieces run across chunk boundaries.
    for (std::size_t at = 0; at < model.size();) {
        const std::size_t n = std::min<std::size_t>(model.size() - at, 300000 + at % 7919);
        buffer.Append(std::u16string_view(model).substr(at, n));
        at += n;
    }
    ASSERT_GE(buffer.ChunkCount(), 3u);
    ASSERT_EQ(buffer.ChunkStart(1), kChunk);
    ASSERT_TRUE(MatchesModel(buffer, model, 997));

    // Split, joined again and edited next to, where its CR and LF lie in different chunks.
    struct Edit {
        std::size_t start;
        std::size_t length;
        std::u16string_view text;
    };
    for (const Edit& edit :
         {Edit{kChunk, 0, u"x"}, Edit{kChunk, 1, u""}, Edit{kChunk - 2, 1, u"yz"},
          Edit{kChunk + 1, 0, u"\r\n"}, Edit{kChunk - 1, 3, u"\r"}}) {
        buffer.Replace(edit.start, edit.length, edit.text);
        ModelReplace(model, edit.start, edit.length, edit.text);
        ASSERT_TRUE(MatchesModel(buffer, model, 997)) << "at " << edit.start;
    }

    for (int step = 0; step < 8; ++step) {
        // Edits near a chunk boundary most of the time, else anywhere.
        const std::size_t chunk =
            std::uniform_int_distribution<std::size_t>(0, buffer.ChunkCount() - 1)(random);
        std::size_t start = std::uniform_int_distribution<std::size_t>(0, model.size())(random);
        if (step % 3 != 0) {
            const std::size_t boundary = buffer.ChunkStart(chunk);
            start =
                boundary - std::min<std::size_t>(
                               boundary, std::uniform_int_distribution<std::size_t>(0, 4)(random));
        }
        std::size_t length = std::uniform_int_distribution<std::size_t>(0, 8)(random);
        std::u16string text = RandomUnits(random, 6);
        if (step == 3) {
            length = kChunk + 5;  // across a whole chunk
        } else if (step == 7) {
            text = BigText(random, 2 * kChunk + 100);  // swells a chunk beyond two chunks
        } else if (step == 5) {
            length = 0;
            text = BigText(random, 500000);
        }
        buffer.Replace(start, length, text);
        ModelReplace(model, start, length, text);
        ASSERT_TRUE(MatchesModel(buffer, model, 4999, {start, start + text.size()}))
            << "step " << step << " start " << start << " length " << length << " text "
            << text.size();
    }
}

TEST(TextBuffer, RefillReusesChunksAndKeepsTheTextRight) {
    std::mt19937 random(5);
    TextBuffer buffer;
    std::u16string model = BigText(random, kChunk + 7);
    buffer.Append(model);
    ASSERT_TRUE(MatchesModel(buffer, model, 1009));

    // Smaller, then in more chunks than there are spares, then refilled twice before the spares
    // are released.
    for (const std::size_t length : {kChunk / 2, 2 * kChunk + 3, std::size_t{10}, kChunk + 1}) {
        SCOPED_TRACE(length);
        buffer.ClearForRefill();
        EXPECT_TRUE(MatchesModel(buffer, u""));
        model = BigText(random, length);
        for (std::size_t at = 0; at < model.size(); at += 65536) {
            buffer.Append(std::u16string_view(model).substr(at, 65536));
        }
        if (length != 10) {
            buffer.ReleaseSpareChunks();
        }
        EXPECT_EQ(buffer.WidestLineColumns(), ReferenceWidest(model));
        ASSERT_TRUE(MatchesModel(buffer, model, 1009));
        // The refilled text takes edits like any other.
        buffer.Replace(model.size() / 2, 3, u"\r\nX");
        ModelReplace(model, model.size() / 2, 3, u"\r\nX");
        ASSERT_TRUE(MatchesModel(buffer, model, 1009, {model.size() / 2}));
    }

    buffer.Clear();
    EXPECT_TRUE(MatchesModel(buffer, u""));
    EXPECT_EQ(buffer.ChunkCount(), 0u);
    buffer.Append(u"ab\r\nc");
    EXPECT_TRUE(MatchesModel(buffer, u"ab\r\nc"));
}

TEST(TextBufferOutOfMemory, AnEditThatFailsAtAnyAllocationLeavesTheTextAsItWas) {
    std::mt19937 random(31);
    // Two chunks with a CR LF across their seam.
    std::u16string twoChunks = BigText(random, kChunk + 5000);
    twoChunks.replace(kChunk - 1, 2, u"\r\n");
    // One full chunk that ends with the CR of a break.
    std::u16string fullChunk = BigText(random, kChunk);
    fullChunk.back() = u'\r';
    const std::u16string swelling = BigText(random, 2 * kChunk + 10);
    const std::u16string small = u"ab\r\ncd\tef\r\ngh";
    constexpr std::size_t kAll = std::u16string::npos;

    struct Case {
        const char* name;
        const std::u16string& before;
        std::size_t start;  // at the end: an append
        std::size_t length;
        std::u16string_view text;
    };
    const Case cases[] = {
        {"breaks added inside a line", small, 5, 2, u"XY\r\nZ\r\n"},
        {"a break deleted", small, 2, 2, u""},
        {"an insertion between CR and LF", small, 3, 0, u"x"},
        {"everything from a place deleted", small, 4, kAll, u""},
        {"an append completing a break", small, small.size(), 0, u"\r\n\t\r"},
        {"an edit across the chunk seam and its break", twoChunks, kChunk - 3, 6, u"\r\nQ"},
        {"an append that starts a chunk with an LF", fullChunk, kChunk, 0, u"\nxy\r\nz"},
        {"a paste that swells a chunk beyond two", twoChunks, 10, 0, swelling},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextBuffer buffer;
        for (std::size_t at = 0; at < c.before.size(); at += 300000) {
            buffer.Append(std::u16string_view(c.before).substr(at, 300000));
        }
        const std::size_t stride = c.before.size() > 1000 ? 997 : 1;
        const std::size_t widest = buffer.WidestLineColumns();
        std::size_t failures = 0;
        for (bool done = false; !done; ++failures) {
            ASSERT_LT(failures, 100u);
            AllocationFaults::countdown = failures + 1;
            try {
                buffer.Replace(c.start, c.length, c.text);
                done = true;
            } catch (const std::bad_alloc&) {
            }
            AllocationFaults::countdown = 0;
            if (!done) {
                ASSERT_TRUE(MatchesModel(buffer, c.before, stride, {c.start}))
                    << "failing at allocation " << failures + 1;
                ASSERT_EQ(buffer.WidestLineColumns(), widest) << failures + 1;
            }
        }
        EXPECT_GT(failures, 1u);
        std::u16string after = c.before;
        ModelReplace(after, c.start, c.length, c.text);
        EXPECT_TRUE(MatchesModel(buffer, after, stride, {c.start, c.start + c.text.size()}));
    }
}

TEST(TextLayout, ALineBeyondTheTextSlicesToNothing) {
    TextBuffer buffer;
    buffer.Append(u"ab\r\n\tcd");
    EXPECT_EQ(SliceLine(buffer, 1, 4, 5).text, u" c");
    for (const std::size_t line : {std::size_t{2}, std::size_t{5000}}) {
        EXPECT_TRUE(SliceLine(buffer, line, 0, 80).clusters.empty()) << "line " << line;
    }
}

TEST(TextLayout, SlicesWholeClustersThatTouchTheColumns) {
    // x, é (2 units), 中 (columns 2-3), the family (8 units, columns 4-5), a tab to 8, y.
    TextBuffer buffer;
    buffer.Append(u"xe\u0301\u4E2D\U0001F468\u200D\U0001F469\u200D\U0001F467\ty");
    struct Case {
        std::size_t first, count;
        std::u16string_view text;
        std::vector<std::size_t> positions, columns, widths;
    };
    const Case cases[] = {
        {0, 2, u"xe\u0301", {0, 1}, {0, 1}, {1, 1}},
        {3, 2, u"\u4E2D\U0001F468\u200D\U0001F469\u200D\U0001F467", {3, 4}, {2, 4}, {2, 2}},
        {5, 4, u"\U0001F468\u200D\U0001F469\u200D\U0001F467 y", {4, 12, 13}, {4, 6, 8}, {2, 2, 1}},
        {9, 4, u"", {}, {}, {}},
    };
    for (const Case& c : cases) {
        const LineSlice slice = SliceLine(buffer, 0, c.first, c.count);
        SCOPED_TRACE(testing::Message() << "columns from " << c.first);
        EXPECT_EQ(slice.text, c.text);
        std::vector<std::size_t> positions, columns, widths;
        std::size_t offset = 0;
        for (const SliceCluster& cluster : slice.clusters) {
            EXPECT_EQ(cluster.offset, offset);
            offset += cluster.length;
            positions.push_back(cluster.position);
            columns.push_back(cluster.column);
            widths.push_back(cluster.width);
        }
        EXPECT_EQ(offset, slice.text.size());
        EXPECT_EQ(positions, c.positions);
        EXPECT_EQ(columns, c.columns);
        EXPECT_EQ(widths, c.widths);
    }
}

TEST(TextLayout, RightToLeftRunsAreReversedWithinTheirColumns) {
    struct Case {
        std::u16string_view line;  // one cluster per unit
        std::vector<unsigned char> levels;
        std::vector<std::size_t> visual;
    };
    const Case cases[] = {
        {u"abc", {0, 0, 0}, {0, 1, 2}},
        {u"a\u05D0\u05D1b", {0, 1, 1, 0}, {0, 2, 1, 3}},
        // Digits in right-to-left text keep their own order: level 2 inside level 1.
        {u"\u05D012\u05D1", {1, 2, 2, 1}, {3, 1, 2, 0}},
        {u"\u4E2D\u05D0", {0, 1}, {0, 2}},
        {u"\u05D0\u4E2D\u05D1", {1, 1, 1}, {3, 1, 0}},  // the wide one keeps two columns
    };
    for (const Case& c : cases) {
        TextBuffer buffer;
        buffer.Append(c.line);
        EXPECT_EQ(VisualColumns(SliceLine(buffer, 0, 0, 80), c.levels), c.visual)
            << "line of " << c.line.size();
    }
}

TEST(TextBufferWidestLine, CountsTabStopsWideCharactersAndClusters) {
    struct Case {
        std::vector<std::u16string_view> appends;
        std::size_t expected;
    };
    const Case cases[] = {
        {{u"\tab"}, 10},
        {{u"abc\tx"}, 9},
        {{u"abcdefgh\tx"}, 17},
        {{u"abcdefg\t"}, 8},
        {{u"a\U0001F600b"}, 4},
        {{u"\u4E2D\u6587"}, 4},    // Chinese: two columns each
        {{u"e\u0301\u0301x"}, 2},  // marks sit on their letter
        {{u"\u0301a"}, 2},         // a mark with nothing before it takes a column
        {{u"\t\u0301"}, 9},        // and so after a tab
        {{u"\U0001F468\u200D\U0001F469\u200D\U0001F467"}, 2},  // one joined emoji
        {{u"\u200D\U0001F469"}, 3},          // a joiner after no emoji joins nothing
        {{u"\U0001F44D\U0001F3FD"}, 2},      // a skin tone sits on its hand
        {{u"\U0001F1E9\U0001F1EA"}, 2},      // a flag: two regional indicators
        {{u"\u1100\u1161\u11A8"}, 2},        // conjoining jamo make one syllable
        {{u"\u4E2D\xD83D", u"\xDE00x"}, 5},  // a pair split across appends
        {{u"\U0001F600\t"}, 8},
        {{u"\xDE00\xD83D"}, 2},  // reversed halves are two characters
        {{u"ab\r\nabcdef\r\nx"}, 6},
        {{u"ab\rc"}, 4},        // a lone CR takes a column
        {{u"abc", u"\tx"}, 9},  // the count goes on across appends
        {{u"a\xD83D", u"\xDE00"}, 3},
        {{u"\t\t", u"\r\nab"}, 16},
    };
    for (const Case& c : cases) {
        std::u16string whole;
        TextBuffer buffer;
        for (const std::u16string_view text : c.appends) {
            buffer.Append(text);
            whole += text;
        }
        SCOPED_TRACE(testing::Message() << "text length " << whole.size());
        EXPECT_EQ(buffer.WidestLineColumns(), c.expected);
    }
}

TEST(TextBufferWidestLine, IsExactForOneAppendAndNeverBelowTheTextAfterEdits) {
    std::mt19937 random(99);
    for (int script = 0; script < 400; ++script) {
        std::u16string model = RandomUnits(random, script % 2 == 0 ? 40 : 90, script % 2 == 1);
        TextBuffer buffer;
        buffer.Append(model);
        ASSERT_EQ(buffer.WidestLineColumns(), ReferenceWidest(model)) << "script " << script;
        ASSERT_TRUE(MatchesModel(buffer, model)) << "script " << script;

        // Appended piece by piece, a break split between appends may count its CR.
        TextBuffer pieces;
        for (std::size_t at = 0; at < model.size(); at += 3) {
            pieces.Append(std::u16string_view(model).substr(at, 3));
        }
        ASSERT_GE(pieces.WidestLineColumns(), ReferenceWidest(model)) << "script " << script;
        ASSERT_LE(pieces.WidestLineColumns(), ReferenceWidest(model) + 1) << "script " << script;

        for (int step = 0; step < 8; ++step) {
            const std::size_t start =
                std::uniform_int_distribution<std::size_t>(0, model.size())(random);
            const std::u16string text = RandomUnits(random, 12);
            buffer.Replace(start, 2, text);
            ModelReplace(model, start, 2, text);
            ASSERT_GE(buffer.WidestLineColumns(), ReferenceWidest(model))
                << "script " << script << " step " << step;
        }
        buffer.ClearForRefill();
        EXPECT_EQ(buffer.WidestLineColumns(), 0u);
        buffer.Append(u"abc");
        EXPECT_EQ(buffer.WidestLineColumns(), 3u);
    }
}

}  // namespace
}  // namespace orsk
