// The trace window built in this process from a form description it cannot be built from: the
// constructor throws after the window exists, and no window may be left behind that could still
// reach the freed object (a sender's WM_COPYDATA during the error box, say).

#include <gtest/gtest.h>

#include <windows.h>

#include "common/TraceError.h"
#include "window/OrskTraceFrm.h"

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

}  // namespace
}  // namespace e2e
