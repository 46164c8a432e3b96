#pragma once
// Key sounds cut from longer sounds: a slice of a sprite, or a whole file made short enough.
#include "WaveFile.h"

#include <cstdint>

// No key sound lasts longer than this.
constexpr uint32_t MaxKeySoundMs = 2000;

// The part of `sound` that starts at `startMs` and lasts `lengthMs`, cut at the sound's end
// and at MaxKeySoundMs, with a 1 ms fade at both ends so that neither cut clicks. A slice that
// starts at or after the end is empty.
WaveData CutSlice(const WaveData& sound, uint64_t startMs, uint64_t lengthMs);

// A whole sound as a key sound: unchanged when it is short enough, else its first
// MaxKeySoundMs with a 1 ms fade at the cut.
WaveData CapKeySound(WaveData sound);
