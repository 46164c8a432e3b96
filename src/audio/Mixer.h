#pragma once
// What the output hears, as a function of the voices that play: key sounds mix, as a real
// keyboard's overlap, up to MaxVoices at once; beyond that the oldest fades out over a couple
// of milliseconds instead of stopping dead (a sound cut mid-wave is heard as a click).
//
// Voices sit on a timeline of output frames, so what was rendered can be rendered again: a
// device queue that is thrown away (a new key must not wait behind it) is rewound and written
// anew, each voice at its place.
//   Mixer mixer(96, 4800);                 // 2 ms fades, 100 ms that can be taken back (48 kHz)
//   mixer.Start(sound, gains, semitones);  // heard from the next frame rendered
//   mixer.Render(out, 2);                  // the next frames, stereo
//   mixer.Rewind(queued);                  // the last `queued` frames were never played
#include "DeviceFormat.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

constexpr uint64_t kNoFade = std::numeric_limits<uint64_t>::max();

// How many sounds play at once before the oldest gives way.
constexpr size_t MaxVoices = 16;

// A voice's level on the left and right front channels (1: as recorded). Other channels, and
// a mono output, take their mean.
struct VoiceGains {
    float Left = 1.0f;
    float Right = 1.0f;
    bool operator==(const VoiceGains&) const = default;
};

struct Voice {
    std::shared_ptr<const DeviceSound> Sound;
    uint64_t Start = 0;            // the output frame that plays the sound's first frame
    uint64_t FadeFrom = kNoFade;   // the output frame its fade-out begins with
    uint64_t FadeInFrom = kNoFade; // the output restarted here: the voice rises from silence
    VoiceGains Gains;
    double Semitones = 0; // played this much higher, resampled as it renders
};

// The output frame after the voice's last audible one.
uint64_t VoiceEnd(const Voice& voice, uint32_t fadeFrames);

// Adds the voices' output frames `from` to `from + out.size() / channels` into `out`, each at
// its pitch, scaled by its gains, a fading voice scaled down linearly to silence over
// `fadeFrames`, a resuming one up from silence over as many. A voice whose channel count is
// not the output's adds nothing.
void MixVoices(std::span<const Voice> voices, uint64_t from, std::span<float> out,
               uint16_t channels, uint32_t fadeFrames);

class Mixer {
public:
    // `fadeFrames`: how long a replaced sound takes to fade out; `historyFrames`: how far back
    // Rewind can go, in output frames.
    Mixer(uint32_t fadeFrames, uint32_t historyFrames);

    // The new sound starts with the next rendered frame, mixed with those playing. A voice
    // that had not begun by then (its frames were taken back unheard) starts with it; the
    // oldest voices fade out from there while more than MaxVoices would sound.
    // `semitones` plays it higher (lower when negative).
    void Start(std::shared_ptr<const DeviceSound> sound, VoiceGains gains = {},
               double semitones = 0);
    // Every voice fades out from the next rendered frame.
    void Release();
    // Overwrites `out` with the next frames of the mix. Voices of another channel count than
    // the output's are dropped.
    void Render(std::span<float> out, uint16_t channels);
    // Takes back the last `frames` rendered (at most the history): the next Render gives them
    // again, as they were unless Start or Release comes first.
    void Rewind(uint64_t frames);
    // The output stopped and starts again from the next frame, after a pause the listener may
    // hear: the voices already heard come back from silence over the fade instead of with a
    // jump.
    void Resume();
    // Whether a voice has frames still to render, and how many frames it takes until none has.
    bool Playing() const { return FramesLeft() > 0; }
    uint64_t FramesLeft() const;
    uint64_t Position() const { return FPosition; }
    void Clear() { FVoices.clear(); }

private:
    std::vector<Voice> FVoices;
    uint64_t FPosition = 0;
    // The earliest frame Rewind may go back to: voices that ended before it are gone.
    uint64_t FFloor = 0;
    uint32_t FFadeFrames;
    uint32_t FHistoryFrames;
};
