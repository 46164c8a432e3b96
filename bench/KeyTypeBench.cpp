// The pure part of a key press: key type, sound name, path, and the pitch a press may be
// played at. Everything the platform does afterwards (existence test, PlaySound) is measured
// under Wine by key_path_bench.
#include "KeyTypes.h"
#include "PubClassUnit.h"
#include "DataPaths.h"
#include "Mixer.h"
#include "VoiceShaping.h"

#include <benchmark/benchmark.h>

namespace {

// A typing mix: letters mostly, some digits, space, enter, backspace, shift.
const unsigned Keys[] = {'T', 'A', 'P', 'P', 'O', 'L', 'O', ' ', '1', '9', 13, 8, 16, 'Q'};

TMySchemeInfo MakeScheme() {
    TMySchemeInfo scheme;
    for (int type = 0; type < KeyTypeCount; ++type)
        scheme.SetSound(type, "sound of key type " + std::to_string(type) + ".wav");
    return scheme;
}

const std::string ProgramDir = "C:\\Program Files\\Tappolo\\";
const std::string CurrentScheme = "Fight";

void KeyType(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KeyTypeOf(Keys[i]));
        i = (i + 1) % std::size(Keys);
    }
}
BENCHMARK(KeyType);

// The plain form: the name copied out and a new path string per key.
void KeySoundPathPerKey(benchmark::State& state) {
    const TMySchemeInfo scheme = MakeScheme();
    std::size_t i = 0;
    for (auto _ : state) {
        std::string path =
            KeySoundPath(ProgramDir, CurrentScheme, scheme.GetSound(KeyTypeOf(Keys[i])));
        benchmark::DoNotOptimize(path.data());
        i = (i + 1) % std::size(Keys);
    }
}
BENCHMARK(KeySoundPathPerKey);

// What PlayKeySound does: the name by reference, the path into a buffer kept between keys.
void KeySoundPathReused(benchmark::State& state) {
    const TMySchemeInfo scheme = MakeScheme();
    std::string path;
    std::size_t i = 0;
    for (auto _ : state) {
        AssignKeySoundPath(path, ProgramDir, CurrentScheme, scheme.SoundRef(KeyTypeOf(Keys[i])));
        benchmark::DoNotOptimize(path.data());
        i = (i + 1) % std::size(Keys);
    }
}
BENCHMARK(KeySoundPathReused);

// Pitch variation: a 120 ms stereo sound at 44.1 kHz resampled 1.5 semitones up and down,
// the work of a press with variation on as its sound plays.
std::shared_ptr<DeviceSound> KeySoundOf120Ms() {
    auto sound = std::make_shared<DeviceSound>();
    sound->Channels = 2;
    sound->Samples.resize(5292 * 2);
    for (size_t i = 0; i < sound->Samples.size(); ++i)
        sound->Samples[i] = static_cast<float>((i * 7919) % 2001) / 1000.0f - 1.0f;
    return sound;
}

void PitchOfAKeySound(benchmark::State& state) {
    const auto sound = KeySoundOf120Ms();
    double semitones = 1.5;
    for (auto _ : state) {
        std::vector<float> pitched = ResampleForPitch(sound->Samples, 2, semitones);
        benchmark::DoNotOptimize(pitched.data());
        semitones = -semitones;
    }
}
BENCHMARK(PitchOfAKeySound)->Unit(benchmark::kMicrosecond);

// What a press with variation on waits for before its sound starts: the first buffer the
// engine writes (100 ms), mixed at the sound's pitch.
void PitchedBufferOfAKeySound(benchmark::State& state) {
    const std::shared_ptr<const DeviceSound> sound = KeySoundOf120Ms();
    std::vector<float> buffer(4410 * 2);
    double semitones = 1.5;
    for (auto _ : state) {
        Mixer mixer(88, 4410);
        mixer.Start(sound, {}, semitones);
        mixer.Render(buffer, 2);
        benchmark::DoNotOptimize(buffer.data());
        semitones = -semitones;
    }
}
BENCHMARK(PitchedBufferOfAKeySound)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
