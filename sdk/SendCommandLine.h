#pragma once
// The platform-free half of orsktrace-send: its command line, its usage text and exit codes, and
// the cutting of standard input into lines.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orsk {

inline constexpr int kSendExitAccepted = 0;     // every trace accepted (or nothing to send)
inline constexpr int kSendExitRefused = 1;      // the window refused at least one trace
inline constexpr int kSendExitUnreachable = 2;  // no window, or no answer in time
inline constexpr int kSendExitUsage = 64;       // bad command line

inline constexpr std::uint32_t kSendDefaultTimeoutMs = 5000;

struct SendCommand {
    bool help = false;
    bool version = false;
    std::uint32_t level = 0;
    std::uint32_t timeoutMs = kSendDefaultTimeoutMs;
    // The words of the one trace to send; none: every line of standard input is a trace.
    std::vector<std::string> words;
};

struct SendCommandParse {
    SendCommand command;
    std::string error;  // not empty: a usage error, to be shown with the usage
};

// `args` are the arguments after the program name, as UTF-8. Options come first: the first
// argument that is not an option (or everything after "--") starts the text.
SendCommandParse ParseSendCommandLine(const std::vector<std::string>& args);

// The words joined by single spaces.
std::string JoinWords(const std::vector<std::string>& words);

std::string_view SendUsage();

// What --version prints: the program's name and `version`, one line.
std::string SendVersionText(std::string_view version);

// Cuts a byte stream, fed in chunks of any size, into lines. A line ends at LF; a CR right
// before that LF belongs to the line end, any other CR to the text.
class LineSplitter {
public:
    void Append(std::string_view bytes);
    // The next complete line without its line end, valid until the next Append; false when no
    // complete line is waiting.
    bool NextLine(std::string_view& line);
    // At the end of the input, once NextLine has returned false: the last line, when the input
    // did not end with a line end.
    bool LastLine(std::string_view& line);

private:
    std::string buffer_;
    std::size_t start_ = 0;    // where the next line starts
    std::size_t scanned_ = 0;  // no LF in [start_, scanned_)
};

}  // namespace orsk
