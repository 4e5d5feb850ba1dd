#include "bench/win/ViewTiming.h"

#include <atomic>
#include <stdexcept>
#include <thread>

#include "bench/win/BenchSupport.h"
#include "tests/support/TraceWindowDriver.h"

namespace bench {
namespace {

constexpr UINT kHandlerTimeoutMs = 600000;
constexpr DWORD kBoxLookMs = 100;

}  // namespace

double TimeFilterPick(HWND window, HWND filterBox, int index) {
    ::SendMessageW(filterBox, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    DWORD_PTR result = 0;
    const double start = NowMs();
    if (!::SendMessageTimeoutW(::GetParent(filterBox), WM_COMMAND,
                               MAKEWPARAM(::GetDlgCtrlID(filterBox), CBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(filterBox), SMTO_NORMAL, kHandlerTimeoutMs,
                               &result)) {
        throw std::runtime_error("the filter pick got no answer");
    }
    WaitUntilPainted(window);
    return NowMs() - start;
}

SearchStep TimeSearchStep(HWND window, DWORD processId, HWND searchBox, HWND searchButton,
                          const std::wstring& text) {
    e2e::SetEditText(searchBox, text);
    // The timer starts at an idle window, not while it still draws the search box and the
    // button's new caption.
    WaitUntilPainted(window);
    // The "not found" box is modal inside the click's handler: a watcher closes it, so that
    // the click returns. It looks only when the click is slow to return: looking enumerates the
    // desktop's windows through the wineserver, which the timed step needs as well.
    const HANDLE clicked = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> boxSeen{false};
    std::thread watcher([&] {
        while (::WaitForSingleObject(clicked, kBoxLookMs) == WAIT_TIMEOUT) {
            if (e2e::CountDialogs(processId) > 0) {
                boxSeen = true;
                if (HWND box = e2e::WaitForWindow(processId, L"#32770", nullptr, 100)) {
                    e2e::PressOk(box);
                }
            }
        }
    });
    SearchStep step;
    DWORD_PTR result = 0;
    const double start = NowMs();
    const bool answered = ::SendMessageTimeoutW(searchButton, BM_CLICK, 0, 0, SMTO_NORMAL,
                                                kHandlerTimeoutMs, &result) != 0;
    WaitUntilPainted(window);
    step.ms = NowMs() - start;
    ::SetEvent(clicked);
    watcher.join();
    ::CloseHandle(clicked);
    step.found = answered && !boxSeen && ReadText(searchButton) == L"&Next";
    return step;
}

}  // namespace bench
