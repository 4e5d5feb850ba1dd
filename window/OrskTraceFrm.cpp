#include "window/OrskTraceFrm.h"

#include "common/TraceError.h"
#include "intake/TraceDecoder.h"
#include "window/ControlIds.h"
#include "window/StringIds.h"
#include "window/form/FormLayout.h"
#include "window/win32/Win32Handles.h"
#include "window/win32/Win32Text.h"

namespace orsk {
namespace {

TraceDate LocalNow() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return MakeTraceDate(
        {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds});
}

int ScreenDpi() {
    const WindowDc screen(nullptr);
    const int dpi = screen.Get() != nullptr ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

FormDescription LoadFormDescription(HINSTANCE instance) {
    HRSRC resource = ::FindResourceW(instance, L"TORSKTRACEFORM", RT_RCDATA);
    HGLOBAL loaded = resource != nullptr ? ::LoadResource(instance, resource) : nullptr;
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        throw TraceError("The form description TORSKTRACEFORM is missing");
    }
    return ParseFormDescription(
        std::string_view(static_cast<const char*>(bytes), ::SizeofResource(instance, resource)));
}

}  // namespace

TOrskTraceForm::TOrskTraceForm(TraceWindowHost& host)
    : host_(host),
      description_(LoadFormDescription(host.Instance())),
      dpi_(ScreenDpi()),
      builder_(
          std::make_unique<Win32FormBuilder>(description_, host.Instance(), dpi_, kControlIds)) {
    CreateFormWindow();
    builder_->CreateControls(Handle());
    RECT client{};
    ::GetClientRect(Handle(), &client);
    WMSize(client.right, client.bottom);
    memTrace_ = builder_->Control("memTrace");
    cbFilter_ = builder_->Control("cbFilter");
    edtSearchFor_ = builder_->Control("edtSearchFor");
    btnSearch_ = builder_->Control("btnSearch");
    SubclassFilterEdit();
    WireEvents();

    textArea_ = Win32TextControl::FromHandle(memTrace_);
    if (textArea_ == nullptr) {
        throw TraceError("Cannot create the trace window's text area");
    }
    // A user's edit that fails (memory, above all) is reported like every other failure.
    textArea_->SetFailureHandler([this](std::exception_ptr error) { host_.ShowException(error); });
    view_ = std::make_unique<TraceView>(*textArea_, tblTrace_, LocalNow,
                                        [this] { return WindowText(cbFilter_); });
    view_->SetRegionalFormats(host_.Formats());
    if (onCreate_ != nullptr) {
        (this->*onCreate_)();
    }
    if (!description_.form.activeControl.empty()) {
        lastFocus_ = builder_->Control(description_.form.activeControl);
    }
}

TOrskTraceForm::~TOrskTraceForm() {
    // The window and its controls go before the fonts, menus and view they use.
    DestroyHandle();
}

void TOrskTraceForm::CreateFormWindow() {
    HINSTANCE instance = host_.Instance();
    const std::wstring className(description_.form.className.begin(),
                                 description_.form.className.end());
    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = Procedure;
    form.hInstance = instance;
    form.hIcon = ::LoadIconW(instance, L"MAINICON");
    form.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = className.c_str();
    ::RegisterClassExW(&form);

    const Rect client = DesignClientRect(description_, dpi_);
    RECT frame{0, 0, client.width, client.height};
    ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
    const std::wstring caption = ToWide(description_.form.caption);
    // WM_NCCREATE binds the window to this object.
    ::CreateWindowExW(WS_EX_CONTROLPARENT, className.c_str(), caption.c_str(),
                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, description_.form.left,
                      description_.form.top, frame.right - frame.left, frame.bottom - frame.top,
                      host_.TaskbarWindow(), nullptr, instance, this);
    if (Handle() == nullptr) {
        throw TraceError("Cannot create the trace window");
    }
    // Traces come from programs of any integrity level, also when this window runs elevated;
    // WM_COPYDATA is the only message let through.
    ::ChangeWindowMessageFilterEx(Handle(), WM_COPYDATA, MSGFLT_ALLOW, nullptr);
}

void TOrskTraceForm::SubclassFilterEdit() {
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof(combo);
    ::GetComboBoxInfo(cbFilter_, &combo);
    cbFilterEdit_ = combo.hwndItem;
    filterEdit_.Attach(
        cbFilterEdit_,
        [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
            result = 0;
            return message == WM_CHAR && FilterBoxChar(static_cast<wchar_t>(wParam));
        },
        [this](std::exception_ptr error) { host_.ShowException(error); });
}

