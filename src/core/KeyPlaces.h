#pragma once
// Where a key sits on the keyboard: the physical place (scan code set 1 and the E0 prefix)
// that per-key sounds are kept under, found from what the keyboard hook tells of a key, and
// the place of each panel of the keyboard picture.
#include "KeyboardPicture.h"
#include "SchemeKeySounds.h"

#include <array>
#include <optional>

// The place of a key on a US keyboard, from its virtual-key code alone; none for codes that
// name no key of the picture's keyboard. Left and right Shift, Ctrl and Alt have their own
// codes; the generic ones stand for the left key.
std::optional<KeyPlace> DefaultKeyPlace(unsigned vk);

// The place of a key the hook reported: its scan code and extended flag as the system gives
// them, with the two keys whose flags differ from the codes that packs record (Num Lock comes
// extended, Pause plain; packs have it the other way round). A key reported without a scan
// code takes DefaultKeyPlace; none when that has none either.
std::optional<KeyPlace> ReportedKeyPlace(unsigned vk, unsigned scan, bool extended);

// The place of each panel of the keyboard picture, in KeyPanels' order.
extern const std::array<KeyPlace, KeyPanelCount> KeyPanelPlaces;
