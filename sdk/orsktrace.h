/* orsktrace.h: sends traces to the ORSK Trace Window. One header, nothing else needed; C99 or
 * C++17 and later, MinGW-w64 or Visual C++ 2015 and later; links only user32 and kernel32.
 *
 *     #include "orsktrace.h"
 *     orsktrace_send(2, "connected");
 *     orsktrace_printf(3, "%d bytes from %s", count, host);
 *
 * Wire format. Each trace is one WM_COPYDATA message sent to the top-level window of class
 * "TOrskTraceForm" (or, when no window has that class, the one captioned "ORSK Trace Window"):
 *   dwData  the level, 0 to 2,147,483,647
 *   cbData  the number of text bytes (0 is allowed)
 *   lpData  the text as UTF-8, no terminator
 *   reply   1 accepted, 0 refused
 * The message goes with SendMessageTimeoutW(SMTO_ABORTIFHUNG), so a busy or frozen window costs
 * the sender at most the timeout (5000 ms unless set with orsktrace_set_timeout), never a hang.
 *
 * Every send returns an orsktrace_status:
 *   ORSKTRACE_ACCEPTED   the window kept the trace
 *   ORSKTRACE_REFUSED    the window answered 0 (a level above 2,147,483,647, or it could not keep
 *                        the trace), or the text could not be formed here (printf encoding error,
 *                        no memory for a long text, more than 4 GiB); nothing was kept
 *   ORSKTRACE_NO_WINDOW  no trace window is running
 *   ORSKTRACE_TIMED_OUT  the window did not answer within the timeout (or is hung)
 * Levels go to the window as given: the window refuses a bad one and shows its error box, so a
 * faulty sender is noticed where the traces are read.
 *
 * The window handle is cached and looked up again when that window has gone (a new trace window
 * is found by the next send). While no window runs, a look-up is made at most every 250 ms and
 * sends in between return ORSKTRACE_NO_WINDOW at once, so tracing without a window costs next
 * to nothing. All functions are thread-safe and never throw; texts up to 4 KiB (the wide and
 * printf forms) need no heap memory. The cache and the timeout are per source file in C, and
 * shared by the whole program in C++ (17 and later).
 */
#ifndef ORSKTRACE_H
#define ORSKTRACE_H

#include <windows.h>

#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#ifdef __cplusplus
#include <string_view>
#endif

typedef enum orsktrace_status {
    ORSKTRACE_ACCEPTED = 0,
    ORSKTRACE_REFUSED = 1,
    ORSKTRACE_NO_WINDOW = 2,
    ORSKTRACE_TIMED_OUT = 3
} orsktrace_status;

#define ORSKTRACE_DEFAULT_TIMEOUT_MS 5000u
#define ORSKTRACE_LOOKUP_INTERVAL_MS 250u
#define ORSKTRACE_STACK_TEXT_BYTES 4096

#if defined(_MSC_VER) && !defined(__cplusplus)
#define ORSKTRACE_API_ static __inline
#else
#define ORSKTRACE_API_ static inline
#endif

/* One state for the whole program where the language allows it (C++17 inline variables). */
#if defined(__cplusplus) && \
    (__cplusplus >= 201703L || (defined(_MSVC_LANG) && _MSVC_LANG >= 201703L))
#define ORSKTRACE_STATE_ inline
#else
#define ORSKTRACE_STATE_ static
#endif

#if defined(__GNUC__) && defined(__MINGW_PRINTF_FORMAT)
#define ORSKTRACE_PRINTF_(f, a) __attribute__((format(__MINGW_PRINTF_FORMAT, f, a)))
#elif defined(__GNUC__)
#define ORSKTRACE_PRINTF_(f, a) __attribute__((format(printf, f, a)))
#else
#define ORSKTRACE_PRINTF_(f, a)
#endif

/* The casts below are the C ones, which C++ builds with -Wold-style-cast would report. */
#if defined(__cplusplus) && defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
#endif

