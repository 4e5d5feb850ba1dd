// orsktrace-send: sends traces to the ORSK Trace Window from a command line or a pipe, through
// the sender kit (orsktrace.h) like any other sender.

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/SendCommandLine.h"
#include "sdk/orsktrace.h"

namespace {

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int units = static_cast<int>(text.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), units, out.data(), size, nullptr, nullptr);
    return out;
}

void PrintError(std::string_view message) {
    std::string line = "orsktrace-send: ";
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

class Sender {
public:
    explicit Sender(const orsk::SendCommand& command) : command_(command) {
        orsktrace_set_timeout(command.timeoutMs);
    }

    // Sends one trace; false when sending has to stop because the window cannot be reached.
    bool Send(std::string_view text) {
        ++sent_;
        switch (orsktrace_send_n(command_.level, text.data(), text.size())) {
            case ORSKTRACE_ACCEPTED:
                return true;
            case ORSKTRACE_REFUSED:
                ++refused_;
                return true;
            case ORSKTRACE_NO_WINDOW:
                PrintError("no ORSK Trace Window is running");
                break;
            case ORSKTRACE_TIMED_OUT:
                PrintError("the ORSK Trace Window did not answer within " +
                           std::to_string(command_.timeoutMs) + " ms");
                break;
        }
        unreachable_ = true;
        return false;
    }

    int ExitCode() const {
        if (unreachable_) {
            return orsk::kSendExitUnreachable;
        }
        if (refused_ > 0) {
            PrintError("the window refused " + std::to_string(refused_) + " of " +
                       std::to_string(sent_) + (sent_ == 1 ? " trace" : " traces"));
            return orsk::kSendExitRefused;
        }
        return orsk::kSendExitAccepted;
    }

private:
    const orsk::SendCommand& command_;
    long long sent_ = 0;
    long long refused_ = 0;
    bool unreachable_ = false;
};

// Sends every line of standard input, stopping at the first that cannot reach the window.
void SendLines(Sender& sender) {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    orsk::LineSplitter splitter;
    std::string_view line;
    static char chunk[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(input, chunk, sizeof chunk, &got, nullptr)) {
            // A pipe whose writer is done reports a broken pipe: the normal end of the input.
            if (::GetLastError() != ERROR_BROKEN_PIPE) {
                PrintError("cannot read standard input (error " + std::to_string(::GetLastError()) +
                           ")");
            }
            break;
        }
        if (got == 0) {
            break;
        }
        splitter.Append(std::string_view(chunk, got));
        while (splitter.NextLine(line)) {
            if (!sender.Send(line)) {
                return;
            }
        }
    }
    if (splitter.LastLine(line)) {
        sender.Send(line);
    }
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(ToUtf8(argv[i]));
    }
    const orsk::SendCommandParse parse = orsk::ParseSendCommandLine(args);
    if (!parse.error.empty()) {
        PrintError(parse.error);
        const std::string_view usage = orsk::SendUsage();
        std::fwrite(usage.data(), 1, usage.size(), stderr);
        return orsk::kSendExitUsage;
    }
    if (parse.command.help) {
        const std::string_view usage = orsk::SendUsage();
        std::fwrite(usage.data(), 1, usage.size(), stdout);
        return orsk::kSendExitAccepted;
    }
    if (parse.command.version) {
        const std::string text = orsk::SendVersionText(ORSK_VERSION);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return orsk::kSendExitAccepted;
    }
    Sender sender(parse.command);
    if (!parse.command.words.empty()) {
        sender.Send(orsk::JoinWords(parse.command.words));
    } else {
        SendLines(sender);
    }
    return sender.ExitCode();
}
