// The level filter and the search, driven through the window's own controls.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "E2eSupport.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

// Where two pictures of the same width differ, as a range of rows.
std::string DifferingRows(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
                          LONG width) {
    LONG first = -1;
    LONG last = -1;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i]) {
            const auto row = static_cast<LONG>(i / static_cast<std::size_t>(width));
            first = first < 0 ? row : first;
            last = row;
        }
    }
    return "rows " + std::to_string(first) + "-" + std::to_string(last) + " differ";
}

std::string CaretRows(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(threadId, &info);
    return "rows " + std::to_string(info.rcCaret.top) + "-" + std::to_string(info.rcCaret.bottom);
}

using orsk::kIdBtnSearch;
using orsk::kIdCbFilter;
using orsk::kIdEdtSearchFor;
using orsk::kIdMemTrace;

class FilterAndSearch : public ::testing::Test {
protected:
    void Send(ULONG_PTR level, const std::string& text) {
        ASSERT_EQ(SendTrace(trace.Window(), level, text).reply, 1) << text;
    }
    DWORD Selection() {
        return static_cast<DWORD>(::SendMessageW(trace.Control(kIdMemTrace), EM_GETSEL, 0, 0));
    }
    std::string SearchCaption() { return ReadTextUtf8(trace.Control(kIdBtnSearch)); }
    void Search() {
        ClickButton(trace.Control(kIdBtnSearch));
        Sync(trace.Window());
    }

    TraceWindowProcess trace;
};

TEST_F(FilterAndSearch, AFilterShowsOnlyItsLevelAndAllLevelsComeBackInArrivalOrder) {
    Send(3, "three");
    Send(0, "zero");
    Send(4, "four");
    HWND filter = trace.Control(kIdCbFilter);
    ChooseFilterItem(filter, 3);
    EXPECT_EQ(ReadTextUtf8(filter), "3");
    EXPECT_EQ(WithoutDates(View(trace)), Block("three"));

    // Arriving while the filter is on 3: only level 3 shows, both are stored.
    Send(3, "three again");
    Send(4, "four again");
    EXPECT_EQ(WithoutDates(View(trace)), Block("three") + Block("three again"));

    ChooseFilterItem(filter, 0);
    EXPECT_EQ(WithoutDates(View(trace)), Block("three") + Block("zero") + Block("four") +
                                             Block("three again") + Block("four again"));
}

TEST_F(FilterAndSearch, ARebuildKeepsEachTraceItsArrivalTime) {
    Send(1, "first");
    Send(2, "second");
    const auto before = DateLines(View(trace));
    ChooseFilterItem(trace.Control(kIdCbFilter), 2);
    ChooseFilterItem(trace.Control(kIdCbFilter), 0);
    EXPECT_EQ(DateLines(View(trace)), before);
}

TEST_F(FilterAndSearch, SearchSelectsTheMatchThenNextThenReportsNotFound) {
    Send(1, "Hello");
    Send(1, "say HELLO again");
    const std::string view = View(trace);
    SetEditText(trace.Control(kIdEdtSearchFor), L"hello");
    Sync(trace.Window());
    EXPECT_TRUE(::IsWindowEnabled(trace.Control(kIdBtnSearch)));

    Search();
    const auto first = static_cast<DWORD>(FromUtf8(view.substr(0, view.find("Hello"))).size());
    EXPECT_EQ(Selection(), MAKELONG(first, first + 5));
    EXPECT_EQ(FocusOf(trace.ThreadId()), trace.Control(kIdMemTrace));
    EXPECT_EQ(SearchCaption(), "&Next");

    Search();
    const auto second = static_cast<DWORD>(FromUtf8(view.substr(0, view.find("HELLO"))).size());
    EXPECT_EQ(Selection(), MAKELONG(second, second + 5));
    // The step redraws only the lines of the old and the new match: what it leaves on screen
    // is what a redraw of the whole view draws.
    HWND memo = trace.Control(kIdMemTrace);
    RECT client{};
    ::GetClientRect(memo, &client);
    // WM_PAINT sent by hand: what the control has left to paint is painted before the answer.
    ::SendMessageW(memo, WM_PAINT, 0, 0);
    const std::vector<std::uint32_t> afterStep = ClientPixels(memo, client);
    ::InvalidateRect(memo, nullptr, FALSE);
    ::SendMessageW(memo, WM_PAINT, 0, 0);
    // The caret blinks: one of the pictures over two blink periods shows it as the first did.
    std::vector<std::uint32_t> redrawn;
    for (int i = 0; i < 12 && redrawn != afterStep; ++i, ::Sleep(100)) {
        redrawn = ClientPixels(memo, client);
    }
    EXPECT_TRUE(redrawn == afterStep) << DifferingRows(afterStep, redrawn, client.right)
                                      << "; caret " << CaretRows(trace.ThreadId());

    ClickButton(trace.Control(kIdBtnSearch));
    HWND box = WaitForWindow(trace.ProcessId(), L"#32770", L"Information");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ToUtf8(BoxText(box)), "hello not found");
    PressOk(box);
    // A failed search changes nothing: the next press fails again.
    EXPECT_EQ(SearchCaption(), "&Next");
    ClickButton(trace.Control(kIdBtnSearch));
    box = WaitForWindow(trace.ProcessId(), L"#32770", L"Information");
    ASSERT_NE(box, nullptr);
    PressOk(box);
}

TEST_F(FilterAndSearch, EditingTheSearchTextStartsOverAndSpacesAloneDisableTheButton) {
    Send(1, "alpha");
    HWND edit = trace.Control(kIdEdtSearchFor);
    SetEditText(edit, L"ALPHA");
    Search();
    EXPECT_EQ(SearchCaption(), "&Next");
    SetEditText(edit, L"   ");
    Sync(trace.Window());
    EXPECT_FALSE(::IsWindowEnabled(trace.Control(kIdBtnSearch)));
    EXPECT_EQ(SearchCaption(), "&Search");
    SetEditText(edit, L"-");
    Sync(trace.Window());
    Search();
    // The first hyphen is at position 1: the search stays fresh and finds it again.
    EXPECT_EQ(Selection(), MAKELONG(0, 1));
    EXPECT_EQ(SearchCaption(), "&Search");
    Search();
    EXPECT_EQ(Selection(), MAKELONG(0, 1));
}

}  // namespace
}  // namespace e2e
