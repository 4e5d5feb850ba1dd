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
    const char* traces[] = {
        "Service started", "Query took 12 ms\r\n  SELECT * FROM orders WHERE id = 42",
        "Customer: \xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0 \xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1 "
        "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 "
        "e\xCC\x81 \xF0\x9F\x98\x80 \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD|",
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
