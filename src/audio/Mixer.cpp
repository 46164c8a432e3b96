#include "Mixer.h"

#include <algorithm>

uint64_t VoiceEnd(const Voice& voice, uint32_t fadeFrames) {
    const uint64_t frames = voice.Sound ? voice.Sound->Frames() : 0;
    const uint64_t soundEnd = voice.Start + frames;
    if (voice.FadeFrom == kNoFade)
        return soundEnd;
    return std::min(soundEnd, std::max(voice.FadeFrom, voice.Start) + fadeFrames);
}

void MixVoices(std::span<const Voice> voices, uint64_t from, std::span<float> out,
               uint16_t channels, uint32_t fadeFrames) {
    if (channels == 0)
        return;
    const uint64_t to = from + out.size() / channels;
    for (const Voice& voice : voices) {
        const DeviceSound* sound = voice.Sound.get();
        if (!sound || sound->Channels != channels)
            continue;
        const uint64_t begin = std::max(from, voice.Start);
        const uint64_t end = std::min(to, VoiceEnd(voice, fadeFrames));
        for (uint64_t t = begin; t < end; ++t) {
            float gain = 1.0f;
            if (t >= voice.FadeFrom)
                gain = static_cast<float>(fadeFrames - (t - voice.FadeFrom)) /
                       static_cast<float>(fadeFrames + 1);
            const float* frame = sound->Samples.data() + (t - voice.Start) * channels;
            float* into = out.data() + (t - from) * channels;
            for (uint16_t c = 0; c < channels; ++c)
                into[c] += frame[c] * gain;
        }
    }
}

Mixer::Mixer(uint32_t fadeFrames, uint32_t historyFrames)
    : FFadeFrames(fadeFrames), FHistoryFrames(historyFrames) {
    // A key sound rarely overlaps more than a few fading ones: no allocation per key.
    FVoices.reserve(8);
}

void Mixer::Release() {
    for (Voice& voice : FVoices)
        voice.FadeFrom = std::min(voice.FadeFrom, FPosition);
}

void Mixer::Start(std::shared_ptr<const DeviceSound> sound) {
    // A voice due after this point was never heard: the new key replaces it outright.
    std::erase_if(FVoices, [this](const Voice& voice) { return voice.Start >= FPosition; });
    Release();
    if (sound && sound->Frames() > 0)
        FVoices.push_back(Voice{std::move(sound), FPosition, kNoFade});
}

void Mixer::Render(std::span<float> out, uint16_t channels) {
    std::fill(out.begin(), out.end(), 0.0f);
    std::erase_if(FVoices, [channels](const Voice& voice) {
        return !voice.Sound || voice.Sound->Channels != channels;
    });
    if (channels == 0)
        return;
    MixVoices(FVoices, FPosition, out, channels, FFadeFrames);
    FPosition += out.size() / channels;
    FFloor = std::max(FFloor, FPosition > FHistoryFrames ? FPosition - FHistoryFrames : 0);
    std::erase_if(FVoices,
                  [this](const Voice& voice) { return VoiceEnd(voice, FFadeFrames) <= FFloor; });
}

void Mixer::Rewind(uint64_t frames) {
    FPosition -= std::min(frames, FPosition - FFloor);
}

uint64_t Mixer::FramesLeft() const {
    uint64_t end = FPosition;
    for (const Voice& voice : FVoices)
        end = std::max(end, VoiceEnd(voice, FFadeFrames));
    return end - FPosition;
}
