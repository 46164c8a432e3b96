#include "Mixer.h"

#include "VoiceShaping.h"

#include <algorithm>
#include <array>

uint64_t VoiceEnd(const Voice& voice, uint32_t fadeFrames) {
    const uint64_t frames = voice.Sound ? PitchedFrames(voice.Sound->Frames(), voice.Semitones) : 0;
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
    const float ramp = static_cast<float>(fadeFrames + 1);
    // A pitched voice's frames are resampled into this a stretch at a time.
    std::array<float, 4096> pitched;
    const uint64_t stretch = pitched.size() / channels;
    for (const Voice& voice : voices) {
        const DeviceSound* sound = voice.Sound.get();
        if (!sound || sound->Channels != channels || (voice.Semitones != 0 && stretch == 0))
            continue;
        const float mean = (voice.Gains.Left + voice.Gains.Right) / 2;
        const float left = channels == 1 ? mean : voice.Gains.Left;
        const float right = channels == 1 ? mean : voice.Gains.Right;
        const uint64_t end = std::min(to, VoiceEnd(voice, fadeFrames));
        for (uint64_t begin = std::max(from, voice.Start); begin < end;) {
            // The voice's frames from `begin` on: its sound's own, or resampled.
            const float* frames = pitched.data();
            uint64_t stop = end;
            if (voice.Semitones == 0) {
                frames = sound->Samples.data() + (begin - voice.Start) * channels;
            } else {
                stop = std::min(end, begin + stretch);
                ResamplePitchRange(sound->Samples, channels, voice.Semitones, begin - voice.Start,
                                   std::span(pitched.data(), (stop - begin) * channels));
            }
            for (uint64_t t = begin; t < stop; ++t) {
                float gain = 1.0f;
                if (t >= voice.FadeFrom)
                    gain = static_cast<float>(fadeFrames - (t - voice.FadeFrom)) / ramp;
                if (t >= voice.FadeInFrom && t - voice.FadeInFrom < fadeFrames)
                    gain *= static_cast<float>(t - voice.FadeInFrom + 1) / ramp;
                const float* frame = frames + (t - begin) * channels;
                float* into = out.data() + (t - from) * channels;
                into[0] += frame[0] * gain * left;
                if (channels > 1)
                    into[1] += frame[1] * gain * right;
                for (uint16_t c = 2; c < channels; ++c)
                    into[c] += frame[c] * gain * mean;
            }
            begin = stop;
        }
    }
}

Mixer::Mixer(uint32_t fadeFrames, uint32_t historyFrames)
    : FFadeFrames(fadeFrames), FHistoryFrames(historyFrames) {
    // No allocation per key while no more voices sound than the mixer lets play.
    FVoices.reserve(2 * MaxVoices);
}

void Mixer::Release() {
    for (Voice& voice : FVoices)
        voice.FadeFrom = std::min(voice.FadeFrom, FPosition);
}

void Mixer::Start(std::shared_ptr<const DeviceSound> sound, VoiceGains gains, double semitones) {
    const uint64_t at = FPosition;
    // Frames taken back unheard: a voice that had not begun by now starts with the new one.
    for (Voice& voice : FVoices)
        if (voice.Start >= FPosition)
            voice.Start = at;
    if (!sound || PitchedFrames(sound->Frames(), semitones) == 0)
        return;
    FVoices.push_back(Voice{std::move(sound), at, kNoFade, kNoFade, gains, semitones});
    // The oldest give way while more than MaxVoices sound on past this frame.
    size_t sounding = 0;
    for (const Voice& voice : FVoices)
        if (voice.FadeFrom == kNoFade && VoiceEnd(voice, FFadeFrames) > FPosition)
            ++sounding;
    for (Voice& voice : FVoices) {
        if (sounding <= MaxVoices)
            break;
        if (voice.FadeFrom == kNoFade && VoiceEnd(voice, FFadeFrames) > FPosition) {
            voice.FadeFrom = FPosition;
            --sounding;
        }
    }
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

void Mixer::Resume() {
    for (Voice& voice : FVoices)
        if (voice.Start < FPosition)
            voice.FadeInFrom = FPosition;
}

uint64_t Mixer::FramesLeft() const {
    uint64_t end = FPosition;
    for (const Voice& voice : FVoices)
        end = std::max(end, VoiceEnd(voice, FFadeFrames));
    return end - FPosition;
}
