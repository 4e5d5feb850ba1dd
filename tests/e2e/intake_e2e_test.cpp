// Traces sent with WM_COPYDATA, as senders send them: replies, decoding, what the view shows.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "E2eSupport.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

using namespace std::string_literals;

class Intake : public ::testing::Test {
protected:
    TraceWindowProcess trace;
};

TEST_F(Intake, DecodesEveryKindOfTextAsTheViewShowsIt) {
    const struct {
        const char* name;
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"plain", "Hello", "Hello"},
        {"empty", "", ""},
        {"one trailing NUL dropped", "abc\0"s, "abc"},
        {"second NUL kept and shown as a symbol", "abc\0\0"s, "abc\xE2\x90\x80"},
        {"NUL alone", "\0"s, ""},
        {"NUL inside keeps the rest of the line", "ab\0cd"s,
         "ab\xE2\x90\x80"
         "cd"},
        {"malformed UTF-8", "a\xC3(b\xF0\x9F\x98", "a\xEF\xBF\xBD(b\xEF\xBF\xBD"},
        {"CR LF inside", "line one\r\nline two", "line one\r\nline two"},
        {"byte-order mark kept", "\xEF\xBB\xBFtext", "\xEF\xBB\xBFtext"},
        {"non-Latin",
         "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x82\xAC \xF0\x9F\x98\x80",
         "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x82\xAC \xF0\x9F\x98\x80"},
    };
    std::string expected;
    for (const auto& c : cases) {
        const SendResult result = SendTrace(trace.Window(), 1, c.bytes);
        ASSERT_TRUE(result.delivered) << c.name;
        EXPECT_EQ(result.reply, 1) << c.name;
        expected += Block(c.shown);
        EXPECT_EQ(WithoutDates(View(trace)), expected) << c.name;
    }
}

TEST_F(Intake, ByteCountWithoutDataGivesTheEmptyText) {
    EXPECT_EQ(SendTrace(trace.Window(), 1, nullptr, 0).reply, 1);
    EXPECT_EQ(WithoutDates(View(trace)), Block(""));
}

TEST_F(Intake, AcceptsTheLevelsZeroAndTheLargestAndRefusesOneMore) {
    EXPECT_EQ(SendTrace(trace.Window(), 0, "level zero").reply, 1);
    EXPECT_EQ(SendTrace(trace.Window(), 2147483647u, "largest level").reply, 1);
    const SendResult refused = SendTrace(trace.Window(), 2147483648u, "refused");
    EXPECT_TRUE(refused.delivered);
    EXPECT_EQ(refused.reply, 0);
    HWND box = WaitForWindow(trace.ProcessId(), L"#32770", L"Orsktrace");
    ASSERT_NE(box, nullptr);
    PressOk(box);
    EXPECT_EQ(WithoutDates(View(trace)), Block("level zero") + Block("largest level"));
}

TEST_F(Intake, EveryAcceptedTraceStampsTheTimeOfItsArrival) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    ASSERT_EQ(SendTrace(trace.Window(), 1, "stamped").reply, 1);
    const auto dates = DateLines(View(trace));
    ASSERT_EQ(dates.size(), 1u);
    // The prefix runs with English (United States) formats: M/d/yyyy and h:mm:ss AM/PM.
    const std::string date = std::to_string(now.wMonth) + "/" + std::to_string(now.wDay) + "/" +
                             std::to_string(now.wYear);
    EXPECT_EQ(dates[0].rfind(date, 0), 0u) << dates[0];
    EXPECT_TRUE(dates[0].ends_with(" AM") || dates[0].ends_with(" PM") || dates[0] == date)
        << dates[0];
}

TEST_F(Intake, TracesFromSeveralSendersAreAllKeptInTheOrderTheyWereHandled) {
    constexpr int kSenders = 4;
    constexpr int kEach = 50;
    std::thread senders[kSenders];
    int accepted[kSenders] = {};
    for (int s = 0; s < kSenders; ++s) {
        senders[s] = std::thread([&, s] {
            for (int i = 0; i < kEach; ++i) {
                const std::string text = "sender " + std::to_string(s) + " #" + std::to_string(i);
                accepted[s] += SendTrace(trace.Window(), 1, text).reply == 1 ? 1 : 0;
            }
        });
    }
    for (auto& sender : senders) {
        sender.join();
    }
    const std::string view = View(trace);
    for (int s = 0; s < kSenders; ++s) {
        EXPECT_EQ(accepted[s], kEach);
        std::size_t at = 0;
        for (int i = 0; i < kEach; ++i) {
            const std::string line =
                "\r\nsender " + std::to_string(s) + " #" + std::to_string(i) + "\r\n";
            const std::size_t found = view.find(line, at);
            ASSERT_NE(found, std::string::npos) << line;
            at = found + 1;
        }
    }
}

}  // namespace
}  // namespace e2e
