// The filter box's typing, the text area's popup menu and resizing, with real input.

#include <gtest/gtest.h>

#include <string>

#include "E2eSupport.h"
#include "UserInput.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

using namespace orsk;

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        Activate(trace.Window());
        SettleInput(trace.Window());
    }
    void Press(WORD key, unsigned modifiers = kNone) {
        PressKey(key, modifiers);
        SettleInput(trace.Window());
    }
    void Type(std::wstring_view text) {
        TypeText(text);
        SettleInput(trace.Window());
    }
    void Send(ULONG_PTR level, const std::string& text) {
        ASSERT_EQ(SendTrace(trace.Window(), level, text).reply, 1);
    }
    RECT PlaceOf(int id) const {
        RECT r{};
        ::GetWindowRect(trace.Control(id), &r);
        ::MapWindowPoints(HWND_DESKTOP, trace.Window(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    TraceWindowProcess trace;
};

TEST_F(Window, TypingIntoTheFilterBoxCompletesItemsAndFiltersAsItGoes) {
    Send(1, "level one");
    Send(12, "level twelve");
    Send(3, "level three");
    HWND filter = trace.Control(kIdCbFilter);
    Press(VK_TAB, kShift);  // from the search box back to the filter box: its text is selected
    ASSERT_TRUE(WaitUntil([&] { return ::GetParent(FocusOf(trace.ThreadId())) == filter; }));

    Type(L"1");
    EXPECT_TRUE(WaitUntil([&] { return ReadTextUtf8(filter) == "1"; })) << ReadTextUtf8(filter);
    EXPECT_TRUE(::SendMessageW(filter, CB_GETDROPPEDSTATE, 0, 0));  // typing opens the list
    EXPECT_EQ(WithoutDates(View(trace)), Block("level one"));

    Type(L"2");
    EXPECT_TRUE(WaitUntil([&] { return ReadTextUtf8(filter) == "12"; })) << ReadTextUtf8(filter);
    EXPECT_EQ(WithoutDates(View(trace)), Block("level twelve"));

    Press(VK_BACK);
    EXPECT_TRUE(WaitUntil([&] { return ReadTextUtf8(filter) == "1"; })) << ReadTextUtf8(filter);
    EXPECT_EQ(WithoutDates(View(trace)), Block("level one"));
}

TEST_F(Window, TypingAfterTheUnselectedAllItemShowsEveryLevel) {
    Send(1, "one");
    Send(2, "two");
    HWND filter = trace.Control(kIdCbFilter);
    ChooseFilterItem(filter, 2);
    ASSERT_EQ(WithoutDates(View(trace)), Block("two"));
    ChooseFilterItem(filter, 0);
    Press(VK_TAB, kShift);
    Press(VK_END);
    Type(L"1");
    EXPECT_TRUE(WaitUntil([&] { return ReadTextUtf8(filter) == "0 = ALL1"; }))
        << ReadTextUtf8(filter);
    EXPECT_EQ(WithoutDates(View(trace)), Block("one") + Block("two"));
}

TEST_F(Window, TheFilterListShowsEightItemsAtATime) {
    HWND filter = trace.Control(kIdCbFilter);
    ClickOn(filter);
    Press(VK_DOWN, kAlt);
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(filter, CB_GETDROPPEDSTATE, 0, 0); }));
    // The open list is a top-level window of the program.
    HWND listBox = FindProcessWindow(trace.ProcessId(), L"ComboLBox");
    ASSERT_NE(listBox, nullptr);
    RECT list{};
    ::GetClientRect(listBox, &list);
    const auto itemHeight = ::SendMessageW(filter, CB_GETITEMHEIGHT, 0, 0);
    EXPECT_EQ(list.bottom / itemHeight, 8) << list.bottom << " / " << itemHeight;
    Press(VK_ESCAPE);
}

