#include "HotKeyField.h"

#include "ShortCut.h"

bool IsExtendedKey(uint8_t vk) {
    switch (vk) {
    case 0x03: // Ctrl+Break
    case 0x2C: // Print Screen
    case 0x2D: // Insert
    case 0x2E: // Delete
    case 0x6F: // keypad divide
    case 0x90: // NumLock
    case 0xA3: // right Ctrl
    case 0xA5: // right Alt
        return true;
    default:
        return (vk >= 0x21 && vk <= 0x28) || // Page Up, Page Down, End, Home, arrows
               (vk >= 0x5B && vk <= 0x5D) || // Windows keys, application key
               vk == 0x5F ||                 // Sleep
               (vk >= 0xA6 && vk <= 0xB7);   // browser, volume, media and launch keys
    }
}

uint16_t HotKeyFieldToShortCut(uint16_t field) {
    const uint8_t flags = static_cast<uint8_t>(field >> 8);
    uint16_t code = field & 0xFF;
    if (flags & hfShift)
        code |= kHotKeyShift;
    if (flags & hfCtrl)
        code |= kHotKeyCtrl;
    if (flags & hfAlt)
        code |= kHotKeyAlt;
    return code;
}

uint16_t ShortCutToHotKeyField(uint16_t shortCut) {
    const uint8_t vk = static_cast<uint8_t>(shortCut & 0xFF);
    uint8_t flags = 0;
    if (shortCut & kHotKeyShift)
        flags |= hfShift;
    if (shortCut & kHotKeyCtrl)
        flags |= hfCtrl;
    if (shortCut & kHotKeyAlt)
        flags |= hfAlt;
    if (vk != 0 && IsExtendedKey(vk))
        flags |= hfExt;
    return static_cast<uint16_t>(flags << 8 | vk);
}
