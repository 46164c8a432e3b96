#pragma once
// Ogg Vorbis sounds, decoded by stb_vorbis.
#include "WaveFile.h"

#include <cstdint>
#include <span>

// True when the bytes start like an Ogg stream.
bool LooksLikeOgg(std::span<const uint8_t> bytes);

// Decodes at most the first `maxMs` milliseconds (all of it when the stream is shorter) to
// 16-bit samples; a stream of more than two channels keeps its first two. Raises an Exception
// when the stream is not Ogg Vorbis or is damaged before its first sample.
WaveData DecodeOgg(std::span<const uint8_t> bytes, uint64_t maxMs);
