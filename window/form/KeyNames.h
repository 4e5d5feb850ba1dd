#pragma once
// The names of the keys a shortcut can be put on, in one place for the description parser, the
// key routing and the window's translation of Windows key codes. The codes are written as plain
// numbers so that this stays free of windows.h.
//
// Besides the named keys below, a key is a letter "A".."Z" or a digit "0".."9" (their codes are
// the characters themselves) or a function key "F1".."F12" (codes 0x70..0x7B).

#include <string>
#include <string_view>

namespace orsk {

inline constexpr std::string_view kKeyDel = "Del";
inline constexpr std::string_view kKeyIns = "Ins";
inline constexpr std::string_view kKeyEnter = "Enter";
inline constexpr std::string_view kKeyEsc = "Esc";
inline constexpr std::string_view kKeyTab = "Tab";
inline constexpr std::string_view kKeySpace = "Space";
inline constexpr std::string_view kKeyBack = "Back";
inline constexpr std::string_view kKeyHome = "Home";
inline constexpr std::string_view kKeyEnd = "End";
inline constexpr std::string_view kKeyPgUp = "PgUp";
inline constexpr std::string_view kKeyPgDn = "PgDn";
inline constexpr std::string_view kKeyLeft = "Left";
inline constexpr std::string_view kKeyUp = "Up";
inline constexpr std::string_view kKeyRight = "Right";
inline constexpr std::string_view kKeyDown = "Down";

struct NamedKey {
    std::string_view name;
    unsigned virtualKey;
};

inline constexpr NamedKey kNamedKeys[] = {
    {kKeyDel, 0x2E},    // VK_DELETE
    {kKeyIns, 0x2D},    // VK_INSERT
    {kKeyEnter, 0x0D},  // VK_RETURN
    {kKeyEsc, 0x1B},    // VK_ESCAPE
    {kKeyTab, 0x09},    // VK_TAB
    {kKeySpace, 0x20},  // VK_SPACE
    {kKeyBack, 0x08},   // VK_BACK
    {kKeyHome, 0x24},   // VK_HOME
    {kKeyEnd, 0x23},    // VK_END
    {kKeyPgUp, 0x21},   // VK_PRIOR
    {kKeyPgDn, 0x22},   // VK_NEXT
    {kKeyLeft, 0x25},   // VK_LEFT
    {kKeyUp, 0x26},     // VK_UP
    {kKeyRight, 0x27},  // VK_RIGHT
    {kKeyDown, 0x28},   // VK_DOWN
};

// Whether a shortcut may name `name`. Named keys are spelled exactly as above; a letter may be
// written in either case ("Ctrl+x"), the parser upper-cases it.
bool IsKeyName(std::string_view name);

// The name of the key with Windows virtual-key code `code`, as a shortcut spells it (letters
// upper case); empty for a key no shortcut can name.
std::string KeyNameOfVirtualKey(unsigned code);

}  // namespace orsk