TOrskTraceForm::Handler TOrskTraceForm::HandlerNamed(const std::string& name) const {
    static const std::map<std::string, Handler, std::less<>> handlers = {
        {"FormCreate", &TOrskTraceForm::FormCreate},
        {"cbFilterChange", &TOrskTraceForm::cbFilterChange},
        {"edtSearchForChange", &TOrskTraceForm::edtSearchForChange},
        {"btnSearchClick", &TOrskTraceForm::btnSearchClick},
        {"btnEmptyClick", &TOrskTraceForm::btnEmptyClick},
        {"btnCloseClick", &TOrskTraceForm::btnCloseClick},
        {"actSaveToFileExecute", &TOrskTraceForm::actSaveToFileExecute},
    };
    const auto found = handlers.find(name);
    if (found == handlers.end()) {
        throw TraceError("The form description names an unknown handler " + name);
    }
    return found->second;
}

void TOrskTraceForm::WireEvents() {
    if (!description_.form.onCreate.empty()) {
        onCreate_ = HandlerNamed(description_.form.onCreate);
    }
    const auto& controls = builder_->Controls();
    for (std::size_t i = 0; i < description_.controls.size(); ++i) {
        const ControlSpec& c = description_.controls[i];
        if (!c.onClick.empty()) {
            onClick_[controls[i]] = HandlerNamed(c.onClick);
        }
        if (!c.onChange.empty()) {
            onChange_[controls[i]] = HandlerNamed(c.onChange);
        }
    }
    for (const ActionSpec& action : description_.actions) {
        if (!action.onExecute.empty()) {
            onExecute_[action.name] = HandlerNamed(action.onExecute);
        }
    }
}

void TOrskTraceForm::FormCreate() {
    tblTrace_.CreateTable();
    tblTrace_.EmptyTable();
    tblTrace_.Open();
    // Choosing the item from the program sends no change notification, so no rebuild runs.
    ::SendMessageW(cbFilter_, CB_SETCURSEL, 0, 0);
    filterChosenItem_ = 0;
    search_.SearchTextChanged();
    UpdateSearchButton();
}

void TOrskTraceForm::SetRegionalFormats(const RegionalFormats& formats) {
    view_->SetRegionalFormats(formats);
}

LRESULT TOrskTraceForm::MessageFailed(std::exception_ptr error) noexcept {
    host_.ShowException(error);
    return 0;
}

LRESULT TOrskTraceForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA:
            return WMCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_COMMAND:
            WMCommand(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_SIZE:
            WMSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ACTIVATE:
            WMActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == memTrace_) {
                ShowTextAreaMenu(lParam);
                return 0;
            }
            return ::DefWindowProcW(Handle(), message, wParam, lParam);
        case WM_SETTINGCHANGE:
            // Broadcasts reach top-level windows only; the text area's caret follows the
            // user's caret width.
            ::SendMessageW(memTrace_, message, wParam, lParam);
            return ::DefWindowProcW(Handle(), message, wParam, lParam);
        case WM_CTLCOLORSTATIC:
            return WMCtlColor(reinterpret_cast<HDC>(wParam));
        case WM_SYSCOMMAND:
            return WMSysCommand(wParam, lParam);
        case WM_CLOSE:
            ::DestroyWindow(Handle());
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(Handle(), message, wParam, lParam);
    }
}

LRESULT TOrskTraceForm::WMCopyData(const COPYDATASTRUCT* data) {
    try {
        if (data == nullptr) {
            throw TraceError("Invalid trace message");
        }
        const DecodedTrace trace = DecodeTraceMessage(data->dwData, data->cbData, data->lpData);
        AddTrace(trace.text, trace.level);
        return 1;
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        // Answer the sender before the box opens: it must not wait until the user closes it.
        ::ReplyMessage(0);
        host_.ShowException(error);
        return 0;
    }
}

void TOrskTraceForm::WMCommand(HWND control, int id, int code) {
    if (control == nullptr) {
        // A menu command: one of the actions.
        const int index = id - static_cast<int>(kFirstActionCommand);
        if (index >= 0 && index < static_cast<int>(description_.actions.size())) {
            ExecuteAction(description_.actions[static_cast<std::size_t>(index)]);
        }
        return;
    }
    if (control == cbFilter_) {
        if (code == CBN_SELCHANGE) {
            // The edit part still shows the old text while this notification runs.
            const LRESULT index = ::SendMessageW(cbFilter_, CB_GETCURSEL, 0, 0);
            if (index != CB_ERR) {
                const auto length = ::SendMessageW(cbFilter_, CB_GETLBTEXTLEN, index, 0);
                std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
                ::SendMessageW(cbFilter_, CB_GETLBTEXT, index,
                               reinterpret_cast<LPARAM>(item.data()));
                settingFilterText_ = true;
                ::SetWindowTextW(cbFilter_, item.c_str());
                settingFilterText_ = false;
                filterChosenItem_ = static_cast<int>(index);
            }
        } else if (code == CBN_EDITCHANGE && !settingFilterText_) {
            filterChosenItem_ = -1;
        } else {
            return;
        }
    } else if (code == EN_CHANGE) {
        // The search box and the text area report every change of their text, typed, pasted,
        // cut or undone.
    } else if (code != BN_CLICKED) {
        return;
    }
    const auto& handlers = code == BN_CLICKED ? onClick_ : onChange_;
    if (const auto found = handlers.find(control); found != handlers.end()) {
        (this->*found->second)();
    }
}

