#pragma once
// Hands a COM object to WM_GETOBJECT's caller from the process's multithreaded apartment, so
// that other processes' calls on it run on COM's own threads. From the window's
// single-threaded apartment they would arrive as posted messages, which wait behind every
// message sent to the window: a flood of traces would starve a screen reader for as long as it
// lasts. The object must therefore take calls on any thread at any time.

#include <windows.h>

#include <unknwn.h>

namespace orsk {

// LresultFromObject, run on a thread of the multithreaded apartment; 0 when it cannot be done.
LRESULT FreeThreadedLresultFromObject(REFIID iid, WPARAM flags, IUnknown* object);

}  // namespace orsk
