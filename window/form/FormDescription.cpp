#include "window/form/FormDescription.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Utf8.h"

namespace orsk {

FormDescriptionError::FormDescriptionError(int line, const std::string& problem)
    : TraceError("Form description line " + std::to_string(line) + ": " + problem), line_(line) {}

namespace {

// Reading happens in two steps: each line is cut into an object's keyword, name and attributes
// (ObjectText), and each object, once its last continuation line is read, is bound into the
// FormDescription. Binding an object before reading the next one keeps the reported line the
// first faulty one in reading order. Names that may be described later (popup menus, actions,
// the active control) are checked when the whole text is read, against the referencing line.

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

[[noreturn]] void Fail(int line, const std::string& problem) {
    throw FormDescriptionError(line, problem);
}

std::string Quote(std::string_view text) {
    return '"' + std::string(text) + '"';
}

// A byte for a message; bytes that would garble the message are shown by their code.
std::string Shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
        return Quote(std::string_view(&c, 1));
    }
    constexpr char kHex[] = "0123456789ABCDEF";
    return std::string("character 0x") + kHex[byte >> 4] + kHex[byte & 0xF];
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsNameChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_';
}
bool IsWordChar(char c) {
    return IsNameChar(c) || c == '+' || c == '&' || c == '.';
}

// Object names and the names that refer to them (parents, handlers, actions) are identifiers.
bool IsName(std::string_view text) {
    return !text.empty() && !IsDigit(text.front()) &&
           std::all_of(text.begin(), text.end(), IsNameChar);
}

enum class ElementType { Number, Word, Text };

struct Element {
    ElementType type = ElementType::Word;
    std::string text;  // a word or number as written; a quoted text with its escapes resolved
    long long number = 0;
};

struct Attribute {
    std::string key;
    std::vector<Element> elements;  // one for a plain value, one per entry for a list
    int line = 0;
};

struct ObjectText {
    std::string keyword;
    std::string name;
    int line = 0;
    std::vector<Attribute> attributes;
};

constexpr std::string_view kKeywords[] = {"form",      "control",    "popupMenu", "item",
                                          "separator", "actionList", "action"};

// Cuts one line (without its line end) into tokens.
class LineScanner {
public:
    LineScanner(std::string_view text, int line) : text_(text), line_(line) {}

    // An object's first line: keyword and name.
    ObjectText ReadObjectStart() {
        ObjectText object;
        object.line = line_;
        const std::string_view keyword = NextToken();
        if (std::find(std::begin(kKeywords), std::end(kKeywords), keyword) == std::end(kKeywords)) {
            Fail(line_, "object keyword expected, found " + Quote(keyword));
        }
        object.keyword = keyword;
        SkipBlanks();
        const std::string_view name = NextToken();
        if (name.empty()) {
            Fail(line_, "name expected after " + Quote(keyword));
        }
        if (!IsName(name)) {
            Fail(line_, Quote(name) + " is not a valid name");
        }
        object.name = name;
        return object;
    }

    void ReadAttributes(ObjectText& object) {
        for (SkipBlanks(); !AtEnd(); SkipBlanks()) {
            Attribute attribute = ReadAttribute();
            for (const Attribute& earlier : object.attributes) {
                if (earlier.key == attribute.key) {
                    Fail(line_, "attribute " + Quote(attribute.key) + " given twice");
                }
            }
            object.attributes.push_back(std::move(attribute));
        }
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    bool AtValueEnd() const { return AtEnd() || IsBlank(text_[pos_]); }

    void SkipBlanks() {
        while (!AtEnd() && IsBlank(text_[pos_])) {
            ++pos_;
        }
    }

    std::string_view NextToken() {
        const std::size_t start = pos_;
        while (!AtValueEnd()) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    Attribute ReadAttribute() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsNameChar(text_[pos_])) {
            ++pos_;
        }
        const std::string_view key = text_.substr(start, pos_ - start);
        if (!IsName(key) || AtEnd() || text_[pos_] != '=') {
            pos_ = start;
            Fail(line_, "attribute key=value expected, found " + Quote(NextToken()));
        }
        ++pos_;
        if (AtValueEnd()) {
            Fail(line_, Quote(key) + " has no value");
        }
        Attribute attribute{std::string(key), {}, line_};
        for (;;) {
            attribute.elements.push_back(ReadElement(key));
            if (AtValueEnd()) {
                return attribute;
            }
            if (text_[pos_] != ',') {
                Fail(line_, "unexpected " + Shown(text_[pos_]) + " in the value of " + Quote(key));
            }
            ++pos_;
            if (AtValueEnd() || text_[pos_] == ',') {
                Fail(line_, "empty entry in the list of " + Quote(key));
            }
        }
    }

