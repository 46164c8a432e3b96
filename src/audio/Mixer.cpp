#include "Mixer.h"

#include <algorithm>

void MixVoices(std::vector<Voice>& voices, std::span<float> out, uint16_t channels,
               uint32_t fadeFrames) {
    if (channels == 0)
        return;
    const size_t frames = out.size() / channels;
    for (Voice& voice : voices) {
        const DeviceSound* sound = voice.Sound.get();
        if (!sound || sound->Channels != channels) {
            voice.Sound.reset();
            continue;
        }
        const size_t total = sound->Frames();
        const float* in = sound->Samples.data();
        for (size_t i = 0; i < frames && voice.Frame < total; ++i, ++voice.Frame) {
            float gain = 1.0f;
            if (voice.Fading) {
                if (voice.FadeLeft == 0) {
                    voice.Frame = total;
                    break;
                }
                gain = static_cast<float>(voice.FadeLeft) / static_cast<float>(fadeFrames + 1);
                --voice.FadeLeft;
            }
            const float* frame = in + voice.Frame * channels;
            for (uint16_t c = 0; c < channels; ++c)
                out[i * channels + c] += frame[c] * gain;
        }
        if (voice.Frame >= total || (voice.Fading && voice.FadeLeft == 0))
            voice.Sound.reset();
    }
    std::erase_if(voices, [](const Voice& voice) { return !voice.Sound; });
}

Mixer::Mixer(uint32_t fadeFrames) : FFadeFrames(fadeFrames) {
    // A key sound rarely overlaps more than one fading sound: no allocation per key.
    FVoices.reserve(8);
}

void Mixer::Release() {
    for (Voice& voice : FVoices) {
        if (!voice.Fading) {
            voice.Fading = true;
            voice.FadeLeft = FFadeFrames;
        }
    }
}

void Mixer::Start(std::shared_ptr<const DeviceSound> sound) {
    Release();
    if (sound && sound->Frames() > 0)
        FVoices.push_back(Voice{std::move(sound), 0, 0, false});
}

void Mixer::Render(std::span<float> out, uint16_t channels) {
    std::fill(out.begin(), out.end(), 0.0f);
    MixVoices(FVoices, out, channels, FFadeFrames);
}
