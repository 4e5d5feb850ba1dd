#pragma once
// The trace window TOrskTraceForm: the one window of the program. Senders find it by its class
// name or caption and send it WM_COPYDATA; it shows, stores, filters and searches the traces.
//
// The window procedure only routes messages to named members; the decisions live in the
// platform-free TraceView and TraceSearch.

#include <windows.h>

#include <memory>
#include <string>

#include "store/TraceStore.h"
#include "window/TraceSearch.h"
#include "window/TraceView.h"
#include "window/Win32EditTextArea.h"
#include "window/Win32Handles.h"

namespace orsk {

class Application;

class TOrskTraceForm {
public:
    // Creates the window, still hidden, and runs FormCreate.
    TOrskTraceForm(Application& application);
    ~TOrskTraceForm();
    TOrskTraceForm(const TOrskTraceForm&) = delete;
    TOrskTraceForm& operator=(const TOrskTraceForm&) = delete;

    HWND Handle() const { return handle_; }
    void SetRegionalFormats(const RegionalFormats& formats);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
    static void RegisterClasses(HINSTANCE instance);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WMCopyData(const COPYDATASTRUCT* data);
    void WMCommand(int id, int code);
    void WMSize(int width, int height);
    void WMActivate(bool active);
    LRESULT WMCtlColor(HDC dc);

    void CreateControls();
    HWND CreateControl(HWND parent, int id, const wchar_t* className, const wchar_t* caption,
                       DWORD style, DWORD exStyle, int left, int top, int width, int height);
    std::u16string WindowText(HWND control) const;
    std::wstring ResourceString(UINT id, const wchar_t* fallback) const;

    // Handlers wired to the controls.
    void FormCreate();
    void cbFilterChange();
    void edtSearchForChange();
    void btnSearchClick();
    void btnEmptyClick();
    void btnCloseClick();

    void AddTrace(std::u16string_view text, std::int32_t level);
    void ShowTraces();
    void UpdateSearchButton();

    Application& application_;
    HWND handle_ = nullptr;
    HWND memTrace_ = nullptr;
    HWND pnlTop_ = nullptr;
    HWND lblFilter_ = nullptr;
    HWND cbFilter_ = nullptr;
    HWND lblSearchFor_ = nullptr;
    HWND edtSearchFor_ = nullptr;
    HWND btnSearch_ = nullptr;
    HWND pnlBottom_ = nullptr;
    HWND btnEmpty_ = nullptr;
    HWND btnClose_ = nullptr;
    HWND lastFocus_ = nullptr;
    unique_hfont formFont_;
    unique_hfont traceFont_;

    TraceStore tblTrace_;
    std::unique_ptr<Win32EditTextArea> textArea_;
    std::unique_ptr<TraceView> view_;
    TraceSearch search_;
};

}  // namespace orsk
