#pragma once
// The form description: everything the trace window is built from (its caption, place, size,
// fonts; every control with its kind, parent, bounds, anchors, caption, tab order and events;
// the popup menu; the action list). The window loads it from its resource TORSKTRACEFORM when
// it is constructed.
//
// The text is UTF-8, one object after the other:
//
//   # a comment line
//   form OrskTraceForm class=TOrskTraceForm caption="ORSK Trace Window"
//       left=200 top=104 clientWidth=444 clientHeight=420
//   control btnClose kind=button parent=pnlBottom caption="&Close"
//       left=361 top=8 width=75 height=25 anchors=right,bottom
//
// An object starts on a line with its keyword (form, control, popupMenu, item, separator,
// actionList, action) and its name, followed by attributes key=value. Lines that start with
// white space continue the object above. A value is a number (-12), a word (button, Ctrl+X,
// btnCloseClick), a quoted text ("Cu&t"; \" and \\ inside) or a list of them separated by commas
// without spaces ("0 = ALL","1"). Blank lines and lines starting with # are ignored.
//
// Objects and their attributes (required ones marked *):
//   form NAME         class* caption* left* top* clientWidth* clientHeight* color font
//                     activeControl onCreate
//   control NAME      kind* (memo panel button label edit comboBox) parent* left* top* width*
//                     height* anchors (left,top,right,bottom; default left,top) align (none top
//                     bottom) caption font tabOrder tabStop (true false) default (true false)
//                     items dropDownCount scrollBars (none horizontal vertical both) wordWrap
//                     hideSelection popupMenu maxLength onClick onChange
//   popupMenu NAME
//   item NAME         menu* action*
//   separator NAME    menu*
//   actionList NAME
//   action NAME       list* caption* shortcut (Ctrl+X, Del, ...) enabledWhen* (always selection
//                     clipboardText textNotEmpty canUndo) command (cut copy paste selectAll undo
//                     delete) onExecute
// A font is face,points,charset with charset default or ansi: "MS Sans Serif",8,default.
// Controls are created in the order they are listed; a parent must come before its children.
//
// A malformed description is refused with FormDescriptionError, whose message names the line:
// "Form description line 12: unknown attribute "colour" of control memTrace".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/TraceError.h"

namespace orsk {

class FormDescriptionError : public TraceError {
public:
    FormDescriptionError(int line, const std::string& problem);
    int Line() const { return line_; }

private:
    int line_;
};

enum class ControlKind { Memo, Panel, Button, Label, Edit, ComboBox };
enum class Align { None, Top, Bottom };
enum class Charset { Default, Ansi };
enum class ScrollBars { None, Horizontal, Vertical, Both };
enum class EditCommand { None, Cut, Copy, Paste, SelectAll, Undo, Delete };
enum class EnabledWhen { Always, Selection, ClipboardText, TextNotEmpty, CanUndo };

struct FontSpec {
    std::u16string face;
    int points = 8;
    Charset charset = Charset::Default;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct Anchors {
    bool left = true;
    bool top = true;
    bool right = false;
    bool bottom = false;
    friend bool operator==(const Anchors&, const Anchors&) = default;
};

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// A key combination as written in the description ("Ctrl+X", "Del", "Shift+Ctrl+F2").
struct Shortcut {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    std::string key;  // a name from KeyNames.h: "X", "0", "Del", "F2", ...; empty: none
    bool Empty() const { return key.empty(); }
    friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

struct ControlSpec {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string parent;
    Bounds bounds;
    Anchors anchors;
    Align align = Align::None;
    std::u16string caption;
    std::optional<FontSpec> font;  // the form's font when absent
    int tabOrder = -1;             // position among the parent's tab stops; -1: none given
    bool tabStop = false;          // default: true for edit, comboBox and button
    bool isDefault = false;
    std::vector<std::u16string> items;
    int dropDownCount = 8;
    ScrollBars scrollBars = ScrollBars::None;
    bool wordWrap = true;
    bool hideSelection = true;
    std::string popupMenu;
    long long maxLength = 0;  // 0: no limit
    std::string onClick;
    std::string onChange;
    int line = 0;  // where it is described
};

struct MenuItemSpec {
    std::string name;
    std::string action;  // empty for a separator
    bool separator = false;
};

struct PopupMenuSpec {
    std::string name;
    std::vector<MenuItemSpec> items;
};

struct ActionSpec {
    std::string name;
    std::u16string caption;
    Shortcut shortcut;
    EnabledWhen enabledWhen = EnabledWhen::Always;
    EditCommand command = EditCommand::None;
    std::string onExecute;
};

struct FormSpec {
    std::string name;
    std::string className;
    std::u16string caption;
    int left = 0;
    int top = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    std::string color = "btnFace";
    FontSpec font{u"MS Sans Serif", 8, Charset::Default};
    std::string activeControl;
    std::string onCreate;
};

struct FormDescription {
    FormSpec form;
    std::vector<ControlSpec> controls;  // in creation order
    std::vector<PopupMenuSpec> popupMenus;
    std::string actionList;
    std::vector<ActionSpec> actions;  // in the list's order

    const ControlSpec* FindControl(std::string_view name) const;
    const ActionSpec* FindAction(std::string_view name) const;
    const PopupMenuSpec* FindPopupMenu(std::string_view name) const;
    // The controls the Tab key visits, in order: a parent's tab stops by tabOrder (then creation
    // order), each panel's children where the panel stands in its parent's order.
    std::vector<std::string> TabOrder() const;
};

FormDescription ParseFormDescription(std::string_view text);

}  // namespace orsk