    Element ReadElement(std::string_view key) {
        const char c = text_[pos_];
        if (c == '"') {
            return ReadText();
        }
        if (c == '-' || IsWordChar(c)) {
            return ReadWordOrNumber();
        }
        Fail(line_, "unexpected " + Shown(c) + " in the value of " + Quote(key));
    }

    Element ReadText() {
        Element element{ElementType::Text, {}, 0};
        ++pos_;  // the opening quote
        while (!AtEnd()) {
            char c = text_[pos_++];
            if (c == '"') {
                return element;
            }
            if (c == '\\') {
                if (AtEnd()) {
                    break;
                }
                c = text_[pos_++];
                if (c != '"' && c != '\\') {
                    Fail(line_, "unknown escape " + Quote(std::string{'\\', c}) + " in text");
                }
            }
            element.text += c;
        }
        Fail(line_, "unterminated text");
    }

    Element ReadWordOrNumber() {
        const std::size_t start = pos_;
        const bool negative = text_[pos_] == '-';
        if (negative) {
            ++pos_;
        }
        while (!AtEnd() && IsWordChar(text_[pos_])) {
            ++pos_;
        }
        const std::string_view written = text_.substr(start, pos_ - start);
        const std::string_view digits = written.substr(negative ? 1 : 0);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit)) {
            if (negative) {
                Fail(line_, "bad number " + Quote(written));
            }
            return {ElementType::Word, std::string(written), 0};
        }
        // Summing the magnitude negatively reaches the lowest long long without overflow.
        constexpr long long kMin = std::numeric_limits<long long>::min();
        long long value = 0;
        for (const char d : digits) {
            const int digit = d - '0';
            if (value < (kMin + digit) / 10) {
                Fail(line_, "number " + Quote(written) + " is out of range");
            }
            value = value * 10 - digit;
        }
        if (!negative) {
            if (value == kMin) {
                Fail(line_, "number " + Quote(written) + " is out of range");
            }
            value = -value;
        }
        return {ElementType::Number, std::string(written), value};
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_;
};

// ---- Values ----

const Element& Single(const Attribute& attribute, ElementType type, std::string_view need) {
    if (attribute.elements.size() != 1 || attribute.elements.front().type != type) {
        Fail(attribute.line, Quote(attribute.key) + " needs " + std::string(need));
    }
    return attribute.elements.front();
}

long long NumberIn(const Attribute& attribute, long long min, long long max) {
    const long long value = Single(attribute, ElementType::Number, "a number").number;
    if (value < min || value > max) {
        Fail(attribute.line, Quote(attribute.key) + " is out of range: " + std::to_string(value) +
                                 " (" + std::to_string(min) + " to " + std::to_string(max) + ")");
    }
    return value;
}

int IntIn(const Attribute& attribute, int min) {
    return static_cast<int>(NumberIn(attribute, min, std::numeric_limits<int>::max()));
}

int AnyInt(const Attribute& attribute) {
    return IntIn(attribute, std::numeric_limits<int>::min());
}

std::u16string TextOf(const Attribute& attribute) {
    return Utf8ToUtf16(Single(attribute, ElementType::Text, "a quoted text").text);
}

std::string NameOf(const Attribute& attribute) {
    const Element& element = Single(attribute, ElementType::Word, "a name");
    if (!IsName(element.text)) {
        Fail(attribute.line, Quote(attribute.key) + " needs a name");
    }
    return element.text;
}

