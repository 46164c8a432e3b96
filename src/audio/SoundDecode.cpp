#include "SoundDecode.h"

#include "Exception.h"
#include "Mp3Decode.h"
#include "OggDecode.h"

#include <cstring>

WaveData DecodeSound(std::span<const uint8_t> bytes, uint64_t maxMs) {
    if (LooksLikeOgg(bytes)) {
        return DecodeOgg(bytes, maxMs);
    }
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
        return ReadWave(bytes, maxMs);
    }
    if (LooksLikeMp3(bytes)) {
        return DecodeMp3(bytes, maxMs);
    }
    throw Exception("it is not a wave, Ogg Vorbis or MP3 file");
}
