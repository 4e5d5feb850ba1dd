// Senders that misbehave, on purpose or by accident: refused levels in every form, empty and
// huge texts, random bytes, floods of refusals, senders killed while sending. Whatever they do,
// the window answers at once, stays alive, keeps what it accepted and nothing it refused.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "E2eSupport.h"
#include "UserInput.h"
#include "common/Utf8.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

using namespace orsk;
using namespace std::string_literals;
using Clock = std::chrono::steady_clock;

class HostileSenders : public ::testing::Test {
protected:
    void CloseErrorBoxes() {
        while (HWND box = WaitForWindow(trace.ProcessId(), L"#32770", L"Orsktrace", 300)) {
            PressOk(box);
        }
    }
    // The view rebuilt from the store: what the window really kept.
    std::string StoredView() {
        HWND filter = trace.Control(kIdCbFilter);
        ChooseFilterItem(filter, 1);
        ChooseFilterItem(filter, 0);
        return WithoutDates(View(trace));
    }
    void ExpectRefusedAtOnce(ULONG_PTR level) {
        const auto start = Clock::now();
        const SendResult result = SendTrace(trace.Window(), level, "refused", 5000);
        EXPECT_TRUE(result.delivered) << level;
        EXPECT_EQ(result.reply, 0) << level;
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << level;
    }

    TraceWindowProcess trace;
};

TEST_F(HostileSenders, EveryLevelWithTheTopBitSetIsRefusedAndNeverStored) {
    std::vector<ULONG_PTR> levels = {0x80000000u, 0x80000001u, 0xC0000000u, 0xFFFFFFFEu,
                                     0xFFFFFFFFu};
#if defined(_WIN64)
    // Values above 32 bits, including ones whose low half is a valid level.
    levels.insert(levels.end(), {0x100000000ull, 0x100000005ull, 0x7FFFFFFF00000001ull,
                                 0x8000000000000000ull, 0xFFFFFFFFFFFFFFFFull});
#endif
    std::mt19937 random(20261209);
    for (int i = 0; i < 200; ++i) {
        levels.push_back(0x80000000u + (random() & 0x7FFFFFFFu));
    }
    ASSERT_EQ(SendTrace(trace.Window(), 7, "before").reply, 1);
    for (ULONG_PTR level : levels) {
        ExpectRefusedAtOnce(level);
    }
    EXPECT_LE(CountDialogs(trace.ProcessId()), 1);
    CloseErrorBoxes();
    ASSERT_EQ(SendTrace(trace.Window(), 7, "after").reply, 1);
    EXPECT_EQ(StoredView(), Block("before") + Block("after"));
}

TEST_F(HostileSenders, AThousandRefusalsInARowLeaveOneBoxAndAWorkingWindow) {
    const auto start = Clock::now();
    for (int i = 0; i < 1000; ++i) {
        const SendResult result = SendTrace(trace.Window(), 0x80000000u, "flood", 5000);
        ASSERT_TRUE(result.delivered) << i;
        ASSERT_EQ(result.reply, 0) << i;
    }
    const auto elapsed = Clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(30));
    EXPECT_EQ(CountDialogs(trace.ProcessId()), 1);
    EXPECT_EQ(SendTrace(trace.Window(), 1, "still here").reply, 1);
    CloseErrorBoxes();
    EXPECT_EQ(StoredView(), Block("still here"));
}

TEST_F(HostileSenders, EmptyAndNulOnlyTextsAreKeptExactly) {
    std::string expected;
    auto accept = [&](const std::string& bytes, const std::string& shown) {
        ASSERT_EQ(SendTrace(trace.Window(), 2, bytes).reply, 1);
        expected += Block(shown);
    };
    // Byte count 0, with and without a data pointer.
    ASSERT_EQ(SendTrace(trace.Window(), 2, "ignored", 0).reply, 1);
    expected += Block("");
    ASSERT_EQ(SendTrace(trace.Window(), 2, nullptr, 0).reply, 1);
    expected += Block("");
    accept("\0"s, "");
    accept("\0\0"s, "\xE2\x90\x80");
    accept("\0\0\0\0"s, "\xE2\x90\x80\xE2\x90\x80\xE2\x90\x80");
    EXPECT_EQ(WithoutDates(View(trace)), expected);
    EXPECT_EQ(StoredView(), expected);
}

TEST_F(HostileSenders, RandomBytesAreAllKeptExactly) {
    std::string expected;
    std::mt19937 random(42);
    for (int i = 0; i < 200; ++i) {
        std::string bytes(1 + random() % 300, '\0');
        for (char& b : bytes) {
            do {
                b = static_cast<char>(random() & 0xFF);
            } while (b == '\r' || b == '\n' || b == '\0');
        }
        // Whatever the bytes are, the view and the store hold what the window's decoder makes
        // of them: every sequence that is not UTF-8 becomes U+FFFD.
        ASSERT_EQ(SendTrace(trace.Window(), 2, bytes).reply, 1) << i;
        expected += Block(orsk::Utf16ToUtf8(orsk::Utf8ToUtf16(bytes)));
    }
    EXPECT_EQ(WithoutDates(View(trace)), expected);
    EXPECT_EQ(StoredView(), expected);
}

