#pragma once
// MP3 sounds, decoded by the platform's own decoder (the ACM MP3 codec that Windows ships).
#include "Mp3Frames.h"
#include "WaveFile.h"

#include <cstdint>
#include <span>

// Decodes at most the first `maxMs` milliseconds to 16-bit samples. Raises an
// Exception when the platform has no decoder for it or the data is not MP3.
WaveData DecodeMp3(std::span<const uint8_t> bytes, uint64_t maxMs);
