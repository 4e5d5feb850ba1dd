// The trace window and its text control, made in this test program's own process: what cannot
// be reached from another process (a constructor that fails, messages exactly as a 32-bit
// program's numbers arrive in a 64-bit window).

#include <gtest/gtest.h>

#include <windows.h>

#include "common/TraceError.h"
#include "window/OrskTraceFrm.h"
#include "window/win32/Win32TextControl.h"

namespace e2e {
namespace {

// Takes its resources from this test program, whose TORSKTRACEFORM names no controls.
class TestHost final : public orsk::TraceWindowHost {
public:
    HINSTANCE Instance() const override { return ::GetModuleHandleW(nullptr); }
    HWND TaskbarWindow() const override { return nullptr; }
    const orsk::RegionalFormats& Formats() const override { return formats_; }
    void ShowException(std::exception_ptr) noexcept override { ++errorsShown; }

    int errorsShown = 0;

private:
    orsk::RegionalFormats formats_;
};

// The trace window built from a form description it cannot be built from: the constructor
// throws after the window exists, and no window may be left behind that could still reach the
// freed object (a sender's WM_COPYDATA during the error box, say).
TEST(FormConstruction, AFailedConstructionLeavesNoWindowBehind) {
    TestHost host;
    EXPECT_THROW(orsk::TOrskTraceForm form(host), orsk::TraceError);

    EXPECT_EQ(::FindWindowW(L"TOrskTraceFormBroken", nullptr), nullptr);
    // Whatever was still queued for the window finds no object to reach.
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
    EXPECT_EQ(host.errorsShown, 0);
}

// The edit messages' numbers are 32-bit, as for the system's edit control: a 32-bit program's -1
// reaches a 64-bit window as 0xFFFFFFFF (zero-extended) and must still mean -1. Sent within the
// process, the value arrives exactly as written.
TEST(TextControl, EditMessagesReadTheirNumbersAs32BitValues) {
    HWND control =
        ::CreateWindowExW(0, orsk::Win32TextControl::ClassName(), L"", WS_POPUP, 0, 0, 200, 100,
                          nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"----\r\nfirst\r\nsecond"));
    const auto ask = [&](UINT message, WPARAM wParam, LPARAM lParam = 0) {
        return ::SendMessageW(control, message, wParam, lParam);
    };
    const auto selection = [&] {
        DWORD start = 0;
        DWORD end = 0;
        ask(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return std::make_pair(start, end);
    };
    constexpr WPARAM kMinusOne = 0xFFFFFFFFu;
    constexpr DWORD kFirst = 6;  // "first" starts line 1

    ask(EM_SETSEL, kFirst, kFirst);
    EXPECT_EQ(ask(EM_LINEINDEX, kMinusOne), 6);     // the caret's line
    EXPECT_EQ(ask(EM_LINELENGTH, kMinusOne), 5);    // unselected units on the caret's line
    EXPECT_EQ(ask(EM_LINEFROMCHAR, kMinusOne), 1);  // the selection's line
    EXPECT_EQ(ask(EM_POSFROMCHAR, kMinusOne), -1);  // no such position
    ask(EM_SETSEL, kMinusOne, 0);                   // deselects, not the whole text
    EXPECT_EQ(selection(), std::make_pair(kFirst, kFirst));
    ask(EM_SETSEL, 0, static_cast<LPARAM>(kMinusOne));  // to the end
    EXPECT_EQ(selection(), std::make_pair(DWORD{0}, DWORD{19}));
    ::DestroyWindow(control);
}

}  // namespace
}  // namespace e2e
