#include "bench/win/ViewTiming.h"

#include <atomic>
#include <stdexcept>
#include <thread>

#include "bench/win/BenchSupport.h"
#include "tests/support/TraceWindowDriver.h"

namespace bench {
namespace {

constexpr UINT kHandlerTimeoutMs = 600000;

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
    // The "not found" box is modal inside the click's handler: a watcher closes it, so that
    // the click returns.
    std::atomic<bool> clicked{false};
    std::atomic<bool> boxSeen{false};
    std::thread watcher([&] {
        while (!clicked) {
            if (e2e::CountDialogs(processId) > 0) {
                boxSeen = true;
                if (HWND box = e2e::WaitForWindow(processId, L"#32770", nullptr, 100)) {
                    e2e::PressOk(box);
                }
            }
            ::Sleep(5);
        }
    });
    SearchStep step;
    DWORD_PTR result = 0;
    const double start = NowMs();
    const bool answered = ::SendMessageTimeoutW(searchButton, BM_CLICK, 0, 0, SMTO_NORMAL,
                                                kHandlerTimeoutMs, &result) != 0;
    WaitUntilPainted(window);
    step.ms = NowMs() - start;
    clicked = true;
    watcher.join();
    step.found = answered && !boxSeen && ReadText(searchButton) == L"&Next";
    return step;
}

}  // namespace bench
