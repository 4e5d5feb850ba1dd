#include "window/form/FormValues.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

#include "common/Utf8.h"
#include "window/form/KeyNames.h"

namespace orsk::form_detail {

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

}  // namespace orsk::form_detail
