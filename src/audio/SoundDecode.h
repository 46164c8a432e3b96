#pragma once
// One entry for every sound file the program reads from outside: a wave file, Ogg Vorbis or
// MP3, told apart by their first bytes.
//
//   std::vector<uint8_t> bytes = ReadWholeFile(path);
//   WaveData sound = DecodeSound(bytes, 2000); // at most the first 2 s
#include "WaveFile.h"

#include <cstdint>
#include <span>

// Decodes at most the first `maxMs` milliseconds. Raises an Exception saying
// what is wrong: not a sound file it reads, or the decoder's own reason.
WaveData DecodeSound(std::span<const uint8_t> bytes, uint64_t maxMs);
