#include "tests/support/TraceFormFile.h"
#include "window/form/FormDescription.h"
#include "window/form/KeyNames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orsk {
namespace {

// The smallest form the other cases build on.
const std::string kForm =
    "form F class=TF caption=\"c\" left=0 top=0 clientWidth=10 clientHeight=10\n";

std::optional<FormDescriptionError> ErrorOf(const std::string& text) {
    try {
        ParseFormDescription(text);
    } catch (const FormDescriptionError& error) {
        return error;
    }
    return std::nullopt;
}

TEST(FormDescriptionReal, FormValues) {
    const FormSpec form = LoadTraceForm().form;
    EXPECT_EQ(form.name, "OrskTraceForm");
    EXPECT_EQ(form.className, "TOrskTraceForm");
    EXPECT_EQ(form.caption, u"ORSK Trace Window");
    EXPECT_EQ(form.left, 200);
    EXPECT_EQ(form.top, 104);
    EXPECT_EQ(form.clientWidth, 444);
    EXPECT_EQ(form.clientHeight, 420);
    EXPECT_EQ(form.color, "btnFace");
    EXPECT_EQ(form.font, (FontSpec{u"MS Sans Serif", 8, Charset::Default}));
    EXPECT_EQ(form.activeControl, "edtSearchFor");
    EXPECT_EQ(form.onCreate, "FormCreate");
}

TEST(FormDescriptionReal, ControlsInCreationOrderWithTheirValues) {
    constexpr Anchors kLT{true, true, false, false};
    constexpr Anchors kRB{false, false, true, true};
    constexpr Anchors kTR{false, true, true, false};
    const struct {
        const char* name;
        ControlKind kind;
        const char* parent;
        Bounds bounds;
        Anchors anchors;
        Align align;
        std::u16string_view caption;
        int tabOrder;
        bool tabStop;
        bool isDefault;
        const char* onClick;
        const char* onChange;
    } expected[] = {
        // clang-format off
        {"memTrace", ControlKind::Memo, "OrskTraceForm", {8, 45, 428, 328},
         {true, true, true, true}, Align::None, u"", -1, false, false, "", ""},
        {"pnlBottom", ControlKind::Panel, "OrskTraceForm", {0, 379, 444, 41}, kLT, Align::Bottom,
         u"", 2, false, false, "", ""},
        {"btnClose", ControlKind::Button, "pnlBottom", {361, 8, 75, 25}, kRB, Align::None,
         u"&Close", 1, true, true, "btnCloseClick", ""},
        {"btnEmpty", ControlKind::Button, "pnlBottom", {281, 8, 75, 25}, kRB, Align::None,
         u"&Empty", 0, true, false, "btnEmptyClick", ""},
        {"pnlTop", ControlKind::Panel, "OrskTraceForm", {0, 0, 444, 37}, kLT, Align::Top,
         u"", 1, false, false, "", ""},
        {"lblSearchFor", ControlKind::Label, "pnlTop", {174, 11, 55, 13}, kTR, Align::None,
         u"Search For:", -1, false, false, "", ""},
        {"lblFilter", ControlKind::Label, "pnlTop", {8, 11, 60, 13}, {true, false, false, true},
         Align::None, u"Trace Level:", -1, false, false, "", ""},
        {"edtSearchFor", ControlKind::Edit, "pnlTop", {235, 7, 119, 21}, kTR, Align::None,
         u"", 1, true, false, "", "edtSearchForChange"},
        {"btnSearch", ControlKind::Button, "pnlTop", {361, 5, 75, 25}, kTR, Align::None,
         u"&Search", 2, true, false, "btnSearchClick", ""},
        {"cbFilter", ControlKind::ComboBox, "pnlTop", {72, 8, 86, 21}, kLT, Align::None,
         u"", 0, true, false, "", "cbFilterChange"},
        // clang-format on
    };
    const FormDescription description = LoadTraceForm();
    ASSERT_EQ(description.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ControlSpec& c = description.controls[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(c.name, expected[i].name);
        EXPECT_EQ(c.kind, expected[i].kind);
        EXPECT_EQ(c.parent, expected[i].parent);
        EXPECT_EQ(c.bounds, expected[i].bounds);
        EXPECT_EQ(c.anchors, expected[i].anchors);
        EXPECT_EQ(c.align, expected[i].align);
        EXPECT_EQ(c.caption, expected[i].caption);
        EXPECT_EQ(c.tabOrder, expected[i].tabOrder);
        EXPECT_EQ(c.tabStop, expected[i].tabStop);
        EXPECT_EQ(c.isDefault, expected[i].isDefault);
        EXPECT_EQ(c.onClick, expected[i].onClick);
        EXPECT_EQ(c.onChange, expected[i].onChange);
        EXPECT_EQ(c.font.has_value(), c.name == "memTrace");
        EXPECT_EQ(c.items.empty(), c.name != "cbFilter");
        EXPECT_EQ(c.popupMenu, c.name == "memTrace" ? "pmSave" : "");
    }
}

TEST(FormDescriptionReal, TextAreaAndFilterBoxDetails) {
    const FormDescription description = LoadTraceForm();
    const ControlSpec* memo = description.FindControl("memTrace");
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->font, (FontSpec{u"Courier", 10, Charset::Ansi}));
    EXPECT_EQ(memo->scrollBars, ScrollBars::Both);
    EXPECT_FALSE(memo->wordWrap);
    EXPECT_TRUE(memo->hideSelection);
    EXPECT_EQ(memo->maxLength, 0);

    const ControlSpec* filter = description.FindControl("cbFilter");
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->dropDownCount, 8);
    EXPECT_EQ(filter->items, (std::vector<std::u16string>{u"0 = ALL", u"1", u"2", u"3", u"4", u"5",
                                                          u"6", u"7", u"8", u"9"}));
    EXPECT_EQ(description.FindControl("nothing"), nullptr);
}

