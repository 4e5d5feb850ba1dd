#include "sdk/SendCommandLine.h"

#include <optional>

namespace orsk {
namespace {

// A decimal number from `min` to 2,147,483,647: digits only, no sign, no spaces.
std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t min) {
    constexpr std::uint32_t kMax = 2'147'483'647;
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint32_t>(c - '0');
        if (value > (kMax - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    if (value < min) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

SendCommandParse ParseSendCommandLine(const std::vector<std::string>& args) {
    SendCommandParse parse;
    SendCommand& command = parse.command;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "--help" || arg == "-h" || arg == "-?") {
            command.help = true;
            return parse;
        }
        if (arg == "--version") {
            command.version = true;
            return parse;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            break;  // the text starts ("-" alone is text too)
        }
        const char option = arg[1];
        if (option != 'l' && option != 't') {
            parse.error = "unknown option '" + std::string(arg) + "'";
            return parse;
        }
        // The value may follow in the same argument (-l2) or in the next (-l 2).
        std::string_view value = arg.substr(2);
        if (value.empty()) {
            if (i + 1 == args.size()) {
                parse.error = option == 'l' ? "-l needs a level" : "-t needs a timeout";
                return parse;
            }
            value = args[++i];
        }
        if (option == 'l') {
            const auto level = ParseNumber(value, 0);
            if (!level) {
                parse.error = "bad level '" + std::string(value) +
                              "': expected a decimal number from 0 to 2147483647";
                return parse;
            }
            command.level = *level;
        } else {
            const auto timeout = ParseNumber(value, 1);
            if (!timeout) {
                parse.error = "bad timeout '" + std::string(value) +
                              "': expected a number of milliseconds from 1 to 2147483647";
                return parse;
            }
            command.timeoutMs = *timeout;
        }
    }
    command.words.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    return parse;
}

std::string JoinWords(const std::vector<std::string>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += words[i];
    }
    return text;
}

std::string_view SendUsage() {
    return "Usage: orsktrace-send [-l LEVEL] [-t TIMEOUT_MS] [--] [TEXT...]\n"
           "Sends TEXT (its words joined by single spaces) as one trace to the ORSK Trace "
           "Window;\n"
           "without TEXT, sends each line of standard input (UTF-8) as one trace.\n"
           "\n"
           "  -l LEVEL       the trace level, 0 to 2147483647 (default 0)\n"
           "  -t TIMEOUT_MS  how long to wait for the window's answer, 1 to 2147483647\n"
           "                 milliseconds (default 5000)\n"
           "  --             ends the options; every later argument is TEXT\n"
           "  --help         shows this text\n"
           "  --version      shows the version\n"
           "\n"
           "Exit codes: 0 every trace accepted, 1 the window refused some, 2 no window or no\n"
           "answer in time (sending stops there), 64 bad command line.\n";
}

std::string SendVersionText(std::string_view version) {
    return "orsktrace-send " + std::string(version) + "\n";
}

void LineSplitter::Append(std::string_view bytes) {
    if (start_ > 0) {
        buffer_.erase(0, start_);
        scanned_ -= start_;
        start_ = 0;
    }
    buffer_.append(bytes);
}

bool LineSplitter::NextLine(std::string_view& line) {
    const std::size_t end = buffer_.find('\n', scanned_);
    if (end == std::string::npos) {
        scanned_ = buffer_.size();
        return false;
    }
    std::size_t length = end - start_;
    if (length > 0 && buffer_[end - 1] == '\r') {
        --length;
    }
    line = std::string_view(buffer_).substr(start_, length);
    start_ = scanned_ = end + 1;
    return true;
}

bool LineSplitter::LastLine(std::string_view& line) {
    if (start_ == buffer_.size()) {
        return false;
    }
    line = std::string_view(buffer_).substr(start_);
    start_ = scanned_ = buffer_.size();
    return true;
}

}  // namespace orsk
