#include "Slicing.h"

#include <algorithm>

namespace {

size_t FramesOf(uint64_t ms, uint32_t rate) {
    return static_cast<size_t>(std::min<uint64_t>(ms, UINT32_MAX) * rate / 1000);
}

// Linear ramps over the first and last millisecond (or half the sound, when it is shorter):
// the outermost frame becomes silent.
void Fade(WaveData& sound, bool in, bool out) {
    size_t frames = sound.Frames();
    size_t ramp = std::min<size_t>(std::max<uint32_t>(sound.sampleRate / 1000, 1), frames / 2);
    for (size_t i = 0; i < ramp; ++i) {
        for (size_t c = 0; c < sound.channels; ++c) {
            if (in) {
                int16_t& s = sound.samples[i * sound.channels + c];
                s = static_cast<int16_t>(s * static_cast<int64_t>(i) / static_cast<int64_t>(ramp));
            }
            if (out) {
                int16_t& s = sound.samples[(frames - 1 - i) * sound.channels + c];
                s = static_cast<int16_t>(s * static_cast<int64_t>(i) / static_cast<int64_t>(ramp));
            }
        }
    }
}

} // namespace

WaveData CutSlice(const WaveData& sound, uint64_t startMs, uint64_t lengthMs) {
    WaveData slice;
    slice.sampleRate = sound.sampleRate;
    slice.channels = sound.channels;
    size_t frames = sound.Frames();
    size_t start = FramesOf(startMs, sound.sampleRate);
    if (start >= frames) {
        return slice;
    }
    size_t count = std::min({FramesOf(lengthMs, sound.sampleRate), frames - start,
                             FramesOf(MaxKeySoundMs, sound.sampleRate)});
    auto first = sound.samples.begin() + static_cast<ptrdiff_t>(start * sound.channels);
    slice.samples.assign(first, first + static_cast<ptrdiff_t>(count * sound.channels));
    Fade(slice, true, true);
    return slice;
}

WaveData CapKeySound(WaveData sound) {
    size_t cap = FramesOf(MaxKeySoundMs, sound.sampleRate);
    if (sound.Frames() > cap) {
        sound.samples.resize(cap * sound.channels);
        Fade(sound, false, true);
    }
    sound.samples.resize(sound.Frames() * sound.channels);
    return sound;
}