TEST(FormDescriptionReal, PopupMenuItemsAndSeparatorsInOrder) {
    const FormDescription description = LoadTraceForm();
    ASSERT_EQ(description.popupMenus.size(), 1u);
    const PopupMenuSpec* menu = description.FindPopupMenu("pmSave");
    ASSERT_NE(menu, nullptr);
    const struct {
        const char* name;
        const char* action;
    } expected[] = {
        // clang-format off
        {"Undo1", "EditUndo1"}, {"N2", ""}, {"Cut1", "EditCut1"}, {"Copy1", "EditCopy1"},
        {"Paste1", "EditPaste1"}, {"Delete1", "EditDelete1"}, {"N3", ""},
        {"SelectAll1", "EditSelectAll1"}, {"N1", ""}, {"miSaveToFile", "actSaveToFile"},
        // clang-format on
    };
    ASSERT_EQ(menu->items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(menu->items[i].name, expected[i].name);
        EXPECT_EQ(menu->items[i].action, expected[i].action);
        EXPECT_EQ(menu->items[i].separator, *expected[i].action == '\0') << expected[i].name;
    }
}

TEST(FormDescriptionReal, ActionsWithCaptionsShortcutsAndCommands) {
    const struct {
        const char* name;
        std::u16string_view caption;
        Shortcut shortcut;
        EnabledWhen enabledWhen;
        EditCommand command;
        const char* onExecute;
    } expected[] = {
        // clang-format off
        {"EditCut1", u"Cu&t", {true, false, false, "X"}, EnabledWhen::Selection,
         EditCommand::Cut, ""},
        {"EditCopy1", u"&Copy", {true, false, false, "C"}, EnabledWhen::Selection,
         EditCommand::Copy, ""},
        {"EditPaste1", u"&Paste", {true, false, false, "V"}, EnabledWhen::ClipboardText,
         EditCommand::Paste, ""},
        {"EditSelectAll1", u"Select &All", {true, false, false, "A"}, EnabledWhen::TextNotEmpty,
         EditCommand::SelectAll, ""},
        {"EditUndo1", u"&Undo", {true, false, false, "Z"}, EnabledWhen::CanUndo,
         EditCommand::Undo, ""},
        {"EditDelete1", u"&Delete", {false, false, false, "Del"}, EnabledWhen::Selection,
         EditCommand::Delete, ""},
        {"actSaveToFile", u"Save to File", {}, EnabledWhen::Always, EditCommand::None,
         "actSaveToFileExecute"},
        // clang-format on
    };
    const FormDescription description = LoadTraceForm();
    EXPECT_EQ(description.actionList, "ActionList1");
    ASSERT_EQ(description.actions.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ActionSpec& a = description.actions[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(a.name, expected[i].name);
        EXPECT_EQ(a.caption, expected[i].caption);
        EXPECT_EQ(a.shortcut, expected[i].shortcut);
        EXPECT_EQ(a.enabledWhen, expected[i].enabledWhen);
        EXPECT_EQ(a.command, expected[i].command);
        EXPECT_EQ(a.onExecute, expected[i].onExecute);
        EXPECT_EQ(description.FindAction(expected[i].name), &a);
    }
}

TEST(FormDescriptionReal, EveryEventIsWired) {
    const FormDescription description = LoadTraceForm();
    std::multiset<std::string> handlers{description.form.onCreate};
    for (const ControlSpec& c : description.controls) {
        for (const std::string* handler : {&c.onClick, &c.onChange}) {
            if (!handler->empty()) {
                handlers.insert(*handler);
            }
        }
    }
    for (const ActionSpec& a : description.actions) {
        if (!a.onExecute.empty()) {
            handlers.insert(a.onExecute);
        }
    }
    EXPECT_EQ(handlers, (std::multiset<std::string>{
                            "FormCreate", "cbFilterChange", "edtSearchForChange", "btnSearchClick",
                            "btnEmptyClick", "btnCloseClick", "actSaveToFileExecute"}));
}

TEST(FormDescriptionTabOrder, RealFormVisitsTheTopPanelThenTheBottomPanel) {
    EXPECT_EQ(LoadTraceForm().TabOrder(),
              (std::vector<std::string>{"cbFilter", "edtSearchFor", "btnSearch", "btnEmpty",
                                        "btnClose"}));
}

TEST(FormDescriptionTabOrder, PanelsNestAndUnorderedStopsFollowInCreationOrder) {
    const std::string box = " left=0 top=0 width=1 height=1";
    const FormDescription description = ParseFormDescription(
        kForm + "control late kind=edit parent=F" + box + "\n" +
        "control outer kind=panel parent=F tabOrder=1" + box + "\n" +
        "control inner kind=panel parent=outer tabOrder=0" + box + "\n" +
        "control deep kind=button parent=inner" + box + "\n" +
        "control tie2 kind=button parent=outer tabOrder=1" + box + "\n" +
        "control tie1 kind=button parent=outer tabOrder=1" + box + "\n" +
        "control off kind=edit parent=outer tabOrder=0 tabStop=false" + box + "\n" +
        "control lbl kind=label parent=F tabStop=true tabOrder=0" + box + "\n" +
        "control first kind=comboBox parent=F tabOrder=0" + box + "\n");
    EXPECT_EQ(description.TabOrder(),
              (std::vector<std::string>{"lbl", "first", "deep", "tie2", "tie1", "late"}));
}

TEST(FormDescriptionDefaults, TabStopAndAnchorsFollowTheKind) {
    const std::string box = " left=0 top=0 width=1 height=1";
    const FormDescription description = ParseFormDescription(
        kForm + "control a kind=memo parent=F" + box + "\ncontrol b kind=panel parent=F" + box +
        "\ncontrol c kind=label parent=F" + box + "\ncontrol d kind=edit parent=F" + box +
        "\ncontrol e kind=comboBox parent=F" + box + "\ncontrol f kind=button parent=F" + box +
        "\ncontrol g kind=button parent=F tabStop=false anchors=bottom" + box + "\n");
    const bool expected[] = {false, false, false, true, true, true, false};
    ASSERT_EQ(description.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(description.controls[i].tabStop, expected[i]) << description.controls[i].name;
    }
    EXPECT_EQ(description.controls[0].anchors, (Anchors{true, true, false, false}));
    EXPECT_EQ(description.controls[6].anchors, (Anchors{false, false, false, true}));
    EXPECT_EQ(description.form.font, (FontSpec{u"MS Sans Serif", 8, Charset::Default}));
}

TEST(FormDescriptionTokens, QuotedTextsKeepEscapesSeparatorsAndUnicode) {
    const FormDescription description = ParseFormDescription(
        "form F class=TF caption=\"say \\\"hi\\\" a\\\\b, x=1 # not a comment\"\n"
        "\tleft=-5 top=0 clientWidth=10 clientHeight=10 font=\"A, B\",12,ansi\n"
        "control c kind=comboBox parent=F left=0 top=0 width=1 height=1\n"
        "  items=\"a,b\",\"\",\"\xC3\xA4\xE2\x82\xAC\" caption=\"  \"\n");
    EXPECT_EQ(description.form.caption, u"say \"hi\" a\\b, x=1 # not a comment");
    EXPECT_EQ(description.form.left, -5);
    EXPECT_EQ(description.form.font, (FontSpec{u"A, B", 12, Charset::Ansi}));
    EXPECT_EQ(description.controls.at(0).items,
              (std::vector<std::u16string>{u"a,b", u"", u"\u00e4\u20ac"}));
    EXPECT_EQ(description.controls.at(0).caption, u"  ");
}

TEST(FormDescriptionTokens, BomCrLfCommentsAndBlankLines) {
    const std::string text =
        "\xEF\xBB\xBF# heading\r\n"
        "\r\n"
        "form F class=TF caption=\"c\"\r\n"
        "   # an indented comment between continuation lines\r\n"
        " \t \r\n"
        "    left=1 top=2 clientWidth=3 clientHeight=4 onCreate=Go\r\n"
        "control x kind=memo";  // last line without a line end still counts
    const std::optional<FormDescriptionError> error = ErrorOf(text);
    ASSERT_TRUE(error.has_value());
    EXPECT_STREQ(error->what(), "Form description line 7: control x needs \"parent\"");

    const FormDescription description = ParseFormDescription(text.substr(0, text.find("control")));
    EXPECT_EQ(description.form.caption, u"c");  // no CR left in the text
    EXPECT_EQ(description.form.clientHeight, 4);
    EXPECT_EQ(description.form.onCreate, "Go");
}

TEST(FormDescriptionTokens, ShortcutsTakeModifiersInAnyOrder) {
    const struct {
        const char* written;
        Shortcut shortcut;
    } cases[] = {
        {"Ctrl+x", {true, false, false, "X"}},
        {"Shift+Ctrl+F2", {true, true, false, "F2"}},
        {"Alt+Shift+Ctrl+Del", {true, true, true, "Del"}},
        {"F12", {false, false, false, "F12"}},
        {"Ctrl+0", {true, false, false, "0"}},
        {"Shift+Ins", {false, true, false, "Ins"}},
        {"Alt+Enter", {false, false, true, "Enter"}},
    };
    for (const auto& c : cases) {
        const FormDescription description = ParseFormDescription(
            kForm + "actionList L\naction a list=L caption=\"a\" enabledWhen=always shortcut=" +
            c.written + "\n");
        EXPECT_EQ(description.actions.at(0).shortcut, c.shortcut) << c.written;
    }
}

TEST(FormDescriptionKeyNames, EveryKeyAShortcutCanNameComesBackFromItsVirtualKey) {
    std::vector<std::pair<std::string, unsigned>> keys;
    for (const NamedKey& key : kNamedKeys) {
        keys.emplace_back(key.name, key.virtualKey);
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        keys.emplace_back(std::string(1, c), c);
    }
    for (char c = '0'; c <= '9'; ++c) {
        keys.emplace_back(std::string(1, c), c);
    }
    for (unsigned n = 1; n <= 12; ++n) {
        keys.emplace_back("F" + std::to_string(n), 0x6F + n);
    }
    for (const auto& [name, code] : keys) {
        EXPECT_TRUE(IsKeyName(name)) << name;
        EXPECT_EQ(KeyNameOfVirtualKey(code), name) << code;
    }
    // No other code has a name, and no two codes share one.
    std::set<std::string> named;
    for (unsigned code = 0; code < 0x200; ++code) {
        const std::string name = KeyNameOfVirtualKey(code);
        EXPECT_TRUE(name.empty() || named.insert(name).second) << name;
    }
    EXPECT_EQ(named.size(), keys.size());
}

TEST(FormDescriptionKeyNames, WindowsCodesAndNamesTheParserRefuses) {
    const struct {
        unsigned code;
        const char* name;  // empty: a key no shortcut can name
    } windowsKeys[] = {
        {0x21, "PgUp"}, {0x22, "PgDn"}, {0x25, "Left"}, {0x28, "Down"}, {0x0D, "Enter"},
        {0x2E, "Del"},  {0x70, "F1"},   {0x7B, "F12"},  {0x00, ""},     {0x10, ""},  // VK_SHIFT
        {0x60, ""},     {0x61, ""},   // VK_NUMPAD0, VK_NUMPAD1 (the code of 'a')
        {0x7C, ""},     {0x141, ""},  // VK_F13; 'A' beyond the byte
    };
    for (const auto& k : windowsKeys) {
        EXPECT_EQ(KeyNameOfVirtualKey(k.code), k.name) << k.code;
    }
    EXPECT_TRUE(IsKeyName("x"));  // upper-cased by the parser
    for (const char* refused : {"", "del", "f1", "F0", "F01", "F13", "PageUp", "Ctrl", "AB", "+"}) {
        EXPECT_FALSE(IsKeyName(refused)) << refused;
    }
}

TEST(FormDescriptionErrors, NameTheFaultyLineAndTheProblem) {
    const std::string box = " left=0 top=0 width=1 height=1";
    const std::string list = kForm + "actionList L\n";
    const struct {
        std::string text;
        int line;
        const char* problem;
    } cases[] = {
        {kForm + "control m kind=memo parent=F left=0 top=0\n    width=1 height=1 colour=red\n", 3,
         "unknown attribute \"colour\" of control m"},
        {kForm + "control b kind=button left=0 top=0 width=1 height=1\n", 2,
         "control b needs \"parent\""},
        {kForm + "control s kind=slider parent=F" + box + "\n", 2, "unknown kind \"slider\""},
        {kForm + "control b kind=button parent=pnlX" + box + "\ncontrol pnlX kind=panel parent=F" +
             box + "\n",
         2, "parent \"pnlX\" of control b is not described before it"},
        {kForm + "control m kind=memo parent=F" + box + "\ncontrol b kind=button parent=m" + box +
             "\n",
         3, "parent \"m\" of control b is not a panel"},
        {kForm + "control F kind=memo parent=F" + box + "\n", 2, "duplicate name \"F\""},
        {kForm + "control m kind=memo parent=F left=0 top=0 width=wide height=1\n", 2,
         "\"width\" needs a number"},
        {kForm + "control m kind=memo parent=F" + box + "\n caption=\"open\n", 3,
         "unterminated text"},
        {kForm + "\nfoo bar\n", 3, "object keyword expected, found \"foo\""},
        {kForm + "control m kind=memo parent=F" + box + "\n\tleft=2\n", 3,
         "attribute \"left\" given twice"},
        {kForm + "popupMenu pm\nitem Cut1 menu=pm action=EditCutX\n" + "actionList L\n" +
             "action EditCut1 list=L caption=\"t\" enabledWhen=selection\n",
         3, "item Cut1: action \"EditCutX\" is not described"},
        {list + "action a list=L caption=\"a\"\n enabledWhen=always shortcut=Ctrl+\n", 4,
         "unknown shortcut key \"Ctrl+\""},
        {kForm + kForm, 2, "a second form \"F\""},
        {"# lead\npopupMenu pm\n" + kForm, 2, "the form must come first"},
        {kForm + "control m kind=memo parent=F" + box + "\n  popupMenu=pmX\npopupMenu pm\n", 3,
         "popupMenu \"pmX\" of control m is not described"},
        {kForm + "  activeControl=pm\npopupMenu pm\n", 2, "activeControl \"pm\" is not a control"},
        {"# nothing here\n\n", 1, "no form is described"},
        {kForm + "control m kind=memo parent=F" + box + " caption=\"a\\nb\"\n", 2,
         "unknown escape \"\\n\" in text"},
        {"  left=1\n" + kForm, 1, "continuation line without an object"},
        {kForm + "control m kind=memo parent=F wordWrap=yes" + box + "\n", 2,
         "\"wordWrap\" needs true or false"},
        {kForm + "control m kind=memo parent=F anchors=left,middle" + box + "\n", 2,
         "unknown anchor \"middle\""},
        {kForm + "control m kind=memo parent=F anchors=top,top" + box + "\n", 2,
         "anchor \"top\" given twice"},
        {kForm + "control m kind=memo parent=F font=\"Courier\",10" + box + "\n", 2,
         "\"font\" needs face,points,charset"},
        {kForm + "control m kind=memo parent=F font=\"Courier\",10,oem" + box + "\n", 2,
         "unknown charset \"oem\""},
        {kForm + "control c kind=comboBox parent=F items=\"a\"," + box + "\n", 2,
         "empty entry in the list of \"items\""},
        {kForm + "control m kind=memo parent=F caption=\"a\"b" + box + "\n", 2,
         "unexpected \"b\" in the value of \"caption\""},
        {kForm + "control m kind=memo parent=F left=0 top=0 width=-1 height=1\n", 2,
         "\"width\" is out of range: -1"},
        {kForm + "control m kind=memo parent=F left=0 top=0 width=9223372036854775808\n", 2,
         "number \"9223372036854775808\" is out of range"},
        {kForm + "popupMenu pm\nseparator N1 menu=pm action=x\n", 3,
         "unknown attribute \"action\" of separator N1"},
        {kForm + "item i menu=pm action=a\npopupMenu pm\n", 2,
         "menu \"pm\" of item i is not described before it"},
        {list + "action a list=L caption=\"a\" enabledWhen=always shortcut=Ctrl+C\n" +
             "action b list=L caption=\"b\" enabledWhen=always\n  shortcut=Ctrl+c\n",
         5, "shortcut \"Ctrl+c\" of action b is already used by action a"},
        {list + "action a list=L caption=\"a\" enabledWhen=always shortcut=Ctrl+Ctrl+C\n", 3,
         "gives \"Ctrl\" twice"},
        {list + "action a list=L caption=\"a\" enabledWhen=always shortcut=Win+C\n", 3,
         "unknown shortcut modifier \"Win\""},
        {list + "actionList L2\n", 3, "a second action list \"L2\""},
        {kForm + "popupMenu pm\nitem i menu=pm action=pm\n", 3, "item i: \"pm\" is not an action"},
        {kForm + "control m kind=memo parent=F" + box + "\n  hello\n", 3,
         "attribute key=value expected, found \"hello\""},
        {kForm + "control m kind=memo parent=F" + box + " caption=Close\n", 2,
         "\"caption\" needs a quoted text"},
        {kForm + "control 9m kind=memo\n", 2, "\"9m\" is not a valid name"},
        {kForm + "control m kind=memo parent=F left=- top=0 width=1 height=1\n", 2,
         "bad number \"-\""},
    };
    for (const auto& c : cases) {
        const std::optional<FormDescriptionError> error = ErrorOf(c.text);
        ASSERT_TRUE(error.has_value()) << c.text;
        EXPECT_EQ(error->Line(), c.line) << c.text;
        const std::string what = error->what();
        const std::string prefix = "Form description line " + std::to_string(c.line) + ": ";
        EXPECT_EQ(what.substr(0, prefix.size()), prefix) << what;
        EXPECT_NE(what.find(c.problem), std::string::npos) << what;
    }
}

}  // namespace
}  // namespace orsk
