#include "window/textmodel/TextEditor.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>
#include <new>
#include <random>
#include <string>
#include <string_view>

#include "common/Utf16.h"
#include "window/textmodel/GraphemeClusters.h"
#include "window/textmodel/TextColumns.h"
#include "window/textmodel/TextLayout.h"

namespace orsk {
namespace {

// "a", U+1F600 as a surrogate pair, "b".
constexpr std::u16string_view kPairText = u"a\U0001F600b";
// Grapheme clusters of several units: a thumbs-up with a skin tone; a family of three joined by
// ZWJs; two flags, each a pair of regional indicators.
constexpr std::u16string_view kThumbsUp = u"\U0001F44D\U0001F3FD";
constexpr std::u16string_view kFamily = u"\U0001F468\u200D\U0001F469\u200D\U0001F467";
constexpr std::u16string_view kTwoFlags = u"\U0001F1E9\U0001F1EA\U0001F1E9\U0001F1EA";

TextEditor EditorWith(std::u16string_view text) {
    TextEditor editor;
    editor.AppendProgramText(text);
    return editor;
}

void ExpectSelection(const TextEditor& editor, std::size_t anchor, std::size_t caret) {
    EXPECT_EQ(editor.Anchor(), anchor);
    EXPECT_EQ(editor.Caret(), caret);
}

struct MoveCase {
    std::u16string_view text;
    std::size_t from;
    CaretMove move;
    std::size_t expected;
};

void ExpectMoves(std::initializer_list<MoveCase> cases) {
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "text length " << c.text.size() << " from " << c.from
                                        << " move " << static_cast<int>(c.move));
        TextEditor editor = EditorWith(c.text);
        editor.Select(c.from, c.from);
        editor.Move(c.move, false);
        ExpectSelection(editor, c.expected, c.expected);
    }
}

TEST(TextEditorMove, LeftAndRightStepOverALineBreakAPairOrAClusterAtOnce) {
    ExpectMoves({
        {u"ab\r\ncd", 4, CaretMove::Left, 2},
        {u"ab\r\ncd", 2, CaretMove::Right, 4},
        {u"ab\r\ncd", 3, CaretMove::Left, 2},
        {u"ab\r\n\r\n", 6, CaretMove::Left, 4},
        {u"ab\r\n\r\n", 4, CaretMove::Right, 6},
        {kPairText, 3, CaretMove::Left, 1},
        {kPairText, 1, CaretMove::Right, 3},
        {kPairText, 4, CaretMove::Left, 3},
        {u"\U0001F600\U0001F600", 2, CaretMove::Right, 4},
        {u"\U0001F600\U0001F600", 2, CaretMove::Left, 0},
        // Lone CR, lone LF and a lone or reversed half are single characters.
        {u"a\r\nb\rc", 5, CaretMove::Left, 4},
        {u"a\nb", 1, CaretMove::Right, 2},
        {u"a\xDE00\xD83D", 3, CaretMove::Left, 2},
        {u"a\xDE00\xD83D", 1, CaretMove::Right, 2},
        // An unpaired half takes no mark.
        {u"\xDE00\u0301", 0, CaretMove::Right, 1},
        // Letters with their marks (GB9), one and two.
        {u"e\u0301x", 0, CaretMove::Right, 2},
        {u"e\u0301x", 2, CaretMove::Left, 0},
        {u"a\u0308\u0323b", 0, CaretMove::Right, 3},
        {u"a\u0308\u0323b", 3, CaretMove::Left, 0},
        // A spacing mark after (GB9a), a prepended sign before (GB9b).
        {u"\u0915\u0903x", 0, CaretMove::Right, 2},
        {u"\u0600ab", 0, CaretMove::Right, 2},
        // Unicode 15.0 gives the virama no joining rule of its own: "क्" and
        // "ष" are two.
        {u"\u0915\u094D\u0937", 0, CaretMove::Right, 2},
        {u"\u0915\u094D\u0937", 3, CaretMove::Left, 2},
        // Emoji: a modifier (GB9) and a ZWJ sequence (GB11); a ZWJ after a letter joins
        // nothing after it.
        {kThumbsUp, 0, CaretMove::Right, 4},
        {kThumbsUp, 4, CaretMove::Left, 0},
        {kFamily, 0, CaretMove::Right, 8},
        {kFamily, 8, CaretMove::Left, 0},
        {kFamily, 3, CaretMove::Left, 0},
        {u"a\u200D\U0001F468", 0, CaretMove::Right, 2},
        {u"a\u200D\U0001F468", 4, CaretMove::Left, 2},
        // Regional indicators pair up from the start of their run (GB12, GB13).
        {kTwoFlags, 0, CaretMove::Right, 4},
        {kTwoFlags, 4, CaretMove::Right, 8},
        {kTwoFlags, 8, CaretMove::Left, 4},
        {kTwoFlags, 4, CaretMove::Left, 0},
        {kTwoFlags, 2, CaretMove::Right, 4},
        {kTwoFlags, 6, CaretMove::Left, 4},
        // Hangul jamo L V T make a syllable (GB6 to GB8); a second L starts the next.
        {u"\u1100\u1161\u11A8\u1100", 0, CaretMove::Right, 3},
        {u"\u1100\u1161\u11A8\u1100", 4, CaretMove::Left, 3},
        {u"\u1100\u1161\u11A8\u1100", 3, CaretMove::Left, 0},
        {u"\uAC00\u11A8\uAC01\u1161", 0, CaretMove::Right, 2},
        {u"\uAC00\u11A8\uAC01\u1161", 2, CaretMove::Right, 3},
        // The ends of the text.
        {u"ab", 0, CaretMove::Left, 0},
        {u"ab", 2, CaretMove::Right, 2},
        {u"", 0, CaretMove::Right, 0},
    });
}

