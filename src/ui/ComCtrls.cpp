#include "ComCtrls.h"

#include "HotKeyField.h"

void THotKey::Created() {
    SendMessageA(Window(), HKM_SETRULES, InvalidKeys, MAKELPARAM(Modifiers, 0));
    SendMessageA(Window(), HKM_SETHOTKEY, ShortCutToHotKeyField(FHotKey), 0);
}

uint16_t THotKey::HotKey() const {
    if (!Window())
        return FHotKey;
    return HotKeyFieldToShortCut(LOWORD(SendMessageA(Window(), HKM_GETHOTKEY, 0, 0)));
}

void THotKey::SetHotKey(uint16_t shortcut) {
    FHotKey = shortcut;
    if (Window())
        SendMessageA(Window(), HKM_SETHOTKEY, ShortCutToHotKeyField(shortcut), 0);
}
