// The window as a keyboard user meets it: the tab order, Enter and Esc, Del, the edit
// shortcuts and the clipboard, with real keystrokes and clicks.

#include <gtest/gtest.h>

#include <cstring>

#include "E2eSupport.h"
#include "UserInput.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

using namespace orsk;

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        Activate(trace.Window());
        SettleInput(trace.Window());
    }

    HWND Focus() const { return FocusOf(trace.ThreadId()); }
    // The combo box's edit part counts as the combo box.
    HWND FocusedControl() const {
        HWND focus = Focus();
        HWND filter = trace.Control(kIdCbFilter);
        return ::GetParent(focus) == filter ? filter : focus;
    }
    bool WaitForFocus(HWND control) const {
        return WaitUntil([&] { return FocusedControl() == control; });
    }
    void Press(WORD key, unsigned modifiers = kNone) {
        PressKey(key, modifiers);
        SettleInput(trace.Window());
    }
    void Type(std::wstring_view text) {
        TypeText(text);
        SettleInput(trace.Window());
    }
    DWORD Selection(HWND edit) const {
        return static_cast<DWORD>(::SendMessageW(edit, EM_GETSEL, 0, 0));
    }
    void Send(ULONG_PTR level, const std::string& text) {
        ASSERT_EQ(SendTrace(trace.Window(), level, text).reply, 1);
    }

    TraceWindowProcess trace;
};

TEST_F(Keyboard, TabVisitsFilterSearchBoxSearchEmptyCloseAndShiftTabGoesBack) {
    HWND search = trace.Control(kIdEdtSearchFor);
    ASSERT_TRUE(WaitForFocus(search));
    Type(L"word");
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(trace.Control(kIdBtnSearch)); }));

    const int forward[] = {kIdBtnSearch, kIdBtnEmpty, kIdBtnClose, kIdCbFilter, kIdEdtSearchFor};
    for (int id : forward) {
        Press(VK_TAB);
        EXPECT_TRUE(WaitForFocus(trace.Control(id))) << "Tab to control " << id;
    }
    // Entering the search box with Tab selects its whole text.
    EXPECT_EQ(Selection(search), MAKELONG(0, 4));

    const int backward[] = {kIdCbFilter, kIdBtnClose, kIdBtnEmpty, kIdBtnSearch, kIdEdtSearchFor};
    for (int id : backward) {
        Press(VK_TAB, kShift);
        EXPECT_TRUE(WaitForFocus(trace.Control(id))) << "Shift+Tab to control " << id;
    }
}

TEST_F(Keyboard, TheTextAreaIsNoTabStopAndADisabledSearchButtonIsSkipped) {
    ASSERT_TRUE(WaitForFocus(trace.Control(kIdEdtSearchFor)));
    const int forward[] = {kIdBtnEmpty, kIdBtnClose, kIdCbFilter, kIdEdtSearchFor};
    for (int id : forward) {
        Press(VK_TAB);
        EXPECT_TRUE(WaitForFocus(trace.Control(id))) << "Tab to control " << id;
    }
}

TEST_F(Keyboard, EnterInTheSearchBoxSearchesAndNeverClosesTheWindow) {
    Send(1, "needle");
    ASSERT_TRUE(WaitForFocus(trace.Control(kIdEdtSearchFor)));
    Type(L"NEEDLE");
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForFocus(trace.Control(kIdMemTrace)));  // the match is selected there
    EXPECT_TRUE(trace.Running());
    EXPECT_EQ(ReadTextUtf8(trace.Control(kIdBtnSearch)), "&Next");

    // Not found: the information box, and still no closing.
    ClickOn(trace.Control(kIdEdtSearchFor));
    ASSERT_TRUE(WaitForFocus(trace.Control(kIdEdtSearchFor)));
    Press(VK_RETURN);
    HWND box = WaitForWindow(trace.ProcessId(), L"#32770", L"Information");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ToUtf8(BoxText(box)), "NEEDLE not found");
    PressOk(box);
    EXPECT_TRUE(trace.Running());
}

TEST_F(Keyboard, EnterInAnEmptySearchBoxOrAClosedFilterBoxDoesNothing) {
    Send(1, "kept");
    const std::string view = View(trace);
    ASSERT_TRUE(WaitForFocus(trace.Control(kIdEdtSearchFor)));
    Press(VK_RETURN);
    Press(VK_TAB, kShift);
    ASSERT_TRUE(WaitForFocus(trace.Control(kIdCbFilter)));
    Press(VK_RETURN);
    Press(VK_ESCAPE);
    EXPECT_TRUE(trace.Running());
    EXPECT_EQ(CountDialogs(trace.ProcessId()), 0);
    EXPECT_EQ(View(trace), view);
    EXPECT_EQ(ReadTextUtf8(trace.Control(kIdCbFilter)), "0 = ALL");
}

