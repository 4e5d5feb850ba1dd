// The view's text area as other programs and the user meet it: the standard edit-control
// messages sent from another process, keyboard and mouse selection, the wheel and the scroll
// bar, and a flood of traces from several senders while the window is on screen.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "E2eSupport.h"
#include "UserInput.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

using namespace orsk;

class TextArea : public ::testing::Test {
protected:
    void SetUp() override {
        Activate(trace.Window());
        SettleInput(trace.Window());
        memo = trace.Control(kIdMemTrace);
    }

    LRESULT Ask(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(memo, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
        return static_cast<LRESULT>(result);
    }
    LRESULT AskWithText(UINT message, WPARAM wParam, const wchar_t* text) const {
        return Ask(message, wParam, reinterpret_cast<LPARAM>(text));
    }
    std::pair<DWORD, DWORD> Selection() const {
        DWORD start = 0;
        DWORD end = 0;
        ::SendMessageW(memo, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    std::wstring Line(int line, WORD room = 256) const {
        std::wstring buffer(std::max<WORD>(room, 2), L'\0');
        *reinterpret_cast<WORD*>(buffer.data()) = room;
        const LRESULT copied =
            Ask(EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer.data()));
        buffer.resize(static_cast<std::size_t>(copied));
        return buffer;
    }
    // Where a character of the view is drawn, in the text area's client coordinates.
    POINT PointOf(LRESULT position) const {
        const LRESULT at = Ask(EM_POSFROMCHAR, static_cast<WPARAM>(position));
        return POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    }
    DWORD Find(const std::wstring& text) const {
        return static_cast<DWORD>(ReadText(memo).find(text));
    }
    void Send(ULONG_PTR level, const std::string& text) {
        ASSERT_EQ(SendTrace(trace.Window(), level, text).reply, 1);
    }
    void Press(WORD key, unsigned modifiers = kNone) {
        PressKey(key, modifiers);
        SettleInput(trace.Window());
    }
    void FocusTextArea() {
        ClickOn(memo);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(trace.ThreadId()) == memo; }));
    }

    TraceWindowProcess trace;
    HWND memo = nullptr;
};

TEST_F(TextArea, AnotherProgramReadsTheViewLineByLine) {
    Send(1, "alpha");
    Send(2, "beta gamma");
    const std::wstring view = ReadText(memo);
    EXPECT_EQ(Ask(WM_GETTEXTLENGTH), static_cast<LRESULT>(view.size()));
    // Two blocks of four lines, and the empty line after the last break.
    EXPECT_EQ(Ask(EM_GETLINECOUNT), 9);
    const auto alpha = static_cast<LRESULT>(view.find(L"alpha"));
    EXPECT_EQ(Ask(EM_LINEINDEX, 2), alpha);
    EXPECT_EQ(Ask(EM_LINEINDEX, 9), -1);
    EXPECT_EQ(Ask(EM_LINELENGTH, static_cast<WPARAM>(alpha)), 5);
    EXPECT_EQ(Ask(EM_LINEFROMCHAR, static_cast<WPARAM>(alpha + 3)), 2);
    EXPECT_EQ(Line(0), L"----");
    EXPECT_EQ(Line(6), L"beta gamma");
    EXPECT_EQ(Line(3), L"");
    EXPECT_EQ(Line(9), L"");
}

TEST_F(TextArea, AnotherProgramSelectsCopiesReplacesAndUndoes) {
    Send(2, "beta gamma");
    const DWORD gamma = Find(L"gamma");
    Ask(EM_SETSEL, gamma, gamma + 5);
    EXPECT_EQ(Selection(), std::make_pair(gamma, gamma + 5));
    EXPECT_EQ(Ask(EM_GETSEL), static_cast<LRESULT>(MAKELONG(gamma, gamma + 5)));
    Ask(WM_COPY);
    EXPECT_EQ(ClipboardText(), L"gamma");

    AskWithText(EM_REPLACESEL, TRUE, L"delta");
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta delta"));
    EXPECT_EQ(Ask(EM_CANUNDO), TRUE);
    Ask(EM_UNDO);
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta gamma"));
    Ask(EM_UNDO);  // the undo undone
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta delta"));

    Ask(EM_SETSEL, gamma, gamma + 5);
    Ask(WM_CLEAR);
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta "));
    ASSERT_TRUE(SetClipboardText(L"omega"));
    Ask(WM_PASTE);
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta omega"));
    Ask(EM_SETSEL, gamma, gamma + 5);
    Ask(WM_CUT);
    EXPECT_EQ(ClipboardText(), L"omega");
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta "));

    Ask(EM_SETSEL, 0, -1);
    EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, static_cast<DWORD>(Ask(WM_GETTEXTLENGTH))));
    Ask(EM_SETSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(Selection().first, Selection().second);

    // A trace that arrives goes after the edited text, and the edit can no longer be undone.
    Send(3, "next");
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta ") + Block("next"));
    EXPECT_EQ(Ask(EM_CANUNDO), FALSE);
}

