// Feeds a pack's config text and one sound file's bytes to the importer's readers: the config
// reader, the plan, the wave and Ogg Vorbis decoders and the slicing. The first two bytes give
// the config's length; the rest after the config is the sound every define points at.
#include "Exception.h"
#include "OggDecode.h"
#include "PackConfig.h"
#include "PackPlan.h"
#include "Slicing.h"
#include "WaveFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

std::optional<WaveData> Decode(std::span<const uint8_t> bytes) {
    try {
        return LooksLikeOgg(bytes) ? DecodeOgg(bytes, 3000) : ReadWave(bytes);
    } catch (const Exception&) {
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    size_t configSize = std::min<size_t>(data[0] | (data[1] << 8), size - 2);
    std::string_view text(reinterpret_cast<const char*>(data + 2), configSize);
    std::span<const uint8_t> soundBytes(data + 2 + configSize, size - 2 - configSize);

    std::optional<WaveData> sound = Decode(soundBytes);
    if (sound) {
        Check(sound->channels == 1 || sound->channels == 2);
        Check(sound->samples.size() % sound->channels == 0);
    }
    PackConfig config;
    try {
        config = ParsePackConfig(text);
    } catch (const Exception&) {
        return 0;
    }
    PackPlan plan = PlanPack(config, [&](const SoundSource& source) {
        Check(StaysInPack(source.file));
        if (!sound)
            return false;
        WaveData key =
            source.slice ? CutSlice(*sound, source.startMs, source.lengthMs) : CapKeySound(*sound);
        Check(key.Frames() <= size_t{MaxKeySoundMs} * key.sampleRate / 1000);
        return !key.samples.empty();
    });
    for (const KeyTypePlan& type : plan)
        Check(!type.own || type.source.has_value());
    return 0;
}
