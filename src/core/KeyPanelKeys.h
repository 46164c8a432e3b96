#pragma once
// Which key each panel of the keyboard picture stands for: its virtual-key code (the generic
// one for Shift, Ctrl and Alt, as the hook reports them) and its physical place. The panels'
// order is KeyPanels' (KeyboardPicture.h).
#include "KeyboardPicture.h"
#include "SchemeKeySounds.h"

#include <array>
#include <cstdint>

struct PanelKey {
    uint8_t VirtualKey;
    KeyPlace Place;
};

extern const std::array<PanelKey, KeyPanelCount> KeyPanelKeys;

// The panel of a key: by its place when a panel has that place, else the first panel (the
// main block's before the keypad's) with its virtual-key code; -1 for a key the picture lacks.
int KeyPanelOf(KeyPlace place, unsigned virtualKey);
