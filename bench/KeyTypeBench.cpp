// The pure part of a key press: key type, sound name, path. Everything the platform does
// afterwards (existence test, PlaySound) is measured under Wine by key_path_bench.
#include "KeyTypes.h"
#include "PubClassUnit.h"
#include "DataPaths.h"

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

} // namespace

BENCHMARK_MAIN();
