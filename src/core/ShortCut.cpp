#include "ShortCut.h"

#include <string_view>
#include <utility>

namespace {

// Letters, digits, function keys and the keypad digits are formed; everything else comes
// from this table. The editing and movement keys keep the short forms menus use ("Ins",
// "PgUp", "BkSp"); the lock keys, Print Screen, the Windows keys and the application key take
// the names the system's US key-name table gives them, as the hotkey field shows them.
// Punctuation keys are named by what they write on a US keyboard.
// clang-format off
constexpr std::pair<uint8_t, std::string_view> kKeyNames[] = {
    {0x03, "Break"}, {0x08, "BkSp"}, {0x09, "Tab"}, {0x0C, "Clear"}, {0x0D, "Enter"},
    {0x10, "Shift"}, {0x11, "Ctrl"}, {0x12, "Alt"}, {0x13, "Pause"}, {0x14, "Caps Lock"},
    {0x1B, "Esc"}, {0x20, "Space"}, {0x21, "PgUp"}, {0x22, "PgDn"}, {0x23, "End"},
    {0x24, "Home"}, {0x25, "Left"}, {0x26, "Up"}, {0x27, "Right"}, {0x28, "Down"},
    {0x29, "Select"}, {0x2A, "Print"}, {0x2B, "Execute"}, {0x2C, "Prnt Scrn"},
    {0x2D, "Ins"}, {0x2E, "Del"}, {0x2F, "Help"},
    {0x5B, "Left Windows"}, {0x5C, "Right Windows"}, {0x5D, "Application"}, {0x5F, "Sleep"},
    {0x6A, "Num *"}, {0x6B, "Num +"}, {0x6C, "Separator"}, {0x6D, "Num -"},
    {0x6E, "Num Del"}, {0x6F, "Num /"}, {0x90, "Num Lock"}, {0x91, "Scroll Lock"},
    {0xA0, "Left Shift"}, {0xA1, "Right Shift"}, {0xA2, "Left Ctrl"}, {0xA3, "Right Ctrl"},
    {0xA4, "Left Alt"}, {0xA5, "Right Alt"},
    {0xBA, ";"}, {0xBB, "="}, {0xBC, ","}, {0xBD, "-"}, {0xBE, "."}, {0xBF, "/"}, {0xC0, "`"},
    {0xDB, "["}, {0xDC, "\\"}, {0xDD, "]"}, {0xDE, "'"},
    {0xDF, "OEM 8"}, {0xE2, "OEM 102"}, {0xF6, "Attn"}, {0xFA, "Play"}, {0xFE, "OEM Clear"}};
// clang-format on

std::string KeyName(uint8_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    // append, not operator+: GCC 12 at -O3 warns of an overlap that cannot happen.
    if (key >= 0x70 && key <= 0x87) // F1 to F24
        return std::string("F").append(std::to_string(key - 0x70 + 1));
    if (key >= 0x60 && key <= 0x69) // keypad 0 to 9
        return std::string("Num ").append(std::to_string(key - 0x60));
    for (const auto& [code, name] : kKeyNames)
        if (code == key)
            return std::string(name);
    constexpr char digits[] = "0123456789ABCDEF";
    return std::string("Key 0x") + digits[key >> 4] + digits[key & 0xF];
}

} // namespace

TSplitShortCut SplitShortCut(uint32_t code) {
    TSplitShortCut split{0, static_cast<uint16_t>(code & 0xFF)};
    if (code & kHotKeyWin)
        split.Modifiers |= kModWin;
    if (code & kHotKeyAlt)
        split.Modifiers |= kModAlt;
    if (code & kHotKeyCtrl)
        split.Modifiers |= kModControl;
    if (code & kHotKeyShift)
        split.Modifiers |= kModShift;
    return split;
}

uint32_t HotKeyFromMessage(uint16_t modifiers, uint16_t key) {
    uint32_t code = key;
    if (modifiers & kModShift)
        code += kHotKeyShift;
    if (modifiers & kModControl)
        code += kHotKeyCtrl;
    if (modifiers & kModAlt)
        code += kHotKeyAlt;
    if (modifiers & kModWin)
        code += kHotKeyWin;
    return code;
}

std::string HotKeyAtomName(uint32_t code) {
    return std::string("HotKeyManagerHotKey").append(std::to_string(code));
}

std::string ShortCutToText(uint16_t shortCut) {
    std::string text;
    if (shortCut & kHotKeyShift)
        text += "Shift+";
    if (shortCut & kHotKeyCtrl)
        text += "Ctrl+";
    if (shortCut & kHotKeyAlt)
        text += "Alt+";
    text += KeyName(static_cast<uint8_t>(shortCut & 0xFF));
    return text;
}
