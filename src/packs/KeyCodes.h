#pragma once
// Which key codes of a pack stand for each of the sixteen key types of a scheme.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "KeyTypes.h"        // KeyTypeCount
#include "SchemeKeySounds.h" // KeyPlace

// The codes of key type `index` (the scheme record's order, 0 to 15) in the order they are
// tried: the first that has a usable press sound gives the type its sound. A standard code
// comes before the Windows alias of the same key.
std::span<const uint32_t> KeyTypeCodes(size_t index);

// The file name each key type's sound gets in the scheme's sound folder.
const char* KeyTypeFileName(size_t index);

// The physical key a pack's code names: a plain code below 256 is that make code; 0x0E00 and
// 0xE000 plus a code, and the Windows aliases 0xEE00 plus a code (Home 60999 ... Delete 61011),
// are the code with the E0 prefix; F13 to F15 are 91 to 93 (make codes 0x64 to 0x66). Scan code
// 0 is no key (injected keys without a scan code carry it), and neither is any other number.
std::optional<KeyPlace> KeyPlaceOfCode(uint32_t code);

// The codes that name `key`, in the order they are read: the standard ones before the alias.
// Unused places are 0.
std::array<uint32_t, 3> KeyPlaceCodes(KeyPlace key);