TEST(TextEditorMove, LeftAndRightCollapseASelectionUnlessExtending) {
    for (const bool backwards : {false, true}) {
        SCOPED_TRACE(backwards);
        TextEditor editor = EditorWith(u"abcdef");
        auto selectBtoE = [&] { backwards ? editor.Select(4, 1) : editor.Select(1, 4); };

        selectBtoE();
        editor.Move(CaretMove::Left, false);
        ExpectSelection(editor, 1, 1);

        selectBtoE();
        editor.Move(CaretMove::Right, false);
        ExpectSelection(editor, 4, 4);

        // With Shift the caret end moves one step and the anchor stays.
        selectBtoE();
        editor.Move(CaretMove::Left, true);
        ExpectSelection(editor, backwards ? 4 : 1, backwards ? 0 : 3);
        selectBtoE();
        editor.Move(CaretMove::Right, true);
        ExpectSelection(editor, backwards ? 4 : 1, backwards ? 2 : 5);
        EXPECT_EQ(editor.SelectedText(), backwards ? u"cd" : u"bcde");
    }
    // Shift extends by whole clusters too.
    TextEditor marks = EditorWith(u"e\u0301e\u0301");
    marks.Select(0, 0);
    marks.Move(CaretMove::Right, true);
    ExpectSelection(marks, 0, 2);
    marks.Move(CaretMove::Right, true);
    marks.Move(CaretMove::Left, true);
    ExpectSelection(marks, 0, 2);
}

TEST(TextEditorMove, UpAndDownKeepTheWantedColumnAcrossAShortLine) {
    // Lines start at 0, 8 and 12.
    TextEditor editor = EditorWith(u"abcdef\r\nab\r\nabcdefgh");
    editor.Select(5, 5);
    editor.Move(CaretMove::Down, false);
    EXPECT_EQ(editor.Caret(), 10u);  // the short line's end
    editor.Move(CaretMove::Down, false);
    EXPECT_EQ(editor.Caret(), 17u);  // column 5 again
    editor.Move(CaretMove::Down, false);
    EXPECT_EQ(editor.Caret(), 17u);  // the last line: nowhere to go
    editor.Move(CaretMove::Up, false);
    editor.Move(CaretMove::Up, true);
    ExpectSelection(editor, 10, 5);
    editor.Move(CaretMove::Up, true);
    ExpectSelection(editor, 10, 5);

    // A horizontal move sets a new wanted column.
    editor.Select(17, 17);
    editor.Move(CaretMove::Up, false);
    editor.Move(CaretMove::Left, false);
    EXPECT_EQ(editor.Caret(), 9u);
    editor.Move(CaretMove::Down, false);
    EXPECT_EQ(editor.Caret(), 13u);
    // So does an edit.
    editor.Select(18, 18);
    editor.Move(CaretMove::Up, false);
    editor.TypeCharacter(u'!');
    EXPECT_EQ(editor.Text().ReadAll(), u"abcdef\r\nab!\r\nabcdefgh");
    editor.Move(CaretMove::Down, false);
    EXPECT_EQ(editor.Caret(), 16u);
}

TEST(TextEditorMove, PageMovesGoByPageLinesAndStopAtTheEnds) {
    // Ten lines "L0" to "L9", each at 4 * its number.
    std::u16string text;
    for (char16_t i = 0; i < 10; ++i) {
        text += (i ? u"\r\nL" : u"L") + std::u16string(1, u'0' + i);
    }
    TextEditor editor = EditorWith(text);
    editor.Select(9, 9);  // line 2, column 1
    struct Step {
        CaretMove move;
        std::size_t pageLines;
        std::size_t line;
    };
    for (const Step& step : {Step{CaretMove::PageDown, 5, 7}, Step{CaretMove::PageDown, 5, 9},
                             Step{CaretMove::PageDown, 5, 9}, Step{CaretMove::PageUp, 5, 4},
                             Step{CaretMove::PageUp, 3, 1}, Step{CaretMove::PageUp, 5, 0},
                             Step{CaretMove::PageDown, 0, 1}, Step{CaretMove::PageUp, 0, 0}}) {
        editor.Move(step.move, false, step.pageLines);
        EXPECT_EQ(editor.Caret(), step.line * 4 + 1) << "to line " << step.line;
    }
    // The column is kept across a shorter last line, with Shift the anchor stays.
    TextEditor shortEnd = EditorWith(u"abcd\r\nabcd\r\na");
    shortEnd.Select(3, 3);
    shortEnd.Move(CaretMove::PageDown, true, 10);
    ExpectSelection(shortEnd, 3, 13);
    shortEnd.Move(CaretMove::PageUp, true, 1);
    ExpectSelection(shortEnd, 3, 9);
}