bool BoolOf(const Attribute& attribute) {
    const Element& element = Single(attribute, ElementType::Word, "true or false");
    if (element.text != "true" && element.text != "false") {
        Fail(attribute.line, Quote(attribute.key) + " needs true or false");
    }
    return element.text == "true";
}

template <typename E>
struct Choice {
    std::string_view word;
    E value;
};

template <typename E, std::size_t N>
E Choose(std::string_view word, std::string_view what, int line, const Choice<E> (&choices)[N]) {
    for (const Choice<E>& choice : choices) {
        if (choice.word == word) {
            return choice.value;
        }
    }
    Fail(line, "unknown " + std::string(what) + " " + Quote(word));
}

template <typename E, std::size_t N>
E ChoiceOf(const Attribute& attribute, const Choice<E> (&choices)[N]) {
    const Element& element = Single(attribute, ElementType::Word, "a word");
    return Choose(element.text, attribute.key, attribute.line, choices);
}

constexpr Choice<ControlKind> kKinds[] = {
    {"memo", ControlKind::Memo},     {"panel", ControlKind::Panel},
    {"button", ControlKind::Button}, {"label", ControlKind::Label},
    {"edit", ControlKind::Edit},     {"comboBox", ControlKind::ComboBox}};
constexpr Choice<Align> kAligns[] = {
    {"none", Align::None}, {"top", Align::Top}, {"bottom", Align::Bottom}};
constexpr Choice<Charset> kCharsets[] = {{"default", Charset::Default}, {"ansi", Charset::Ansi}};
constexpr Choice<ScrollBars> kScrollBars[] = {{"none", ScrollBars::None},
                                              {"horizontal", ScrollBars::Horizontal},
                                              {"vertical", ScrollBars::Vertical},
                                              {"both", ScrollBars::Both}};
constexpr Choice<EditCommand> kCommands[] = {
    {"cut", EditCommand::Cut},     {"copy", EditCommand::Copy},
    {"paste", EditCommand::Paste}, {"selectAll", EditCommand::SelectAll},
    {"undo", EditCommand::Undo},   {"delete", EditCommand::Delete}};
constexpr Choice<EnabledWhen> kEnabledWhens[] = {{"always", EnabledWhen::Always},
                                                 {"selection", EnabledWhen::Selection},
                                                 {"clipboardText", EnabledWhen::ClipboardText},
                                                 {"textNotEmpty", EnabledWhen::TextNotEmpty},
                                                 {"canUndo", EnabledWhen::CanUndo}};

FontSpec FontOf(const Attribute& attribute) {
    const std::vector<Element>& e = attribute.elements;
    if (e.size() != 3 || e[0].type != ElementType::Text || e[1].type != ElementType::Number ||
        e[2].type != ElementType::Word) {
        Fail(attribute.line, Quote(attribute.key) + " needs face,points,charset");
    }
    if (e[1].number < 1 || e[1].number > std::numeric_limits<int>::max()) {
        Fail(attribute.line, "font size " + e[1].text + " is out of range");
    }
    return {Utf8ToUtf16(e[0].text), static_cast<int>(e[1].number),
            Choose(e[2].text, "charset", attribute.line, kCharsets)};
}

Anchors AnchorsOf(const Attribute& attribute) {
    Anchors anchors{false, false, false, false};
    const std::pair<std::string_view, bool Anchors::*> sides[] = {{"left", &Anchors::left},
                                                                  {"top", &Anchors::top},
                                                                  {"right", &Anchors::right},
                                                                  {"bottom", &Anchors::bottom}};
    for (const Element& element : attribute.elements) {
        if (element.type != ElementType::Word) {
            Fail(attribute.line,
                 Quote(attribute.key) + " needs a list of left, top, right, bottom");
        }
        const auto side = std::find_if(std::begin(sides), std::end(sides),
                                       [&](const auto& s) { return s.first == element.text; });
        if (side == std::end(sides)) {
            Fail(attribute.line, "unknown anchor " + Quote(element.text));
        }
        if (anchors.*(side->second)) {
            Fail(attribute.line, "anchor " + Quote(element.text) + " given twice");
        }
        anchors.*(side->second) = true;
    }
    return anchors;
}

