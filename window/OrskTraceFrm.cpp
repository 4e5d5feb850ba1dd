#include "window/OrskTraceFrm.h"

#include <commctrl.h>

#include <array>

#include "app/Application.h"
#include "common/TraceError.h"
#include "intake/TraceDecoder.h"
#include "window/ControlIds.h"
#include "window/StringIds.h"
#include "window/Win32Text.h"

namespace orsk {
namespace {

constexpr wchar_t kPanelClass[] = L"OrskTracePanel";

// Design size of the client area and the distances the anchored controls keep.
constexpr int kClientWidth = 444;
constexpr int kClientHeight = 420;
constexpr int kTopBandHeight = 37;
constexpr int kBottomBandHeight = 41;

constexpr std::array<const wchar_t*, 10> kFilterItems = {L"0 = ALL", L"1", L"2", L"3", L"4",
                                                         L"5",       L"6", L"7", L"8", L"9"};

TraceDate LocalNow() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return MakeTraceDate(
        {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds});
}

unique_hfont CreateUiFont(const wchar_t* face, int points, BYTE charset) {
    HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return unique_hfont(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace

void TOrskTraceForm::RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = WindowProc;
    form.hInstance = instance;
    form.hIcon = ::LoadIconW(instance, L"MAINICON");
    form.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = kTraceWindowClass;
    ::RegisterClassExW(&form);

    WNDCLASSEXW panel{};
    panel.cbSize = sizeof(panel);
    panel.lpfnWndProc = PanelProc;
    panel.hInstance = instance;
    panel.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel.lpszClassName = kPanelClass;
    ::RegisterClassExW(&panel);
}

TOrskTraceForm::TOrskTraceForm(Application& application) : application_(application) {
    HINSTANCE instance = application.Instance();
    RegisterClasses(instance);

    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
    handle_ =
        ::CreateWindowExW(WS_EX_CONTROLPARENT, kTraceWindowClass, kTraceWindowCaption,
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 200, 104, frame.right - frame.left,
                          frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (handle_ == nullptr) {
        throw TraceError("Cannot create the trace window");
    }
    // Traces come from programs of any integrity level, also when this window runs elevated;
    // WM_COPYDATA is the only message let through.
    ::ChangeWindowMessageFilterEx(handle_, WM_COPYDATA, MSGFLT_ALLOW, nullptr);

    CreateControls();
    textArea_ = std::make_unique<Win32EditTextArea>(memTrace_, handle_);
    view_ = std::make_unique<TraceView>(*textArea_, tblTrace_, LocalNow,
                                        [this] { return WindowText(cbFilter_); });
    view_->SetRegionalFormats(application_.Formats());
    FormCreate();
    lastFocus_ = edtSearchFor_;
}

TOrskTraceForm::~TOrskTraceForm() {
    if (handle_ != nullptr && ::IsWindow(handle_)) {
        ::DestroyWindow(handle_);
    }
}

HWND TOrskTraceForm::CreateControl(HWND parent, int id, const wchar_t* className,
                                   const wchar_t* caption, DWORD style, DWORD exStyle, int left,
                                   int top, int width, int height) {
    HWND control =
        ::CreateWindowExW(exStyle, className, caption, WS_CHILD | WS_VISIBLE | style, left, top,
                          width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          application_.Instance(), nullptr);
    if (control == nullptr) {
        throw TraceError("Cannot create a control of the trace window");
    }
    HFONT font = id == kIdMemTrace ? traceFont_.get() : formFont_.get();
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void TOrskTraceForm::CreateControls() {
    formFont_ = CreateUiFont(L"MS Sans Serif", 8, DEFAULT_CHARSET);
    traceFont_ = CreateUiFont(L"Courier", 10, ANSI_CHARSET);

    memTrace_ = CreateControl(
        handle_, kIdMemTrace, L"EDIT", L"",
        ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL,
        WS_EX_CLIENTEDGE, 8, 45, 428, 328);
    // No length limit: the view holds as many traces as memory allows.
    ::SendMessageW(memTrace_, EM_SETLIMITTEXT, 0, 0);

    pnlBottom_ =
        CreateControl(handle_, kIdPnlBottom, kPanelClass, L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                      0, kClientHeight - kBottomBandHeight, kClientWidth, kBottomBandHeight);
    btnClose_ = CreateControl(pnlBottom_, kIdBtnClose, L"BUTTON", L"&Close",
                              BS_PUSHBUTTON | WS_TABSTOP, 0, 361, 8, 75, 25);
    btnEmpty_ = CreateControl(pnlBottom_, kIdBtnEmpty, L"BUTTON", L"&Empty",
                              BS_PUSHBUTTON | WS_TABSTOP, 0, 281, 8, 75, 25);

    pnlTop_ = CreateControl(handle_, kIdPnlTop, kPanelClass, L"", WS_CLIPCHILDREN,
                            WS_EX_CONTROLPARENT, 0, 0, kClientWidth, kTopBandHeight);
    lblSearchFor_ = CreateControl(pnlTop_, kIdLblSearchFor, L"STATIC", L"Search For:", SS_LEFT, 0,
                                  174, 11, 55, 13);
    lblFilter_ =
        CreateControl(pnlTop_, kIdLblFilter, L"STATIC", L"Trace Level:", SS_LEFT, 0, 8, 11, 60, 13);
    edtSearchFor_ = CreateControl(pnlTop_, kIdEdtSearchFor, L"EDIT", L"",
                                  ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 235, 7, 119, 21);
    btnSearch_ = CreateControl(pnlTop_, kIdBtnSearch, L"BUTTON", L"&Search",
                               BS_PUSHBUTTON | WS_TABSTOP, 0, 361, 5, 75, 25);
    cbFilter_ =
        CreateControl(pnlTop_, kIdCbFilter, L"COMBOBOX", L"",
                      CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 72, 8, 86, 200);
    for (const wchar_t* item : kFilterItems) {
        ::SendMessageW(cbFilter_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    ::SendMessageW(cbFilter_, CB_SETMINVISIBLE, 8, 0);
}

void TOrskTraceForm::FormCreate() {
    tblTrace_.CreateTable();
    tblTrace_.EmptyTable();
    tblTrace_.Open();
    // Choosing the item from the program sends no change notification, so no rebuild runs.
    ::SendMessageW(cbFilter_, CB_SETCURSEL, 0, 0);
    search_.SearchTextChanged();
    UpdateSearchButton();
}

void TOrskTraceForm::SetRegionalFormats(const RegionalFormats& formats) {
    view_->SetRegionalFormats(formats);
}

LRESULT CALLBACK TOrskTraceForm::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TOrskTraceForm*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TOrskTraceForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    // The one dispatch point: no exception leaves the window procedure.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        self->application_.ShowCurrentException();
        return 0;
    }
}

LRESULT CALLBACK TOrskTraceForm::PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            // The bands only group controls; the form handles their notifications.
            return ::SendMessageW(::GetParent(panel), message, wParam, lParam);
        default:
            return ::DefWindowProcW(panel, message, wParam, lParam);
    }
}

LRESULT TOrskTraceForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA:
            return WMCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_COMMAND:
            WMCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_SIZE:
            WMSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ACTIVATE:
            WMActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_CTLCOLORSTATIC:
            return WMCtlColor(reinterpret_cast<HDC>(wParam));
        case WM_CLOSE:
            ::DestroyWindow(handle_);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
            handle_ = nullptr;
            return 0;
        default:
            return ::DefWindowProcW(handle_, message, wParam, lParam);
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
        application_.ShowException(error);
        return 0;
    }
}

