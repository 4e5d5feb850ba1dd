// Refused traces and the standard error box: the sender is answered at once, other senders keep
// being served, and boxes never stack.

#include <gtest/gtest.h>

#include <chrono>

#include "E2eSupport.h"
#include "UserInput.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

class ErrorBox : public ::testing::Test {
protected:
    HWND RefuseOneTrace() {
        const auto start = Clock::now();
        const SendResult result = SendTrace(trace.Window(), 0x80000000u, "bad level");
        refusedAfter = Clock::now() - start;
        EXPECT_TRUE(result.delivered);
        EXPECT_EQ(result.reply, 0);
        return WaitForWindow(trace.ProcessId(), L"#32770", L"Orsktrace");
    }

    TraceWindowProcess trace;
    Clock::duration refusedAfter{};
};

TEST_F(ErrorBox, ShowsTheRangeErrorWithTheApplicationTitleAndAnswersTheSenderAtOnce) {
    HWND box = RefuseOneTrace();
    ASSERT_NE(box, nullptr);
    // The reply came while the box is still open, not when the user closed it.
    EXPECT_TRUE(::IsWindowVisible(box));
    EXPECT_LT(refusedAfter, std::chrono::seconds(3));
    EXPECT_EQ(ToUtf8(BoxText(box)), "Range check error.");
    EXPECT_FALSE(::IsWindowEnabled(trace.Window()));  // modal to the trace window
    PressOk(box);
    EXPECT_TRUE(::IsWindowEnabled(trace.Window()));
    EXPECT_EQ(View(trace), "");
}

TEST_F(ErrorBox, IsModalToTheWholeProgramAlsoOverAnotherBox) {
    // The "not found" box is open (the trace window is disabled under it) when a bad trace
    // arrives: the error box goes on top of it, and neither can be ended before it.
    SetEditText(trace.Control(orsk::kIdEdtSearchFor), L"absent");
    ClickButton(trace.Control(orsk::kIdBtnSearch));
    HWND notFound = WaitForWindow(trace.ProcessId(), L"#32770", L"Information");
    ASSERT_NE(notFound, nullptr);
    HWND box = RefuseOneTrace();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), notFound);
    EXPECT_FALSE(::IsWindowEnabled(notFound));
    EXPECT_FALSE(::IsWindowEnabled(trace.Window()));

    PressOk(box);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(notFound) != FALSE; }));
    EXPECT_FALSE(::IsWindowEnabled(trace.Window()));  // still under the "not found" box
    PressOk(notFound);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(trace.Window()) != FALSE; }));
    EXPECT_EQ(SendTrace(trace.Window(), 1, "still accepting").reply, 1);
}

TEST_F(ErrorBox, OtherSendersAreServedWhileTheBoxIsOpen) {
    HWND box = RefuseOneTrace();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(SendTrace(trace.Window(), 3, "served meanwhile").reply, 1);
    EXPECT_EQ(WithoutDates(View(trace)), Block("served meanwhile"));
    PressOk(box);
    EXPECT_EQ(SendTrace(trace.Window(), 3, "and afterwards").reply, 1);
    EXPECT_EQ(WithoutDates(View(trace)), Block("served meanwhile") + Block("and afterwards"));
}

TEST_F(ErrorBox, FailuresWhileABoxIsOpenAreAnsweredButNeverStackAnotherBox) {
    HWND box = RefuseOneTrace();
    ASSERT_NE(box, nullptr);
    for (int i = 0; i < 50; ++i) {
        const SendResult result = SendTrace(trace.Window(), 0xFFFFFFFFu, "bad again", 3000);
        ASSERT_TRUE(result.delivered);
        ASSERT_EQ(result.reply, 0);
    }
    EXPECT_EQ(CountDialogs(trace.ProcessId()), 1);
    PressOk(box);
    EXPECT_EQ(CountDialogs(trace.ProcessId()), 0);

    // The next box says how many failures were not shown.
    HWND next = RefuseOneTrace();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(ToUtf8(BoxText(next)),
              "Range check error.\r\n\r\n(50 more errors occurred while the previous error box "
              "was open.)");
    PressOk(next);
    EXPECT_EQ(SendTrace(trace.Window(), 1, "still accepting").reply, 1);
}

TEST_F(ErrorBox, NothingOfARefusedTraceIsStored) {
    ASSERT_EQ(SendTrace(trace.Window(), 5, "kept").reply, 1);
    HWND box = RefuseOneTrace();
    ASSERT_NE(box, nullptr);
    PressOk(box);
    // A rebuild shows what the store holds.
    ChooseFilterItem(trace.Control(orsk::kIdCbFilter), 5);
    ChooseFilterItem(trace.Control(orsk::kIdCbFilter), 0);
    EXPECT_EQ(WithoutDates(View(trace)), Block("kept"));
}

#if defined(_WIN64)
TEST_F(ErrorBox, LevelsAboveThirtyTwoBitsAreRefused) {
    const SendResult result = SendTrace(trace.Window(), 0x100000001ull, "above 32 bits");
    EXPECT_EQ(result.reply, 0);
    HWND box = WaitForWindow(trace.ProcessId(), L"#32770", L"Orsktrace");
    ASSERT_NE(box, nullptr);
    PressOk(box);
    EXPECT_EQ(View(trace), "");
}
#endif

}  // namespace
}  // namespace e2e
