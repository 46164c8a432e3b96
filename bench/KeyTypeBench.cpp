// The pure part of a key press: key type, sound name, path, and the pitch a press may be
// played at. Everything the platform does afterwards (existence test, PlaySound) is measured
// under Wine by key_path_bench.
#include "KeyTypes.h"
#include "PubClassUnit.h"
#include "DataPaths.h"
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
// as a press with variation on asks for before its sound can start.
void PitchOfAKeySound(benchmark::State& state) {
    std::vector<float> sound(5292 * 2);
    for (size_t i = 0; i < sound.size(); ++i)
        sound[i] = static_cast<float>((i * 7919) % 2001) / 1000.0f - 1.0f;
    double semitones = 1.5;
    for (auto _ : state) {
        std::vector<float> pitched = ResampleForPitch(sound, 2, semitones);
        benchmark::DoNotOptimize(pitched.data());
        semitones = -semitones;
    }
}
BENCHMARK(PitchOfAKeySound)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
