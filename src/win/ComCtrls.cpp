#include "ComCtrls.h"

#include "ShortCut.h"

namespace {
// The field's modifier bits sit in the high byte: Shift 1, Ctrl 2, Alt 4 (Extended 8 is not a
// modifier the user chose).
uint16_t ShortCutFromField(WORD value) {
    uint16_t modifiers = HIBYTE(value), shortcut = LOBYTE(value);
    if (modifiers & HOTKEYF_SHIFT)
        shortcut |= kHotKeyShift;
    if (modifiers & HOTKEYF_CONTROL)
        shortcut |= kHotKeyCtrl;
    if (modifiers & HOTKEYF_ALT)
        shortcut |= kHotKeyAlt;
    return shortcut;
}

WORD FieldFromShortCut(uint16_t shortcut) {
    BYTE modifiers = static_cast<BYTE>(((shortcut & kHotKeyShift) ? HOTKEYF_SHIFT : 0) |
                                       ((shortcut & kHotKeyCtrl) ? HOTKEYF_CONTROL : 0) |
                                       ((shortcut & kHotKeyAlt) ? HOTKEYF_ALT : 0));
    return MAKEWORD(LOBYTE(shortcut), modifiers);
}
} // namespace

void THotKey::Created() {
    SendMessageA(Window(), HKM_SETRULES, InvalidKeys, MAKELPARAM(Modifiers, 0));
    SendMessageA(Window(), HKM_SETHOTKEY, FieldFromShortCut(FHotKey), 0);
}

uint16_t THotKey::HotKey() const {
    if (!Window())
        return FHotKey;
    return ShortCutFromField(LOWORD(SendMessageA(Window(), HKM_GETHOTKEY, 0, 0)));
}

void THotKey::SetHotKey(uint16_t shortcut) {
    FHotKey = shortcut;
    if (Window())
        SendMessageA(Window(), HKM_SETHOTKEY, FieldFromShortCut(shortcut), 0);
}