TEST(TextEditorMove, HomeEndAndTheTextEnds) {
    // "ab" at 0, "cdef" at 4, "g" at 10.
    constexpr std::u16string_view kText = u"ab\r\ncdef\r\ng";
    ExpectMoves({
        {kText, 6, CaretMove::LineStart, 4},
        {kText, 6, CaretMove::LineEnd, 8},
        {kText, 4, CaretMove::LineEnd, 8},
        {kText, 8, CaretMove::LineStart, 4},
        {kText, 11, CaretMove::LineStart, 10},
        {kText, 0, CaretMove::LineEnd, 2},
        {kText, 6, CaretMove::TextStart, 0},
        {kText, 6, CaretMove::TextEnd, 11},
        {u"ab\r\n", 1, CaretMove::TextEnd, 4},
    });
    TextEditor editor = EditorWith(kText);
    editor.Select(6, 6);
    editor.Move(CaretMove::LineEnd, true);
    editor.Move(CaretMove::TextStart, true);
    ExpectSelection(editor, 6, 0);
}

TEST(TextEditorMove, WordMovesGoOverAWordAndItsBlanksAndAcrossLines) {
    // "foo  bar\tbaz" at 0, "  qux" at 14.
    constexpr std::u16string_view kText = u"foo  bar\tbaz\r\n  qux";
    std::size_t expectedRight[] = {5, 9, 12, 14, 16, 19, 19};
    TextEditor editor = EditorWith(kText);
    editor.Select(0, 0);
    for (const std::size_t expected : expectedRight) {
        editor.Move(CaretMove::WordRight, false);
        EXPECT_EQ(editor.Caret(), expected);
    }
    std::size_t expectedLeft[] = {16, 14, 12, 9, 5, 0, 0};
    for (const std::size_t expected : expectedLeft) {
        editor.Move(CaretMove::WordLeft, false);
        EXPECT_EQ(editor.Caret(), expected);
    }
    ExpectMoves({
        {kText, 1, CaretMove::WordRight, 5},
        {kText, 3, CaretMove::WordRight, 5},
        {kText, 4, CaretMove::WordLeft, 0},
        {kText, 7, CaretMove::WordLeft, 5},
        {u"ab\r\n\r\ncd", 4, CaretMove::WordRight, 6},
        {u"ab\r\n\r\ncd", 6, CaretMove::WordLeft, 4},
        // A blank with a mark on it is still a blank, and whole.
        {u"ab \u0301cd", 0, CaretMove::WordRight, 4},
        {u"ab \u0301cd", 6, CaretMove::WordLeft, 4},
    });
}

TEST(TextEditorSelectWord, SelectsTheWordOrBlankRunWithinTheLine) {
    constexpr std::u16string_view kText = u"foo  bar\tbaz\r\n  q\U0001F600x\r\n\r\nz";
    struct Case {
        std::size_t at;
        std::size_t start;
        std::size_t end;
    };
    // At a line's end (12, 20, 25) the word before it; on an empty line (22) nothing.
    const Case cases[] = {
        {0, 0, 3},    {1, 0, 3},    {3, 3, 5},    {4, 3, 5},    {5, 5, 8},
        {8, 8, 9},    {12, 9, 12},  {14, 14, 16}, {16, 16, 20}, {17, 16, 20},
        {20, 16, 20}, {22, 22, 22}, {24, 24, 25}, {25, 24, 25}, {99, 24, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        TextEditor editor = EditorWith(kText);
        editor.SelectWordAt(c.at);
        ExpectSelection(editor, c.start, c.end);
    }
    // "éé" at 0, a blank with a mark at 4, "x" at 6: a click inside a cluster takes
    // the cluster's word or blank run.
    for (const Case& c : {Case{1, 0, 4}, Case{4, 4, 6}, Case{5, 4, 6}, Case{6, 6, 7}}) {
        SCOPED_TRACE(c.at);
        TextEditor editor = EditorWith(u"e\u0301e\u0301 \u0301x");
        editor.SelectWordAt(c.at);
        ExpectSelection(editor, c.start, c.end);
    }
    TextEditor empty;
    empty.SelectWordAt(0);
    EXPECT_FALSE(empty.HasSelection());
}

TEST(TextEditorUndo, TypingUndoesAsOneEditAndASecondUndoRedoesIt) {
    TextEditor editor = EditorWith(u"x\r\n");
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.Undo());
    EXPECT_FALSE(editor.Modified());
    for (const char16_t unit : std::u16string_view(u"abc")) {
        EXPECT_TRUE(editor.TypeCharacter(unit));
    }
    EXPECT_EQ(editor.Text().ReadAll(), u"x\r\nabc");
    EXPECT_TRUE(editor.Modified());
    ExpectSelection(editor, 6, 6);

    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(editor.Text().ReadAll(), u"x\r\n");
    ExpectSelection(editor, 3, 3);
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(editor.Text().ReadAll(), u"x\r\nabc");
    ExpectSelection(editor, 3, 6);  // the redone text is selected
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(editor.Text().ReadAll(), u"x\r\n");
    EXPECT_EQ(editor.Text().LineCount(), 2u);
}