TEST_F(Keyboard, EnterWithTheFilterListOpenOnlyClosesTheList) {
    HWND filter = trace.Control(kIdCbFilter);
    ClickOn(filter);
    ASSERT_TRUE(WaitForFocus(filter));
    Press(VK_DOWN, kAlt);
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(filter, CB_GETDROPPEDSTATE, 0, 0); }));
    Press(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !::SendMessageW(filter, CB_GETDROPPEDSTATE, 0, 0); }));
    EXPECT_TRUE(trace.Running());
}

TEST_F(Keyboard, EnterAndSpaceClickTheFocusedButton) {
    Send(1, "to be emptied");
    HWND empty = trace.Control(kIdBtnEmpty);
    ASSERT_TRUE(WaitForFocus(trace.Control(kIdEdtSearchFor)));
    Press(VK_TAB);
    ASSERT_TRUE(WaitForFocus(empty));
    Press(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return View(trace).empty(); }));

    Send(1, "emptied again");
    Press(VK_SPACE);
    EXPECT_TRUE(WaitUntil([&] { return View(trace).empty(); }));

    Press(VK_TAB);
    ASSERT_TRUE(WaitForFocus(trace.Control(kIdBtnClose)));
    Press(VK_RETURN);
    EXPECT_EQ(trace.WaitForExit(10000), 0u);
}

TEST_F(Keyboard, EnterInTheTextAreaInsertsALineBreak) {
    Send(1, "text");
    HWND memo = trace.Control(kIdMemTrace);
    ClickOn(memo);
    ASSERT_TRUE(WaitForFocus(memo));
    PressKey(VK_END, kCtrl);
    Press(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return WithoutDates(View(trace)) == Block("text") + "\r\n"; }))
        << View(trace);
    EXPECT_TRUE(trace.Running());
}

TEST_F(Keyboard, DelDeletesNothingInTheTextAreaWithoutASelectionButDeletesInTheSearchBox) {
    Send(1, "abc def");
    HWND memo = trace.Control(kIdMemTrace);
    ClickOn(memo);
    ASSERT_TRUE(WaitForFocus(memo));
    PressKey(VK_HOME, kCtrl);
    Press(VK_DELETE);
    EXPECT_EQ(WithoutDates(View(trace)), Block("abc def"));

    // With Ctrl, Del deletes up to the next word and Backspace back to the word's start; each
    // is one edit.
    Press(VK_DOWN);
    Press(VK_DOWN);
    Press(VK_DELETE, kCtrl);
    EXPECT_EQ(WithoutDates(View(trace)), Block("def"));
    Press(VK_END);
    Press(VK_BACK, kCtrl);
    EXPECT_EQ(WithoutDates(View(trace)), Block(""));
    Press('Z', kCtrl);
    EXPECT_EQ(WithoutDates(View(trace)), Block("def"));

    HWND search = trace.Control(kIdEdtSearchFor);
    ClickOn(search);
    ASSERT_TRUE(WaitForFocus(search));
    Type(L"xyz");
    Press(VK_HOME);
    Press(VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return ReadTextUtf8(search) == "yz"; })) << ReadTextUtf8(search);

    // With a selection, Del in the text area deletes it.
    ClickOn(memo);
    ASSERT_TRUE(WaitForFocus(memo));
    Press('A', kCtrl);
    Press(VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return View(trace).empty(); }));
}

TEST_F(Keyboard, CopyAndPasteGoThroughTheClipboard) {
    Send(1, "copied");
    HWND memo = trace.Control(kIdMemTrace);
    ClickOn(memo);
    ASSERT_TRUE(WaitForFocus(memo));
    Press('A', kCtrl);
    Press('C', kCtrl);
    std::wstring clipboard;
    ASSERT_TRUE(WaitUntil([&] {
        clipboard = ClipboardText();
        return !clipboard.empty();
    }));
    EXPECT_EQ(ToUtf8(clipboard), View(trace));

    // Paste into the search box: its change handler runs, so Search becomes available.
    HWND search = trace.Control(kIdEdtSearchFor);
    ClickOn(search);
    ASSERT_TRUE(WaitForFocus(search));
    ASSERT_TRUE(SetClipboardText(L"pasted"));
    Press('V', kCtrl);
    EXPECT_TRUE(WaitUntil([&] { return ReadTextUtf8(search) == "pasted"; }));
    EXPECT_TRUE(::IsWindowEnabled(trace.Control(kIdBtnSearch)));
}

TEST_F(Keyboard, UndoNeverTakesAwayTextTheProgramAdded) {
    Send(1, "first");
    HWND memo = trace.Control(kIdMemTrace);
    ClickOn(memo);
    ASSERT_TRUE(WaitForFocus(memo));
    PressKey(VK_END, kCtrl);
    Type(L"x");
    ASSERT_TRUE(WaitUntil([&] { return View(trace).ends_with("x"); }));
    Send(2, "second");
    Press('Z', kCtrl);
    const std::string view = WithoutDates(View(trace));
    EXPECT_NE(view.find("second"), std::string::npos) << view;
    EXPECT_NE(view.find("first"), std::string::npos) << view;
}

}  // namespace
}  // namespace e2e
