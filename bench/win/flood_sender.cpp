// One flooding sender: sends its traces through sdk/orsktrace.h as fast as the window takes
// them, each text naming the sender and the trace's sequence number; every tenth also carries
// text in several scripts.
//   orsk_bench_flood_sender SENDER COUNT READY_SEMAPHORE GO_EVENT
// It releases the semaphore once when ready, then starts when the event is set. Exit code 0
// when every trace was accepted, 1 otherwise.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "bench/win/BenchSupport.h"
#include "sdk/orsktrace.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fwprintf(stderr, L"usage: %ls SENDER COUNT READY_SEMAPHORE GO_EVENT\n", argv[0]);
        return 64;
    }
    const unsigned long sender = std::wcstoul(argv[1], nullptr, 10);
    const unsigned long count = std::wcstoul(argv[2], nullptr, 10);
    HANDLE ready = ::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, argv[3]);
    HANDLE go = ::OpenEventW(SYNCHRONIZE, FALSE, argv[4]);
    if (ready == nullptr || go == nullptr) {
        std::fwprintf(stderr, L"cannot open the start signals\n");
        return 1;
    }
    // A slow window is waited for rather than given up on: a trace given up on may still
    // arrive later, out of its place.
    orsktrace_set_timeout(120000);
    ::ReleaseSemaphore(ready, 1, nullptr);
    ::WaitForSingleObject(go, INFINITE);
    unsigned long failed = 0;
    for (unsigned long sequence = 0; sequence < count; ++sequence) {
        if (orsktrace_printf(1, "flood sender %lu trace %lu%s%s", sender, sequence,
                             sequence % 10 == 0 ? " " : "",
                             sequence % 10 == 0 ? bench::kMixedScripts : "") !=
            ORSKTRACE_ACCEPTED) {
            ++failed;
        }
    }
    if (failed > 0) {
        std::fwprintf(stderr, L"sender %lu: %lu of %lu traces not accepted\n", sender, failed,
                      count);
    }
    return failed == 0 ? 0 : 1;
}
