#include "window/form/EditActions.h"

#include <algorithm>
#include <string_view>

#include "common/Utf16.h"
#include "window/form/KeyNames.h"

namespace orsk {
namespace {

bool IsTextTarget(FocusTarget focus) {
    return focus == FocusTarget::TextArea || focus == FocusTarget::SearchBox;
}

bool ConditionHolds(EnabledWhen condition, const EditTargetState& target) {
    switch (condition) {
        case EnabledWhen::Always:
            return true;
        case EnabledWhen::Selection:
            return target.hasSelection;
        case EnabledWhen::ClipboardText:
            return target.clipboardHasText;
        case EnabledWhen::TextNotEmpty:
            return !target.textEmpty;
        case EnabledWhen::CanUndo:
            return target.canUndo;
    }
    return false;
}

// Key names are ASCII; "del" and "Del" name the same key.
bool SameKeyName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return UpperAZ(x) == UpperAZ(y);
           });
}

bool Matches(const Shortcut& shortcut, const KeyPress& key) {
    return !shortcut.Empty() && SameKeyName(shortcut.key, key.key) && shortcut.ctrl == key.ctrl &&
           shortcut.shift == key.shift && shortcut.alt == key.alt;
}

const ActionSpec* FindShortcut(const FormDescription& description, const KeyPress& key) {
    for (const ActionSpec& action : description.actions) {
        if (Matches(action.shortcut, key)) {
            return &action;
        }
    }
    return nullptr;
}

constexpr KeyDecision Decide(KeyOutcome outcome) {
    return KeyDecision{outcome, nullptr};
}

KeyDecision RouteEnter(const KeyPress& key, const KeyContext& context) {
    if (key.ctrl || key.shift || key.alt) {
        // Only the text area has a use for them (a line break); elsewhere they must not reach
        // the dialog manager, which would take Enter for the default button and close.
        return Decide(context.focus == FocusTarget::TextArea ? KeyOutcome::PassToControl
                                                             : KeyOutcome::Swallow);
    }
    switch (context.focus) {
        case FocusTarget::TextArea:
            return Decide(KeyOutcome::PassToControl);
        case FocusTarget::FilterBox:
            return Decide(context.filterListOpen ? KeyOutcome::PassToControl : KeyOutcome::Swallow);
        case FocusTarget::SearchBox:
            return Decide(context.searchButtonEnabled ? KeyOutcome::RunSearch
                                                      : KeyOutcome::Swallow);
        case FocusTarget::Button:
            return Decide(KeyOutcome::ClickButton);
        case FocusTarget::None:
            break;
    }
    return Decide(KeyOutcome::Swallow);
}

KeyDecision RouteShortcut(const ActionSpec& action, const KeyContext& context) {
    const bool enabled = ActionEnabled(action, context.focus, context.target);
    switch (context.focus) {
        case FocusTarget::TextArea:
            // The text area must not act on a shortcut of a disabled action on its own
            // (Del without a selection would delete a character).
            return enabled ? KeyDecision{KeyOutcome::RunAction, &action}
                           : Decide(KeyOutcome::Swallow);
        case FocusTarget::SearchBox:
            return enabled ? KeyDecision{KeyOutcome::RunAction, &action}
                           : Decide(KeyOutcome::PassToControl);
        case FocusTarget::FilterBox:
        case FocusTarget::Button:
        case FocusTarget::None:
            break;
    }
    return Decide(KeyOutcome::PassToControl);
}

}  // namespace

bool ActionEnabled(const ActionSpec& action, FocusTarget focus, const EditTargetState& target) {
    if (action.command != EditCommand::None && !IsTextTarget(focus)) {
        return false;
    }
    return ConditionHolds(action.enabledWhen, target);
}

KeyDecision RouteKey(const FormDescription& description, const KeyPress& key,
                     const KeyContext& context) {
    if (SameKeyName(key.key, kKeyTab) && !key.ctrl && !key.alt) {
        return Decide(key.shift ? KeyOutcome::FocusPrevious : KeyOutcome::FocusNext);
    }
    if (SameKeyName(key.key, kKeyEnter)) {
        return RouteEnter(key, context);
    }
    if (SameKeyName(key.key, kKeyEsc)) {
        // The list is only open while the filter box has the focus, and the box closes it.
        return Decide(context.filterListOpen ? KeyOutcome::PassToControl : KeyOutcome::Swallow);
    }
    // Space and every other key not taken above go to the control unless they are a shortcut.
    if (const ActionSpec* action = FindShortcut(description, key)) {
        return RouteShortcut(*action, context);
    }
    return Decide(KeyOutcome::PassToControl);
}

}  // namespace orsk
