#include "E2eSupport.h"

#include "window/ControlIds.h"

namespace e2e {
namespace {

std::vector<std::string> SplitLines(const std::string& view) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = view.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(view.substr(start));
            return lines;
        }
        lines.push_back(view.substr(start, end - start));
        start = end + 2;
    }
}

}  // namespace

std::string WithoutDates(const std::string& view) {
    std::vector<std::string> lines = SplitLines(view);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == "----") {
            lines[i + 1] = "<dt>";
            ++i;
        }
    }
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            out += "\r\n";
        }
        out += lines[i];
    }
    return out;
}

std::vector<std::string> DateLines(const std::string& view) {
    std::vector<std::string> lines = SplitLines(view);
    std::vector<std::string> dates;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == "----") {
            dates.push_back(lines[i + 1]);
            ++i;
        }
    }
    return dates;
}

std::string View(const TraceWindowProcess& process) {
    return ReadTextUtf8(process.Control(orsk::kIdMemTrace));
}

std::string Block(const std::string& text) {
    return "----\r\n<dt>\r\n" + text + "\r\n\r\n";
}

}  // namespace e2e
