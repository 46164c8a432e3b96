// Start-up and the key path of the whole program under Wine:
//   StartupToTrayIcon   process start until the tray icon is in the notification area
//   StartupToReady      process start until the start-up has finished (message loop idle)
//   FormCreate          the main window's creation handler in this process, and its teardown
//   SchemeSetOpen      the Scheme Set dialog in this process: creation (its 104 key panels, the
//                      scheme list read from disk) and showing with every control painted; the
//                      whole opening, the creation alone and the closing as counters
//   KeyToPlaySound      SendInput key press until the program's PlaySound call (Wine's trace
//                       time stamps, 1 ms resolution) and until the sound's onset in the null
//                       sink's recording; beside it the bare PlaySoundA call-to-onset
//   FirstKey            the same for the first key after start-up, one fresh program per
//                       iteration: the first play call of a process opens the audio path
// Run: cmake/winenv.sh start DIR; cmake/wine-run.sh DIR bench/app_bench.exe
#include "AppDriver.h"
#include "Application.h"
#include "MainFrm.h"
#include "PubUnit.h"
#include "SchemeFrm.h"
#include "WineTest.h"

#include <windows.h>
#include <mmsystem.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

double Millis(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Percentiles(benchmark::State& state, const char* prefix, std::vector<double> values) {
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    auto at = [&](double q) { return values[static_cast<size_t>(q * (values.size() - 1))]; };
    state.counters[std::string(prefix) + "_min_ms"] = values.front();
    state.counters[std::string(prefix) + "_median_ms"] = at(0.5);
    state.counters[std::string(prefix) + "_p90_ms"] = at(0.9);
    state.counters[std::string(prefix) + "_n"] = static_cast<double>(values.size());
}

// Starts the program with Wine's time-stamped PlaySound trace and waits for its tray icon.
bool StartTraced(benchmark::State& state, app::ProgramDir& dir, app::AppProcess& tappolo) {
    if (tappolo.Start(dir, "+timestamp,trace+winmm") && tappolo.WaitTray(10s))
        return true;
    state.SkipWithError("the program did not start");
    return false;
}

// Presses Q once and records how long the program took to ask for the sound (Wine's trace) and
// until the sound began in the sink's recording; a measure that could not be taken is left out.
void PressAndMeasure(std::vector<double>& toCall, std::vector<double>& toOnset) {
    wt::PlaySoundTrace trace;
    wt::AudioRecording recording;
    const double pressed = static_cast<double>(GetTickCount());
    app::PressKey('Q');
    auto samples = recording.WaitForSound(2s, 0ms, 1500);
    const long onset = wt::OnsetIndex(samples, 1500);
    auto names = trace.TimedNames();
    if (!names.empty() && names.front().first >= 0)
        toCall.push_back(names.front().first - pressed);
    if (onset >= 0)
        toOnset.push_back(onset * 1000.0 / wt::kRecordRate);
}

void StartupToTrayIcon(benchmark::State& state) {
    app::ProgramDir dir("benchstart");
    dir.WriteSettings("Fight");
    std::vector<double> ready;
    for (auto _ : state) {
        app::AppProcess tappolo;
        auto start = std::chrono::steady_clock::now();
        tappolo.Start(dir);
        while (tappolo.Running() && !tappolo.TrayNow())
            std::this_thread::sleep_for(1ms);
        state.SetIterationTime(Millis(std::chrono::steady_clock::now() - start) / 1000.0);
        // WaitTray also waits for the message loop: the whole start-up.
        tappolo.WaitTray(10s);
        ready.push_back(Millis(std::chrono::steady_clock::now() - start));
        tappolo.Kill();
    }
    Percentiles(state, "ready", ready);
}
BENCHMARK(StartupToTrayIcon)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The forms read the schemes beside this executable.
void CopyFight() {
    std::string dir = wt::UnixToWinPath(TAPPOLO_OUT_DIR) + "\\schemes\\Fight.tss";
    CreateDirectoryA((GetProgramDir() + "schemes").c_str(), nullptr);
    CopyFileA(dir.c_str(), (GetProgramDir() + "schemes\\Fight.tss").c_str(), FALSE);
}

void FormCreate(benchmark::State& state) {
    CopyFight();
    Application.Initialize();
    for (auto _ : state) {
        MySetInfo = std::make_unique<TMySetInfo>();
        MySetInfo->CurrentScheme = "Fight";
        auto* form = TForm::Create<TMainForm>(&Application);
        state.PauseTiming();
        wt::PumpMessages(1ms);
        state.ResumeTiming();
        TComponent::Free(form);
    }
}
BENCHMARK(FormCreate)->Unit(benchmark::kMillisecond)->Iterations(20);

void SchemeSetOpen(benchmark::State& state) {
    CopyFight();
    Application.Initialize();
    std::vector<double> creating, opening, closing;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        auto* form = TForm::Create<TSchemeForm>(&Application);
        creating.push_back(Millis(std::chrono::steady_clock::now() - begin));
        form->Show();
        RedrawWindow(form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        opening.push_back(Millis(std::chrono::steady_clock::now() - begin));
        state.PauseTiming();
        const auto start = std::chrono::steady_clock::now();
        TComponent::Free(form);
        closing.push_back(Millis(std::chrono::steady_clock::now() - start));
        wt::PumpMessages(1ms);
        state.ResumeTiming();
    }
    Percentiles(state, "open", opening);
    Percentiles(state, "create", creating);
    Percentiles(state, "close", closing);
}
BENCHMARK(SchemeSetOpen)->Unit(benchmark::kMillisecond)->Iterations(30);

void KeyToPlaySound(benchmark::State& state) {
    app::ProgramDir dir("benchkeys");
    dir.WriteSettings("Fight");
    app::AppProcess tappolo;
    if (!StartTraced(state, dir, tappolo))
        return;
    const int keys = static_cast<int>(state.range(0));
    std::vector<double> toCall, toOnset, bare;
    for (auto _ : state) {
        for (int i = 0; i < keys; ++i) {
            PressAndMeasure(toCall, toOnset);
            // The recording runs behind the sink: the last sound must be well gone from it.
            std::this_thread::sleep_for(400ms);
        }
        // The reference: the platform call alone, in this process, on the same file.
        const std::string letter = dir.SchemesPath() + "Fight\\letter.wav";
        for (int i = 0; i < keys / 4; ++i) {
            wt::AudioRecording recording;
            PlaySoundA(letter.c_str(), nullptr, SND_ASYNC);
            auto samples = recording.WaitForSound(2s, 0ms, 1500);
            long onset = wt::OnsetIndex(samples, 1500);
            if (onset >= 0)
                bare.push_back(onset * 1000.0 / wt::kRecordRate);
            std::this_thread::sleep_for(400ms);
        }
    }
    Percentiles(state, "key_to_call", toCall);
    Percentiles(state, "key_to_onset", toOnset);
    Percentiles(state, "bare_call_to_onset", bare);
}
BENCHMARK(KeyToPlaySound)->Arg(200)->Iterations(1)->Unit(benchmark::kSecond);

void FirstKey(benchmark::State& state) {
    app::ProgramDir dir("benchfirst");
    dir.WriteSettings("Fight");
    std::vector<double> toCall, toOnset;
    for (auto _ : state) {
        app::AppProcess tappolo;
        if (!StartTraced(state, dir, tappolo))
            return;
        // A user's first key comes a while after the icon appears.
        std::this_thread::sleep_for(500ms);
        PressAndMeasure(toCall, toOnset);
        tappolo.Kill();
        std::this_thread::sleep_for(400ms);
    }
    Percentiles(state, "key_to_call", toCall);
    Percentiles(state, "key_to_onset", toOnset);
}
BENCHMARK(FirstKey)->Iterations(10)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
