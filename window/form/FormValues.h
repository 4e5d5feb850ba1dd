#pragma once
// Typed values read out of a scanned attribute: numbers in a range, names, booleans, one of a
// set of words, fonts, anchors, lists of texts and shortcuts. Each refuses a value of the wrong
// shape on the attribute's line, naming the attribute.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "window/form/FormDescription.h"
#include "window/form/FormProblems.h"
#include "window/form/FormScanner.h"

namespace orsk::form_detail {

// The attribute's only element, which must be of `type`; `need` says what was expected.
const Element& Single(const Attribute& attribute, ElementType type, std::string_view need);

long long NumberIn(const Attribute& attribute, long long min, long long max);
int IntIn(const Attribute& attribute, int min);  // up to the largest int
int AnyInt(const Attribute& attribute);
std::u16string TextOf(const Attribute& attribute);
std::string NameOf(const Attribute& attribute);
bool BoolOf(const Attribute& attribute);
FontSpec FontOf(const Attribute& attribute);
Anchors AnchorsOf(const Attribute& attribute);
std::vector<std::u16string> TextsOf(const Attribute& attribute);
Shortcut ShortcutOf(const Attribute& attribute);

// A word of the description and the value it stands for.
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

inline constexpr Choice<ControlKind> kKinds[] = {
    {"memo", ControlKind::Memo},     {"panel", ControlKind::Panel},
    {"button", ControlKind::Button}, {"label", ControlKind::Label},
    {"edit", ControlKind::Edit},     {"comboBox", ControlKind::ComboBox}};
inline constexpr Choice<Align> kAligns[] = {
    {"none", Align::None}, {"top", Align::Top}, {"bottom", Align::Bottom}};
inline constexpr Choice<Charset> kCharsets[] = {{"default", Charset::Default},
                                                {"ansi", Charset::Ansi}};
inline constexpr Choice<ScrollBars> kScrollBars[] = {{"none", ScrollBars::None},
                                                     {"horizontal", ScrollBars::Horizontal},
                                                     {"vertical", ScrollBars::Vertical},
                                                     {"both", ScrollBars::Both}};
inline constexpr Choice<EditCommand> kCommands[] = {
    {"cut", EditCommand::Cut},     {"copy", EditCommand::Copy},
    {"paste", EditCommand::Paste}, {"selectAll", EditCommand::SelectAll},
    {"undo", EditCommand::Undo},   {"delete", EditCommand::Delete}};
inline constexpr Choice<EnabledWhen> kEnabledWhens[] = {
    {"always", EnabledWhen::Always},
    {"selection", EnabledWhen::Selection},
    {"clipboardText", EnabledWhen::ClipboardText},
    {"textNotEmpty", EnabledWhen::TextNotEmpty},
    {"canUndo", EnabledWhen::CanUndo}};

}  // namespace orsk::form_detail
