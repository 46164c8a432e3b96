// Feeds arbitrary bytes to the wave reader, the way a damaged sound file in a pack would, and
// checks that what it reads survives the writer and a second reading unchanged.
#include "Exception.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WaveData sound;
    try {
        sound = ReadWave(std::span<const uint8_t>(data, size));
    } catch (const Exception&) {
        return 0;
    }
    Check(sound.channels == 1 || sound.channels == 2);
    Check(sound.samples.size() % sound.channels == 0);
    WaveData again = ReadWave(WriteWave(sound));
    Check(again.sampleRate == sound.sampleRate && again.channels == sound.channels &&
          again.samples == sound.samples);
    return 0;
}
