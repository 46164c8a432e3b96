#include "KeySound.h"

#include "AudioEngine.h"
#include "DataPaths.h"
#include "DeviceFormat.h"
#include "FileSystem.h"
#include "KeyTypes.h"
#include "NameRules.h"
#include "PubFunction.h"
#include "WaveFile.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <cstring>

namespace {

// The engine, the paths its sounds were loaded from and which of them it could decode;
// touched on the UI thread only.
struct SoundOutput {
    std::unique_ptr<TAudioEngine> Engine;
    std::array<std::string, KeyTypeCount> Paths;
    std::array<bool, KeyTypeCount> Decoded{};
    // A sound went to the platform's player because the engine could not play it; the user is
    // told once.
    bool FellBack = false;
    bool FallbackTold = false;
    TSoundOptions Options;
};
SoundOutput& Output() {
    static SoundOutput output;
    return output;
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

SchemeWaves DecodeScheme(const std::string& programDir, const std::string& currentScheme,
                         const TMySchemeInfo& scheme,
                         std::array<std::string, KeyTypeCount>& paths) {
    SchemeWaves waves;
    for (int type = 0; type < KeyTypeCount; ++type) {
        paths[type] = KeySoundPath(programDir, currentScheme, scheme.SoundRef(type));
        waves[type] = Decode(paths[type]);
    }
    return waves;
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
    auto waves = std::make_shared<SchemeWaves>(
        DecodeScheme(programDir, currentScheme, scheme, output.Paths));
    for (int type = 0; type < KeyTypeCount; ++type)
        output.Decoded[type] = (*waves)[type] != nullptr;
    output.Engine->SetSounds(std::move(waves));
}

void PlayKeySound(const std::string& programDir, const std::string& currentScheme,
                  const TMySchemeInfo& scheme, unsigned virtualKey) {
    // Typing bursts queue key messages behind this call: the path is built in a buffer that
    // keeps its capacity, so a key press normally allocates nothing.
    thread_local std::string path;
    const int type = KeyTypeOf(virtualKey);
    AssignKeySoundPath(path, programDir, currentScheme, scheme.SoundRef(type));
    SoundOutput& output = Output();
    // The engine plays what it decoded for this very path; anything else (a ".mid" file, a
    // format it does not read, a file missing at load, a scheme not loaded through
    // LoadSchemeSounds) takes the platform's way.
    if (output.Engine && path == output.Paths[type] && output.Decoded[type]) {
        if (output.Engine->Available()) {
            output.Engine->Play(type);
            return;
        }
        output.FellBack = true;
    }
    PlaySoundFile(path);
}

void SetSoundOptions(const TSoundOptions& options) {
    Output().Options = options;
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
                output.Engine->Play(*wave);
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
    std::array<std::string, KeyTypeCount> paths;
    size_t bytes = 0;
    for (const auto& wave : DecodeScheme(programDir, currentScheme, scheme, paths)) {
        if (!wave)
            continue;
        bytes += wave->samples.size() * sizeof(int16_t);
        bytes += ConvertForDevice(wave->samples, wave->sampleRate, wave->channels,
                                  {48000, 2, SampleKind::Float32})
                     .Bytes();
    }
    return bytes;
}
