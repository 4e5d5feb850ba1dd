// The sender kit: orsktrace.h and the orsktrace-send command, sending to the real trace window
// and, for answers the real one never gives (late, refused at will), to a stand-in window.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "E2eSupport.h"
#include "sdk/orsktrace.h"
#include "window/ControlIds.h"

extern "C" int orsk_sdk_c_send(unsigned int level, const char* text);

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A hidden top-level window of the trace window's class, on its own thread, that answers
// WM_COPYDATA as told: 0 for texts starting with "refuse", and only after `delayMs` for texts
// starting with "slow"; 1 otherwise. It records what it received.
class StandInWindow {
public:
    struct Received {
        ULONG_PTR level;
        std::string text;
        bool operator==(const Received&) const = default;
        friend void PrintTo(const Received& r, std::ostream* out) {
            *out << "{" << r.level << ", \"" << r.text << "\"}";
        }
    };

    explicit StandInWindow(DWORD delayMs = 0) : delayMs_(delayMs) {
        std::unique_lock lock(mutex_);
        thread_ = std::thread([this] { Run(); });
        created_.wait(lock, [this] { return window_ != nullptr; });
    }

    ~StandInWindow() {
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }

    HWND Window() const { return window_; }

    // What arrived, once the window has handled everything sent to it so far.
    std::vector<Received> Texts() {
        Sync(window_);
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<StandInWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COPYDATA && self != nullptr) {
            // Read before any delay: a sender in this process may give up and reuse the memory.
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            const std::string text(static_cast<const char*>(data->lpData),
                                   data->lpData != nullptr ? data->cbData : 0);
            {
                std::lock_guard lock(self->mutex_);
                self->received_.push_back({data->dwData, text});
            }
            if (text.starts_with("slow")) {
                ::Sleep(self->delayMs_);
            }
            return text.starts_with("refuse") ? 0 : 1;
        }
        if (message == WM_DESTROY) {
            ::PostQuitMessage(0);
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    void Run() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = e2e::kTraceWindowClass;
        ::RegisterClassW(&windowClass);  // fails harmlessly when an earlier stand-in did it
        HWND window =
            ::CreateWindowExW(0, e2e::kTraceWindowClass, L"stand-in", WS_OVERLAPPEDWINDOW, 0, 0,
                              100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        {
            std::lock_guard lock(mutex_);
            window_ = window;
        }
        created_.notify_one();
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::DispatchMessageW(&message);
        }
    }

    const DWORD delayMs_;
    std::mutex mutex_;
    std::condition_variable created_;
    HWND window_ = nullptr;
    std::vector<Received> received_;
    std::thread thread_;
};

bool TraceWindowRunning() {
    return ::FindWindowW(e2e::kTraceWindowClass, nullptr) != nullptr ||
           ::FindWindowW(nullptr, e2e::kTraceWindowCaption) != nullptr;
}

// Waits out the pause the kit keeps after a look-up that found no window, so that a window
// created now is found by the next send.
void PastLookUpPause() {
    ::Sleep(ORSKTRACE_LOOKUP_INTERVAL_MS + 50);
}

// Sets the kit's timeout for one test.
class KitTimeout {
public:
    explicit KitTimeout(unsigned int ms) : previous_(orsktrace_set_timeout(ms)) {}
    ~KitTimeout() { orsktrace_set_timeout(previous_); }
    KitTimeout(const KitTimeout&) = delete;
    KitTimeout& operator=(const KitTimeout&) = delete;

private:
    unsigned int previous_;
};

