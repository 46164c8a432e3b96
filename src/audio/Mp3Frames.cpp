#include "Mp3Frames.h"

#include <cstring>

namespace {

// The four bytes at p, when they are a Layer III frame header with valid fields.
bool ReadFrameHeader(const uint8_t* p, Mp3FrameInfo& info) {
    static const uint16_t mpeg1Rates[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                          112, 128, 160, 192, 224, 256, 320};
    static const uint16_t mpeg2Rates[] = {0,  8,  16, 24,  32,  40,  48, 56,
                                          64, 80, 96, 112, 128, 144, 160};
    static const uint32_t sampleRates[] = {44100, 48000, 32000};
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) {
        return false;
    }
    unsigned version = (p[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    unsigned layer = (p[1] >> 1) & 3;   // 1: Layer III
    unsigned rateIndex = p[2] >> 4;
    unsigned sampleIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || rateIndex == 0 || rateIndex == 15 || sampleIndex == 3) {
        return false;
    }
    bool mpeg1 = version == 3;
    info.bitRate = (mpeg1 ? mpeg1Rates : mpeg2Rates)[rateIndex] * 1000u;
    info.sampleRate = sampleRates[sampleIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    info.channels = (p[3] >> 6) == 3 ? 1 : 2;
    info.frameBytes = static_cast<uint16_t>((mpeg1 ? 144 : 72) * info.bitRate / info.sampleRate);
    return true;
}

} // namespace

bool LooksLikeMp3(std::span<const uint8_t> bytes) {
    if (bytes.size() >= 3 && std::memcmp(bytes.data(), "ID3", 3) == 0) {
        return true;
    }
    // Eleven set sync bits, then a layer other than the reserved 00.
    return bytes.size() >= 4 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0 &&
           (bytes[1] & 0x06) != 0;
}

bool FindFirstMp3Frame(std::span<const uint8_t> bytes, Mp3FrameInfo& info) {
    size_t pos = 0;
    if (bytes.size() >= 10 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3') {
        // A syncsafe size: seven bits per byte; a footer adds ten bytes more.
        size_t size = (size_t{bytes[6]} & 0x7F) << 21 | (size_t{bytes[7]} & 0x7F) << 14 |
                      (size_t{bytes[8]} & 0x7F) << 7 | (size_t{bytes[9]} & 0x7F);
        pos = 10 + size + ((bytes[5] & 0x10) ? 10 : 0);
    }
    for (; pos + 4 <= bytes.size(); ++pos) {
        if (ReadFrameHeader(&bytes[pos], info)) {
            info.offset = pos;
            return true;
        }
    }
    return false;
}
