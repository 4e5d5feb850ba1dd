#include "window/form/KeyNames.h"

namespace orsk {
namespace {

constexpr unsigned kFirstFunctionKey = 0x70;  // VK_F1
constexpr int kFunctionKeys = 12;

bool IsLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string FunctionKeyName(int number) {
    return "F" + std::to_string(number);
}

}  // namespace

bool IsKeyName(std::string_view name) {
    if (name.size() == 1) {
        return IsLetterOrDigit(name.front());
    }
    for (int number = 1; number <= kFunctionKeys; ++number) {
        if (name == FunctionKeyName(number)) {
            return true;
        }
    }
    for (const NamedKey& key : kNamedKeys) {
        if (key.name == name) {
            return true;
        }
    }
    return false;
}

std::string KeyNameOfVirtualKey(unsigned code) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
        return std::string(1, static_cast<char>(code));
    }
    if (code >= kFirstFunctionKey && code < kFirstFunctionKey + kFunctionKeys) {
        return FunctionKeyName(static_cast<int>(code - kFirstFunctionKey) + 1);
    }
    for (const NamedKey& key : kNamedKeys) {
        if (key.virtualKey == code) {
            return std::string(key.name);
        }
    }
    return {};
}

}  // namespace orsk
