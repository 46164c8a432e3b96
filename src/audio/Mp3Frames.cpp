#include "Mp3Decode.h"

#include <cstring>

bool LooksLikeMp3(std::span<const uint8_t> bytes) {
    if (bytes.size() >= 3 && std::memcmp(bytes.data(), "ID3", 3) == 0) {
        return true;
    }
    // Eleven set sync bits, then a layer other than the reserved 00.
    return bytes.size() >= 4 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0 &&
           (bytes[1] & 0x06) != 0;
}
