// The whole key-press path under the platform, beside the bare platform calls it cannot avoid
// (the existence test and PlaySoundA on the same file): the ratio is our code's overhead.
// Run inside the test environment, where PlaySound has a device (the null sink):
//   cmake/wine-run.sh build/win64/winenv build/win64/bench/key_path_bench.exe
#include "KeySound.h"

#include <windows.h>
#include <mmsystem.h>

#include <benchmark/benchmark.h>

#include <fstream>

namespace {

struct Setup {
    std::string ProgramDir;
    std::string Scheme = "Bench";
    TMySchemeInfo Sounds;
    std::string LetterPath;
};

// A short silent wave file: the cost measured is starting it, not hearing it.
std::string SilentWav() {
    const unsigned rate = 22050, bytes = rate / 50 * 2;
    auto put = [](std::string& s, unsigned v, int size) {
        for (int i = 0; i < size; ++i)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    std::string wav = "RIFF";
    put(wav, 36 + bytes, 4);
    wav += "WAVEfmt ";
    put(wav, 16, 4);
    put(wav, 1, 2);
    put(wav, 1, 2);
    put(wav, rate, 4);
    put(wav, rate * 2, 4);
    put(wav, 2, 2);
    put(wav, 16, 2);
    wav += "data";
    put(wav, bytes, 4);
    return wav + std::string(bytes, '\0');
}

const Setup& TheSetup() {
    static const Setup setup = [] {
        Setup s;
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        s.ProgramDir =
            std::string(temp) + "tappolo-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(s.ProgramDir.c_str(), nullptr);
        CreateDirectoryA((s.ProgramDir + "schemes").c_str(), nullptr);
        const std::string folder = s.ProgramDir + "schemes\\" + s.Scheme + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        std::ofstream(folder + "letter.wav", std::ios::binary) << SilentWav();
        s.Sounds.SetSound(KeyType::Letter, "letter.wav");
        s.LetterPath = folder + "letter.wav";
        return s;
    }();
    return setup;
}

void PlayKeySoundLetter(benchmark::State& state) {
    const Setup& s = TheSetup();
    for (auto _ : state)
        PlayKeySound(s.ProgramDir, s.Scheme, s.Sounds, 'A');
    PlaySoundA(nullptr, nullptr, 0);
}
BENCHMARK(PlayKeySoundLetter);

void BarePlatformCalls(benchmark::State& state) {
    const Setup& s = TheSetup();
    for (auto _ : state) {
        DWORD attributes = GetFileAttributesA(s.LetterPath.c_str());
        benchmark::DoNotOptimize(attributes);
        PlaySoundA(s.LetterPath.c_str(), nullptr, SND_ASYNC);
    }
    PlaySoundA(nullptr, nullptr, 0);
}
BENCHMARK(BarePlatformCalls);

// A key whose type has no sound: path, existence test, nothing to play.
void PlayKeySoundSilentKey(benchmark::State& state) {
    const Setup& s = TheSetup();
    for (auto _ : state)
        PlayKeySound(s.ProgramDir, s.Scheme, s.Sounds, ' ');
}
BENCHMARK(PlayKeySoundSilentKey);

void BareExistenceTest(benchmark::State& state) {
    const std::string missing = TheSetup().ProgramDir + "schemes\\Bench\\";
    for (auto _ : state) {
        DWORD attributes = GetFileAttributesA(missing.c_str());
        benchmark::DoNotOptimize(attributes);
    }
}
BENCHMARK(BareExistenceTest);

} // namespace

BENCHMARK_MAIN();
