#pragma once
// Move-only owners of Win32 handles: a std::unique_ptr whose deleter names the handle type and
// the call that frees it. Copying is deleted by unique_ptr itself.

#include <windows.h>

#include <memory>
#include <type_traits>

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

using unique_hfont = unique_handle<HFONT, DeleteGdiObject>;
using unique_hwnd = unique_handle<HWND, ::DestroyWindow>;
using unique_hmenu = unique_handle<HMENU, ::DestroyMenu>;
using unique_hkey = unique_handle<HKEY, ::RegCloseKey>;
using unique_file = unique_handle<HANDLE, ::CloseHandle>;

}  // namespace orsk
