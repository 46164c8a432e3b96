#pragma once
// Hotkey codes and shortcut values. A hotkey code is 32 bits: the virtual key in bits 0-7 and
// the modifiers below. Bits 0-15 are laid out as the 16-bit shortcut values of menu items and
// hotkey fields, so a shortcut value, zero-extended, is a hotkey code.
#include <cstdint>
#include <string>

constexpr uint32_t kHotKeyShift = 0x2000, kHotKeyCtrl = 0x4000, kHotKeyAlt = 0x8000;
// Beyond the 16 bits of a shortcut value: a menu item cannot show it.
constexpr uint32_t kHotKeyWin = 0x10000;

// The modifier flags of the platform's hotkey registration and of its hotkey message.
constexpr uint16_t kModAlt = 1, kModControl = 2, kModShift = 4, kModWin = 8;

struct TSplitShortCut {
    uint16_t Modifiers; // kModAlt, kModControl, kModShift, kModWin
    uint16_t Key;
};

// The combination a code registers; bits outside the key and the four modifiers are ignored.
TSplitShortCut SplitShortCut(uint32_t code);
// The code a hotkey message stands for, from its modifier flags and virtual key.
uint32_t HotKeyFromMessage(uint16_t modifiers, uint16_t key);

// "HotKeyManagerHotKey" followed by the code in decimal: the name of the global atom whose
// number is the platform's hotkey id.
std::string HotKeyAtomName(uint32_t code);

// "Ctrl+Alt+E", "Shift+F12", "Num 5". Every key has a text: keys without a name of their own
// show their code, as "Key 0x07".
std::string ShortCutToText(uint16_t shortCut);