TEST_F(TextArea, TheKeyboardMovesTheCaretAndSelectsAsInATextBox) {
    Send(1, "one two three");
    Send(1, "second");
    FocusTextArea();
    Press(VK_HOME, kCtrl);
    EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, DWORD{0}));
    // Right at the end of a line steps over the whole line break.
    Press(VK_END);
    EXPECT_EQ(Selection().second, 4u);
    Press(VK_RIGHT);
    const auto dateLine = static_cast<DWORD>(Ask(EM_LINEINDEX, 1));
    EXPECT_EQ(Selection(), std::make_pair(dateLine, dateLine));

    Press(VK_DOWN);
    const auto textLine = static_cast<DWORD>(Ask(EM_LINEINDEX, 2));
    EXPECT_EQ(Selection().second, textLine);
    Press(VK_END);
    Press(VK_LEFT, kCtrl | kShift);
    EXPECT_EQ(Selection(), std::make_pair(textLine + 8, textLine + 13));  // "three"

    // Typing replaces the selection; Ctrl+Z brings it back, selected.
    TypeText(L"four");
    SettleInput(trace.Window());
    EXPECT_EQ(WithoutDates(View(trace)), Block("one two four") + Block("second"));
    Press('Z', kCtrl);
    EXPECT_EQ(WithoutDates(View(trace)), Block("one two three") + Block("second"));
    EXPECT_EQ(Selection(), std::make_pair(textLine + 8, textLine + 13));

    Press(VK_END);
    Press(VK_HOME, kShift);
    EXPECT_EQ(Selection(), std::make_pair(textLine, textLine + 13));
    Press(VK_BACK);
    EXPECT_EQ(WithoutDates(View(trace)), Block("") + Block("second"));

    // Shift+Ctrl+End selects to the end; Del takes it away.
    Press(VK_END, kCtrl | kShift);
    Press(VK_DELETE);
    EXPECT_EQ(WithoutDates(View(trace)), "----\r\n<dt>\r\n");
}

