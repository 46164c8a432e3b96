#pragma once
// The platform's hotkey field and trackbar.
#include "Forms.h"

#include <commctrl.h>

#include <cstdint>

// Takes a key combination as the user presses it. Values are shortcuts: bits 0-7 the virtual
// key, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
class THotKey : public TControl {
public:
    using TControl::TControl;
    // Combinations the field does not accept (HKCOMB_NONE, HKCOMB_S, ...) and the modifiers
    // (HOTKEYF_CONTROL, ...) it completes them with.
    WORD InvalidKeys = HKCOMB_NONE | HKCOMB_S;
    WORD Modifiers = HOTKEYF_ALT;
    uint16_t HotKey() const;
    void SetHotKey(uint16_t shortcut);

protected:
    const char* ClassName() const override { return HOTKEY_CLASSA; }
    DWORD Style() const override { return WS_TABSTOP; }
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    void Created() override;

private:
    uint16_t FHotKey = 0;
};

// A horizontal slider from Min to Max with a tick every Frequency steps.
class TTrackBar : public TControl {
public:
    using TControl::TControl;
    int Min = 0, Max = 10, Frequency = 1, PageSize = 2;
    int Position() const;
    // Does not run OnChange.
    void SetPosition(int value);
    // The user moved it (mouse or keyboard), at each step.
    TNotifyEvent OnChange;

protected:
    const char* ClassName() const override { return TRACKBAR_CLASSA; }
    DWORD Style() const override { return WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM; }
    void Created() override;
    bool Scroll(int code) override;

private:
    int FPosition = 0;
};
