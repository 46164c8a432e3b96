#pragma once
// Which key codes of a pack stand for each of the sixteen key types of a scheme.
#include <cstddef>
#include <cstdint>
#include <span>

#include "KeyTypes.h" // KeyTypeCount

// The codes of key type `index` (the scheme record's order, 0 to 15) in the order they are
// tried: the first that has a usable press sound gives the type its sound. A standard code
// comes before the Windows alias of the same key.
std::span<const uint32_t> KeyTypeCodes(size_t index);

// The file name each key type's sound gets in the scheme's sound folder.
const char* KeyTypeFileName(size_t index);