void TOrskTraceForm::WMSize(int width, int height) {
    // Showing the window sends the size it already has: laying the controls out again would
    // only draw them (scroll bars and all) twice.
    const auto& controls = builder_->Controls();
    if (laidOutSize_ == std::make_pair(width, height)) {
        return;
    }
    if (controls.size() == description_.controls.size()) {
        laidOutSize_ = {width, height};
    }
    const std::vector<Rect> places = LayoutControls(description_, dpi_, width, height);
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(controls.size()));
    for (std::size_t i = 0; i < controls.size() && positions != nullptr; ++i) {
        const Rect& r = places[i];
        int h = r.height;
        if (description_.controls[i].kind == ControlKind::ComboBox) {
            // A drop-down combo box's height includes its open list: room for dropDownCount
            // items.
            const auto itemHeight = ::SendMessageW(controls[i], CB_GETITEMHEIGHT, 0, 0);
            h += static_cast<int>(itemHeight) * description_.controls[i].dropDownCount + 2;
        }
        // No copied bits: a moved control must paint itself anew, or the old picture of
        // whatever stood there before stays on screen.
        positions = ::DeferWindowPos(positions, controls[i], nullptr, r.left, r.top, r.width, h,
                                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    if (positions != nullptr) {
        ::EndDeferWindowPos(positions);
    }
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT TOrskTraceForm::WMSysCommand(WPARAM command, LPARAM lParam) {
    // Minimised, the program is its task bar button: the task bar window goes down, and this
    // window, which it owns, is hidden with it.
    HWND taskbar = host_.TaskbarWindow();
    if ((command & 0xFFF0) == SC_MINIMIZE && taskbar != nullptr) {
        ::SendMessageW(taskbar, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return 0;
    }
    return ::DefWindowProcW(Handle(), WM_SYSCOMMAND, command, lParam);
}

void TOrskTraceForm::WMActivate(bool active) {
    // Like a dialog: the focus comes back to the control that had it.
    if (active) {
        ::SetFocus(lastFocus_ != nullptr ? lastFocus_ : edtSearchFor_);
    } else {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(Handle(), focus)) {
            lastFocus_ = focus;
        }
    }
}

LRESULT TOrskTraceForm::WMCtlColor(HDC dc) {
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

std::u16string TOrskTraceForm::WindowText(HWND control) const {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return FromWide(text);
}

// The program's own texts are string resources, and only there.
std::u16string TOrskTraceForm::ResourceString(UINT id) const {
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(host_.Instance(), id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || text == nullptr) {
        throw TraceError("The string resource " + std::to_string(id) + " is missing");
    }
    return FromWide(std::wstring_view(text, static_cast<std::size_t>(length)));
}

void TOrskTraceForm::AddTrace(std::u16string_view text, std::int32_t level) {
    view_->AddTrace(text, level);
}

void TOrskTraceForm::ShowTraces() {
    view_->ShowTraces();
}

void TOrskTraceForm::cbFilterChange() {
    ShowTraces();
}

void TOrskTraceForm::edtSearchForChange() {
    search_.SearchTextChanged();
    UpdateSearchButton();
}

void TOrskTraceForm::UpdateSearchButton() {
    const SearchButtonState state = SearchButtonFor(WindowText(edtSearchFor_), search_.SearchPos());
    ::EnableWindow(btnSearch_, state.enabled ? TRUE : FALSE);
    const std::u16string caption =
        ResourceString(state.caption == SearchCaption::Next ? IDS_NEXT : IDS_SEARCH);
    // Setting the same caption again would only redraw the button, on every search step.
    if (WindowText(btnSearch_) != caption) {
        ::SetWindowTextW(btnSearch_, ToWide(caption).c_str());
    }
}

void TOrskTraceForm::btnSearchClick() {
    const std::u16string searchText = WindowText(edtSearchFor_);
    if (const auto match = search_.Step(*textArea_, searchText)) {
        textArea_->Select(match->selectionStart, match->selectionLength);
        if (::GetFocus() != memTrace_ && ::IsWindowVisible(memTrace_) &&
            ::IsWindowEnabled(memTrace_)) {
            ::SetFocus(memTrace_);
        }
    } else {
        const std::wstring text = ToWide(NotFoundText(searchText, ResourceString(IDS_NOT_FOUND)));
        ::MessageBoxW(Handle(), text.c_str(), L"Information", MB_OK | MB_ICONINFORMATION);
    }
    UpdateSearchButton();
}

void TOrskTraceForm::btnEmptyClick() {
    textArea_->ReplaceAll(u"");
    tblTrace_.Close();
    tblTrace_.EmptyTable();
    tblTrace_.Open();
}

void TOrskTraceForm::btnCloseClick() {
    ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

}  // namespace orsk
