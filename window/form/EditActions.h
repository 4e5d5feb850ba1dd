#pragma once
// The standard edit actions of the popup menu and their shortcuts: when each is enabled for its
// target (the text control with the keyboard focus), and where a shortcut key goes.

#include <string>

#include "window/form/FormDescription.h"

namespace orsk {

// What an edit action's condition looks at in its target.
struct EditTargetState {
    bool hasSelection = false;
    bool textEmpty = true;
    bool canUndo = false;
    bool clipboardHasText = false;
};

// Where the keyboard focus is, as far as keys and edit actions are concerned.
enum class FocusTarget { None, TextArea, SearchBox, FilterBox, Button };

// Whether `action` is enabled: actions with an edit command need a text target (the text area
// or the search box; never the filter box) and their condition; the others follow enabledWhen.
bool ActionEnabled(const ActionSpec& action, FocusTarget focus, const EditTargetState& target);

struct KeyPress {
    std::string key;  // as in a Shortcut: "A".."Z", "Del", "Enter", "Tab", "Esc", "Space", ...
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

enum class KeyOutcome {
    PassToControl,  // the focused control handles the key itself
    Swallow,        // nothing happens
    FocusNext,      // Tab
    FocusPrevious,  // Shift+Tab
    ClickButton,    // the focused button is clicked
    RunSearch,      // btnSearch is clicked
    RunAction,      // `action` runs on the focused target
};

struct KeyDecision {
    KeyOutcome outcome = KeyOutcome::PassToControl;
    const ActionSpec* action = nullptr;
    friend bool operator==(const KeyDecision&, const KeyDecision&) = default;
};

struct KeyContext {
    FocusTarget focus = FocusTarget::None;
    bool filterListOpen = false;
    bool searchButtonEnabled = false;
    EditTargetState target;  // of the focused text control
};

// Decides where a key goes before the focused control sees it:
// - Tab and Shift+Tab move the focus along the tab order.
// - Enter (no Shift, Ctrl or Alt): a line break in the text area; closes an open filter list;
//   clicks a focused button; runs the search from the search box when the Search button is
//   enabled; does nothing otherwise (never closes the window).
// - Esc does nothing (an open filter list still closes).
// - The action list's shortcuts: in the text area they always go to their action, which runs
//   when enabled and otherwise nothing happens; in the search box they run the enabled action
//   and otherwise go on to the box; elsewhere they go on to the control.
KeyDecision RouteKey(const FormDescription& description, const KeyPress& key,
                     const KeyContext& context);

}  // namespace orsk