void TOrskTraceForm::WMCommand(int id, int code) {
    switch (id) {
        case kIdCbFilter:
            if (code == CBN_SELCHANGE) {
                // The edit part still shows the old text while this notification runs.
                const LRESULT index = ::SendMessageW(cbFilter_, CB_GETCURSEL, 0, 0);
                if (index != CB_ERR) {
                    ::SetWindowTextW(cbFilter_, kFilterItems[static_cast<std::size_t>(index)]);
                }
                cbFilterChange();
            } else if (code == CBN_EDITCHANGE) {
                cbFilterChange();
            }
            break;
        case kIdEdtSearchFor:
            if (code == EN_CHANGE) {
                edtSearchForChange();
            }
            break;
        case kIdBtnSearch:
            if (code == BN_CLICKED) {
                btnSearchClick();
            }
            break;
        case kIdBtnEmpty:
            if (code == BN_CLICKED) {
                btnEmptyClick();
            }
            break;
        case kIdBtnClose:
            if (code == BN_CLICKED) {
                btnCloseClick();
            }
            break;
        default:
            break;
    }
}

void TOrskTraceForm::WMSize(int width, int height) {
    // The bands span the width; the text area grows both ways; the Search controls and the
    // bottom buttons keep their distance to the right edge.
    const int right = width - kClientWidth;
    HDWP positions = ::BeginDeferWindowPos(8);
    auto place = [&](HWND control, int left, int top, int w, int h) {
        positions = ::DeferWindowPos(positions, control, nullptr, left, top, w, h,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(pnlTop_, 0, 0, width, kTopBandHeight);
    place(pnlBottom_, 0, height - kBottomBandHeight, width, kBottomBandHeight);
    place(memTrace_, 8, 45, 428 + right, 328 + height - kClientHeight);
    ::EndDeferWindowPos(positions);
    ::SetWindowPos(lblSearchFor_, nullptr, 174 + right, 11, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(edtSearchFor_, nullptr, 235 + right, 7, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(btnSearch_, nullptr, 361 + right, 5, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(btnClose_, nullptr, 361 + right, 8, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(btnEmpty_, nullptr, 281 + right, 8, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TOrskTraceForm::WMActivate(bool active) {
    // Like a dialog: the focus comes back to the control that had it.
    if (active) {
        ::SetFocus(lastFocus_ != nullptr ? lastFocus_ : edtSearchFor_);
    } else {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(handle_, focus)) {
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

std::wstring TOrskTraceForm::ResourceString(UINT id, const wchar_t* fallback) const {
    const wchar_t* text = nullptr;
    const int length =
        ::LoadStringW(application_.Instance(), id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return fallback;
    }
    return std::wstring(text, static_cast<std::size_t>(length));
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
    const std::wstring caption = state.caption == kNextCaption
                                     ? ResourceString(IDS_NEXT, L"&Next")
                                     : ResourceString(IDS_SEARCH, L"&Search");
    ::SetWindowTextW(btnSearch_, caption.c_str());
}

void TOrskTraceForm::btnSearchClick() {
    const std::u16string searchText = WindowText(edtSearchFor_);
    if (const auto match = search_.Step(textArea_->ReadAll(), searchText)) {
        textArea_->Select(match->selectionStart, match->selectionLength);
        if (::IsWindowVisible(memTrace_) && ::IsWindowEnabled(memTrace_)) {
            ::SetFocus(memTrace_);
        }
    } else {
        const std::wstring text = ToWide(searchText) + ResourceString(IDS_NOT_FOUND, L" not found");
        ::MessageBoxW(handle_, text.c_str(), L"Information", MB_OK | MB_ICONINFORMATION);
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
    ::SendMessageW(handle_, WM_CLOSE, 0, 0);
}

}  // namespace orsk
