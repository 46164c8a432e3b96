#pragma once
// Ogg Vorbis sounds, decoded by the reference decoder (libvorbis' vorbisfile).
#include "WaveFile.h"

#include <cstdint>
#include <span>

// True when the bytes start like an Ogg stream.
bool LooksLikeOgg(std::span<const uint8_t> bytes);

// Decodes at most the first `maxMs` milliseconds (all of it when the stream is shorter) to
// 16-bit samples; a stream of more than two channels keeps its front left and right. A chained
// stream ends where a link changes the rate or the channel count. Raises an Exception when the
// stream is not Ogg Vorbis, is damaged before its first sample, or has a sample rate outside
// the range a key sound may have.
WaveData DecodeOgg(std::span<const uint8_t> bytes, uint64_t maxMs);