ORSKTRACE_STATE_ PVOID volatile orsktrace_window_ = NULL;
/* GetTickCount of the last look-up that found no window; 0 when the last one found it. */
ORSKTRACE_STATE_ LONG volatile orsktrace_missed_at_ = 0;
ORSKTRACE_STATE_ LONG volatile orsktrace_timeout_ = (LONG)ORSKTRACE_DEFAULT_TIMEOUT_MS;

/* Sets the time a send waits for the window's answer; returns the previous one. */
ORSKTRACE_API_ unsigned int orsktrace_set_timeout(unsigned int milliseconds) {
    return (unsigned int)InterlockedExchange(&orsktrace_timeout_, (LONG)milliseconds);
}

/* The cached window while it exists, else a new look-up (unless one failed within the last
 * ORSKTRACE_LOOKUP_INTERVAL_MS); NULL when there is no window. */
ORSKTRACE_API_ HWND orsktrace_find_window_(void) {
    HWND window = (HWND)InterlockedCompareExchangePointer(&orsktrace_window_, NULL, NULL);
    DWORD now;
    LONG missedAt;
    if (window != NULL) {
        if (IsWindow(window)) {
            return window;
        }
        InterlockedCompareExchangePointer(&orsktrace_window_, NULL, (PVOID)window);
    }
    now = GetTickCount();
    missedAt = InterlockedCompareExchange(&orsktrace_missed_at_, 0, 0);
    if (missedAt != 0 && now - (DWORD)missedAt < ORSKTRACE_LOOKUP_INTERVAL_MS) {
        return NULL;
    }
    window = FindWindowW(L"TOrskTraceForm", NULL);
    if (window == NULL) {
        window = FindWindowW(NULL, L"ORSK Trace Window");
    }
    if (window == NULL) {
        InterlockedExchange(&orsktrace_missed_at_, now != 0 ? (LONG)now : 1);
        return NULL;
    }
    InterlockedExchange(&orsktrace_missed_at_, 0);
    InterlockedExchangePointer(&orsktrace_window_, (PVOID)window);
    return window;
}

/* Sends `bytes` bytes of UTF-8 text (no terminator needed; NULL with 0 bytes is the empty
 * text) as one trace of `level`. */
ORSKTRACE_API_ orsktrace_status orsktrace_send_n(unsigned int level, const char* utf8,
                                                 size_t bytes) {
    COPYDATASTRUCT data;
    int attempt;
#ifdef _WIN64
    if (bytes > 0xFFFFFFFFu) {
        return ORSKTRACE_REFUSED;
    }
#endif
    data.dwData = (ULONG_PTR)level;
    data.cbData = (DWORD)bytes;
    data.lpData = (PVOID)(ULONG_PTR)utf8; /* the window only reads it */
    /* A window that vanished between the look-up and the send got nothing: try a new one once. */
    for (attempt = 0; attempt < 2; ++attempt) {
        HWND window = orsktrace_find_window_();
        DWORD_PTR reply = 0;
        if (window == NULL) {
            return ORSKTRACE_NO_WINDOW;
        }
        SetLastError(ERROR_SUCCESS);
        if (SendMessageTimeoutW(window, WM_COPYDATA, 0, (LPARAM)&data, SMTO_ABORTIFHUNG,
                                (UINT)InterlockedCompareExchange(&orsktrace_timeout_, 0, 0),
                                &reply) != 0) {
            return reply != 0 ? ORSKTRACE_ACCEPTED : ORSKTRACE_REFUSED;
        }
        if (GetLastError() != ERROR_INVALID_WINDOW_HANDLE) {
            return ORSKTRACE_TIMED_OUT;
        }
        InterlockedCompareExchangePointer(&orsktrace_window_, NULL, (PVOID)window);
    }
    return ORSKTRACE_NO_WINDOW;
}

/* Sends a NUL-terminated UTF-8 text (NULL is the empty text). */
ORSKTRACE_API_ orsktrace_status orsktrace_send(unsigned int level, const char* utf8) {
    return orsktrace_send_n(level, utf8, utf8 != NULL ? strlen(utf8) : 0);
}

