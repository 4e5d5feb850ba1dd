#include "window/form/FormScanner.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <limits>
#include <optional>
#include <utility>

#include "window/form/FormProblems.h"

namespace orsk::form_detail {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

constexpr std::string_view kKeywords[] = {"form",      "control",    "popupMenu", "item",
                                          "separator", "actionList", "action"};

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

// Comment lines may be indented too: an attribute never starts with '#', so such a line
// cannot mean anything else.
void ScanLine(std::string_view content, int line, std::optional<ObjectText>& current,
              const std::function<void(const ObjectText&)>& take) {
    const std::size_t first = content.find_first_not_of(" \t");
    if (first == std::string_view::npos || content[first] == '#') {
        return;
    }
    LineScanner scanner(content, line);
    if (first == 0) {
        if (current) {
            take(*current);
        }
        current = scanner.ReadObjectStart();
    } else if (!current) {
        Fail(line, "continuation line without an object above it");
    }
    scanner.ReadAttributes(*current);
}

}  // namespace

bool IsName(std::string_view text) {
    return !text.empty() && !IsDigit(text.front()) &&
           std::all_of(text.begin(), text.end(), IsNameChar);
}

void ScanObjects(std::string_view text, const std::function<void(const ObjectText&)>& take) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }
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
        ScanLine(content, ++line, current, take);
        pos = end + 1;
    }
    if (current) {
        take(*current);
    }
}

}  // namespace orsk::form_detail
