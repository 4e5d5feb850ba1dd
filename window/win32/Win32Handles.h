#pragma once
// Move-only owners of Win32 handles and GDI state: a std::unique_ptr whose deleter names the
// handle type and the call that frees it (copying is deleted by unique_ptr itself), and small
// scope owners for what must be given back in the same scope (a window's device context, a
// paint, an object selected into a device context, its colours, an open clipboard, a lock).
// No code frees these by hand, on error paths or otherwise.

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace orsk {

template <class Handle, auto Free>
struct HandleDeleter {
    void operator()(Handle handle) const noexcept {
        if (handle != nullptr) {
            Free(handle);
        }
    }
};

template <class Handle, auto Free>
using unique_handle = std::unique_ptr<std::remove_pointer_t<Handle>, HandleDeleter<Handle, Free>>;

inline void DeleteGdiObject(HGDIOBJ object) {
    ::DeleteObject(object);
}

inline void FreeGlobal(HGLOBAL memory) {
    ::GlobalFree(memory);
}

// A kernel handle from a call that reports failure as INVALID_HANDLE_VALUE (CreateFileW): that
// value is never closed, and FileHandle() turns it into an empty owner.
inline void CloseFile(HANDLE file) {
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
    }
}

using unique_hfont = unique_handle<HFONT, DeleteGdiObject>;
using unique_hbitmap = unique_handle<HBITMAP, DeleteGdiObject>;
using unique_hdc = unique_handle<HDC, ::DeleteDC>;
using unique_hwnd = unique_handle<HWND, ::DestroyWindow>;
using unique_hmenu = unique_handle<HMENU, ::DestroyMenu>;
using unique_hkey = unique_handle<HKEY, ::RegCloseKey>;
using unique_hglobal = unique_handle<HGLOBAL, FreeGlobal>;
using unique_file = unique_handle<HANDLE, CloseFile>;

inline unique_file FileHandle(HANDLE file) {
    return unique_file(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The device context of a window (or, for null, of the screen), for this scope.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ::ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A WM_PAINT's device context, from BeginPaint to EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~PaintDc() { ::EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC Get() const { return dc_; }
    const RECT& Area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context; the object it replaced goes back in at the end. A
// later Select replaces the object again and still restores the first one.
class SelectedObject {
public:
    SelectedObject() = default;
    SelectedObject(HDC dc, HGDIOBJ object) { Select(dc, object); }
    ~SelectedObject() {
        if (dc_ != nullptr) {
            ::SelectObject(dc_, replaced_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    void Select(HDC dc, HGDIOBJ object) {
        HGDIOBJ previous = ::SelectObject(dc, object);
        if (dc_ == nullptr) {
            dc_ = dc;
            replaced_ = previous;
        }
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ replaced_ = nullptr;
};

// A device context's text and background colours; the earlier ones come back at the end.
class DcColors {
public:
    explicit DcColors(HDC dc) : dc_(dc), text_(::GetTextColor(dc)), background_(::GetBkColor(dc)) {}
    ~DcColors() {
        ::SetTextColor(dc_, text_);
        ::SetBkColor(dc_, background_);
    }
    DcColors(const DcColors&) = delete;
    DcColors& operator=(const DcColors&) = delete;
    COLORREF Text() const { return text_; }
    COLORREF Background() const { return background_; }

private:
    HDC dc_;
    COLORREF text_;
    COLORREF background_;
};

// The clipboard, open for this scope; IsOpen() is false when another program holds it.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope() {
        if (open_) {
            ::CloseClipboard();
        }
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// A global memory block locked for this scope; Get() is null when it could not be locked.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), bytes_(::GlobalLock(memory)) {}
    ~GlobalLockScope() {
        if (bytes_ != nullptr) {
            ::GlobalUnlock(memory_);
        }
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* Get() const { return bytes_; }

private:
    HGLOBAL memory_;
    void* bytes_;
};

}  // namespace orsk
