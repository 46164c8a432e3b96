#pragma once
// Wave files: one reader for every flavour a sound may come in, one writer of the flavour the
// program keeps (16-bit PCM).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Sound as the program holds it: interleaved 16-bit samples, `channels` of them per frame.
struct WaveData {
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    std::vector<int16_t> samples;

    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

// What a sound may be, whatever file it comes from: a rate outside this range is damage (a
// wave claiming 1 Hz would grow thousands of times over when converted for the device). A key
// sound is read no further than MaxSoundMs (a sprite that keys are cut from may be longer: its
// reader says how far).
constexpr uint32_t MinSampleRate = 1000;
constexpr uint32_t MaxSampleRate = 384000;
constexpr uint64_t MaxSoundMs = 60000;
// Raises an Exception naming the rate when it is outside the range above.
void CheckSampleRate(uint64_t rate);

// Reads a wave file's bytes: PCM of 8 (unsigned), 16, 24 or 32 bits, 32- or 64-bit float,
// plain or WAVE_FORMAT_EXTENSIBLE, one or two channels, converted to 16 bits. Damage that
// still leaves the sound readable is forgiven: a RIFF size that does not match, a chunk of odd
// size written without its pad byte, a data chunk claiming more than the file holds (the
// frames that are there are read), chunks in any order. Anything else raises an Exception
// saying what is wrong: not a wave file, no "fmt " or "data" chunk, a format or channel count
// it does not read, a sample rate out of range. At most the first `maxMs` milliseconds are
// read.
WaveData ReadWave(std::span<const uint8_t> bytes, uint64_t maxMs = MaxSoundMs);
// The file at `path` (Cannot open file ... when it cannot be); a file larger than any sound
// of MaxSoundMs could be is refused before it is read.
WaveData ReadWaveFile(const std::string& path);

// A canonical 44-byte-header 16-bit PCM wave file holding `sound` (whole frames only).
std::vector<uint8_t> WriteWave(const WaveData& sound);
// Writes that file to `path`, replacing a file there; raises the file stream's errors.
void WriteWaveFile(const std::string& path, const WaveData& sound);