TEST(SdkHeader, SendsUtf8TextsAsTheyAre) {
    TraceWindowProcess trace;
    using namespace std::string_literals;
    EXPECT_EQ(orsktrace_send(1, "plain"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(orsktrace_send_n(2, "cut here|not this", 8), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(orsktrace_send_n(3, "line one\r\nline two", 18), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(orsktrace_send(4, nullptr), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(orsktrace_send_n(4, nullptr, 0), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(orsktrace_send(5, "gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(orsktrace_send(6, "a\0b"s), ORSKTRACE_ACCEPTED);  // the std::string_view overload
    EXPECT_EQ(orsktrace_send(7, std::wstring(L"wide \u20AC")), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(orsktrace_send(2147483647u, "largest level"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(WithoutDates(View(trace)), Block("plain") + Block("cut here") +
                                             Block("line one\r\nline two") + Block("") + Block("") +
                                             Block("gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80") +
                                             Block("a\xE2\x90\x80"
                                                   "b") +
                                             Block("wide \xE2\x82\xAC") + Block("largest level"));
    // Each went with its own level.
    ChooseFilterItem(trace.Control(orsk::kIdCbFilter), 3);
    EXPECT_EQ(WithoutDates(View(trace)), Block("line one\r\nline two"));
}

TEST(SdkHeader, WideTextsOfAnyLengthArriveAsUtf8) {
    TraceWindowProcess trace;
    // Around the 4 KiB stack buffer: 1365 euro signs are 4095 bytes, 1366 are 4098; 2000
    // ASCII letters are too many units to convert unmeasured but fit; 5000 do not.
    const std::wstring texts[] = {
        L"",
        L"\u041F\u0440\u0438\u0432\u0435\u0442 \u20AC \U0001F600",
        std::wstring(1365, L'\u20AC'),
        std::wstring(1366, L'\u20AC'),
        std::wstring(2000, L'x'),
        std::wstring(5000, L'y') + L"\u00E4",
    };
    std::string expected;
    for (const std::wstring& text : texts) {
        EXPECT_EQ(orsktrace_send_wide(1, text.c_str()), ORSKTRACE_ACCEPTED);
        expected += Block(ToUtf8(text));
    }
    // A lone surrogate becomes U+FFFD; a count shorter than the text sends only that much.
    const wchar_t lone[] = {L'a', 0xD800, L'b', 0};
    EXPECT_EQ(orsktrace_send_wide(1, lone), ORSKTRACE_ACCEPTED);
    expected += Block(
        "a\xEF\xBF\xBD"
        "b");
    EXPECT_EQ(orsktrace_send_wide_n(1, L"only this, not that", 9), ORSKTRACE_ACCEPTED);
    expected += Block("only this");
    EXPECT_EQ(orsktrace_send_wide(1, nullptr), ORSKTRACE_ACCEPTED);
    expected += Block("");
    EXPECT_EQ(WithoutDates(View(trace)), expected);
}

TEST(SdkHeader, PrintfFormatsTextsOfAnyLength) {
    TraceWindowProcess trace;
    EXPECT_EQ(orsktrace_printf(1, "%s=%d, %05.1f%%", "pi", 3, 3.14159), ORSKTRACE_ACCEPTED);
    std::string expected = Block("pi=3, 003.1%");
    // Around the 4 KiB stack buffer: texts of 4095, 4096 and 4097 bytes, and a long one; the
    // number after the text must survive the second formatting into the heap buffer.
    for (const std::size_t length : {4091u, 4092u, 4093u, 20000u}) {
        const std::string text(length, 'z');
        EXPECT_EQ(orsktrace_printf(2, "%s|%03d", text.c_str(), 42), ORSKTRACE_ACCEPTED);
        expected += Block(text + "|042");
    }
    EXPECT_EQ(orsktrace_printf(3, "%s", ""), ORSKTRACE_ACCEPTED);
    expected += Block("");
    EXPECT_EQ(WithoutDates(View(trace)), expected);
}

TEST(SdkHeader, TheCFunctionsSendToo) {
    TraceWindowProcess trace;
    EXPECT_EQ(orsk_sdk_c_send(4, "hello"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(WithoutDates(View(trace)), Block("hello (from C, 99)"));
}

TEST(SdkHeader, ABadLevelGoesToTheWindowWhichRefusesIt) {
    TraceWindowProcess trace;
    EXPECT_EQ(orsktrace_send(0x80000000u, "bad level"), ORSKTRACE_REFUSED);
    HWND box = WaitForWindow(trace.ProcessId(), L"#32770", L"Orsktrace");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(orsktrace_send(0xFFFFFFFFu, "bad again"), ORSKTRACE_REFUSED);
    PressOk(box);
    EXPECT_EQ(orsktrace_send(1, "after"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(WithoutDates(View(trace)), Block("after"));
}

TEST(SdkHeader, WithoutAWindowSendsSaySoAtOnceAndLookAgainOnlyAfterAQuarterSecond) {
    ASSERT_FALSE(TraceWindowRunning());
    const auto start = Clock::now();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(orsktrace_send(1, "nobody listens"), ORSKTRACE_NO_WINDOW);
        ASSERT_EQ(orsktrace_send_wide(1, L"nobody listens"), ORSKTRACE_NO_WINDOW);
        ASSERT_EQ(orsktrace_printf(1, "nobody %s", "listens"), ORSKTRACE_NO_WINDOW);
    }
    EXPECT_LT(Clock::now() - start, milliseconds(1000));

    PastLookUpPause();
    ASSERT_EQ(orsktrace_send(1, "missed"), ORSKTRACE_NO_WINDOW);
    const auto missed = Clock::now();
    StandInWindow standIn;
    const orsktrace_status during = orsktrace_send(1, "during the pause");
    if (Clock::now() - missed < milliseconds(200)) {
        EXPECT_EQ(during, ORSKTRACE_NO_WINDOW);
    }
    std::this_thread::sleep_until(missed + milliseconds(ORSKTRACE_LOOKUP_INTERVAL_MS + 50));
    EXPECT_EQ(orsktrace_send(3, "after the pause"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(standIn.Texts().back(), (StandInWindow::Received{3, "after the pause"}));
}

TEST(SdkHeader, AWindowThatAnswersTooLateTimesOutAndStaysInUse) {
    ASSERT_FALSE(TraceWindowRunning());
    StandInWindow standIn(1500);
    PastLookUpPause();
    KitTimeout timeout(200);
    const auto start = Clock::now();
    EXPECT_EQ(orsktrace_send(1, "slow to answer"), ORSKTRACE_TIMED_OUT);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, milliseconds(150));
    EXPECT_LT(waited, milliseconds(1200));
    // Once the window is free again it is still the one in use: the time-out did not drop it.
    EXPECT_EQ(standIn.Texts().size(), 1u);
    EXPECT_EQ(orsktrace_send(2, "answered"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(orsktrace_send(2, "refuse this"), ORSKTRACE_REFUSED);
    EXPECT_EQ(standIn.Texts(), (std::vector<StandInWindow::Received>{
                                   {1, "slow to answer"}, {2, "answered"}, {2, "refuse this"}}));
}

TEST(SdkHeader, KeepsUsingTheWindowItFoundUntilThatOneIsGone) {
    ASSERT_FALSE(TraceWindowRunning());
    auto first = std::make_unique<StandInWindow>();
    PastLookUpPause();
    EXPECT_EQ(orsktrace_send(1, "one"), ORSKTRACE_ACCEPTED);
    StandInWindow second;
    // A look-up now would find the newer window: the kit must not look.
    ASSERT_EQ(::FindWindowW(e2e::kTraceWindowClass, nullptr), second.Window());
    EXPECT_EQ(orsktrace_send(1, "two"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(first->Texts(), (std::vector<StandInWindow::Received>{{1, "one"}, {1, "two"}}));
    first.reset();
    EXPECT_EQ(orsktrace_send(1, "three"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(second.Texts(), (std::vector<StandInWindow::Received>{{1, "three"}}));
}

TEST(SdkHeader, FindsTheNewWindowAfterTheOneItUsedClosed) {
    auto first = std::make_unique<TraceWindowProcess>();
    EXPECT_EQ(orsktrace_send(1, "to the first"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(WithoutDates(View(*first)), Block("to the first"));
    first.reset();
    EXPECT_EQ(orsktrace_send(1, "to nobody"), ORSKTRACE_NO_WINDOW);
    PastLookUpPause();
    TraceWindowProcess second;
    EXPECT_EQ(orsktrace_send(1, "to the second"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(orsktrace_send(1, "and again"), ORSKTRACE_ACCEPTED);
    EXPECT_EQ(WithoutDates(View(second)), Block("to the second") + Block("and again"));
}

// --- orsktrace-send ---------------------------------------------------------------------------

struct CommandRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string out;
    std::string err;
};

std::wstring SendExePath() {
    std::wstring path = TraceExePath();
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"orsktrace-send.exe";
}

// The product version in the version resource of `exe`, as "major.minor.patch"; empty when it
// has none. Read from the raw resource, where the fixed numbers follow the root block's
// 6-byte header and its key "VS_VERSION_INFO", padded to 40 bytes.
std::string ResourceVersion(const std::wstring& exe) {
    HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return {};
    }
    std::string version;
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    constexpr DWORD kFixedAt = 40;
    if (found != nullptr &&
        ::SizeofResource(module, found) >= kFixedAt + sizeof(VS_FIXEDFILEINFO)) {
        VS_FIXEDFILEINFO fixed;
        std::memcpy(
            &fixed,
            static_cast<const BYTE*>(::LockResource(::LoadResource(module, found))) + kFixedAt,
            sizeof fixed);
        if (fixed.dwSignature == 0xFEEF04BD) {
            version = std::to_string(HIWORD(fixed.dwProductVersionMS)) + "." +
                      std::to_string(LOWORD(fixed.dwProductVersionMS)) + "." +
                      std::to_string(HIWORD(fixed.dwProductVersionLS));
        }
    }
    ::FreeLibrary(module);
    return version;
}

// Runs orsktrace-send with `arguments` (already quoted as needed) and `input` on its standard
// input; collects its exit code and both outputs.
CommandRun RunSend(const std::wstring& arguments, const std::string& input = {}) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inRead, inWrite, outRead, outWrite, errRead, errWrite;
    ::CreatePipe(&inRead, &inWrite, &inherit, 0);
    ::CreatePipe(&outRead, &outWrite, &inherit, 0);
    ::CreatePipe(&errRead, &errWrite, &inherit, 0);
    ::SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    const std::wstring exe = SendExePath();
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    // Wine now and then fails a start under load; the window driver retries the same way.
    BOOL started = FALSE;
    DWORD error = 0;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        started = ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                   CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
        if (!started) {
            error = ::GetLastError();
            ::Sleep(200);
        }
    }
    ::CloseHandle(inRead);
    ::CloseHandle(outWrite);
    ::CloseHandle(errWrite);
    CommandRun run;
    if (!started) {
        ADD_FAILURE() << "cannot start " << ToUtf8(exe) << ", error " << error;
        ::CloseHandle(inWrite);
        ::CloseHandle(outRead);
        ::CloseHandle(errRead);
        return run;
    }
    std::thread writer([&] {
        std::size_t at = 0;
        while (at < input.size()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(input.size() - at, 65536));
            if (!::WriteFile(inWrite, input.data() + at, chunk, &written, nullptr)) {
                break;  // it stopped reading
            }
            at += written;
        }
        ::CloseHandle(inWrite);
    });
    auto readAll = [](HANDLE pipe, std::string& into) {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            into.append(buffer, got);
        }
        ::CloseHandle(pipe);
    };
    std::thread outReader(readAll, outRead, std::ref(run.out));
    std::thread errReader(readAll, errRead, std::ref(run.err));
    if (::WaitForSingleObject(process.hProcess, 300000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "orsktrace-send did not end";
        ::TerminateProcess(process.hProcess, 99);
        ::WaitForSingleObject(process.hProcess, 5000);
    }
    ::GetExitCodeProcess(process.hProcess, &run.exitCode);
    writer.join();
    outReader.join();
    errReader.join();
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return run;
}

TEST(SdkSendCommand, SendsItsWordsAsOneTraceOfTheGivenLevel) {
    TraceWindowProcess trace;
    const CommandRun run =
        RunSend(L"-l 3 hello \"wide  world\" gr\u00FC\u00DFe \u20AC \u4E2D\u6587 \U0001F600 \"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    const std::string text =
        "hello wide  world gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC \xE4\xB8\xAD\xE6\x96\x87 "
        "\xF0\x9F\x98\x80 ";
    EXPECT_EQ(WithoutDates(View(trace)), Block(text));
    ChooseFilterItem(trace.Control(orsk::kIdCbFilter), 3);
    EXPECT_EQ(WithoutDates(View(trace)), Block(text));
    ChooseFilterItem(trace.Control(orsk::kIdCbFilter), 4);
    EXPECT_EQ(View(trace), "");
}

TEST(SdkSendCommand, SendsTenThousandLinesOfAPipeInOrder) {
    TraceWindowProcess trace;  // on screen, as users run it
    std::string input;
    std::string expected;
    for (int i = 1; i <= 10000; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "line %05d \xC3\xA4 of the build output", i);
        input += line;
        input += i % 3 == 0 ? "\r\n" : "\n";  // both line ends, as tools mix them
        expected += Block(line);
    }
    input += "last line without a line end";
    expected += Block("last line without a line end");

    const auto start = Clock::now();
    const CommandRun run = RunSend(L"-l 2", input);
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    std::printf("[ TIMING   ] 10,001 lines through orsktrace-send: %lld ms\n",
                static_cast<long long>(took.count()));
    std::fflush(stdout);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(WithoutDates(View(trace)), expected);
}

TEST(SdkSendCommand, RefusedTracesGiveExitCodeOneAndTheRestIsStillSent) {
    ASSERT_FALSE(TraceWindowRunning());
    StandInWindow standIn;
    PastLookUpPause();
    const CommandRun run = RunSend(L"-l 2147483647", "good one\nrefuse this\n\ngood two");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.err, "orsktrace-send: the window refused 1 of 4 traces\r\n");
    EXPECT_EQ(standIn.Texts(), (std::vector<StandInWindow::Received>{{2147483647, "good one"},
                                                                     {2147483647, "refuse this"},
                                                                     {2147483647, ""},
                                                                     {2147483647, "good two"}}));
    EXPECT_EQ(RunSend(L"refuse the words").exitCode, 1u);
}

TEST(SdkSendCommand, NoWindowGivesExitCodeTwo) {
    ASSERT_FALSE(TraceWindowRunning());
    for (const CommandRun& run : {RunSend(L"hello"), RunSend(L"", "one\ntwo\n")}) {
        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_EQ(run.err, "orsktrace-send: no ORSK Trace Window is running\r\n");
    }
}

TEST(SdkSendCommand, AWindowThatAnswersTooLateStopsTheInputWithExitCodeTwo) {
    ASSERT_FALSE(TraceWindowRunning());
    StandInWindow standIn(1500);
    PastLookUpPause();
    const CommandRun run = RunSend(L"-t 200", "first\nslow one\nnever sent\n");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.err, "orsktrace-send: the ORSK Trace Window did not answer within 200 ms\r\n");
    EXPECT_EQ(standIn.Texts(),
              (std::vector<StandInWindow::Received>{{0, "first"}, {0, "slow one"}}));
}

TEST(SdkSendCommand, UsageErrorsGiveExitCode64AndSendNothing) {
    ASSERT_FALSE(TraceWindowRunning());
    StandInWindow standIn;
    PastLookUpPause();
    const struct {
        const wchar_t* arguments;
        const char* message;
    } cases[] = {
        {L"-l 2147483648 text", "bad level '2147483648'"},
        {L"-l -1 text", "bad level '-1'"},
        {L"-l two text", "bad level 'two'"},
        {L"-t 0 text", "bad timeout '0'"},
        {L"-t 1.5 text", "bad timeout '1.5'"},
        {L"text -l", nullptr},  // not an error: the words are the text
        {L"say --version", nullptr},
        {L"-t", "-t needs a timeout"},
        {L"--bogus text", "unknown option '--bogus'"},
    };
    for (const auto& c : cases) {
        const CommandRun run = RunSend(c.arguments, "from standard input\n");
        if (c.message == nullptr) {
            EXPECT_EQ(run.exitCode, 0u) << run.err;
            continue;
        }
        EXPECT_EQ(run.exitCode, 64u) << c.message;
        EXPECT_EQ(run.err.rfind(std::string("orsktrace-send: ") + c.message, 0), 0u) << run.err;
        EXPECT_NE(run.err.find("Usage: orsktrace-send"), std::string::npos) << c.message;
        EXPECT_EQ(run.out, "");
    }
    const CommandRun help = RunSend(L"--help", "from standard input\n");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_EQ(help.out.rfind("Usage: orsktrace-send [-l LEVEL] [-t TIMEOUT_MS]", 0), 0u);
    EXPECT_EQ(help.err, "");
    // --version prints the version the exe's resource carries: both come from the one version.
    const std::string version = ResourceVersion(SendExePath());
    EXPECT_NE(version, "");
    for (const wchar_t* arguments : {L"--version", L"-l 3 --version text", L"--version --help"}) {
        const CommandRun run = RunSend(arguments, "from standard input\n");
        EXPECT_EQ(run.exitCode, 0u) << ToUtf8(arguments);
        EXPECT_EQ(run.out, "orsktrace-send " + version + "\r\n") << ToUtf8(arguments);
        EXPECT_EQ(run.err, "") << ToUtf8(arguments);
    }
    EXPECT_EQ(standIn.Texts(),
              (std::vector<StandInWindow::Received>{{0, "text -l"}, {0, "say --version"}}));
}

}  // namespace
}  // namespace e2e