TEST(TextEditorUndo, OnlyUnbrokenTypingMerges) {
    // Typing after a caret move starts a new edit.
    TextEditor moved = EditorWith(u"");
    moved.TypeCharacter(u'a');
    moved.TypeCharacter(u'b');
    moved.Move(CaretMove::Left, false);
    moved.TypeCharacter(u'x');
    EXPECT_EQ(moved.Text().ReadAll(), u"axb");
    moved.Undo();
    EXPECT_EQ(moved.Text().ReadAll(), u"ab");

    // A deletion is an edit of its own, and so is the typing after it.
    TextEditor deleted = EditorWith(u"");
    deleted.TypeCharacter(u'a');
    deleted.TypeCharacter(u'b');
    deleted.TypeCharacter(u'c');
    deleted.Backspace();
    EXPECT_EQ(deleted.Text().ReadAll(), u"ab");
    deleted.Undo();
    EXPECT_EQ(deleted.Text().ReadAll(), u"abc");
    ExpectSelection(deleted, 2, 3);  // the restored "c" is selected
    deleted.Select(3, 3);
    deleted.Backspace();
    deleted.TypeCharacter(u'Z');
    deleted.Undo();
    EXPECT_EQ(deleted.Text().ReadAll(), u"ab");

    // A paste is not typing: typing after it undoes alone.
    TextEditor pasted = EditorWith(u"");
    pasted.ReplaceSelection(u"paste");
    pasted.TypeCharacter(u'!');
    pasted.Undo();
    EXPECT_EQ(pasted.Text().ReadAll(), u"paste");
    // Typing after an undo does not join the undone edit.
    pasted.TypeCharacter(u'?');
    pasted.Undo();
    EXPECT_EQ(pasted.Text().ReadAll(), u"paste");
}

TEST(TextEditorUndo, TypingOverASelectionUndoesToTheSelectedText) {
    TextEditor editor = EditorWith(u"hello");
    editor.Select(4, 1);
    editor.TypeCharacter(u'a');
    editor.TypeCharacter(u'b');
    EXPECT_EQ(editor.Text().ReadAll(), u"habo");
    editor.Undo();
    EXPECT_EQ(editor.Text().ReadAll(), u"hello");
    ExpectSelection(editor, 1, 4);
    editor.Undo();
    EXPECT_EQ(editor.Text().ReadAll(), u"habo");
    ExpectSelection(editor, 1, 3);

    // Pasting over a selection across lines, then undoing it, restores the line breaks.
    TextEditor lines = EditorWith(u"ab\r\ncd\r\nef");
    lines.Select(1, 9);
    EXPECT_TRUE(lines.ReplaceSelection(u"X"));
    EXPECT_EQ(lines.Text().LineCount(), 1u);
    lines.Undo();
    EXPECT_EQ(lines.Text().ReadAll(), u"ab\r\ncd\r\nef");
    EXPECT_EQ(lines.Text().LineCount(), 3u);
    EXPECT_EQ(lines.SelectedText(), u"b\r\ncd\r\ne");

    // Nothing to replace and nothing to insert is no edit.
    TextEditor unchanged = EditorWith(u"ab");
    EXPECT_FALSE(unchanged.ReplaceSelection(u""));
    EXPECT_FALSE(unchanged.DeleteSelection());
    EXPECT_FALSE(unchanged.CanUndo());
    EXPECT_FALSE(unchanged.Modified());
}