/* Sends `units` UTF-16 code units, converted to UTF-8 (a lone surrogate becomes U+FFFD). */
ORSKTRACE_API_ orsktrace_status orsktrace_send_wide_n(unsigned int level, const wchar_t* text,
                                                      size_t units) {
    char stackText[ORSKTRACE_STACK_TEXT_BYTES];
    char* utf8 = stackText;
    int bytes = 0;
    orsktrace_status status;
    if (text == NULL || units == 0) {
        return orsktrace_send_n(level, NULL, 0);
    }
    if (units > 0x7FFFFFFF) {
        return ORSKTRACE_REFUSED;
    }
    /* A UTF-16 unit never takes more than 3 UTF-8 bytes, so short texts need no measuring. */
    if (units > ORSKTRACE_STACK_TEXT_BYTES / 3) {
        bytes = WideCharToMultiByte(CP_UTF8, 0, text, (int)units, NULL, 0, NULL, NULL);
        if (bytes <= 0) {
            return ORSKTRACE_REFUSED;
        }
        if (bytes > ORSKTRACE_STACK_TEXT_BYTES) {
            utf8 = (char*)malloc((size_t)bytes);
            if (utf8 == NULL) {
                return ORSKTRACE_REFUSED;
            }
        }
    }
    bytes = WideCharToMultiByte(CP_UTF8, 0, text, (int)units, utf8,
                                utf8 == stackText ? ORSKTRACE_STACK_TEXT_BYTES : bytes, NULL, NULL);
    status = bytes > 0 ? orsktrace_send_n(level, utf8, (size_t)bytes) : ORSKTRACE_REFUSED;
    if (utf8 != stackText) {
        free(utf8);
    }
    return status;
}

/* Sends a NUL-terminated UTF-16 text (NULL is the empty text). */
ORSKTRACE_API_ orsktrace_status orsktrace_send_wide(unsigned int level, const wchar_t* text) {
    return orsktrace_send_wide_n(level, text, text != NULL ? wcslen(text) : 0);
}

/* Sends the text that vsnprintf makes of `format` and `args` (UTF-8 expected). */
ORSKTRACE_API_ orsktrace_status orsktrace_vprintf(unsigned int level, const char* format,
                                                  va_list args) {
    char stackText[ORSKTRACE_STACK_TEXT_BYTES];
    char* heapText;
    va_list again;
    int length;
    orsktrace_status status;
    va_copy(again, args);
    length = vsnprintf(stackText, sizeof stackText, format, args);
    if (length < 0) {
        va_end(again);
        return ORSKTRACE_REFUSED;
    }
    if (length < ORSKTRACE_STACK_TEXT_BYTES) {
        va_end(again);
        return orsktrace_send_n(level, stackText, (size_t)length);
    }
    heapText = (char*)malloc((size_t)length + 1);
    if (heapText == NULL) {
        va_end(again);
        return ORSKTRACE_REFUSED;
    }
    length = vsnprintf(heapText, (size_t)length + 1, format, again);
    va_end(again);
    status = length >= 0 ? orsktrace_send_n(level, heapText, (size_t)length) : ORSKTRACE_REFUSED;
    free(heapText);
    return status;
}

ORSKTRACE_API_ ORSKTRACE_PRINTF_(2, 3) orsktrace_status
    orsktrace_printf(unsigned int level, const char* format, ...) {
    va_list args;
    orsktrace_status status;
    va_start(args, format);
    status = orsktrace_vprintf(level, format, args);
    va_end(args);
    return status;
}

#if defined(__cplusplus) && defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#ifdef __cplusplus
/* C++: std::string and friends as UTF-8, std::wstring and wide literals as UTF-16. */
ORSKTRACE_API_ orsktrace_status orsktrace_send(unsigned int level, std::string_view utf8) {
    return orsktrace_send_n(level, utf8.data(), utf8.size());
}
ORSKTRACE_API_ orsktrace_status orsktrace_send(unsigned int level, std::wstring_view text) {
    return orsktrace_send_wide_n(level, text.data(), text.size());
}
#endif

#endif /* ORSKTRACE_H */
