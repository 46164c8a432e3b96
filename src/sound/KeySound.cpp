#include "KeySound.h"

#include "AudioEngine.h"
#include "DataPaths.h"
#include "DeviceFormat.h"
#include "FileSystem.h"
#include "KeyTypes.h"
#include "NameRules.h"
#include "SchemeKeySounds.h"
#include "VoiceShaping.h"
#include "PubFunction.h"
#include "WaveFile.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>

namespace {

// Several sounds of which each press plays one: never the same twice in a row.
struct TakeSet {
    std::vector<int> Sounds; // the engine's numbers for them
    size_t Last = 0;
};

struct KeyTakes {
    KeyPlace Key;
    TakeSet Press, Release;
};

// What a scheme plays, as loaded for the engine: the decoded sounds, numbered, and which of
// them each key type and each key with sounds of its own takes.
struct LoadedSounds {
    SchemeWaves Waves;
    // The paths of the sixteen types' sounds as the scheme file names them, and whether each
    // decoded: a type whose file did not is the platform player's.
    std::array<std::string, KeyTypeCount> Paths;
    std::array<bool, KeyTypeCount> Decoded{};
    std::array<TakeSet, KeyTypeCount> TypePress, TypeRelease;
    std::vector<KeyTakes> Keys; // in key order
};

// The engine, the sounds it was given and which of them it could decode; touched on the UI
// thread only.
struct SoundOutput {
    std::unique_ptr<TAudioEngine> Engine;
    LoadedSounds Loaded;
    std::minstd_rand Random{std::random_device{}()};
    // A sound went to the platform's player because the engine could not play it; the user is
    // told once.
    bool FellBack = false;
    bool FallbackTold = false;
    TSoundOptions Options;
    // Counts the presses that vary in pitch.
    uint64_t Presses = 0;
    uint64_t PitchSeed = std::random_device{}();
};
SoundOutput& Output() {
    static SoundOutput output;
    return output;
}

// The endpoint ID as the engine takes it: IDs are plain ASCII.
std::wstring WideId(const std::string& id) {
    return std::wstring(id.begin(), id.end());
}

// The same key keeps its pitch from run to run when the user asks for one pitch per key.
constexpr uint64_t kKeyPitchSeed = 0x7A9901105EEDull;

// How a key's voice is shaped by the options: its level and side, and its pitch.
VoiceGains GainsOf(const TSoundOptions& options, const KeyEvent& event, unsigned virtualKey) {
    const float gain = GainFromPercent(options.Volume);
    if (!options.StereoByPosition)
        return {gain, gain};
    const PanGains pan =
        ConstantPowerPan(KeyPan(event.Place.value_or(KeyPlace{}), virtualKey, options.StereoWidth));
    return {gain * pan.Left, gain * pan.Right};
}

// Presses vary; a release plays as recorded.
double PitchOf(SoundOutput& output, const KeyEvent& event) {
    const TSoundOptions& options = output.Options;
    if (!options.Variation || options.PitchRange <= 0 || event.Release)
        return 0;
    const uint64_t seed = options.SamePitchPerKey ? kKeyPitchSeed : output.PitchSeed;
    return PitchFor(seed, output.Presses++, event.Place.value_or(KeyPlace{}),
                    options.PitchRange / 10.0, options.SamePitchPerKey);
}

bool EngineWanted() {
    const char* audio = std::getenv("TAPPOLO_AUDIO");
    return !(audio && _stricmp(audio, "winmm") == 0);
}

std::shared_ptr<const WaveData> Decode(const std::string& path) {
    if (IsMidiFile(path) || !FileExists(path))
        return nullptr;
    try {
        auto wave = std::make_shared<WaveData>(ReadWaveFile(path));
        if (wave->Frames() == 0)
            return nullptr;
        return wave;
    } catch (...) {
        // A file the reader does not understand (ADPCM, mu-law, GSM, ...) is the platform
        // player's.
        return nullptr;
    }
}

// Decodes every sound the scheme's keys may play, each file once.
LoadedSounds LoadSounds(const std::string& programDir, const std::string& currentScheme,
                        const TMySchemeInfo& scheme) {
    LoadedSounds loaded;
    std::map<std::string, int> numbers; // by file name; -1: it does not decode
    const auto number = [&](const std::string& name) {
        const auto [at, added] = numbers.emplace(name, -1);
        if (added) {
            if (auto wave = Decode(KeySoundPath(programDir, currentScheme, name))) {
                at->second = static_cast<int>(loaded.Waves.size());
                loaded.Waves.push_back(std::move(wave));
            }
        }
        return at->second;
    };
    const auto takes = [&](const SoundTakes& names) {
        TakeSet set;
        for (const std::string& name : names)
            if (const int n = number(name); n >= 0)
                set.Sounds.push_back(n);
        return set;
    };
    TSchemeKeySounds record;
    if (!currentScheme.empty())
        record.LoadFromFile(SchemeKeySoundsPath(programDir, currentScheme));
    for (int type = 0; type < KeyTypeCount; ++type) {
        const std::string& name = scheme.SoundRef(type);
        loaded.Paths[type] = KeySoundPath(programDir, currentScheme, name);
        loaded.Decoded[type] = !name.empty() && number(name) >= 0;
        loaded.TypePress[type] = takes(record.TypePressTakes(type, name));
        loaded.TypeRelease[type] = takes(record.TypeRelease[type]);
    }
    for (const KeyOwnSounds& key : record.Keys)
        loaded.Keys.push_back(KeyTakes{key.Key, takes(key.Press), takes(key.Release)});
    return loaded;
}

KeyTakes* FindKey(LoadedSounds& loaded, KeyPlace key) {
    const auto at = std::lower_bound(loaded.Keys.begin(), loaded.Keys.end(), key,
                                     [](const KeyTakes& k, KeyPlace p) { return k.Key < p; });
    return at != loaded.Keys.end() && at->Key == key ? &*at : nullptr;
}

// One of the takes, never the one played last when there are more; -1 for none.
int PickTake(TakeSet& set, std::minstd_rand& random) {
    const size_t count = set.Sounds.size();
    if (count == 0)
        return -1;
    size_t pick = 0;
    if (count > 1) {
        pick = std::uniform_int_distribution<size_t>(0, count - 2)(random);
        if (pick >= set.Last)
            ++pick;
    }
    set.Last = pick;
    return set.Sounds[pick];
}

// 10 ms of silence in the format of the system scheme's sounds (mono, 16-bit, 44100 Hz).
// Static, because the asynchronous player reads it after the call has returned.
constexpr unsigned kSilentBytes = 882;
struct SilentWave {
    unsigned char Bytes[44 + kSilentBytes] = {};
    constexpr SilentWave() {
        const unsigned char header[44] = {
            'R',  'I', 'F', 'F', 0,  0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
            ' ',  16,  0,   0,   0,  1, 0,   1,   0,   0x44, 0xAC, 0,   0,   0x88, 0x58,
            0x01, 0,   2,   0,   16, 0, 'd', 'a', 't', 'a',  0,    0,   0,   0};
        for (unsigned i = 0; i < 44; ++i)
            Bytes[i] = header[i];
        for (unsigned i = 0; i < 4; ++i) {
            Bytes[4 + i] = static_cast<unsigned char>((36 + kSilentBytes) >> (8 * i));
            Bytes[40 + i] = static_cast<unsigned char>(kSilentBytes >> (8 * i));
        }
    }
};
constexpr SilentWave kSilentWave;

} // namespace

