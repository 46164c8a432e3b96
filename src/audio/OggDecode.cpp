#include "OggDecode.h"

#include "Exception.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The file as vorbisfile reads it: bytes in memory, read once from the start. It is not offered
// as seekable: a key sound needs only its beginning, and the search through a seekable file's
// links is decoder code that a hostile file can make leak.
struct MemoryFile {
    std::span<const uint8_t> Bytes;
    size_t Pos = 0;
};

size_t ReadMemory(void* to, size_t size, size_t count, void* source) {
    auto& file = *static_cast<MemoryFile*>(source);
    if (size == 0) {
        return 0;
    }
    size_t items = std::min(count, (file.Bytes.size() - file.Pos) / size);
    if (items > 0) {
        std::memcpy(to, file.Bytes.data() + file.Pos, items * size);
    }
    file.Pos += items * size;
    return items;
}

class VorbisFile {
public:
    explicit VorbisFile(MemoryFile& file) {
        const ov_callbacks callbacks{&ReadMemory, nullptr, nullptr, nullptr};
        if (ov_open_callbacks(&file, &FFile, nullptr, 0, callbacks) != 0) {
            throw Exception("The Ogg Vorbis data is damaged");
        }
    }
    ~VorbisFile() { ov_clear(&FFile); }
    VorbisFile(const VorbisFile&) = delete;
    VorbisFile& operator=(const VorbisFile&) = delete;
    OggVorbis_File* operator->() { return &FFile; }
    OggVorbis_File* Get() { return &FFile; }

private:
    OggVorbis_File FFile;
};

// The channels that carry front left and right in Vorbis' channel order for 1 to 8 channels
// (3: L C R; 5 and more: L C R ...); beyond that the order is the file's own, so the first two.
void FrontChannels(int channels, int& left, int& right) {
    left = 0;
    right = channels == 1 ? 0 : channels == 2 || channels == 4 || channels > 8 ? 1 : 2;
}

int16_t ToSample(float value) {
    if (!(value == value)) { // NaN
        return 0;
    }
    const float scaled = std::nearbyint(value * 32768.0f);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

} // namespace

bool LooksLikeOgg(std::span<const uint8_t> bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0;
}

WaveData DecodeOgg(std::span<const uint8_t> bytes, uint64_t maxMs) {
    if (!LooksLikeOgg(bytes)) {
        throw Exception("Not an Ogg Vorbis file");
    }
    MemoryFile memory{bytes};
    VorbisFile file(memory);
    const vorbis_info* info = ov_info(file.Get(), -1);
    if (!info || info->channels < 1) {
        throw Exception("The Ogg Vorbis data is damaged");
    }
    CheckSampleRate(info->rate);
    const int sourceChannels = info->channels;
    const long rate = info->rate;
    WaveData sound;
    sound.sampleRate = static_cast<uint32_t>(rate);
    sound.channels = static_cast<uint16_t>(std::min(sourceChannels, 2));
    int left = 0, right = 0;
    FrontChannels(sourceChannels, left, right);
    const uint64_t maxFrames = std::min<uint64_t>(maxMs, UINT32_MAX) * sound.sampleRate / 1000;
    long failure = 0;
    while (sound.Frames() < maxFrames) {
        float** pcm = nullptr;
        int link = 0;
        const int want = static_cast<int>(std::min<uint64_t>(4096, maxFrames - sound.Frames()));
        const long got = ov_read_float(file.Get(), &pcm, want, &link);
        if (got == OV_HOLE) {
            continue; // a gap in the data: the decoder goes on after it
        }
        if (got <= 0) {
            failure = got;
            break;
        }
        const vorbis_info* now = ov_info(file.Get(), -1);
        if (!now || now->channels != sourceChannels || now->rate != rate) {
            break;
        }
        for (long i = 0; i < got; ++i) {
            sound.samples.push_back(ToSample(pcm[left][i]));
            if (sound.channels == 2) {
                sound.samples.push_back(ToSample(pcm[right][i]));
            }
        }
    }
    if (sound.samples.empty() && failure < 0) {
        throw Exception("The Ogg Vorbis data is damaged");
    }
    return sound;
}
