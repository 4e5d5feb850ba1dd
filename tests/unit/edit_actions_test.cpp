#include "tests/support/TraceFormFile.h"
#include "window/form/EditActions.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "window/form/FormDescription.h"
#include "window/form/KeyNames.h"

namespace orsk {
namespace {

ActionSpec Action(std::string name, Shortcut shortcut, EnabledWhen when, EditCommand command) {
    ActionSpec action;
    action.name = std::move(name);
    action.shortcut = std::move(shortcut);
    action.enabledWhen = when;
    action.command = command;
    return action;
}

constexpr std::array kFocuses{FocusTarget::None, FocusTarget::TextArea, FocusTarget::SearchBox,
                              FocusTarget::FilterBox, FocusTarget::Button};

constexpr EditTargetState kNothing{};  // no selection, empty, nothing to undo or paste
constexpr EditTargetState kSelection{true, false, false, false};
constexpr EditTargetState kEverything{true, false, true, true};

TEST(EditActionsEnabled, EditCommandsNeedATextTargetAndTheirCondition) {
    const FormDescription description = LoadTraceForm();
    struct Case {
        const char* action;
        EditTargetState target;
        std::array<bool, 5> expected;  // by focus, in the order of kFocuses
    };
    for (const Case& c : {
             Case{"EditCut1", kSelection, {false, true, true, false, false}},
             Case{"EditCut1", kNothing, {false, false, false, false, false}},
             Case{"EditCopy1", kSelection, {false, true, true, false, false}},
             Case{"EditPaste1", {false, true, false, true}, {false, true, true, false, false}},
             Case{"EditPaste1", kSelection, {false, false, false, false, false}},
             Case{
                 "EditSelectAll1", {false, false, false, false}, {false, true, true, false, false}},
             Case{"EditSelectAll1", kEverything, {false, true, true, false, false}},
             Case{"EditSelectAll1", {true, true, true, true}, {false, false, false, false, false}},
             Case{"EditUndo1", {false, true, true, false}, {false, true, true, false, false}},
             Case{"EditUndo1", kSelection, {false, false, false, false, false}},
             Case{"EditDelete1", kSelection, {false, true, true, false, false}},
             Case{"EditDelete1", kNothing, {false, false, false, false, false}},
             Case{"actSaveToFile", kNothing, {true, true, true, true, true}},
         }) {
        const ActionSpec* action = description.FindAction(c.action);
        ASSERT_NE(action, nullptr) << c.action;
        for (std::size_t i = 0; i < kFocuses.size(); ++i) {
            EXPECT_EQ(ActionEnabled(*action, kFocuses[i], c.target), c.expected[i])
                << c.action << " with focus " << i;
        }
    }
}

TEST(EditActionsEnabled, ActionsWithoutACommandFollowTheirConditionWhereverTheFocusIs) {
    const ActionSpec always = Action("a", {}, EnabledWhen::Always, EditCommand::None);
    const ActionSpec selection = Action("s", {}, EnabledWhen::Selection, EditCommand::None);
    const ActionSpec copyAlways = Action("c", {}, EnabledWhen::Always, EditCommand::Copy);
    for (const FocusTarget focus : kFocuses) {
        EXPECT_TRUE(ActionEnabled(always, focus, kNothing));
        EXPECT_TRUE(ActionEnabled(selection, focus, kSelection));
        EXPECT_FALSE(ActionEnabled(selection, focus, kNothing));
        const bool textTarget = focus == FocusTarget::TextArea || focus == FocusTarget::SearchBox;
        EXPECT_EQ(ActionEnabled(copyAlways, focus, kNothing), textTarget);
    }
}

constexpr KeyOutcome Pass = KeyOutcome::PassToControl;
constexpr KeyOutcome Swallow = KeyOutcome::Swallow;
constexpr KeyOutcome Next = KeyOutcome::FocusNext;
constexpr KeyOutcome Prev = KeyOutcome::FocusPrevious;
constexpr KeyOutcome Click = KeyOutcome::ClickButton;
constexpr KeyOutcome Search = KeyOutcome::RunSearch;
constexpr KeyOutcome Act = KeyOutcome::RunAction;

KeyPress Key(std::string name, bool ctrl = false, bool shift = false, bool alt = false) {
    return KeyPress{std::move(name), ctrl, shift, alt};
}

std::string Describe(const KeyPress& key) {
    return std::string(key.ctrl ? "Ctrl+" : "") + (key.shift ? "Shift+" : "") +
           (key.alt ? "Alt+" : "") + key.key;
}

// Outcomes by focus, in the order of kFocuses.
using Outcomes = std::array<KeyOutcome, 5>;

void ExpectRoutes(const FormDescription& description, const KeyPress& key, bool filterListOpen,
                  bool searchButtonEnabled, const EditTargetState& target, const Outcomes& expected,
                  const ActionSpec* action = nullptr) {
    for (std::size_t i = 0; i < kFocuses.size(); ++i) {
        const KeyContext context{kFocuses[i], filterListOpen, searchButtonEnabled, target};
        const KeyDecision decision = RouteKey(description, key, context);
        const KeyDecision wanted{expected[i], expected[i] == Act ? action : nullptr};
        EXPECT_EQ(decision, wanted) << Describe(key) << " with focus " << i << ", list open "
                                    << filterListOpen << ", search " << searchButtonEnabled;
    }
}

TEST(KeyRouting, NavigationAndOtherKeysForEveryFocus) {
    const FormDescription description = LoadTraceForm();
    struct Case {
        KeyPress key;
        bool filterListOpen;
        bool searchButtonEnabled;
        Outcomes expected;  // None, TextArea, SearchBox, FilterBox, Button
    };
    // Every edit action would be enabled, so a key that wrongly hit a shortcut would show.
    for (const Case& c : {
             Case{Key("Tab"), true, true, {Next, Next, Next, Next, Next}},
             Case{Key("Tab", false, true), false, false, {Prev, Prev, Prev, Prev, Prev}},
             Case{Key("Tab", true), false, false, {Pass, Pass, Pass, Pass, Pass}},
             Case{Key("Enter"), false, false, {Swallow, Pass, Swallow, Swallow, Click}},
             Case{Key("Enter"), false, true, {Swallow, Pass, Search, Swallow, Click}},
             Case{Key("Enter"), true, false, {Swallow, Pass, Swallow, Pass, Click}},
             Case{Key("Enter", true), true, true, {Swallow, Pass, Swallow, Swallow, Swallow}},
             Case{Key("Enter", false, true),
                  false,
                  true,
                  {Swallow, Pass, Swallow, Swallow, Swallow}},
             Case{Key("Enter", false, false, true),
                  false,
                  true,
                  {Swallow, Pass, Swallow, Swallow, Swallow}},
             Case{Key("Esc"), true, false, {Pass, Pass, Pass, Pass, Pass}},
             Case{Key("Esc"), false, true, {Swallow, Swallow, Swallow, Swallow, Swallow}},
             Case{Key("Space"), false, true, {Pass, Pass, Pass, Pass, Pass}},
             Case{Key("Q"), false, true, {Pass, Pass, Pass, Pass, Pass}},
             Case{Key("X"), false, true, {Pass, Pass, Pass, Pass, Pass}},
             Case{Key("S", true), false, true, {Pass, Pass, Pass, Pass, Pass}},
             Case{Key("X", true, true), false, false, {Pass, Pass, Pass, Pass, Pass}},
             Case{Key("Del", false, true), false, false, {Pass, Pass, Pass, Pass, Pass}},
         }) {
        ExpectRoutes(description, c.key, c.filterListOpen, c.searchButtonEnabled, kEverything,
                     c.expected);
    }
}

TEST(KeyRouting, ShortcutsRunTheirEnabledActionOnlyInTheTextControls) {
    const FormDescription description = LoadTraceForm();
    struct Case {
        KeyPress key;
        const char* action;
        EditTargetState enabling;  // meets this action's condition and no other's
    };
    for (const Case& c : {
             Case{Key("X", true), "EditCut1", kSelection},
             Case{Key("C", true), "EditCopy1", kSelection},
             Case{Key("V", true), "EditPaste1", {false, true, false, true}},
             Case{Key("A", true), "EditSelectAll1", {false, false, false, false}},
             Case{Key("Z", true), "EditUndo1", {false, true, true, false}},
             Case{Key("Del"), "EditDelete1", kSelection},
         }) {
        const ActionSpec* action = description.FindAction(c.action);
        ASSERT_NE(action, nullptr) << c.action;
        ExpectRoutes(description, c.key, false, true, c.enabling, {Pass, Act, Act, Pass, Pass},
                     action);
        // Disabled, the text area drops the key (Del must not delete a character there); the
        // search box still edits with it.
        ExpectRoutes(description, c.key, false, true, kNothing, {Pass, Swallow, Pass, Pass, Pass});
    }
}

TEST(KeyRouting, ShortcutsComeFromTheDescriptionNotFromFixedKeys) {
    FormDescription description = LoadTraceForm();
    description.actions.push_back(
        Action("actSave", {true, false, false, "S"}, EnabledWhen::Always, EditCommand::None));
    const KeyContext textArea{FocusTarget::TextArea, false, false, kNothing};
    const KeyDecision save = RouteKey(description, Key("S", true), textArea);
    EXPECT_EQ(save.outcome, Act);
    EXPECT_EQ(save.action, &description.actions.back());
    // A key the window names from its Windows code reaches the action put on it.
    description.actions.push_back(
        Action("actNext", {false, false, false, "PgDn"}, EnabledWhen::Always, EditCommand::None));
    const KeyDecision next = RouteKey(description, Key(KeyNameOfVirtualKey(0x22)), textArea);
    EXPECT_EQ(next.action, &description.actions.back());
    EXPECT_EQ(RouteKey(FormDescription{}, Key("X", true), textArea).outcome, Pass);
    EXPECT_EQ(RouteKey(FormDescription{}, Key("Del"), textArea).outcome, Pass);
}

}  // namespace
}  // namespace orsk