// The form's "Courier" is a raster font with the glyphs of one code page, and draws every other
// character as its default glyph ("€"). Characters it lacks take a font that has them.
TEST_F(TextArea, CharactersTheFontLacksAreDrawnWithAFontThatHasThem) {
    Send(1, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");  // Cyrillic "Privet"
    Send(1, "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC");
    Send(1, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    ::RedrawWindow(memo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Sync(memo);
    const auto textLine = [&](int block) {
        const POINT at = PointOf(Ask(EM_LINEINDEX, static_cast<WPARAM>(block * 4 + 2)));
        const POINT below = PointOf(Ask(EM_LINEINDEX, static_cast<WPARAM>(block * 4 + 3)));
        return ClientPixels(memo, RECT{at.x, at.y, at.x + 120, below.y});
    };
    const std::vector<std::uint32_t> cyrillic = textLine(0);
    ASSERT_FALSE(cyrillic.empty());
    EXPECT_EQ(textLine(2), cyrillic);  // the same text draws the same
    EXPECT_NE(textLine(1), cyrillic);  // and not as the default glyph
}

TEST_F(TextArea, TheMouseSelectsAndTheWheelAndScrollBarScroll) {
    for (int i = 0; i < 100; ++i) {
        Send(1, "trace " + std::to_string(i));
    }
    // The newest lines are in view.
    const LRESULT lines = Ask(EM_GETLINECOUNT);
    ASSERT_EQ(lines, 401);
    ASSERT_TRUE(WaitUntil([&] { return Ask(EM_GETFIRSTVISIBLELINE) > 300; }))
        << Ask(EM_GETFIRSTVISIBLELINE);
    ::SendMessageW(memo, WM_VSCROLL, SB_BOTTOM, 0);
    const LRESULT bottom = Ask(EM_GETFIRSTVISIBLELINE);

    UINT wheelLines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &wheelLines, 0);
    WheelOver(memo, 1);
    EXPECT_TRUE(WaitUntil([&] {
        return Ask(EM_GETFIRSTVISIBLELINE) == bottom - static_cast<LRESULT>(wheelLines);
    })) << Ask(EM_GETFIRSTVISIBLELINE);

    ::SendMessageW(memo, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Ask(EM_GETFIRSTVISIBLELINE), 0);
    ::SendMessageW(memo, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Ask(EM_GETFIRSTVISIBLELINE), 1);
    ::SendMessageW(memo, WM_VSCROLL, SB_TOP, 0);

    // Dragging over the first "----" selects exactly it.
    const POINT first = PointOf(0);
    const POINT fifth = PointOf(4);
    const int lineHeight = PointOf(Ask(EM_LINEINDEX, 1)).y - first.y;
    ASSERT_GT(fifth.x, first.x);
    ASSERT_GT(lineHeight, 0);
    DragInClient(memo, POINT{first.x + 1, first.y + lineHeight / 2},
                 POINT{fifth.x + 1, fifth.y + lineHeight / 2});
    SettleInput(trace.Window());
    EXPECT_TRUE(WaitUntil([&] { return Selection() == std::make_pair(DWORD{0}, DWORD{4}); }))
        << Selection().first << ", " << Selection().second;
    EXPECT_EQ(FocusOf(trace.ThreadId()), memo);
}

TEST_F(TextArea, ShiftF10OpensThePopupMenuFromTheKeyboard) {
    Send(1, "menu");
    FocusTextArea();
    Press(VK_F10, kShift);
    EXPECT_TRUE(WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) != nullptr; }));
    Press(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) == nullptr; }));
    EXPECT_TRUE(trace.Running());
}

// Several programs send at full speed into the visible window: every trace is shown, each
// sender's in its order, and the newest lines end in view.
TEST_F(TextArea, AFloodFromSeveralSendersIsShownWholeAndInOrder) {
    constexpr int kSenders = 4;
    constexpr int kTraces = 2500;
    std::vector<std::thread> senders;
    std::vector<int> accepted(kSenders, 0);
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kTraces; ++i) {
                const std::string text =
                    "sender " + std::to_string(s) + " trace " + std::to_string(i);
                if (SendTrace(trace.Window(), 1, text).reply == 1) {
                    ++accepted[static_cast<std::size_t>(s)];
                }
            }
        });
    }
    for (std::thread& sender : senders) {
        sender.join();
    }
    for (int s = 0; s < kSenders; ++s) {
        EXPECT_EQ(accepted[static_cast<std::size_t>(s)], kTraces) << s;
    }
    EXPECT_EQ(Ask(EM_GETLINECOUNT), 4 * kSenders * kTraces + 1);

    std::vector<int> next(kSenders, 0);
    const std::string view = View(trace);
    for (std::size_t at = view.find("sender "); at != std::string::npos;
         at = view.find("sender ", at + 1)) {
        int s = -1;
        int i = -1;
        ASSERT_EQ(std::sscanf(view.c_str() + at, "sender %d trace %d", &s, &i), 2);
        ASSERT_TRUE(s >= 0 && s < kSenders) << s;
        ASSERT_EQ(i, next[static_cast<std::size_t>(s)]) << "sender " << s;
        ++next[static_cast<std::size_t>(s)];
    }
    EXPECT_EQ(next, std::vector<int>(kSenders, kTraces));
    EXPECT_TRUE(
        WaitUntil([&] { return Ask(EM_GETFIRSTVISIBLELINE) > 4 * kSenders * kTraces - 100; }));
}

}  // namespace
}  // namespace e2e