TEST(TextEditorDelete, BackspaceAndDeleteTakeWholeLineBreaksPairsAndClusters) {
    struct Case {
        std::u16string_view text;
        std::size_t anchor;
        std::size_t caret;
        bool backspace;
        std::u16string_view expected;  // the text unchanged when nothing is deleted
        std::size_t expectedCaret;
        bool word = false;  // with Ctrl: to where Ctrl+Left or Ctrl+Right goes
    };
    // "foo  bar\tbaz" at 0, "  qux" at 14.
    constexpr std::u16string_view kWords = u"foo  bar\tbaz\r\n  qux";
    constexpr std::u16string_view kFamilyWord = u"\U0001F468\u200D\U0001F469\u200D\U0001F467 x";
    const Case cases[] = {
        {u"ab", 0, 0, true, u"ab", 0},
        {u"ab", 2, 2, false, u"ab", 2},
        {u"", 0, 0, true, u"", 0},
        {u"", 0, 0, false, u"", 0},
        {u"ab\r\ncd", 4, 4, true, u"abcd", 2},
        {u"ab\r\ncd", 2, 2, false, u"abcd", 2},
        {u"ab\r\n", 4, 4, true, u"ab", 2},
        {kPairText, 3, 3, true, u"ab", 1},
        {kPairText, 1, 1, false, u"ab", 1},
        {u"a\r\rb", 2, 2, false, u"a\rb", 2},
        {u"a\xDE00\xD83D", 3, 3, true, u"a\xDE00", 2},
        {u"\xDE00\u0301", 1, 1, true, u"\u0301", 0},
        {u"xe\u0301y", 3, 3, true, u"xy", 1},
        {u"xe\u0301y", 1, 1, false, u"xy", 1},
        {u"a\u0308\u0323", 3, 3, true, u"", 0},
        {u"a\u0308\u0323", 0, 0, false, u"", 0},
        {kThumbsUp, 4, 4, true, u"", 0},
        {kThumbsUp, 0, 0, false, u"", 0},
        {kFamily, 8, 8, true, u"", 0},
        {kFamily, 0, 0, false, u"", 0},
        {kTwoFlags, 8, 8, true, kTwoFlags.substr(0, 4), 4},
        {kTwoFlags, 0, 0, false, kTwoFlags.substr(4), 0},
        {u"\u1100\u1161\u11A8", 3, 3, true, u"", 0},
        {u"\u1100\u1161\u11A8", 0, 0, false, u"", 0},
        {u"\u0915\u094D\u0937", 3, 3, true, u"\u0915\u094D", 2},
        {u"\u0915\u094D\u0937", 0, 0, false, u"\u0937", 0},
        // Deleting what kept two clusters apart joins them: the caret goes after the joined one.
        {u"a\r\n\u0301b", 3, 3, true, u"a\u0301b", 2},
        {u"\U0001F1E9x\U0001F1EA\U0001F1E9", 2, 2, false, u"\U0001F1E9\U0001F1EA\U0001F1E9", 4},
        // A selection goes whole, whichever key.
        {u"abcdef", 4, 1, true, u"aef", 1},
        {u"abcdef", 1, 4, false, u"aef", 1},
        {u"abcdef", 4, 1, true, u"aef", 1, true},
        // Ctrl+Delete takes the rest of the word and the blanks after it, Ctrl+Backspace the
        // word before the caret with the blanks in between; at a line's end, its break.
        {kWords, 0, 0, false, u"bar\tbaz\r\n  qux", 0, true},
        {kWords, 12, 12, false, u"foo  bar\tbaz  qux", 12, true},
        {kWords, 19, 19, false, kWords, 19, true},
        {kWords, 7, 7, true, u"foo  r\tbaz\r\n  qux", 5, true},
        {kWords, 14, 14, true, u"foo  bar\tbaz  qux", 12, true},
        {kWords, 16, 16, true, u"foo  bar\tbaz\r\nqux", 14, true},
        {kWords, 0, 0, true, kWords, 0, true},
        // Clusters go whole: a blank with a mark, a joined emoji.
        {u"ab \u0301cd", 0, 0, false, u"cd", 0, true},
        {kFamilyWord, 8, 8, true, u" x", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text length " << c.text.size() << " caret " << c.caret
                                        << " backspace " << c.backspace << " word " << c.word);
        TextEditor editor = EditorWith(c.text);
        editor.Select(c.anchor, c.caret);
        const bool changed =
            c.word ? (c.backspace ? editor.DeleteWordBackward() : editor.DeleteWordForward())
                   : (c.backspace ? editor.Backspace() : editor.DeleteForward());
        EXPECT_EQ(changed, c.expected != c.text);
        EXPECT_EQ(editor.CanUndo(), changed);
        EXPECT_EQ(editor.Text().ReadAll(), c.expected);
        ExpectSelection(editor, c.expectedCaret, c.expectedCaret);
        if (changed) {
            editor.Undo();
            EXPECT_EQ(editor.Text().ReadAll(), c.text);
        }
    }
}

TEST(TextEditorDelete, TypingBeforeAMarkPutsTheCaretAfterTheJoinedCluster) {
    TextEditor editor = EditorWith(u"\u0301z");
    editor.Select(0, 0);
    editor.TypeCharacter(u'e');
    EXPECT_EQ(editor.Text().ReadAll(), u"e\u0301z");
    ExpectSelection(editor, 2, 2);
    // What is typed next goes after the mark, as an edit of its own.
    editor.TypeCharacter(u'!');
    EXPECT_EQ(editor.Text().ReadAll(), u"e\u0301!z");
    editor.Undo();
    EXPECT_EQ(editor.Text().ReadAll(), u"e\u0301z");
}

TEST(TextEditorProgramText, AppendingForgetsTheUndoAndPutsTheCaretAtTheEnd) {
    TextEditor editor = EditorWith(u"abc");
    editor.Select(0, 2);
    editor.TypeCharacter(u'x');
    editor.Select(0, 1);
    editor.AppendProgramText(u"\r\nmore");
    EXPECT_EQ(editor.Text().ReadAll(), u"xc\r\nmore");
    ExpectSelection(editor, 8, 8);
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.Undo());
    EXPECT_EQ(editor.Text().ReadAll(), u"xc\r\nmore");

    // Typing after the program's text undoes only the typing.
    editor.TypeCharacter(u'!');
    editor.AppendProgramText(u"+");
    EXPECT_FALSE(editor.CanUndo());
    editor.TypeCharacter(u'?');
    editor.Undo();
    EXPECT_EQ(editor.Text().ReadAll(), u"xc\r\nmore!+");
}

TEST(TextEditorProgramText, ReplacingAllStartsAFreshText) {
    TextEditor editor = EditorWith(u"an old line much wider than the new ones\r\nold");
    editor.Select(3, 6);
    editor.TypeCharacter(u'x');
    editor.ReplaceAllProgramText(u"new\r\ntext");
    EXPECT_EQ(editor.Text().ReadAll(), u"new\r\ntext");
    EXPECT_EQ(editor.Text().LineCount(), 2u);
    EXPECT_EQ(editor.Text().WidestLineColumns(), 4u);
    ExpectSelection(editor, 9, 9);
    EXPECT_FALSE(editor.Undo());

    editor.ReplaceAllProgramText(u"");
    EXPECT_EQ(editor.Length(), 0u);
    EXPECT_EQ(editor.Text().LineCount(), 1u);
    EXPECT_EQ(editor.Text().WidestLineColumns(), 0u);
    ExpectSelection(editor, 0, 0);
}

