#include "E2eSupport.h"

#include <cstring>

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

std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr)) {
        return text;
    }
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

bool SetClipboardText(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
    ::GlobalUnlock(memory);
    if (!::OpenClipboard(nullptr)) {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    const bool set = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    return set;
}

}  // namespace e2e
