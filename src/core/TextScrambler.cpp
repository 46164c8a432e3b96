#include "TextScrambler.h"

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

std::string EncodeSixBit(const std::string& bytes) {
    std::string out;
    out.reserve((bytes.size() * 4 + 2) / 3);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
        uint32_t v = 0;
        for (size_t j = 0; j < count; ++j)
            v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + j])) << (8 * j);
        // A partial group writes only the characters that carry its bits.
        for (size_t j = 0; j < count + 1; ++j)
            out += kAlphabet[(v >> (6 * j)) & 63];
    }
    return out;
}

std::string ScrambleText(const std::string& text, uint16_t startKey) {
    std::string mixed;
    mixed.reserve(text.size());
    uint16_t key = startKey;
    for (char ch : text) {
        uint8_t c = static_cast<uint8_t>(static_cast<uint8_t>(ch) ^ (key >> 8));
        mixed += static_cast<char>(c);
        // The key follows the output byte, not the input byte.
        key = static_cast<uint16_t>((c + key) * 0x9E37u + 0x3605u);
    }
    return EncodeSixBit(mixed);
}
