#pragma once
// What the output hears, as a function of the voices that play: a key sound replaces the one
// still playing, which fades out over a couple of milliseconds instead of stopping dead (a
// sound cut mid-wave is heard as a click).
#include "DeviceFormat.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct Voice {
    std::shared_ptr<const DeviceSound> Sound;
    size_t Frame = 0;      // the next frame to play
    uint32_t FadeLeft = 0; // frames of its fade still to play; 0 while not fading
    bool Fading = false;
};

// Adds the voices' next `out.size() / channels` frames into `out` (which the caller cleared
// or filled), each fading voice scaled down linearly to silence over `fadeFrames`, and moves
// the voices on. A voice that has ended (its sound, or its fade) is removed, as is one whose
// channel count is not the output's.
void MixVoices(std::vector<Voice>& voices, std::span<float> out, uint16_t channels,
               uint32_t fadeFrames);

class Mixer {
public:
    // `fadeFrames`: how long a replaced sound takes to fade out, in output frames.
    explicit Mixer(uint32_t fadeFrames);

    // The new sound starts with the next rendered frame; every voice playing now fades out.
    void Start(std::shared_ptr<const DeviceSound> sound);
    // Every voice fades out.
    void Release();
    // Overwrites `out` with the next frames of the mix.
    void Render(std::span<float> out, uint16_t channels);
    bool Playing() const { return !FVoices.empty(); }
    void Clear() { FVoices.clear(); }

private:
    std::vector<Voice> FVoices;
    uint32_t FFadeFrames;
};
