#pragma once
// The text control's MSAA object (IAccessible) for tools that predate UI Automation: a text
// (ROLE_SYSTEM_TEXT) named "Traces", whose value is the first units of the text only. Without
// it, MSAA would name the control after its window text, which is the whole log. Everything
// else (location, navigation, hit tests, the parent) is the system's standard object for the
// window's client area.
//
// Free-threaded: it is handed out from the multithreaded apartment (Win32FreeThreadedAnswer.h),
// so calls come on any thread, while the control takes traces. It reads the control only
// through messages sent to its window, which the control answers between two traces. Once the
// control has gone (Disconnect), every call answers CO_E_OBJNOTCONNECTED.

#include <windows.h>

#include <ole2.h>
#include <oleacc.h>

#include <atomic>

namespace orsk {

class Win32TextAccessible final : public IAccessible {
public:
    explicit Win32TextAccessible(HWND window);

    void Disconnect() noexcept;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: not offered; tools call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // IAccessible: name, value, role and state are ours; the rest is the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** result) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    ~Win32TextAccessible();
    HWND Window() const noexcept { return window_.load(); }
    // The standard object, or why it cannot be asked.
    HRESULT Standard(IAccessible*& standard) const;
    template <class Call>
    HRESULT Delegate(Call call) const {
        IAccessible* standard = nullptr;
        const HRESULT status = Standard(standard);
        return FAILED(status) ? status : call(*standard);
    }

    std::atomic<ULONG> references_{1};
    std::atomic<HWND> window_;
    // Made once, at the start, and kept until the last reference goes: calls on other threads
    // may be using it while the control goes.
    IAccessible* standard_ = nullptr;
};

}  // namespace orsk
