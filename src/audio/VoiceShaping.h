#pragma once
// How the sound options shape one voice: its gain from the volume, its pan from the key's
// place on the keyboard picture, its pitch from the variation. Pure functions of their inputs;
// the engine applies them per voice.
#include "SchemeKeySounds.h"

#include <cstdint>
#include <span>
#include <vector>

struct PanGains {
    float Left, Right;
};

// Constant-power pan law: -1 fully left, 0 centred (both at 1/sqrt(2), -3 dB), 1 fully right;
// Left^2 + Right^2 = 1 everywhere. Values beyond -1..1 count as the end they pass.
PanGains ConstantPowerPan(float pan);

// The pan of a panel of the keyboard picture at full width: the space bar's middle is 0, the
// left-most key's middle -1 and the right-most key's middle 1, linear in between on each side
// (the keyboard is wider right of the space bar, with its editing block and keypad). 0 for a
// panel index outside the picture.
float PanelPan(int panel);
// A key's pan, `widthPercent` (0 centred, 100 the full width) of its panel's: by its place,
// else by its virtual-key code (KeyPanelOf); 0 for a key the picture lacks.
float KeyPan(KeyPlace place, unsigned virtualKey, int widthPercent);

// The volume's percentage (0 to 200, clamped) as a linear gain; 100 is exactly 1.
float GainFromPercent(int percent);
// Multiplies the samples by `gain` and clips them at full scale (-1 and 1) so that nothing
// wraps round when the device stores integers; a NaN becomes silence.
void ApplyGainClipped(std::span<float> samples, float gain);
// A float sample as a 16-bit one, clipped at full scale.
int16_t ToInt16Clipped(float sample);

// Interleaved frames of `channels` samples played `semitones` higher (lower when negative), by
// resampling with a windowed-sinc interpolator (16 taps; when the pitch rises the cut-off is
// lowered with the rate, to the 1/32 of the band at or below it, so that nothing folds back):
// the output has frames / 2^(semitones/12) frames, shorter when the pitch rises. 0 semitones
// gives the frames unchanged.
std::vector<float> ResampleForPitch(std::span<const float> frames, uint16_t channels,
                                    double semitones);
// How many frames a sound of `frames` frames has when played `semitones` higher.
uint64_t PitchedFrames(uint64_t frames, double semitones);
// Frames `first` onward of ResampleForPitch's output, as many as `out` holds (channels each),
// each computed on its own: a voice renders its pitch as it plays. Silence past the end.
void ResamplePitchRange(std::span<const float> frames, uint16_t channels, double semitones,
                        uint64_t first, std::span<float> out);

// The pitch of a press in semitones, in -range to +range. With `samePerKey` it depends on
// (seed, key) alone, so that each key keeps its own pitch as long as the seed stays (give the
// same seed each run to keep it across runs); otherwise also on `press`, a count the caller
// advances with every press. Deterministic: the same arguments give the same pitch.
double PitchFor(uint64_t seed, uint64_t press, KeyPlace key, double range, bool samePerKey);
