#include "window/win32/Win32TextAccessible.h"

#include <iterator>
#include <string>

#include "window/win32/Win32TextAutomation.h"

namespace orsk {
namespace {

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// How long a read waits for the control: it answers between two traces, so only a control
// that has stopped answering takes this long.
constexpr UINT kAnswerTimeoutMs = 5000;

HRESULT StringResult(const wchar_t* text, UINT length, BSTR* result) {
    *result = ::SysAllocStringLen(text, length);
    return *result != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

Win32TextAccessible::Win32TextAccessible(HWND window) : window_(window) {
    // Without the standard object our own answers still stand; the rest then fails.
    void* standard = nullptr;
    if (SUCCEEDED(
            ::CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible), &standard))) {
        standard_ = static_cast<IAccessible*>(standard);
    }
}

Win32TextAccessible::~Win32TextAccessible() {
    if (standard_ != nullptr) {
        standard_->Release();
    }
}

void Win32TextAccessible::Disconnect() noexcept {
    window_ = nullptr;
}

HRESULT Win32TextAccessible::Standard(IAccessible*& standard) const {
    standard = standard_;
    if (Window() == nullptr) {
        return CO_E_OBJNOTCONNECTED;
    }
    return standard != nullptr ? S_OK : E_NOTIMPL;
}

HRESULT Win32TextAccessible::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Win32TextAccessible::AddRef() {
    return ++references_;
}

ULONG Win32TextAccessible::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT Win32TextAccessible::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT Win32TextAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT Win32TextAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT Win32TextAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                    UINT*) {
    return E_NOTIMPL;
}

HRESULT Win32TextAccessible::get_accName(VARIANT child, BSTR* name) {
    if (name == nullptr) {
        return E_POINTER;
    }
    *name = nullptr;
    if (Window() == nullptr) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (!IsSelf(child)) {
        return E_INVALIDARG;
    }
    return StringResult(kAccessibleName, static_cast<UINT>(std::size(kAccessibleName) - 1), name);
}

HRESULT Win32TextAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = nullptr;
    const HWND window = Window();
    if (window == nullptr) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (!IsSelf(child)) {
        return E_INVALIDARG;
    }
    // The first units, through the control's own bounded copy; never half of a surrogate pair.
    std::wstring prefix(kAccessibleValueUnits + 1, L'\0');
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(window, WM_GETTEXT, prefix.size(),
                              reinterpret_cast<LPARAM>(prefix.data()), SMTO_NORMAL,
                              kAnswerTimeoutMs, &answer) == 0) {
        return Window() == nullptr ? CO_E_OBJNOTCONNECTED : RPC_E_SERVERCALL_RETRYLATER;
    }
    auto copied = static_cast<UINT>(answer);
    if (copied > 0 && IS_HIGH_SURROGATE(prefix[copied - 1])) {
        --copied;
    }
    return StringResult(prefix.data(), copied, value);
}

HRESULT Win32TextAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (role == nullptr) {
        return E_POINTER;
    }
    ::VariantInit(role);
    if (Window() == nullptr) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (!IsSelf(child)) {
        return E_INVALIDARG;
    }
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
}

HRESULT Win32TextAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (state == nullptr) {
        return E_POINTER;
    }
    ::VariantInit(state);
    IAccessible* standard = nullptr;
    if (const HRESULT status = Standard(standard); status == CO_E_OBJNOTCONNECTED) {
        return status;
    }
    if (!IsSelf(child)) {
        return E_INVALIDARG;
    }
    // Whether the window is shown and enabled, as the standard object sees it; the rest is ours.
    LONG flags = 0;
    VARIANT standardState;
    ::VariantInit(&standardState);
    if (standard != nullptr && SUCCEEDED(standard->get_accState(child, &standardState)) &&
        standardState.vt == VT_I4) {
        flags = standardState.lVal &
                (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_UNAVAILABLE);
    }
    ::VariantClear(&standardState);
    flags |= STATE_SYSTEM_FOCUSABLE;
    // The focus of the control's thread: the caller's own thread has none.
    const HWND window = Window();
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &thread) &&
        thread.hwndFocus == window) {
        flags |= STATE_SYSTEM_FOCUSED;
    }
    if ((::GetWindowLongW(window, GWL_STYLE) & ES_READONLY) != 0) {
        flags |= STATE_SYSTEM_READONLY;
    }
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
}

// ---- The standard object's answers ----------------------------------------------------------

HRESULT Win32TextAccessible::get_accParent(IDispatch** parent) {
    return Delegate([&](IAccessible& standard) { return standard.get_accParent(parent); });
}

HRESULT Win32TextAccessible::get_accChildCount(LONG* count) {
    return Delegate([&](IAccessible& standard) { return standard.get_accChildCount(count); });
}

HRESULT Win32TextAccessible::get_accChild(VARIANT child, IDispatch** result) {
    return Delegate([&](IAccessible& standard) { return standard.get_accChild(child, result); });
}

HRESULT Win32TextAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return Delegate(
        [&](IAccessible& standard) { return standard.get_accDescription(child, description); });
}

HRESULT Win32TextAccessible::get_accHelp(VARIANT child, BSTR* help) {
    return Delegate([&](IAccessible& standard) { return standard.get_accHelp(child, help); });
}

HRESULT Win32TextAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
    return Delegate(
        [&](IAccessible& standard) { return standard.get_accHelpTopic(file, child, topic); });
}

HRESULT Win32TextAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return Delegate(
        [&](IAccessible& standard) { return standard.get_accKeyboardShortcut(child, shortcut); });
}

HRESULT Win32TextAccessible::get_accFocus(VARIANT* focus) {
    return Delegate([&](IAccessible& standard) { return standard.get_accFocus(focus); });
}

HRESULT Win32TextAccessible::get_accSelection(VARIANT* selection) {
    return Delegate([&](IAccessible& standard) { return standard.get_accSelection(selection); });
}

HRESULT Win32TextAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    return Delegate(
        [&](IAccessible& standard) { return standard.get_accDefaultAction(child, action); });
}

HRESULT Win32TextAccessible::accSelect(LONG flags, VARIANT child) {
    return Delegate([&](IAccessible& standard) { return standard.accSelect(flags, child); });
}

HRESULT Win32TextAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                         VARIANT child) {
    return Delegate([&](IAccessible& standard) {
        return standard.accLocation(left, top, width, height, child);
    });
}

HRESULT Win32TextAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
    return Delegate(
        [&](IAccessible& standard) { return standard.accNavigate(direction, start, end); });
}

HRESULT Win32TextAccessible::accHitTest(LONG left, LONG top, VARIANT* child) {
    return Delegate([&](IAccessible& standard) { return standard.accHitTest(left, top, child); });
}

HRESULT Win32TextAccessible::accDoDefaultAction(VARIANT child) {
    return Delegate([&](IAccessible& standard) { return standard.accDoDefaultAction(child); });
}

HRESULT Win32TextAccessible::put_accName(VARIANT child, BSTR name) {
    return Delegate([&](IAccessible& standard) { return standard.put_accName(child, name); });
}

HRESULT Win32TextAccessible::put_accValue(VARIANT child, BSTR value) {
    return Delegate([&](IAccessible& standard) { return standard.put_accValue(child, value); });
}

}  // namespace orsk
