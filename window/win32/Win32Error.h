#pragma once
// Failures of Win32 calls become TraceError, carrying the call's name and the platform's text for
// the error code.

#include <windows.h>

#include <string>

namespace orsk {

// The platform's text for an error code, without trailing spaces, line breaks or periods.
std::u16string SystemErrorText(DWORD code);

[[noreturn]] void ThrowWin32Error(const char* call, DWORD code = ::GetLastError());

}  // namespace orsk
