// The speech path of one key message: the spoken text of the key, its conversion and the
// Speak call through COM into our stand-in voice (tests/support/speechstub), which speaks
// nothing, so what is measured is our side of the call. Run inside the test environment:
//   cmake/wine-run.sh build/win64/winenv build/win64/bench/speech_bench.exe
#include "KeySpeech.h"
#include "SpeechEngine.h"
#include "SpeechStub.h"

#include <windows.h>

#include <benchmark/benchmark.h>

namespace {

short LocksClear(int) {
    return 0;
}

// The key codes of a typed sentence, with a lock key among them.
const unsigned kKeys[] = {84, 72, 69, 32, 20, 81, 85, 73, 67, 75, 13, 49, 112, 8};

void SpeakKeys(benchmark::State& state, int voices) {
    speechstub::Configure("", voices, false);
    TSpeechEngine engine;
    if (engine.DetectSpeechEngine() == SpeechEngineNone) {
        state.SkipWithError("no speech engine (is the stub registered?)");
        return;
    }
    size_t next = 0;
    for (auto _ : state) {
        engine.SpeakText(KeySpeechText(kKeys[next], LocksClear));
        next = (next + 1) % std::size(kKeys);
    }
}

void BM_SpeakKeySapi(benchmark::State& state) {
    SpeakKeys(state, 2);
}
BENCHMARK(BM_SpeakKeySapi);

void BM_SpeakKeyVoiceText(benchmark::State& state) {
    SpeakKeys(state, 1);
}
BENCHMARK(BM_SpeakKeyVoiceText);

// The text alone, for comparison with the whole path.
void BM_KeySpeechText(benchmark::State& state) {
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KeySpeechText(kKeys[next], LocksClear));
        next = (next + 1) % std::size(kKeys);
    }
}
BENCHMARK(BM_KeySpeechText);

} // namespace

int main(int argc, char** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ||
        !speechstub::Register(speechstub::Both))
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    speechstub::Unregister(speechstub::Both);
    speechstub::ClearConfiguration();
    CoUninitialize();
    return 0;
}
