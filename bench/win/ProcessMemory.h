#pragma once
// Another process's private bytes (its commit charge).

#include <windows.h>

#include <cstdint>

namespace bench {

// PROCESS_MEMORY_COUNTERS_EX.PrivateUsage of process `processId`, or its PagefileUsage when
// PrivateUsage reads 0; 0 when neither can be read. Windows gives both the same value (the
// commit charge). Wine 8 leaves PrivateUsage at 0 and fills PagefileUsage, for any process,
// from the Linux process's resident anonymous memory plus swap: memory reserved or committed
// but never touched does not count there.
std::uint64_t PrivateBytes(DWORD processId);

}  // namespace bench
