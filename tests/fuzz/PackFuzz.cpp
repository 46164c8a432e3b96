// Feeds a pack's config text and one sound file's bytes to the importer's readers: the config
// reader, the plans of key types and of keys, the wave and Ogg Vorbis decoders and the slicing.
// The first two bytes give the config's length; the rest after the config is the sound every
// define points at.
#include "Exception.h"
#include "KeyPlan.h"
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
    SourceUsable usable = [&](const SoundSource& source) {
        Check(StaysInPack(source.file));
        if (!sound)
            return false;
        WaveData key =
            source.slice ? CutSlice(*sound, source.startMs, source.lengthMs) : CapKeySound(*sound);
        Check(key.Frames() <= size_t{MaxKeySoundMs} * key.sampleRate / 1000);
        return !key.samples.empty();
    };
    PackPlan plan = PlanPack(config, usable);
    for (const KeyTypePlan& type : plan)
        Check(!type.own || type.source.has_value());
    // Every type's takes start with its sound, every key is planned once, in key order, with
    // no more takes than a record holds.
    PackKeysPlan keys = PlanPackKeys(config, plan, usable);
    for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
        Check(keys.typePress[type].empty() == !plan[type].source.has_value());
        Check(keys.typePress[type].empty() || keys.typePress[type].front() == *plan[type].source);
        Check(keys.typePress[type].size() <= MaxSoundTakes);
        Check(keys.typeRelease[type].size() <= MaxSoundTakes);
    }
    Check(keys.keys.size() <= MaxOwnSoundKeys);
    for (size_t i = 0; i < keys.keys.size(); ++i) {
        Check(i == 0 || keys.keys[i - 1].key < keys.keys[i].key);
        Check(!keys.keys[i].press.empty() || !keys.keys[i].release.empty());
        Check(keys.keys[i].press.size() <= MaxSoundTakes);
        Check(keys.keys[i].release.size() <= MaxSoundTakes);
    }
    return 0;
}
