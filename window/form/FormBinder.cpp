#include "window/form/FormBinder.h"

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <optional>
#include <utility>

#include "window/form/FormProblems.h"
#include "window/form/FormValues.h"

namespace orsk::form_detail {
namespace {

void Require(const ObjectText& object, std::initializer_list<std::string_view> keys) {
    for (const std::string_view key : keys) {
        const bool given = std::any_of(object.attributes.begin(), object.attributes.end(),
                                       [&](const Attribute& a) { return a.key == key; });
        if (!given) {
            Fail(object.line, object.keyword + " " + object.name + " needs " + Quote(key));
        }
    }
}

[[noreturn]] void UnknownAttribute(const Attribute& attribute, const ObjectText& object) {
    Fail(attribute.line,
         "unknown attribute " + Quote(attribute.key) + " of " + object.keyword + " " + object.name);
}

}  // namespace

void FormBinder::Bind(const ObjectText& object) {
    if (object.keyword == "form") {
        if (haveForm_) {
            Fail(object.line, "a second form " + Quote(object.name) + "; there is only one");
        }
    } else if (!haveForm_) {
        Fail(object.line,
             "the form must come first, found " + object.keyword + " " + Quote(object.name));
    }
    if (names_.find(object.name) != names_.end()) {
        Fail(object.line, "duplicate name " + Quote(object.name));
    }
    // Registered only after binding, so an object cannot name itself as its parent or menu.
    names_.emplace(object.name, BindObject(object));
}

// No object at all means no form: that is reported on line 1, where it should have been.
FormDescription FormBinder::Finish() {
    if (!haveForm_) {
        Fail(1, "no form is described");
    }
    for (const Reference& reference : references_) {
        const auto found = names_.find(reference.name);
        if (found == names_.end()) {
            Fail(reference.line, reference.missing);
        }
        if (found->second != reference.kind) {
            Fail(reference.line, reference.wrongKind);
        }
    }
    return std::move(description_);
}

FormBinder::NameKind FormBinder::BindObject(const ObjectText& object) {
    const std::string& keyword = object.keyword;
    if (keyword == "form") {
        BindForm(object);
        return NameKind::Form;
    }
    if (keyword == "control") {
        BindControl(object);
        return NameKind::Control;
    }
    if (keyword == "popupMenu") {
        for (const Attribute& attribute : object.attributes) {
            UnknownAttribute(attribute, object);
        }
        description_.popupMenus.push_back({object.name, {}});
        return NameKind::PopupMenu;
    }
    if (keyword == "item" || keyword == "separator") {
        BindMenuEntry(object, keyword == "separator");
        return NameKind::MenuItem;
    }
    if (keyword == "actionList") {
        for (const Attribute& attribute : object.attributes) {
            UnknownAttribute(attribute, object);
        }
        if (!description_.actionList.empty()) {
            Fail(object.line, "a second action list " + Quote(object.name) + "; there is only one");
        }
        description_.actionList = object.name;
        return NameKind::ActionList;
    }
    BindAction(object);
    return NameKind::Action;
}

// The object that `attribute` names, which must be described above as `kind`.
void FormBinder::NamedAbove(const Attribute& attribute, const std::string& name, NameKind kind,
                            const ObjectText& object, std::string_view kindText) {
    const std::string about =
        attribute.key + " " + Quote(name) + " of " + object.keyword + " " + object.name + " ";
    const auto found = names_.find(name);
    if (found == names_.end()) {
        Fail(attribute.line, about + "is not described before it");
    }
    if (found->second != kind) {
        Fail(attribute.line, about + "is not " + std::string(kindText));
    }
}

void FormBinder::BindForm(const ObjectText& object) {
    FormSpec& form = description_.form;
    form.name = object.name;
    for (const Attribute& a : object.attributes) {
        const std::string& key = a.key;
        if (key == "class") {
            form.className = NameOf(a);
        } else if (key == "caption") {
            form.caption = TextOf(a);
        } else if (key == "left") {
            form.left = AnyInt(a);
        } else if (key == "top") {
            form.top = AnyInt(a);
        } else if (key == "clientWidth") {
            form.clientWidth = IntIn(a, 0);
        } else if (key == "clientHeight") {
            form.clientHeight = IntIn(a, 0);
        } else if (key == "color") {
            form.color = NameOf(a);
        } else if (key == "font") {
            form.font = FontOf(a);
        } else if (key == "activeControl") {
            form.activeControl = NameOf(a);
            const std::string problem =
                "activeControl " + Quote(form.activeControl) + " is not a control";
            references_.push_back(
                {form.activeControl, NameKind::Control, a.line, problem, problem});
        } else if (key == "onCreate") {
            form.onCreate = NameOf(a);
        } else {
            UnknownAttribute(a, object);
        }
    }
    Require(object, {"class", "caption", "left", "top", "clientWidth", "clientHeight"});
    haveForm_ = true;
}

void FormBinder::BindControl(const ObjectText& object) {
    ControlSpec control;
    control.name = object.name;
    control.line = object.line;
    std::optional<bool> tabStop;
    for (const Attribute& a : object.attributes) {
        const std::string& key = a.key;
        if (key == "kind") {
            control.kind = ChoiceOf(a, kKinds);
        } else if (key == "parent") {
            control.parent = NameOf(a);
            if (control.parent != description_.form.name) {
                NamedAbove(a, control.parent, NameKind::Control, object, "a panel");
                if (description_.FindControl(control.parent)->kind != ControlKind::Panel) {
                    Fail(a.line, "parent " + Quote(control.parent) + " of control " + object.name +
                                     " is not a panel");
                }
            }
        } else if (key == "left") {
            control.bounds.left = AnyInt(a);
        } else if (key == "top") {
            control.bounds.top = AnyInt(a);
        } else if (key == "width") {
            control.bounds.width = IntIn(a, 0);
        } else if (key == "height") {
            control.bounds.height = IntIn(a, 0);
        } else if (key == "anchors") {
            control.anchors = AnchorsOf(a);
        } else if (key == "align") {
            control.align = ChoiceOf(a, kAligns);
        } else if (key == "caption") {
            control.caption = TextOf(a);
        } else if (key == "font") {
            control.font = FontOf(a);
        } else if (key == "tabOrder") {
            control.tabOrder = IntIn(a, 0);
        } else if (key == "tabStop") {
            tabStop = BoolOf(a);
        } else if (key == "default") {
            control.isDefault = BoolOf(a);
        } else if (key == "items") {
            control.items = TextsOf(a);
        } else if (key == "dropDownCount") {
            control.dropDownCount = IntIn(a, 1);
        } else if (key == "scrollBars") {
            control.scrollBars = ChoiceOf(a, kScrollBars);
        } else if (key == "wordWrap") {
            control.wordWrap = BoolOf(a);
        } else if (key == "hideSelection") {
            control.hideSelection = BoolOf(a);
        } else if (key == "popupMenu") {
            control.popupMenu = NameOf(a);
            const std::string about =
                "popupMenu " + Quote(control.popupMenu) + " of control " + object.name;
            references_.push_back({control.popupMenu, NameKind::PopupMenu, a.line,
                                   about + " is not described", about + " is not a popup menu"});
        } else if (key == "maxLength") {
            control.maxLength = NumberIn(a, 0, std::numeric_limits<long long>::max());
        } else if (key == "onClick") {
            control.onClick = NameOf(a);
        } else if (key == "onChange") {
            control.onChange = NameOf(a);
        } else {
            UnknownAttribute(a, object);
        }
    }
    Require(object, {"kind", "parent", "left", "top", "width", "height"});
    const ControlKind kind = control.kind;
    control.tabStop = tabStop.value_or(kind == ControlKind::Edit || kind == ControlKind::ComboBox ||
                                       kind == ControlKind::Button);
    description_.controls.push_back(std::move(control));
}

void FormBinder::BindMenuEntry(const ObjectText& object, bool separator) {
    MenuItemSpec item{object.name, {}, separator};
    std::string menu;
    for (const Attribute& a : object.attributes) {
        if (a.key == "menu") {
            menu = NameOf(a);
            NamedAbove(a, menu, NameKind::PopupMenu, object, "a popup menu");
        } else if (a.key == "action" && !separator) {
            item.action = NameOf(a);
            const std::string problem =
                "item " + object.name + ": action " + Quote(item.action) + " is not described";
            references_.push_back(
                {item.action, NameKind::Action, a.line, problem,
                 "item " + object.name + ": " + Quote(item.action) + " is not an action"});
        } else {
            UnknownAttribute(a, object);
        }
    }
    if (separator) {
        Require(object, {"menu"});
    } else {
        Require(object, {"menu", "action"});
    }
    auto& menus = description_.popupMenus;
    const auto owner = std::find_if(menus.begin(), menus.end(),
                                    [&](const PopupMenuSpec& m) { return m.name == menu; });
    owner->items.push_back(std::move(item));
}

void FormBinder::BindAction(const ObjectText& object) {
    ActionSpec action;
    action.name = object.name;
    std::string shortcutText;
    int shortcutLine = 0;
    for (const Attribute& a : object.attributes) {
        const std::string& key = a.key;
        if (key == "list") {
            NamedAbove(a, NameOf(a), NameKind::ActionList, object, "an action list");
        } else if (key == "caption") {
            action.caption = TextOf(a);
        } else if (key == "shortcut") {
            action.shortcut = ShortcutOf(a);
            shortcutText = a.elements.front().text;
            shortcutLine = a.line;
        } else if (key == "enabledWhen") {
            action.enabledWhen = ChoiceOf(a, kEnabledWhens);
        } else if (key == "command") {
            action.command = ChoiceOf(a, kCommands);
        } else if (key == "onExecute") {
            action.onExecute = NameOf(a);
        } else {
            UnknownAttribute(a, object);
        }
    }
    Require(object, {"list", "caption", "enabledWhen"});
    // One key can run only one action; a second owner would never be reached.
    if (!action.shortcut.Empty()) {
        for (const ActionSpec& other : description_.actions) {
            if (other.shortcut == action.shortcut) {
                Fail(shortcutLine, "shortcut " + Quote(shortcutText) + " of action " + action.name +
                                       " is already used by action " + other.name);
            }
        }
    }
    description_.actions.push_back(std::move(action));
}

}  // namespace orsk::form_detail
