#include "WaveFile.h"

#include "Exception.h"
#include "LittleEndian.h"
#include "Stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

constexpr uint16_t FormatPcm = 1;
constexpr uint16_t FormatFloat = 3;
constexpr uint16_t FormatExtensible = 0xFFFE;

// Little-endian fields written into a buffer already sized for them.
uint8_t* Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    return p + 2;
}
uint8_t* Put32(uint8_t* p, uint32_t v) {
    return Put16(Put16(p, static_cast<uint16_t>(v)), static_cast<uint16_t>(v >> 16));
}
uint8_t* PutTag(uint8_t* p, const char* tag) {
    std::memcpy(p, tag, 4);
    return p + 4;
}

bool IsChunkId(const uint8_t* p) {
    for (int i = 0; i < 4; ++i) {
        if (p[i] < 0x20 || p[i] > 0x7E) {
            return false;
        }
    }
    return true;
}

struct Chunk {
    size_t offset = 0; // of the chunk's body
    size_t size = 0;   // what the file holds of it, never beyond the end
};

// Where the body of the chunk after the one at `body` (of declared `size`) starts. The pad
// byte after an odd size is skipped unless the file was written without it: then the next
// chunk's id starts right after the body.
size_t NextChunk(std::span<const uint8_t> bytes, size_t body, uint32_t size) {
    size_t end = body + size;
    if ((size & 1) == 0) {
        return end;
    }
    if (end + 9 <= bytes.size() && !IsChunkId(&bytes[end + 1]) && IsChunkId(&bytes[end])) {
        return end;
    }
    return end + 1;
}

float FloatAt(const ByteReader& reader, size_t offset) {
    uint32_t bits = reader.U32(offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double DoubleAt(const ByteReader& reader, size_t offset) {
    uint64_t bits = reader.U64(offset);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int16_t FromFloat(double value) {
    if (!(value == value)) { // NaN
        return 0;
    }
    double scaled = std::nearbyint(value * 32768.0);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

} // namespace

void CheckSampleRate(uint64_t rate) {
    if (rate < MinSampleRate || rate > MaxSampleRate) {
        throw Exception(Format("A sample rate of %s Hz is not supported", {std::to_string(rate)}));
    }
}

WaveData ReadWave(std::span<const uint8_t> bytes, uint64_t maxMs) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        throw Exception("Not a wave file");
    }
    // The RIFF size is not trusted: damaged files give 0, the streaming value or a stale size.
    std::optional<Chunk> fmt;
    std::optional<Chunk> data;
    const ByteReader file(bytes);
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint8_t* head = &bytes[pos];
        uint32_t declared = file.U32(pos + 4);
        size_t body = pos + 8;
        Chunk chunk{body, std::min<size_t>(declared, bytes.size() - body)};
        if (std::memcmp(head, "fmt ", 4) == 0 && !fmt) {
            fmt = chunk;
        } else if (std::memcmp(head, "data", 4) == 0 && !data) {
            data = chunk;
        }
        if (declared > bytes.size() - body) {
            break;
        }
        pos = NextChunk(bytes, body, declared);
    }
    if (!fmt) {
        throw Exception("The wave file has no format chunk");
    }
    if (!data) {
        throw Exception("The wave file has no data chunk");
    }
    if (fmt->size < 16) {
        throw Exception("The wave file's format chunk is damaged");
    }
    const ByteReader format = file.Part(fmt->offset, fmt->size);
    uint16_t tag = format.U16(0);
    uint16_t channels = format.U16(2);
    uint32_t rate = format.U32(4);
    uint16_t bits = format.U16(14);
    if (tag == FormatExtensible) {
        // The sub-format GUID's first two bytes carry the plain format tag.
        if (fmt->size < 40) {
            throw Exception("The wave file's format chunk is damaged");
        }
        tag = format.U16(24);
    }
    bool isFloat = tag == FormatFloat && (bits == 32 || bits == 64);
    bool isPcm = tag == FormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    if (!isFloat && !isPcm) {
        throw Exception(Format("Wave format %s with %s bits per sample is not supported",
                               {std::to_string(tag), std::to_string(bits)}));
    }
    if (channels != 1 && channels != 2) {
        throw Exception(
            Format("Wave files of %s channels are not supported", {std::to_string(channels)}));
    }
    CheckSampleRate(rate);
    // The frame size follows from the sample size; a block align that disagrees is damage.
    size_t sampleBytes = bits / 8u;
    size_t frames = std::min<uint64_t>(data->size / (sampleBytes * channels),
                                       std::min<uint64_t>(maxMs, UINT32_MAX) * rate / 1000);
    WaveData sound;
    sound.sampleRate = rate;
    sound.channels = channels;
    sound.samples.resize(frames * channels);
    const ByteReader samples = file.Part(data->offset, data->size);
    size_t at = 0;
    for (int16_t& out : sound.samples) {
        if (isFloat) {
            out = FromFloat(bits == 32 ? FloatAt(samples, at) : DoubleAt(samples, at));
        } else if (bits == 8) {
            out = static_cast<int16_t>((samples.U8(at) - 128) * 256);
        } else {
            // The top two bytes of a little-endian sample are its 16 most significant bits.
            out = static_cast<int16_t>(samples.U16(at + sampleBytes - 2));
        }
        at += sampleBytes;
    }
    return sound;
}

WaveData ReadWaveFile(const std::string& path) {
    TFileStream file(path, TFileMode::OpenRead);
    // 60 s of 384 kHz stereo 64-bit float, and room for the chunks around it.
    constexpr int64_t MaxFileBytes = int64_t{MaxSoundMs} * MaxSampleRate / 1000 * 16 + 1024 * 1024;
    if (file.Size() > MaxFileBytes) {
        throw Exception("The wave file is too large for a key sound");
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), bytes.size());
    return ReadWave(bytes);
}

std::vector<uint8_t> WriteWave(const WaveData& sound) {
    uint16_t channels = sound.channels ? sound.channels : 1;
    size_t count = sound.samples.size() / channels * channels;
    uint32_t dataSize = static_cast<uint32_t>(count * 2);
    std::vector<uint8_t> out(44 + size_t{dataSize});
    uint8_t* p = PutTag(out.data(), "RIFF");
    p = Put32(p, 36 + dataSize);
    p = PutTag(p, "WAVE");
    p = PutTag(p, "fmt ");
    p = Put32(p, 16);
    p = Put16(p, FormatPcm);
    p = Put16(p, channels);
    p = Put32(p, sound.sampleRate);
    p = Put32(p, sound.sampleRate * channels * 2);
    p = Put16(p, static_cast<uint16_t>(channels * 2));
    p = Put16(p, 16);
    p = PutTag(p, "data");
    p = Put32(p, dataSize);
    for (size_t i = 0; i < count; ++i) {
        p = Put16(p, static_cast<uint16_t>(sound.samples[i]));
    }
    return out;
}

void WriteWaveFile(const std::string& path, const WaveData& sound) {
    std::vector<uint8_t> bytes = WriteWave(sound);
    TFileStream file(path, TFileMode::Create);
    file.WriteBuffer(bytes.data(), bytes.size());
    file.Flush();
}
