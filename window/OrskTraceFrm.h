#pragma once
// The trace window TOrskTraceForm: the one window of the program. Senders find it by its class
// name or caption and send it WM_COPYDATA; it shows, stores, filters and searches the traces.
//
// It builds itself from its form description (the resource TORSKTRACEFORM) when constructed.
// The window procedure only routes messages to named members; the decisions live in the
// platform-free TraceView, TraceSearch, FormLayout, EditActions and FilterBoxTyping. What it
// needs of the program (resources, regional formats, the error box) comes from its host.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "store/TraceStore.h"
#include "window/TraceWindowHost.h"
#include "window/form/EditActions.h"
#include "window/form/FilterBoxTyping.h"
#include "window/form/FormDescription.h"
#include "window/view/TraceSearch.h"
#include "window/view/TraceView.h"
#include "window/win32/Win32FormBuilder.h"
#include "window/win32/Win32Subclass.h"
#include "window/win32/Win32TextControl.h"
#include "window/win32/Win32Window.h"

namespace orsk {

class TOrskTraceForm final : public Win32Window<TOrskTraceForm> {
public:
    // Creates the window from its description, still hidden, and runs FormCreate. Should any
    // of it fail, the window is gone again before the exception leaves.
    explicit TOrskTraceForm(TraceWindowHost& host);
    ~TOrskTraceForm();

    void SetRegionalFormats(const RegionalFormats& formats);

    // Keys the window decides on before its controls see them: the tab order, Enter and Esc,
    // and the edit shortcuts. True when the message was used up.
    bool PreTranslateMessage(const MSG& message);

private:
    friend class Win32Window<TOrskTraceForm>;
    using Handler = void (TOrskTraceForm::*)();

    // Construction.
    void CreateFormWindow();
    void SubclassFilterEdit();
    void WireEvents();
    Handler HandlerNamed(const std::string& name) const;

    // Messages.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT MessageFailed(std::exception_ptr error) noexcept;
    LRESULT WMCopyData(const COPYDATASTRUCT* data);
    void WMCommand(HWND control, int id, int code);
    void WMSize(int width, int height);
    void WMActivate(bool active);
    LRESULT WMSysCommand(WPARAM command, LPARAM lParam);
    LRESULT WMCtlColor(HDC dc);

    // Keyboard, the filter box's typing and the edit actions (OrskTraceFrmKeys.cpp).
    FocusTarget FocusTargetOf(HWND focus) const;
    HWND EditTargetOf(FocusTarget focus) const;
    EditTargetState EditTargetStateOf(HWND edit) const;
    void MoveFocus(bool forward);
    bool FilterBoxChar(wchar_t typed);
    void ApplyFilterBoxEdit(const FilterBoxEdit& edit);
    void ShowTextAreaMenu(LPARAM screenPoint);
    void ExecuteAction(const ActionSpec& action);
    bool ActionEnabledNow(const ActionSpec& action) const;

    // Save to File (OrskTraceFrmSave.cpp).
    bool ChooseSavePath();

    std::u16string WindowText(HWND control) const;
    std::u16string ResourceString(UINT id) const;

    // Handlers wired by the form description.
    void FormCreate();
    void cbFilterChange();
    void edtSearchForChange();
    void btnSearchClick();
    void btnEmptyClick();
    void btnCloseClick();
    void actSaveToFileExecute();

    void AddTrace(std::u16string_view text, std::int32_t level);
    void ShowTraces();
    void UpdateSearchButton();

    TraceWindowHost& host_;
    FormDescription description_;
    int dpi_ = 96;
    std::unique_ptr<Win32FormBuilder> builder_;
    HWND memTrace_ = nullptr;
    HWND cbFilter_ = nullptr;
    HWND cbFilterEdit_ = nullptr;
    HWND edtSearchFor_ = nullptr;
    HWND btnSearch_ = nullptr;
    HWND lastFocus_ = nullptr;
    Win32Subclass filterEdit_;  // the filter box's edit part, for its typing
    std::map<HWND, Handler> onClick_;
    std::map<HWND, Handler> onChange_;
    std::map<std::string, Handler, std::less<>> onExecute_;
    Handler onCreate_ = nullptr;
    std::wstring lastSavePath_;  // dlgSave's last chosen path
    int filterChosenItem_ = -1;
    bool settingFilterText_ = false;

    TraceStore tblTrace_;
    Win32TextControl* textArea_ = nullptr;  // owned by its window, memTrace
    std::unique_ptr<TraceView> view_;
    TraceSearch search_;
    // The client size the controls were last laid out for.
    std::pair<int, int> laidOutSize_{-1, -1};
};

}  // namespace orsk
