#pragma once
// MP3 sounds, decoded by the platform's own decoder (the ACM MP3 codec that Windows ships).
#include "WaveFile.h"

#include <cstdint>
#include <span>

// True when the bytes start like an MP3 file: an ID3v2 tag or an MPEG audio frame header.
bool LooksLikeMp3(std::span<const uint8_t> bytes);

// Decodes at most the first `maxMs` milliseconds to 16-bit samples. Raises an Exception when
// the platform has no decoder for it or the data is not MP3.
WaveData DecodeMp3(std::span<const uint8_t> bytes, uint64_t maxMs);