TEST(TextEditorColumns, ColumnOfExpandsTabsAndCountsAWidePairAsTwo) {
    // "\tab" at 0, "a\tb" at 5, "x" U+1F600 "y" at 10; between the halves of the pair, the
    // high half alone counts.
    const TextEditor editor = EditorWith(u"\tab\r\na\tb\r\nx\U0001F600y");
    const std::size_t expected[] = {0, 8, 9, 10, 10,  // inside the break: the line's end
                                    0, 1, 8, 9,  9,  0, 1, 2, 3, 4};
    for (std::size_t p = 0; p < std::size(expected); ++p) {
        EXPECT_EQ(editor.ColumnOf(p), expected[p]) << "position " << p;
    }
    EXPECT_EQ(editor.ColumnOf(99), 4u);
    EXPECT_EQ(EditorWith(u"abcdefgh\tx").ColumnOf(9), 16u);
    EXPECT_EQ(EditorWith(u"abcdefg\tx").ColumnOf(8), 8u);
}

// A line of tens of thousands of units, found from points along it: every answer is the one
// counted from the line's start, also after the line grows and after an edit in it.
TEST(TextEditorColumns, ALongLineAnswersAsCountedFromItsStart) {
    const std::u16string piece = u"ab\t\u4E2De\u0301\U0001F468\u200D\U0001F469x";  // 12 units
    std::u16string line;
    while (line.size() < 5 * LineColumns::kPointUnits) {
        line += piece;
    }
    TextEditor editor = EditorWith(u"first\r\n" + line);
    const auto check = [&](const std::u16string& model) {
        const TextBuffer& text = editor.Text();
        for (std::size_t at = 0; at <= model.size(); at += 997) {
            ASSERT_EQ(editor.ColumnOf(7 + at), ColumnsOf(std::u16string_view(model).substr(0, at)))
                << "position " << at;
        }
        const std::size_t columns = ColumnsOf(model);
        for (std::size_t column = 0; column < columns + 3; column += 1013) {
            const std::size_t p = editor.PositionAtColumn(1, column);
            ASSERT_LE(editor.ColumnOf(p), column) << "column " << column;
            ASSERT_TRUE(p == text.Length() ||
                        editor.ColumnOf(NextClusterBoundary(text, p)) > column)
                << "column " << column;
            const LineSlice fast = SliceLine(text, editor.Columns(), 1, column, 40);
            const LineSlice slow = SliceLine(text, 1, column, 40);
            ASSERT_EQ(fast.text, slow.text) << "column " << column;
            ASSERT_EQ(fast.clusters.size(), slow.clusters.size()) << "column " << column;
        }
    };
    check(line);
    editor.AppendProgramText(piece + piece);
    check(line + piece + piece);
    editor.Select(7 + 3, 7 + 4);  // the first wide character goes
    editor.ReplaceSelection(u"");
    check(line.substr(0, 3) + line.substr(4) + piece + piece);
}

TEST(TextEditorColumns, PositionAtColumnIsTheLastPositionNotBeyondTheColumn) {
    const TextEditor editor = EditorWith(u"\tab\r\na\tb\r\nx\U0001F600y\r\n");
    struct Case {
        std::size_t line;
        std::size_t column;
        std::size_t expected;
    };
    // A column inside a tab or a wide character gives the position before it, never one
    // between the halves of the pair; line 3 is the empty last line and stands for any line
    // beyond.
    const Case cases[] = {
        {0, 0, 0},  {0, 8, 1},  {0, 9, 2},  {0, 10, 3}, {0, 40, 3},  {0, 3, 0},
        {0, 7, 0},  {1, 1, 6},  {1, 5, 6},  {1, 8, 7},  {2, 0, 10},  {2, 1, 11},
        {2, 2, 11}, {2, 3, 13}, {2, 4, 14}, {3, 5, 16}, {99, 1, 16},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(editor.PositionAtColumn(c.line, c.column), c.expected)
            << "line " << c.line << " column " << c.column;
    }
    // A column inside a cluster gives its start: "é" takes column 0, "x" column 1 and the
    // family (at 3) columns 2 and 3.
    const TextEditor clusters = EditorWith(std::u16string(u"e\u0301x") + std::u16string(kFamily));
    for (const Case& c :
         {Case{0, 0, 0}, Case{0, 1, 2}, Case{0, 2, 3}, Case{0, 3, 3}, Case{0, 4, 11}}) {
        EXPECT_EQ(clusters.PositionAtColumn(c.line, c.column), c.expected) << "column " << c.column;
    }

    // On random lines: the column of the position found is at most the one asked for, the next
    // character would pass it, and the position is never inside a pair.
    std::mt19937 random(3);
    static constexpr char16_t kUnits[] = {u'a', u'\t', 0xD83D, 0xDE00, u' '};
    for (int round = 0; round < 200; ++round) {
        std::u16string line(std::uniform_int_distribution<std::size_t>(0, 12)(random), u'a');
        for (char16_t& unit : line) {
            unit = kUnits[std::uniform_int_distribution<std::size_t>(0, 4)(random)];
        }
        TextEditor onLine = EditorWith(u"first\r\n" + line);
        for (std::size_t column = 0; column <= ColumnsOf(line) + 2; ++column) {
            const std::size_t p = onLine.PositionAtColumn(1, column);
            const std::size_t at = p - 7;
            ASSERT_LE(at, line.size());
            ASSERT_FALSE(at > 0 && at < line.size() && IsHighSurrogate(line[at - 1]) &&
                         IsLowSurrogate(line[at]))
                << "round " << round << " column " << column;
            ASSERT_LE(onLine.ColumnOf(p), column) << "round " << round << " column " << column;
            if (at < line.size()) {
                std::size_t next = at + 1;
                if (IsHighSurrogate(line[at]) && next < line.size() && IsLowSurrogate(line[next])) {
                    ++next;
                }
                ASSERT_GT(ColumnsOf(std::u16string_view(line).substr(0, next)), column)
                    << "round " << round << " column " << column;
            }
        }
    }
}

