#pragma once
// Where a key the hook reported sits on the keyboard: the physical place (scan code set 1 and
// the E0 prefix) that per-key sounds are kept under.
#include "SchemeKeySounds.h"

#include <optional>

// The place of a key on a US keyboard from its virtual-key code alone, as the keyboard
// picture has it (KeyPanelKeys.h); the left and right Shift, Ctrl and Alt codes give their
// own sides, the generic ones the left. None for codes that name no key of the picture.
std::optional<KeyPlace> DefaultKeyPlace(unsigned vk);

// The place of a key the hook reported: its scan code and extended flag as the system gives
// them, with the two keys whose flags differ from the codes that packs record (Num Lock comes
// extended, Pause plain; packs have it the other way round). A key reported without a scan
// code takes DefaultKeyPlace.
std::optional<KeyPlace> ReportedKeyPlace(unsigned vk, unsigned scan, bool extended);
