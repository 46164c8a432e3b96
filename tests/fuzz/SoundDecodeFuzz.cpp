// Feeds arbitrary bytes to every sound decoder a pack's files reach, the way a hostile file
// would: the Ogg Vorbis decoder, the wave reader and the MP3 frame-header reader. What comes
// out must be a sound the rest of the program can hold.
#include "Exception.h"
#include "Mp3Frames.h"
#include "OggDecode.h"
#include "WaveFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void CheckSound(const WaveData& sound, uint64_t maxMs) {
    Check(sound.channels == 1 || sound.channels == 2);
    Check(sound.sampleRate >= MinSampleRate && sound.sampleRate <= MaxSampleRate);
    Check(sound.samples.size() % sound.channels == 0);
    Check(sound.Frames() <= maxMs * sound.sampleRate / 1000);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    constexpr uint64_t MaxMs = 3000;
    try {
        CheckSound(DecodeOgg(bytes, MaxMs), MaxMs);
    } catch (const Exception&) {
    }
    try {
        CheckSound(ReadWave(bytes, MaxMs), MaxMs);
    } catch (const Exception&) {
    }
    Mp3FrameInfo frame;
    if (FindFirstMp3Frame(bytes, frame)) {
        Check(LooksLikeMp3(bytes.subspan(frame.offset)));
        Check(frame.offset + 4 <= size);
        Check(frame.channels == 1 || frame.channels == 2);
        Check(frame.sampleRate >= 8000 && frame.sampleRate <= 48000);
        Check(frame.frameBytes > 0);
    }
    return 0;
}