// Everything the user and the screen can tell of an editor: its text, a line index that agrees
// with the text, the selection, the modified flag, and what Undo would do.
testing::AssertionResult SameEditor(const TextEditor& actual, const TextEditor& expected) {
    const TextBuffer& lines = actual.Text();
    const std::u16string text = lines.ReadAll();
    if (text != expected.Text().ReadAll()) {
        return testing::AssertionFailure() << "the text differs";
    }
    // A line starts after every CR LF and nowhere else.
    std::size_t line = 0;
    for (std::size_t p = 0; p <= text.size(); ++p) {
        if (p >= 2 && text[p - 2] == u'\r' && text[p - 1] == u'\n') {
            if (++line >= lines.LineCount() || lines.LineStart(line) != p ||
                lines.LineStart(line - 1) + lines.LineLength(line - 1) != p - 2) {
                return testing::AssertionFailure() << "the line starting at " << p << " is amiss";
            }
        }
        if (lines.LineOf(p) != line) {
            return testing::AssertionFailure() << "LineOf(" << p << ") " << lines.LineOf(p);
        }
    }
    if (lines.LineCount() != line + 1 ||
        lines.LineStart(line) + lines.LineLength(line) != text.size()) {
        return testing::AssertionFailure()
               << lines.LineCount() << " lines, " << line + 1 << " in the text";
    }
    if (actual.Anchor() != expected.Anchor() || actual.Caret() != expected.Caret() ||
        actual.Modified() != expected.Modified() || actual.CanUndo() != expected.CanUndo()) {
        return testing::AssertionFailure() << "selection " << actual.Anchor() << "-"
                                           << actual.Caret() << " or the undo state differs";
    }
    TextEditor actualUndone = actual;
    TextEditor expectedUndone = expected;
    actualUndone.Undo();
    expectedUndone.Undo();
    if (actualUndone.Text().ReadAll() != expectedUndone.Text().ReadAll() ||
        actualUndone.Anchor() != expectedUndone.Anchor() ||
        actualUndone.Caret() != expectedUndone.Caret()) {
        return testing::AssertionFailure() << "Undo does something else";
    }
    return testing::AssertionSuccess();
}

