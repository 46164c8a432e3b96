#include "Mp3Decode.h"

#include "Exception.h"

// Only Windows brings an MP3 decoder of its own; elsewhere MP3 sounds are not read.
WaveData DecodeMp3(std::span<const uint8_t>, uint64_t) {
    throw Exception("MP3 sounds cannot be decoded on this system");
}