void StartSoundOutput() noexcept {
    SoundOutput& output = Output();
    if (!output.Engine && EngineWanted()) {
        try {
            output.Engine = std::make_unique<TAudioEngine>();
            output.Engine->SetDevice(WideId(output.Options.DeviceId));
        } catch (...) {
            // Without memory for the engine the platform's player still plays.
        }
    }
    // The platform's player opens its whole audio path on its first call, which takes tens of
    // milliseconds: the engine primes its own stream, the player a short silent sound.
    if (!output.Engine)
        PlaySoundA(reinterpret_cast<const char*>(kSilentWave.Bytes), nullptr,
                   SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

void StopSoundOutput() noexcept {
    Output().Engine.reset();
}

void LoadSchemeSounds(const std::string& programDir, const std::string& currentScheme,
                      const TMySchemeInfo& scheme) {
    SoundOutput& output = Output();
    if (!output.Engine)
        return;
    output.Loaded = LoadSounds(programDir, currentScheme, scheme);
    output.Engine->SetSounds(std::make_shared<SchemeWaves>(output.Loaded.Waves));
}

void PlayKeySound(const std::string& programDir, const std::string& currentScheme,
                  const TMySchemeInfo& scheme, unsigned virtualKey, const KeyEvent& event) {
    // Typing bursts queue key messages behind this call: the path is built in a buffer that
    // keeps its capacity, so a key press normally allocates nothing.
    thread_local std::string path;
    const int type = KeyTypeOf(virtualKey);
    AssignKeySoundPath(path, programDir, currentScheme, scheme.SoundRef(type));
    SoundOutput& output = Output();
    LoadedSounds& loaded = output.Loaded;
    // The engine plays what was loaded for this very scheme; anything else (a ".mid" file, a
    // format it does not read, a file missing at load, a scheme not loaded through
    // LoadSchemeSounds) takes the platform's way, which plays presses only.
    const bool current = output.Engine && path == loaded.Paths[type];
    KeyTakes* own = current && event.Place ? FindKey(loaded, *event.Place) : nullptr;
    TakeSet* takes = nullptr;
    if (event.Release)
        takes = own && !own->Release.Sounds.empty() ? &own->Release : &loaded.TypeRelease[type];
    else if (own && !own->Press.Sounds.empty())
        takes = &own->Press;
    else if (current && loaded.Decoded[type])
        takes = &loaded.TypePress[type];
    if (takes && current) {
        if (output.Engine->Available()) {
            const int sound = PickTake(*takes, output.Random);
            if (sound >= 0)
                output.Engine->Play(sound, GainsOf(output.Options, event, virtualKey),
                                    PitchOf(output, event));
            return;
        }
        if (!event.Release)
            output.FellBack = true;
    }
    if (!event.Release)
        PlaySoundFile(path);
}

void SetSoundOptions(const TSoundOptions& options) {
    SoundOutput& output = Output();
    output.Options = options;
    if (output.Engine)
        output.Engine->SetDevice(WideId(options.DeviceId));
}

const TSoundOptions& CurrentSoundOptions() {
    return Output().Options;
}

bool EngineOutputInUse() noexcept {
    return Output().Engine != nullptr;
}

void PlayTestSound(const std::string& path) {
    SoundOutput& output = Output();
    if (output.Engine) {
        if (const auto wave = Decode(path)) {
            if (output.Engine->Available()) {
                const float gain = GainFromPercent(output.Options.Volume);
                output.Engine->Play(*wave, {gain, gain});
                return;
            }
            output.FellBack = true;
        }
    }
    PlaySoundFile(path);
}

bool TakeSoundFallbackNotice() noexcept {
    SoundOutput& output = Output();
    if (!output.FellBack || output.FallbackTold)
        return false;
    output.FallbackTold = true;
    return true;
}

size_t DecodedSoundBytes(const std::string& programDir, const std::string& currentScheme,
                         const TMySchemeInfo& scheme) {
    size_t bytes = 0;
    for (const auto& wave : LoadSounds(programDir, currentScheme, scheme).Waves) {
        bytes += wave->samples.size() * sizeof(int16_t);
        bytes += ConvertForDevice(wave->samples, wave->sampleRate, wave->channels,
                                  {48000, 2, SampleKind::Float32})
                     .Bytes();
    }
    return bytes;
}