std::vector<std::u16string> TextsOf(const Attribute& attribute) {
    std::vector<std::u16string> texts;
    for (const Element& element : attribute.elements) {
        if (element.type != ElementType::Text) {
            Fail(attribute.line, Quote(attribute.key) + " needs quoted texts");
        }
        texts.push_back(Utf8ToUtf16(element.text));
    }
    return texts;
}

bool IsKeyName(std::string_view key) {
    constexpr std::string_view kNamedKeys[] = {"Del",   "Ins",  "Enter", "Esc",   "Tab",
                                               "Space", "Back", "Home",  "End",   "PgUp",
                                               "PgDn",  "Left", "Up",    "Right", "Down"};
    if (key.size() == 1) {
        return IsLetter(key.front()) || IsDigit(key.front());
    }
    if (key.size() >= 2 && key.size() <= 3 && key.front() == 'F' && key[1] != '0' &&
        std::all_of(key.begin() + 1, key.end(), IsDigit)) {
        const int number = std::stoi(std::string(key.substr(1)));
        return number >= 1 && number <= 12;
    }
    return std::find(std::begin(kNamedKeys), std::end(kNamedKeys), key) != std::end(kNamedKeys);
}

// Modifiers come first in any order, each at most once; a single letter is kept upper-cased so
// that "Ctrl+x" and "Ctrl+X" are the same key for the key routing.
Shortcut ShortcutOf(const Attribute& attribute) {
    if (attribute.elements.size() != 1 || attribute.elements.front().type == ElementType::Text) {
        Fail(attribute.line, Quote(attribute.key) + " needs a key such as Ctrl+X");
    }
    // Taken as written, so that "Ctrl+1" (read as a word) and "1" (read as a number) both work.
    const std::string& written = attribute.elements.front().text;
    Shortcut shortcut;
    std::string_view rest = written;
    for (std::size_t plus = rest.find('+'); plus != std::string_view::npos; plus = rest.find('+')) {
        const std::string_view modifier = rest.substr(0, plus);
        bool* flag = modifier == "Ctrl"    ? &shortcut.ctrl
                     : modifier == "Shift" ? &shortcut.shift
                     : modifier == "Alt"   ? &shortcut.alt
                                           : nullptr;
        if (flag == nullptr) {
            Fail(attribute.line,
                 "unknown shortcut modifier " + Quote(modifier) + " in " + Quote(written));
        }
        if (*flag) {
            Fail(attribute.line,
                 "shortcut " + Quote(written) + " gives " + Quote(modifier) + " twice");
        }
        *flag = true;
        rest.remove_prefix(plus + 1);
    }
    if (!IsKeyName(rest)) {
        Fail(attribute.line, "unknown shortcut key " + Quote(written));
    }
    shortcut.key = rest;
    if (shortcut.key.size() == 1 && shortcut.key[0] >= 'a' && shortcut.key[0] <= 'z') {
        shortcut.key[0] = static_cast<char>(shortcut.key[0] - 'a' + 'A');
    }
    return shortcut;
}

// ---- Binding ----

enum class NameKind { Form, Control, PopupMenu, MenuItem, ActionList, Action };

// A name that must turn out to be described somewhere in the text, checked at its end.
struct Reference {
    std::string name;
    NameKind kind;
    int line;
    std::string missing;    // the problem when nothing has the name
    std::string wrongKind;  // the problem when something else has it
};

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

class Binder {
public:
    void Bind(const ObjectText& object) {
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
    FormDescription Finish() {
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

private:
    NameKind BindObject(const ObjectText& object) {
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
                Fail(object.line,
                     "a second action list " + Quote(object.name) + "; there is only one");
            }
            description_.actionList = object.name;
            return NameKind::ActionList;
        }
        BindAction(object);
        return NameKind::Action;
    }

