#pragma once
// MPEG audio frame headers: what the platform's MP3 decoder must be told of a stream before
// it decodes it. Portable, so that it is tested and fuzzed natively.
#include <cstddef>
#include <cstdint>
#include <span>

struct Mp3FrameInfo {
    size_t offset = 0; // of the first frame in the data
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    uint32_t bitRate = 0;    // bits per second
    uint16_t frameBytes = 0; // without the padding byte
};

// True when the bytes start like an MP3 file: an ID3v2 tag or an MPEG audio frame header.
bool LooksLikeMp3(std::span<const uint8_t> bytes);

// The first Layer III frame header with valid fields after an ID3v2 tag, if there is one.
bool FindFirstMp3Frame(std::span<const uint8_t> bytes, Mp3FrameInfo& info);
