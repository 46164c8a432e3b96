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

void TTrackBar::Created() {
    SendMessageA(Window(), TBM_SETRANGEMIN, FALSE, Min);
    SendMessageA(Window(), TBM_SETRANGEMAX, FALSE, Max);
    SendMessageA(Window(), TBM_SETTICFREQ, static_cast<WPARAM>(Frequency), 0);
    SendMessageA(Window(), TBM_SETPAGESIZE, 0, PageSize);
    SendMessageA(Window(), TBM_SETPOS, TRUE, FPosition);
}

int TTrackBar::Position() const {
    return Window() ? static_cast<int>(SendMessageA(Window(), TBM_GETPOS, 0, 0)) : FPosition;
}

void TTrackBar::SetPosition(int value) {
    FPosition = value;
    if (Window())
        SendMessageA(Window(), TBM_SETPOS, TRUE, value);
}

bool TTrackBar::Scroll(int code) {
    // The end of a drag repeats the last position: only a new one is a change.
    const int position = Position();
    if (code == TB_ENDTRACK || position == FPosition)
        return true;
    FPosition = position;
    if (OnChange)
        OnChange(this);
    return true;
}
