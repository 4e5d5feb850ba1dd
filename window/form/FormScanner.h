#pragma once
// The first step of reading a form description: the text is cut into objects (keyword, name and
// attributes), each attribute into its elements, all with the line they come from. What the
// attributes mean is left to the binding step.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orsk::form_detail {

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

// Object names and the names that refer to them (parents, handlers, actions) are identifiers.
bool IsName(std::string_view text);

// Hands each object to `take` as soon as its last continuation line is read, before the next
// object is scanned, so that the first faulty line in reading order is the one reported.
// A leading UTF-8 byte-order mark is skipped; lines end with LF or CR LF.
void ScanObjects(std::string_view text, const std::function<void(const ObjectText&)>& take);

}  // namespace orsk::form_detail