TEST_F(Window, ThePopupMenuOfAnEmptyTextAreaOffersOnlyPasteAndSaveToFile) {
    // Something to paste, so that Paste is enabled whatever the clipboard held before.
    ASSERT_TRUE(SetClipboardText(L"x"));

    HWND memo = trace.Control(kIdMemTrace);
    ClickOn(memo, true);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = ::FindWindowW(L"#32768", nullptr)) != nullptr; }));
    // A right click gives the text area the focus first.
    EXPECT_EQ(FocusOf(trace.ThreadId()), memo);
    // Wait until the menu is drawn, then read its rows as the user sees them.
    const std::vector<MenuRow> expected = {
        MenuRow::Disabled,   // Undo
        MenuRow::Separator,  //
        MenuRow::Disabled,   // Cut
        MenuRow::Disabled,   // Copy
        MenuRow::Enabled,    // Paste
        MenuRow::Disabled,   // Delete
        MenuRow::Separator,  //
        MenuRow::Disabled,   // Select All
        MenuRow::Separator,  //
        MenuRow::Enabled,    // Save to File
    };
    std::vector<MenuRow> rows;
    EXPECT_TRUE(WaitUntil([&] { return (rows = MenuRows(popup)) == expected; }))
        << "rows seen: " << [&] {
               std::string seen;
               for (MenuRow row : rows) {
                   seen += row == MenuRow::Separator ? "-" : row == MenuRow::Enabled ? "E" : "d";
               }
               return seen;
           }();
    wchar_t path[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"ORSK_SCREENSHOT_MENU", path, MAX_PATH) > 0) {
        SaveWindowBitmap(popup, path);
    }
    Press(VK_ESCAPE);
}

TEST_F(Window, WithAllTextSelectedThePopupMenuOffersEveryEditCommandButUndo) {
    Send(1, "some text");
    HWND memo = trace.Control(kIdMemTrace);
    ClickOn(memo);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(trace.ThreadId()) == memo; }));
    Press('A', kCtrl);
    ClickOn(memo, true);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = ::FindWindowW(L"#32768", nullptr)) != nullptr; }));
    const std::vector<MenuRow> expected = {
        MenuRow::Disabled,  MenuRow::Separator, MenuRow::Enabled,   MenuRow::Enabled,
        MenuRow::Enabled,   MenuRow::Enabled,   MenuRow::Separator, MenuRow::Enabled,
        MenuRow::Separator, MenuRow::Enabled,
    };
    EXPECT_TRUE(WaitUntil([&] { return MenuRows(popup) == expected; }));

    // Delete from the menu: the keyboard picks it by its access key.
    Press('D');
    EXPECT_TRUE(WaitUntil([&] { return View(trace).empty(); })) << View(trace);
}

TEST_F(Window, ResizingKeepsTheAnchorsAndLetsTheTextAreaGrow) {
    Send(1, "resized");
    RECT outer{};
    ::GetWindowRect(trace.Window(), &outer);
    ::SetWindowPos(trace.Window(), nullptr, 0, 0, outer.right - outer.left + 200,
                   outer.bottom - outer.top + 100, SWP_NOMOVE | SWP_NOZORDER);
    Sync(trace.Window());
    RECT client{};
    ::GetClientRect(trace.Window(), &client);
    ASSERT_EQ(client.right, 644);
    ASSERT_EQ(client.bottom, 520);

    const struct {
        int id;
        RECT rect;
    } expected[] = {
        {kIdMemTrace, {8, 45, 636, 473}},     {kIdPnlTop, {0, 0, 644, 37}},
        {kIdPnlBottom, {0, 479, 644, 520}},   {kIdBtnClose, {561, 487, 636, 512}},
        {kIdBtnEmpty, {481, 487, 556, 512}},  {kIdBtnSearch, {561, 5, 636, 30}},
        {kIdEdtSearchFor, {435, 7, 554, 28}}, {kIdLblSearchFor, {374, 11, 429, 24}},
        {kIdLblFilter, {8, 11, 68, 24}},
    };
    for (const auto& e : expected) {
        const RECT r = PlaceOf(e.id);
        EXPECT_EQ(r.left, e.rect.left) << e.id;
        EXPECT_EQ(r.top, e.rect.top) << e.id;
        EXPECT_EQ(r.right, e.rect.right) << e.id;
        EXPECT_EQ(r.bottom, e.rect.bottom) << e.id;
    }
    const RECT filter = PlaceOf(kIdCbFilter);
    EXPECT_EQ(filter.left, 72);
    EXPECT_EQ(filter.top, 8);

    wchar_t path[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"ORSK_SCREENSHOT_RESIZED", path, MAX_PATH) > 0) {
        ::Sleep(300);
        EXPECT_TRUE(SaveWindowBitmap(trace.Window(), path));
    }
}

}  // namespace
}  // namespace e2e
