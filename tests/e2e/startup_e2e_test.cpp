// The program as it starts and ends: identity, initial state, exit code.

#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "UserInput.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

using orsk::kIdBtnClose;
using orsk::kIdBtnSearch;
using orsk::kIdCbFilter;
using orsk::kIdEdtSearchFor;
using orsk::kIdMemTrace;

TEST(StartUp, SendersFindTheWindowByClassNameAndByCaption) {
    TraceWindowProcess trace;
    EXPECT_EQ(::FindWindowW(L"TOrskTraceForm", nullptr), trace.Window());
    EXPECT_EQ(::FindWindowW(nullptr, L"ORSK Trace Window"), trace.Window());
    EXPECT_EQ(ToUtf8(ReadText(trace.Window())), "ORSK Trace Window");
}

TEST(StartUp, ShowsAnEmptyViewAllLevelsAndADisabledSearchButtonWithFocusInTheSearchBox) {
    TraceWindowProcess trace;
    EXPECT_EQ(ReadTextUtf8(trace.Control(kIdCbFilter)), "0 = ALL");
    EXPECT_EQ(::SendMessageW(trace.Control(kIdCbFilter), CB_GETCOUNT, 0, 0), 10);
    EXPECT_EQ(View(trace), "");
    HWND search = trace.Control(kIdBtnSearch);
    EXPECT_FALSE(::IsWindowEnabled(search));
    EXPECT_EQ(ReadTextUtf8(search), "&Search");
    EXPECT_EQ(FocusOf(trace.ThreadId()), trace.Control(kIdEdtSearchFor));
}

TEST(StartUp, ControlsSitAtTheirDesignPlaces) {
    TraceWindowProcess trace;
    RECT client{};
    ::GetClientRect(trace.Window(), &client);
    EXPECT_EQ(client.right, 444);
    EXPECT_EQ(client.bottom, 420);
    RECT outer{};
    ::GetWindowRect(trace.Window(), &outer);
    EXPECT_EQ(outer.left, 200);
    EXPECT_EQ(outer.top, 104);

    const struct {
        int id;
        RECT rect;  // client coordinates of the form
    } controls[] = {
        {kIdMemTrace, {8, 45, 436, 373}},
        {kIdBtnClose, {361, 387, 436, 412}},
        {kIdBtnSearch, {361, 5, 436, 30}},
        {kIdEdtSearchFor, {235, 7, 354, 28}},
    };
    for (const auto& c : controls) {
        RECT r{};
        HWND control = trace.Control(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(HWND_DESKTOP, trace.Window(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, c.rect.left) << c.id;
        EXPECT_EQ(r.top, c.rect.top) << c.id;
        EXPECT_EQ(r.right, c.rect.right) << c.id;
        EXPECT_EQ(r.bottom, c.rect.bottom) << c.id;
    }
}

TEST(StartUp, ClosingTheWindowEndsTheProgramWithExitCodeZero) {
    TraceWindowProcess trace;
    ASSERT_EQ(SendTrace(trace.Window(), 1, "a trace that is lost without a question").reply, 1);
    ::PostMessageW(trace.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(trace.WaitForExit(10000), 0u);
}

TEST(StartUp, TheCloseButtonEndsTheProgramWithExitCodeZero) {
    TraceWindowProcess trace;
    ClickButton(trace.Control(kIdBtnClose));
    EXPECT_EQ(trace.WaitForExit(10000), 0u);
}

// The task bar button is the application's: a window of no size captioned with the application
// title owns the trace window, which so has no button of its own.
TEST(StartUp, TheTaskBarButtonIsTheApplicationsAndMinimisesRestoresAndClosesTheProgram) {
    TraceWindowProcess trace;
    HWND button = ::GetWindow(trace.Window(), GW_OWNER);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(ToUtf8(ReadText(button)), "Orsktrace");
    EXPECT_TRUE(::IsWindowVisible(button));
    EXPECT_EQ(::GetWindow(button, GW_OWNER), nullptr);
    EXPECT_EQ(::GetWindowLongW(button, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(::GetWindowLongW(trace.Window(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    // The trace window's minimise box takes the button down, and the window with it; traces
    // still arrive.
    ::PostMessageW(trace.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(
        WaitUntil([&] { return ::IsIconic(button) && !::IsWindowVisible(trace.Window()); }));
    EXPECT_EQ(SendTrace(trace.Window(), 1, "while minimised").reply, 1);

    // A click on the button restores both, and the trace window is the active one.
    ::PostMessageW(button, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(
        WaitUntil([&] { return !::IsIconic(button) && ::IsWindowVisible(trace.Window()); }));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == trace.Window(); }));
    EXPECT_EQ(WithoutDates(View(trace)), Block("while minimised"));

    // Alt+Tab to the button hands the activation on to the trace window.
    ::SetForegroundWindow(button);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == trace.Window(); }));

    // Close from the task bar ends the program.
    ::PostMessageW(button, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(trace.WaitForExit(10000), 0u);
}

}  // namespace
}  // namespace e2e