TEST_F(HostileSenders, HugeTextsAreKeptWholeOrNotAtAll) {
    std::string expected;
    for (std::size_t size : {std::size_t{1} << 20, std::size_t{16} << 20}) {
        std::string big(size, 'x');
        for (std::size_t i = 0; i < big.size(); i += 1000) {
            big[i] = static_cast<char>('a' + (i / 1000) % 26);
        }
        for (std::size_t i = 98; i + 1 < big.size(); i += 100) {
            big[i] = '\r';
            big[i + 1] = '\n';
        }
        const SendResult result = SendTrace(trace.Window(), 3, big, 120000);
        if (!result.delivered) {
            // The platform may refuse to carry a message this large (Wine does at 16 MiB); the
            // sender then knows, and the window must hold no part of it.
            RecordProperty("not delivered", std::to_string(size));
            continue;
        }
        ASSERT_EQ(result.reply, 1) << size;
        expected += Block(big);
    }
    ASSERT_EQ(SendTrace(trace.Window(), 3, "small after big").reply, 1);
    expected += Block("small after big");
    const std::string view = WithoutDates(View(trace));
    EXPECT_EQ(view.size(), expected.size());
    EXPECT_TRUE(view == expected);
    const std::string stored = StoredView();
    EXPECT_EQ(stored.size(), expected.size());
    EXPECT_TRUE(stored == expected);
}

TEST_F(HostileSenders, TracesSentWhileTheSaveDialogIsOpenAreAccepted) {
    Activate(trace.Window());
    ClickOn(trace.Control(kIdMemTrace), true);
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) != nullptr; }));
    SettleInput(trace.Window());
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    HWND dialog = WaitForWindow(trace.ProcessId(), L"#32770", nullptr, 10000);
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(SendTrace(trace.Window(), 1, "during the dialog " + std::to_string(i)).reply, 1);
    }
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 10000));
    std::string expected;
    for (int i = 0; i < 5; ++i) {
        expected += Block("during the dialog " + std::to_string(i));
    }
    EXPECT_EQ(StoredView(), expected);
}

// Run only as the child of SendersKilledWhileSendingLeaveNoTrace: sends numbered traces until it
// is killed.
TEST(SenderChild, SendsUntilKilled) {
    wchar_t window[32] = {};
    if (::GetEnvironmentVariableW(L"ORSK_E2E_SEND_TO", window, 32) == 0) {
        GTEST_SKIP() << "only run by the killed-sender test";
    }
    HWND target =
        reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::wcstoull(window, nullptr, 16)));
    for (int i = 0;; ++i) {
        SendTrace(target, 9, "killed sender #" + std::to_string(i));
    }
}

TEST_F(HostileSenders, SendersKilledWhileSendingLeaveTheWindowWhole) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t handle[32] = {};
    std::swprintf(
        handle, 32, L"%llx",
        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(trace.Window())));
    ::SetEnvironmentVariableW(L"ORSK_E2E_SEND_TO", handle);
    for (int round = 0; round < 3; ++round) {
        std::wstring commandLine =
            L"\"" + std::wstring(self) + L"\" --gtest_filter=SenderChild.SendsUntilKilled";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION child{};
        ASSERT_TRUE(::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &child));
        ::Sleep(700 + 300 * round);
        ::TerminateProcess(child.hProcess, 1);
        ::WaitForSingleObject(child.hProcess, 10000);
        ::CloseHandle(child.hThread);
        ::CloseHandle(child.hProcess);
    }
    ::SetEnvironmentVariableW(L"ORSK_E2E_SEND_TO", nullptr);

    EXPECT_EQ(SendTrace(trace.Window(), 1, "after the killings").reply, 1);
    // Each killed sender's traces are whole and in order: #0, #1, ... without gaps.
    const std::string view = StoredView();
    const std::string marker = "\r\nkilled sender #";
    std::vector<std::vector<int>> runs;
    for (std::size_t at = view.find(marker); at != std::string::npos;
         at = view.find(marker, at + 1)) {
        const std::size_t digits = at + marker.size();
        const std::size_t end = view.find("\r\n", digits);
        ASSERT_NE(end, std::string::npos);
        const int number = std::stoi(view.substr(digits, end - digits));
        if (number == 0) {
            runs.emplace_back();
        }
        ASSERT_FALSE(runs.empty());
        runs.back().push_back(number);
    }
    int traces = 0;
    for (const std::vector<int>& run : runs) {
        for (std::size_t i = 0; i < run.size(); ++i) {
            EXPECT_EQ(run[i], static_cast<int>(i));
        }
        traces += static_cast<int>(run.size());
    }
    const int senders = static_cast<int>(runs.size());
    EXPECT_EQ(senders, 3);
    EXPECT_GT(traces, 3);
    EXPECT_TRUE(view.ends_with(Block("after the killings")));
}

}  // namespace
}  // namespace e2e