TEST(TextEditorOutOfMemory, AnEditThatFailsAtAnyAllocationChangesNothing) {
    // Two chunks with a CR LF across their seam: the next line starts at kSeam + 1.
    constexpr std::size_t kSeam = TextBuffer::kChunkUnits;
    std::u16string big(kSeam + 3000, u'x');
    big.replace(kSeam - 1, 2, u"\r\n");
    big.replace(kSeam - 40, 2, u"\r\n");
    constexpr std::u16string_view kSmall = u"ab\r\ncd\r\nef\U0001F600g";

    using Step = void (*)(TextEditor&);
    struct Case {
        const char* name;
        std::u16string_view text;
        std::size_t anchor;
        std::size_t caret;
        Step before;  // what happened first, such as the edit to undo
        Step edit;
    };
    const Step nothing = [](TextEditor&) {};
    const Case cases[] = {
        {"a paste over a selection across breaks", kSmall, 1, 7, nothing,
         [](TextEditor& e) { e.ReplaceSelection(u"X\r\nY"); }},
        {"typing that goes on from the typing before", kSmall, 1, 1,
         [](TextEditor& e) { e.TypeCharacter(u'x'); },
         [](TextEditor& e) { e.TypeCharacter(u'y'); }},
        {"Enter", kSmall, 6, 6, nothing, [](TextEditor& e) { e.TypeText(u"\r\n"); }},
        {"Backspace over a break", kSmall, 4, 4, nothing, [](TextEditor& e) { e.Backspace(); }},
        {"Delete of a surrogate pair", kSmall, 10, 10, nothing,
         [](TextEditor& e) { e.DeleteForward(); }},
        {"Ctrl+Delete of a line break", kSmall, 2, 2, nothing,
         [](TextEditor& e) { e.DeleteWordForward(); }},
        {"Undo of a paste", kSmall, 0, 3, [](TextEditor& e) { e.ReplaceSelection(u"\r\nP\r"); },
         [](TextEditor& e) { e.Undo(); }},
        {"Undo of an undo", kSmall, 2, 8,
         [](TextEditor& e) {
             e.ReplaceSelection(u"P");
             e.Undo();
         },
         [](TextEditor& e) { e.Undo(); }},
        {"a paste across the chunk seam", big, 3, 3,
         [](TextEditor& e) {
             e.TypeCharacter(u'x');  // an edit to keep for Undo
             e.Select(kSeam - 40, kSeam + 3);
         },
         [](TextEditor& e) { e.ReplaceSelection(u"\nQ\r"); }},
        {"Undo across the chunk seam", big, kSeam - 41, kSeam + 2,
         [](TextEditor& e) { e.ReplaceSelection(u"\nQ\r"); }, [](TextEditor& e) { e.Undo(); }},
        {"program text added", kSmall, 2, 2, [](TextEditor& e) { e.TypeCharacter(u'\r'); },
         [](TextEditor& e) { e.AppendProgramText(u"\nlog\r\n"); }},
        {"program text removed", big, 5, 5, [](TextEditor& e) { e.TypeCharacter(u'\r'); },
         [](TextEditor& e) { e.RemoveProgramTextFrom(kSeam - 30); }},
        {"all the text replaced", big, 5, 5, [](TextEditor& e) { e.TypeCharacter(u'\r'); },
         [](TextEditor& e) { e.ReplaceAllProgramText(u"new\r\n"); }},
        {"the text cleared for a refill", big, 5, 5, [](TextEditor& e) { e.Backspace(); },
         [](TextEditor& e) { e.ClearForRefill(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextEditor editor = EditorWith(c.text);
        editor.Select(c.anchor, c.caret);
        c.before(editor);
        const TextEditor before = editor;
        TextEditor after = editor;
        c.edit(after);

        std::size_t failures = 0;
        for (bool done = false; !done; ++failures) {
            ASSERT_LT(failures, 100u);
            AllocationFaults::countdown = failures + 1;
            try {
                c.edit(editor);
                done = true;
            } catch (const std::bad_alloc&) {
            }
            AllocationFaults::countdown = 0;
            if (!done) {
                ASSERT_TRUE(SameEditor(editor, before)) << "failing at allocation " << failures + 1;
            }
        }
        EXPECT_GT(failures, 1u);
        EXPECT_TRUE(SameEditor(editor, after));
    }
}

std::size_t BreaksIn(std::u16string_view text) {
    std::size_t breaks = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        breaks += text[i] == u'\r' && text[i + 1] == u'\n';
    }
    return breaks;
}

// Random sessions of keys and edits: the caret stays in the text, moves never stop inside a
// line break or a pair, Undo gives back the text from before the last edit, and a second Undo
// the text after it.
TEST(TextEditor, RandomSessionsKeepCaretAndUndoConsistent) {
    std::mt19937 random(11);
    static constexpr char16_t kUnits[] = {u'a', u' ', u'\t', u'\r', u'\n', 0xD83D, 0xDE00};
    auto unit = [&] {
        return kUnits[std::uniform_int_distribution<std::size_t>(0, std::size(kUnits) - 1)(random)];
    };
    auto inside = [](const TextBuffer& text, std::size_t p) {
        return p > 0 && p < text.Length() &&
               ((text.At(p - 1) == u'\r' && text.At(p) == u'\n') ||
                (IsHighSurrogate(text.At(p - 1)) && IsLowSurrogate(text.At(p))));
    };
    for (int session = 0; session < 150; ++session) {
        TextEditor editor;
        std::u16string program;
        for (int i = 0; i < 20; ++i) {
            program.push_back(i % 5 == 4 ? u'\r' : i % 5 == 0 ? u'\n' : unit());
        }
        editor.AppendProgramText(program);
        for (int step = 0; step < 40; ++step) {
            SCOPED_TRACE(testing::Message() << "session " << session << " step " << step);
            const std::u16string before = editor.Text().ReadAll();
            const bool wasInside =
                inside(editor.Text(), editor.Caret()) || inside(editor.Text(), editor.Anchor());
            const int action = std::uniform_int_distribution<int>(0, 9)(random);
            bool edited = false;
            if (action < 4) {
                const auto move =
                    static_cast<CaretMove>(std::uniform_int_distribution<int>(0, 11)(random));
                editor.Move(move, action == 0, 3);
                if (!wasInside) {
                    ASSERT_FALSE(inside(editor.Text(), editor.Caret()));
                }
            } else if (action == 4) {
                const std::size_t a =
                    std::uniform_int_distribution<std::size_t>(0, editor.Length() + 2)(random);
                editor.Select(a, a + 3);
            } else if (action == 5) {
                edited = step % 3 == 0 ? editor.DeleteWordBackward() : editor.Backspace();
            } else if (action == 6) {
                edited = step % 3 == 0 ? editor.DeleteWordForward() : editor.DeleteForward();
            } else if (action == 7) {
                edited = editor.ReplaceSelection(std::u16string{unit(), unit()});
            } else if (action == 8) {
                editor.AppendProgramText(u"\r\nlog");
                ASSERT_FALSE(editor.CanUndo());
            } else {
                editor.SelectWordAt(
                    std::uniform_int_distribution<std::size_t>(0, editor.Length())(random));
            }
            ASSERT_LE(editor.Anchor(), editor.Length());
            ASSERT_LE(editor.Caret(), editor.Length());
            ASSERT_EQ(editor.Text().LineCount(), 1 + BreaksIn(editor.Text().ReadAll()));
            if (edited && step % 2 == 0) {
                const std::u16string after = editor.Text().ReadAll();
                ASSERT_TRUE(editor.Undo());
                ASSERT_EQ(editor.Text().ReadAll(), before);
                ASSERT_TRUE(editor.Undo());
                ASSERT_EQ(editor.Text().ReadAll(), after);
            }
        }
    }
}

}  // namespace
}  // namespace orsk
