#pragma once
// The platform's hotkey input field keeps a key combination in 16 bits of its own: the virtual
// key in the low byte, its modifier flags in the high byte. Menus and the settings keep the
// same combination as a shortcut code with the modifiers in bits 13 to 15 instead.
#include <cstdint>

// The field's modifier flags (high byte of its value).
constexpr uint8_t hfShift = 0x01, hfCtrl = 0x02, hfAlt = 0x04, hfExt = 0x08;

// Keys of the extended block (the grey navigation keys, the Windows and application keys,
// keypad divide, NumLock, the right-hand Ctrl and Alt, browser and media keys). The field
// names a key by its scan code, and these share scan codes with other keys (Delete with the
// keypad's decimal point, NumLock with Pause): without the extended flag it would show the
// other key's name.
bool IsExtendedKey(uint8_t vk);

// The shortcut code of a field value. The extended flag has no bit in the code: the virtual
// key already tells the keys apart, and the platform's hotkey registration takes only it.
uint16_t HotKeyFieldToShortCut(uint16_t field);

// The field value that shows a shortcut code: the extended flag is set for the keys of the
// extended block; bits 8 to 12 of the code are not part of a combination and are dropped.
uint16_t ShortCutToHotKeyField(uint16_t shortCut);
