#include "window/win32/Win32FreeThreadedAnswer.h"

#include <oleacc.h>

#include <thread>

namespace orsk {
namespace {

// An object handed out from the multithreaded apartment stays reachable only while some thread
// is in that apartment: one thread joins it on first use and stays, idle, for the program's
// life. (CoIncrementMTAUsage does the same from Windows 8 on.)
void KeepApartmentAlive() {
    static const bool started = [] {
        HANDLE joined = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (joined == nullptr) {
            return false;
        }
        std::thread([joined] {
            const HRESULT status = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            ::SetEvent(joined);
            if (SUCCEEDED(status)) {
                for (;;) {
                    ::Sleep(INFINITE);
                }
            }
        }).detach();
        ::WaitForSingleObject(joined, INFINITE);
        ::CloseHandle(joined);
        return true;
    }();
    (void)started;
}

}  // namespace

LRESULT FreeThreadedLresultFromObject(REFIID iid, WPARAM flags, IUnknown* object) {
    KeepApartmentAlive();
    // The caller's thread may be in a single-threaded apartment for good; a short-lived thread
    // does the marshalling instead. It touches only the object, never the window.
    LRESULT result = 0;
    std::thread([&] {
        if (SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
            result = ::LresultFromObject(iid, flags, object);
            ::CoUninitialize();
        }
    }).join();
    return result > 0 ? result : 0;
}

}  // namespace orsk
