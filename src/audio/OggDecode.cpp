#include "OggDecode.h"

#include "Exception.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

// The decoder itself is compiled once, in StbVorbis.c.
#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

namespace {

struct CloseVorbis {
    void operator()(stb_vorbis* v) const { stb_vorbis_close(v); }
};

// The bytes of the stream's first packets, joined across pages the way the decoder reads
// them: pages in file order, a packet ending at a segment shorter than 255 bytes.
std::vector<uint8_t> SecondPacket(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> packet;
    int index = 0;
    size_t pos = 0;
    while (pos + 27 <= bytes.size() && std::memcmp(&bytes[pos], "OggS", 4) == 0) {
        size_t segments = bytes[pos + 26];
        size_t body = pos + 27 + segments;
        if (body > bytes.size()) {
            break;
        }
        for (size_t s = 0; s < segments; ++s) {
            size_t length = bytes[pos + 27 + s];
            if (body + length > bytes.size()) {
                return packet;
            }
            if (index == 1) {
                packet.insert(packet.end(), &bytes[body], &bytes[body] + length);
            }
            body += length;
            if (length < 255 && ++index > 1) {
                return packet;
            }
        }
        pos = body;
    }
    return packet;
}

uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// stb_vorbis trusts the lengths of the comment header: a vendor or comment length near 4 GB
// wraps its allocation to nothing and it writes past it, and a comment count it cannot
// allocate leaves a list it then walks. So the header must hold what its lengths claim.
bool CommentHeaderIsSound(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> packet = SecondPacket(bytes);
    size_t pos = 7; // type 3, "vorbis"
    auto take = [&](uint64_t count) {
        if (count > packet.size() - std::min(pos, packet.size())) {
            return false;
        }
        pos += static_cast<size_t>(count);
        return true;
    };
    if (!take(4)) {
        return false;
    }
    if (!take(Get32(&packet[pos - 4]))) { // the vendor
        return false;
    }
    if (!take(4)) {
        return false;
    }
    uint32_t comments = Get32(&packet[pos - 4]);
    for (uint32_t i = 0; i < comments; ++i) {
        if (!take(4) || !take(Get32(&packet[pos - 4]))) {
            return false;
        }
    }
    return true;
}

} // namespace

bool LooksLikeOgg(std::span<const uint8_t> bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0;
}

WaveData DecodeOgg(std::span<const uint8_t> bytes, uint64_t maxMs) {
    if (!LooksLikeOgg(bytes) || bytes.size() > INT32_MAX) {
        throw Exception("Not an Ogg Vorbis file");
    }
    if (!CommentHeaderIsSound(bytes)) {
        throw Exception("The Ogg Vorbis data is damaged");
    }
    // The decoder takes its memory from this arena alone: a damaged header that asks for
    // gigabytes fails to open instead of taking them.
    constexpr int ArenaBytes = 4 * 1024 * 1024;
    std::unique_ptr<char[]> arena(new char[ArenaBytes]);
    stb_vorbis_alloc alloc{arena.get(), ArenaBytes};
    int error = 0;
    std::unique_ptr<stb_vorbis, CloseVorbis> vorbis(
        stb_vorbis_open_memory(bytes.data(), static_cast<int>(bytes.size()), &error, &alloc));
    if (!vorbis) {
        throw Exception("The Ogg Vorbis data is damaged");
    }
    stb_vorbis_info info = stb_vorbis_get_info(vorbis.get());
    if (info.channels < 1 || info.sample_rate == 0 || info.sample_rate > 1000000) {
        throw Exception("The Ogg Vorbis data is damaged");
    }
    WaveData sound;
    sound.sampleRate = info.sample_rate;
    sound.channels = static_cast<uint16_t>(std::min(info.channels, 2));
    uint64_t maxFrames = std::min<uint64_t>(maxMs, UINT32_MAX) * info.sample_rate / 1000;
    constexpr size_t ChunkFrames = 4096;
    short chunk[ChunkFrames * 2];
    while (sound.Frames() < maxFrames) {
        size_t want =
            static_cast<size_t>(std::min<uint64_t>(ChunkFrames, maxFrames - sound.Frames()));
        int got = stb_vorbis_get_samples_short_interleaved(vorbis.get(), sound.channels, chunk,
                                                           static_cast<int>(want * sound.channels));
        if (got <= 0) {
            break;
        }
        sound.samples.insert(sound.samples.end(), chunk,
                             chunk + static_cast<size_t>(got) * sound.channels);
    }
    return sound;
}
