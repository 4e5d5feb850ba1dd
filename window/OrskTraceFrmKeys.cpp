// The trace window's keyboard: the tab order, Enter and Esc, the edit shortcuts, the filter
// box's typing, and the popup menu of the text area with its edit actions.

#include <windows.h>

#include <algorithm>

#include "window/OrskTraceFrm.h"
#include "window/form/KeyNames.h"
#include "window/win32/Win32Text.h"

namespace orsk {
namespace {

bool IsButton(HWND window) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return ::lstrcmpiW(className, L"Button") == 0;
}

}  // namespace

bool TOrskTraceForm::PreTranslateMessage(const MSG& message) {
    if (message.message != WM_KEYDOWN || Handle() == nullptr ||
        (message.hwnd != Handle() && !::IsChild(Handle(), message.hwnd))) {
        return false;
    }
    KeyPress key;
    key.key = KeyNameOfVirtualKey(static_cast<unsigned>(message.wParam));
    if (key.key.empty()) {
        return false;
    }
    key.ctrl = ::GetKeyState(VK_CONTROL) < 0;
    key.shift = ::GetKeyState(VK_SHIFT) < 0;
    key.alt = ::GetKeyState(VK_MENU) < 0;

    KeyContext context;
    context.focus = FocusTargetOf(::GetFocus());
    context.filterListOpen = ::SendMessageW(cbFilter_, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
    context.searchButtonEnabled = ::IsWindowEnabled(btnSearch_) != FALSE;
    context.target = EditTargetStateOf(EditTargetOf(context.focus));

    const KeyDecision decision = RouteKey(description_, key, context);
    switch (decision.outcome) {
        case KeyOutcome::PassToControl:
            return false;
        case KeyOutcome::Swallow:
            return true;
        case KeyOutcome::FocusNext:
        case KeyOutcome::FocusPrevious:
            MoveFocus(decision.outcome == KeyOutcome::FocusNext);
            return true;
        case KeyOutcome::ClickButton:
            ::SendMessageW(::GetFocus(), BM_CLICK, 0, 0);
            return true;
        case KeyOutcome::RunSearch:
            ::SendMessageW(btnSearch_, BM_CLICK, 0, 0);
            return true;
        case KeyOutcome::RunAction:
            ExecuteAction(*decision.action);
            return true;
    }
    return false;
}

FocusTarget TOrskTraceForm::FocusTargetOf(HWND focus) const {
    if (focus == nullptr) {
        return FocusTarget::None;
    }
    if (focus == memTrace_) {
        return FocusTarget::TextArea;
    }
    if (focus == edtSearchFor_) {
        return FocusTarget::SearchBox;
    }
    if (focus == cbFilter_ || focus == cbFilterEdit_) {
        return FocusTarget::FilterBox;
    }
    if (::IsChild(Handle(), focus) && IsButton(focus)) {
        return FocusTarget::Button;
    }
    return FocusTarget::None;
}

HWND TOrskTraceForm::EditTargetOf(FocusTarget focus) const {
    switch (focus) {
        case FocusTarget::TextArea:
            return memTrace_;
        case FocusTarget::SearchBox:
            return edtSearchFor_;
        default:
            return nullptr;
    }
}

EditTargetState TOrskTraceForm::EditTargetStateOf(HWND edit) const {
    EditTargetState state;
    if (edit == nullptr) {
        return state;
    }
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    state.hasSelection = end > start;
    state.textEmpty = ::GetWindowTextLengthW(edit) == 0;
    state.canUndo = ::SendMessageW(edit, EM_CANUNDO, 0, 0) != FALSE;
    state.clipboardHasText =
        ::IsClipboardFormatAvailable(CF_UNICODETEXT) || ::IsClipboardFormatAvailable(CF_TEXT);
    return state;
}

void TOrskTraceForm::MoveFocus(bool forward) {
    std::vector<HWND> order;
    for (const std::string& name : description_.TabOrder()) {
        HWND control = builder_->Control(name);
        if (::IsWindowVisible(control) && ::IsWindowEnabled(control)) {
            order.push_back(control);
        }
    }
    if (order.empty()) {
        return;
    }
    HWND focus = ::GetFocus();
    if (focus == cbFilterEdit_) {
        focus = cbFilter_;
    }
    const auto current = std::find(order.begin(), order.end(), focus);
    std::size_t next = 0;
    if (current == order.end()) {
        next = forward ? 0 : order.size() - 1;
    } else {
        const auto index = static_cast<std::size_t>(current - order.begin());
        next = forward ? (index + 1) % order.size() : (index + order.size() - 1) % order.size();
    }
    HWND target = order[next];
    ::SetFocus(target);
    // Entering a text box with Tab selects its whole text, ready to be typed over.
    if (target == edtSearchFor_) {
        ::SendMessageW(target, EM_SETSEL, 0, -1);
    } else if (target == cbFilter_) {
        ::SendMessageW(target, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    }
}

bool TOrskTraceForm::FilterBoxChar(wchar_t typed) {
    if (typed != L'\b' && typed < L' ') {
        return false;  // control characters (Ctrl+C and the like) keep their usual meaning
    }
    FilterBoxState state;
    state.text = WindowText(cbFilter_);
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(cbFilterEdit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    state.selectionStart = start;
    state.selectionEnd = end;
    state.chosenItem = filterChosenItem_;
    if (typed == L'\b') {
        ApplyFilterBoxEdit(BackspaceInFilterBox(state));
    } else {
        const ControlSpec* filterBox = description_.FindControl("cbFilter");
        ApplyFilterBoxEdit(
            TypeIntoFilterBox(state, static_cast<char16_t>(typed), filterBox->items));
    }
    return true;
}

void TOrskTraceForm::ApplyFilterBoxEdit(const FilterBoxEdit& edit) {
    settingFilterText_ = true;
    if (edit.openList && ::SendMessageW(cbFilter_, CB_GETDROPPEDSTATE, 0, 0) == FALSE) {
        ::SendMessageW(cbFilter_, CB_SHOWDROPDOWN, TRUE, 0);
    }
    // Highlight the chosen item in the list, then put the typed text in the box.
    ::SendMessageW(cbFilter_, CB_SETCURSEL, static_cast<WPARAM>(edit.state.chosenItem), 0);
    const std::wstring text = ToWide(edit.state.text);
    ::SetWindowTextW(cbFilterEdit_, text.c_str());
    ::SendMessageW(cbFilterEdit_, EM_SETSEL, edit.state.selectionStart, edit.state.selectionEnd);
    settingFilterText_ = false;
    filterChosenItem_ = edit.state.chosenItem;
    if (edit.textChanged) {
        if (const auto found = onChange_.find(cbFilter_); found != onChange_.end()) {
            (this->*found->second)();
        }
    }
}

void TOrskTraceForm::ShowTextAreaMenu(LPARAM screenPoint) {
    ::SetFocus(memTrace_);
    const ControlSpec* textArea = description_.FindControl("memTrace");
    if (textArea == nullptr || textArea->popupMenu.empty()) {
        return;
    }
    HMENU menu = builder_->PopupMenu(textArea->popupMenu);
    for (std::size_t i = 0; i < description_.actions.size(); ++i) {
        ::EnableMenuItem(
            menu, kFirstActionCommand + static_cast<UINT>(i),
            MF_BYCOMMAND | (ActionEnabledNow(description_.actions[i]) ? MF_ENABLED : MF_GRAYED));
    }
    POINT at{static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
    if (screenPoint == -1) {
        // From the keyboard: at the caret.
        ::GetCaretPos(&at);
        ::ClientToScreen(memTrace_, &at);
    }
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
}

bool TOrskTraceForm::ActionEnabledNow(const ActionSpec& action) const {
    const FocusTarget focus = FocusTargetOf(::GetFocus());
    return ActionEnabled(action, focus, EditTargetStateOf(EditTargetOf(focus)));
}

void TOrskTraceForm::ExecuteAction(const ActionSpec& action) {
    // The condition may have changed since the menu opened or the key was pressed.
    if (!ActionEnabledNow(action)) {
        return;
    }
    HWND target = EditTargetOf(FocusTargetOf(::GetFocus()));
    switch (action.command) {
        case EditCommand::Cut:
            ::SendMessageW(target, WM_CUT, 0, 0);
            return;
        case EditCommand::Copy:
            ::SendMessageW(target, WM_COPY, 0, 0);
            return;
        case EditCommand::Paste:
            ::SendMessageW(target, WM_PASTE, 0, 0);
            return;
        case EditCommand::SelectAll:
            ::SendMessageW(target, EM_SETSEL, 0, -1);
            return;
        case EditCommand::Undo:
            ::SendMessageW(target, EM_UNDO, 0, 0);
            return;
        case EditCommand::Delete:
            ::SendMessageW(target, WM_CLEAR, 0, 0);
            return;
        case EditCommand::None:
            break;
    }
    if (const auto found = onExecute_.find(action.name); found != onExecute_.end()) {
        (this->*found->second)();
    }
}

}  // namespace orsk
