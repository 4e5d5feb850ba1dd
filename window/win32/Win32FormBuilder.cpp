#include "window/win32/Win32FormBuilder.h"

#include <commctrl.h>  // CB_SETMINVISIBLE, a message constant only

#include "common/TraceError.h"
#include "window/form/FormLayout.h"
#include "window/win32/Win32Text.h"
#include "window/win32/Win32TextControl.h"

namespace orsk {
namespace {

int ControlIdOf(FixedControlIds fixedIds, std::string_view name, std::size_t index) {
    for (const auto& [fixedName, id] : fixedIds) {
        if (fixedName == name) {
            return id;
        }
    }
    return 200 + static_cast<int>(index);
}

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
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

struct WindowKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindOf(const ControlSpec& c) {
    switch (c.kind) {
        case ControlKind::Memo: {
            // Our own text control: an edit control slows to a crawl with a long text.
            DWORD style = 0;
            if (!c.hideSelection) {
                style |= ES_NOHIDESEL;
            }
            if (c.scrollBars == ScrollBars::Vertical || c.scrollBars == ScrollBars::Both) {
                style |= WS_VSCROLL;
            }
            if (c.scrollBars == ScrollBars::Horizontal || c.scrollBars == ScrollBars::Both) {
                style |= WS_HSCROLL;
            }
            return {Win32TextControl::ClassName(), style, WS_EX_CLIENTEDGE};
        }
        case ControlKind::Panel:
            return {Win32FormBuilder::PanelClassName(), WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        case ControlKind::Button:
            // No button takes the default look: Enter never clicks a button that lacks the
            // focus.
            return {L"BUTTON", BS_PUSHBUTTON, 0};
        case ControlKind::Label:
            return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
        case ControlKind::Edit:
            return {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::ComboBox:
            return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0};
    }
    return {L"STATIC", 0, 0};
}

}  // namespace

const wchar_t* Win32FormBuilder::PanelClassName() {
    static const wchar_t* const name = [] {
        WNDCLASSEXW panel{};
        panel.cbSize = sizeof(panel);
        panel.lpfnWndProc = PanelProc;
        panel.hInstance = ::GetModuleHandleW(nullptr);
        panel.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        panel.lpszClassName = L"OrskTracePanel";
        ::RegisterClassExW(&panel);
        return panel.lpszClassName;
    }();
    return name;
}

Win32FormBuilder::Win32FormBuilder(const FormDescription& description, HINSTANCE instance, int dpi,
                                   FixedControlIds fixedIds)
    : description_(description), instance_(instance), dpi_(dpi), fixedIds_(fixedIds) {}

HFONT Win32FormBuilder::FontFor(const FontSpec& wanted) {
    for (const auto& [known, font] : fonts_) {
        if (known == wanted) {
            return font.get();
        }
    }
    const int height = -::MulDiv(wanted.points, dpi_, 72);
    const std::wstring face = ToWide(wanted.face);
    unique_hfont font(::CreateFontW(
        height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
        wanted.charset == Charset::Ansi ? ANSI_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
    HFONT handle = font.get();
    fonts_.emplace_back(wanted, std::move(font));
    return handle;
}

void Win32FormBuilder::CreateControls(HWND form) {
    byName_.emplace(description_.form.name, form);
    for (std::size_t i = 0; i < description_.controls.size(); ++i) {
        const ControlSpec& c = description_.controls[i];
        const WindowKind kind = KindOf(c);
        DWORD style = WS_CHILD | WS_VISIBLE | kind.style;
        if (c.tabStop) {
            style |= WS_TABSTOP;
        }
        const std::wstring caption = ToWide(c.caption);
        // Combo boxes take the height of their open list; the layout sets the real places.
        const int listHeight =
            c.kind == ControlKind::ComboBox ? c.bounds.height * (c.dropDownCount + 2) : 0;
        HWND control = ::CreateWindowExW(
            kind.exStyle, kind.className, caption.c_str(), style, ScaleToDpi(c.bounds.left, dpi_),
            ScaleToDpi(c.bounds.top, dpi_), ScaleToDpi(c.bounds.width, dpi_),
            ScaleToDpi(c.bounds.height + listHeight, dpi_), Control(c.parent),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdOf(fixedIds_, c.name, i))),
            instance_, nullptr);
        if (control == nullptr) {
            throw TraceError("Cannot create the control " + c.name);
        }
        ::SendMessageW(control, WM_SETFONT,
                       reinterpret_cast<WPARAM>(FontFor(c.font.value_or(description_.form.font))),
                       FALSE);
        if (c.kind == ControlKind::Memo && c.maxLength == 0) {
            // No limit: the view holds as many traces as memory allows.
            ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
        }
        for (const std::u16string& item : c.items) {
            const std::wstring text = ToWide(item);
            ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        if (c.kind == ControlKind::ComboBox) {
            ::SendMessageW(control, CB_SETMINVISIBLE, static_cast<WPARAM>(c.dropDownCount), 0);
        }
        controls_.push_back(control);
        byName_.emplace(c.name, control);
    }
}

HWND Win32FormBuilder::Control(std::string_view name) const {
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        throw TraceError("The form description has no control " + std::string(name));
    }
    return found->second;
}

HMENU Win32FormBuilder::PopupMenu(std::string_view name) {
    if (const auto found = menus_.find(name); found != menus_.end()) {
        return found->second.get();
    }
    const PopupMenuSpec* menuSpec = description_.FindPopupMenu(name);
    if (menuSpec == nullptr) {
        throw TraceError("The form description has no popup menu " + std::string(name));
    }
    unique_hmenu menu(::CreatePopupMenu());
    for (const MenuItemSpec& item : menuSpec->items) {
        if (item.separator) {
            ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const ActionSpec* action = description_.FindAction(item.action);
        const auto index = static_cast<UINT>(action - description_.actions.data());
        std::wstring text = ToWide(action->caption);
        if (!action->shortcut.Empty()) {
            text += L'\t' + ShortcutText(action->shortcut);
        }
        ::AppendMenuW(menu.get(), MF_STRING, kFirstActionCommand + index, text.c_str());
    }
    HMENU handle = menu.get();
    menus_.emplace(std::string(name), std::move(menu));
    return handle;
}

std::wstring ShortcutText(const Shortcut& shortcut) {
    std::wstring text;
    if (shortcut.ctrl) {
        text += L"Ctrl+";
    }
    if (shortcut.shift) {
        text += L"Shift+";
    }
    if (shortcut.alt) {
        text += L"Alt+";
    }
    text.append(shortcut.key.begin(), shortcut.key.end());
    return text;
}

}  // namespace orsk
