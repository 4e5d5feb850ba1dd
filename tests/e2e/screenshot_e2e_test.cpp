// Leaves a picture of the window holding a few traces, for the README and for a human look.

#include <gtest/gtest.h>

#include "E2eSupport.h"

namespace e2e {
namespace {

TEST(Screenshot, WindowWithAFewTraces) {
    wchar_t path[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"ORSK_SCREENSHOT", path, MAX_PATH) == 0) {
        GTEST_SKIP() << "ORSK_SCREENSHOT names no file";
    }
    TraceWindowProcess trace;
    const char* traces[] = {"Service started", "Connecting to database \"orders\"",
                            "Query took 12 ms\r\n  SELECT * FROM orders WHERE id = 42",
                            "Cache warm: 1,024 entries"};
    ULONG_PTR level = 1;
    for (const char* text : traces) {
        ASSERT_EQ(SendTrace(trace.Window(), level++, text).reply, 1);
    }
    ::SetForegroundWindow(trace.Window());
    Sync(trace.Window());
    ::Sleep(300);
    EXPECT_TRUE(SaveWindowBitmap(trace.Window(), path));
}

}  // namespace
}  // namespace e2e