    // The object that `attribute` names, which must be described above as `kind`.
    void NamedAbove(const Attribute& attribute, const std::string& name, NameKind kind,
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

    void BindForm(const ObjectText& object) {
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

    void BindControl(const ObjectText& object) {
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
                    if (FindControl(control.parent)->kind != ControlKind::Panel) {
                        Fail(a.line, "parent " + Quote(control.parent) + " of control " +
                                         object.name + " is not a panel");
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
                                       about + " is not described",
                                       about + " is not a popup menu"});
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
        control.tabStop =
            tabStop.value_or(kind == ControlKind::Edit || kind == ControlKind::ComboBox ||
                             kind == ControlKind::Button);
        description_.controls.push_back(std::move(control));
    }

    const ControlSpec* FindControl(std::string_view name) const {
        return description_.FindControl(name);
    }

    void BindMenuEntry(const ObjectText& object, bool separator) {
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

    void BindAction(const ObjectText& object) {
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
                    Fail(shortcutLine, "shortcut " + Quote(shortcutText) + " of action " +
                                           action.name + " is already used by action " +
                                           other.name);
                }
            }
        }
        description_.actions.push_back(std::move(action));
    }

    FormDescription description_;
    std::map<std::string, NameKind, std::less<>> names_;
    std::vector<Reference> references_;
    bool haveForm_ = false;
};

// Comment lines may be indented too: an attribute never starts with '#', so such a line
// cannot mean anything else.
void ReadLine(std::string_view content, int line, std::optional<ObjectText>& current,
              Binder& binder) {
    const std::size_t first = content.find_first_not_of(" \t");
    if (first == std::string_view::npos || content[first] == '#') {
        return;
    }
    LineScanner scanner(content, line);
    if (first == 0) {
        if (current) {
            binder.Bind(*current);
        }
        current = scanner.ReadObjectStart();
    } else if (!current) {
        Fail(line, "continuation line without an object above it");
    }
    scanner.ReadAttributes(*current);
}

void AppendTabStops(const FormDescription& description, std::string_view parent, std::size_t depth,
                    std::vector<std::string>& order) {
    // A hand-built description could make a panel its own ancestor; parsed ones cannot.
    if (depth > description.controls.size()) {
        return;
    }
    std::vector<const ControlSpec*> children;
    for (const ControlSpec& control : description.controls) {
        if (control.parent == parent && (control.tabStop || control.kind == ControlKind::Panel)) {
            children.push_back(&control);
        }
    }
    // Controls without a tabOrder follow those with one; stable sorting keeps creation order
    // among equals.
    std::stable_sort(children.begin(), children.end(),
                     [](const ControlSpec* a, const ControlSpec* b) {
                         const auto key = [](const ControlSpec* c) {
                             return std::pair(c->tabOrder < 0, c->tabOrder);
                         };
                         return key(a) < key(b);
                     });
    for (const ControlSpec* child : children) {
        if (child->tabStop) {
            order.push_back(child->name);
        }
        if (child->kind == ControlKind::Panel) {
            AppendTabStops(description, child->name, depth + 1, order);
        }
    }
}

template <typename T>
const T* FindByName(const std::vector<T>& items, std::string_view name) {
    const auto found =
        std::find_if(items.begin(), items.end(), [&](const T& item) { return item.name == name; });
    return found == items.end() ? nullptr : &*found;
}

}  // namespace

const ControlSpec* FormDescription::FindControl(std::string_view name) const {
    return FindByName(controls, name);
}

const ActionSpec* FormDescription::FindAction(std::string_view name) const {
    return FindByName(actions, name);
}

const PopupMenuSpec* FormDescription::FindPopupMenu(std::string_view name) const {
    return FindByName(popupMenus, name);
}

std::vector<std::string> FormDescription::TabOrder() const {
    std::vector<std::string> order;
    AppendTabStops(*this, form.name, 0, order);
    return order;
}

FormDescription ParseFormDescription(std::string_view text) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }
    Binder binder;
    std::optional<ObjectText> current;
    int line = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view content = text.substr(pos, end - pos);
        if (!content.empty() && content.back() == '\r') {
            content.remove_suffix(1);
        }
        ReadLine(content, ++line, current, binder);
        pos = end + 1;
    }
    if (current) {
        binder.Bind(*current);
    }
    return binder.Finish();
}

}  // namespace orsk
