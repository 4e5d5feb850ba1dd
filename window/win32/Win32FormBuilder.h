#pragma once
// Builds the Win32 windows of a form description: the controls with their styles, fonts and
// items, and the popup menus with their items. The form window itself is created by its owner.

#include <windows.h>

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/form/FormDescription.h"
#include "window/win32/Win32Handles.h"

namespace orsk {

// Menu command identifiers of the actions: kFirstActionCommand + index in the action list.
inline constexpr UINT kFirstActionCommand = 40000;

// Controls that test programs and tools look up by identifier keep fixed ones: name and id.
using FixedControlIds = std::span<const std::pair<std::string_view, int>>;

class Win32FormBuilder {
public:
    Win32FormBuilder(const FormDescription& description, HINSTANCE instance, int dpi,
                     FixedControlIds fixedIds);

    // Creates every control below `form`, in the description's order.
    void CreateControls(HWND form);

    HWND Control(std::string_view name) const;  // throws when there is no such control
    const std::vector<HWND>& Controls() const { return controls_; }  // description order

    // The popup menu `name`, its items showing their actions' captions and shortcuts.
    HMENU PopupMenu(std::string_view name);

    // The panel window class that groups controls (registered once per process).
    static const wchar_t* PanelClassName();

private:
    HFONT FontFor(const FontSpec& wanted);

    const FormDescription& description_;
    HINSTANCE instance_;
    int dpi_;
    FixedControlIds fixedIds_;
    std::vector<HWND> controls_;
    std::map<std::string, HWND, std::less<>> byName_;
    std::vector<std::pair<FontSpec, unique_hfont>> fonts_;
    std::map<std::string, unique_hmenu, std::less<>> menus_;
};

// "Ctrl+X" as a menu shows it.
std::wstring ShortcutText(const Shortcut& shortcut);

}  // namespace orsk
