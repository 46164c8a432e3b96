// Key to sound through the program's own engine, against a bare PlaySound program, in one run:
// real key presses (SendInput) reach each program's keyboard hook, and each sound's onset is
// found in the recording of the private PulseAudio null sink.
//   KeyToSound   median and p90 from key press to onset at 250 ms and at 70 ms between keys,
//                each program; the first key after the program started (the engine's: the
//                median of six starts), and the engine's first key after 2 s and after 8 s
//                of silence (eight of each); how many key sounds were not
//                heard whole (a stretch of digital silence inside the sound: *_not_whole);
//                idle wakeups per second (voluntary and involuntary context switches of
//                the threads there throughout, read from /proc, over 10 s from 1 s after the last
//                key); CPU time per 100 keys; the memory the decoded Fight scheme takes; and the
//                idle wakeups of Tappolo itself on the platform's player (TAPPOLO_AUDIO=winmm).
//                The *_ratio counters are engine / bare program (first keys: / engine median).
//                The engine twice more: with a release sound for every key (releases_*), and
//                with every sound option on besides (volume 150 %, stereo by place at full
//                width, pitch varied by up to 2 semitones: options_*); ratio_releases_* and
//                ratio_options_* against the engine without either. The three are measured in
//                two rounds of 50 + 50 keys, the second in the opposite order.
// The key sound is a struck tone of 120 ms that dies away: at 70 ms between keys each sound
// still plays when the next key comes, so an onset is where the level jumps, not where
// silence ends.
// Run: cmake/winenv.sh start DIR; cmake/wine-run.sh DIR bench/sound_engine_bench.exe
#include "AppDriver.h"
#include "KeySound.h"
#include "PubClassUnit.h"
#include "SchemeKeySounds.h"
#include "SoundOptions.h"
#include "UniqueHandle_win.h"
#include "WineTest.h"

#include <windows.h>
#include <mmsystem.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

using namespace std::chrono_literals;

namespace {

constexpr int kThreshold = 1500;
constexpr double kRate = wt::kRecordRate;
constexpr int kSoundMs = 120;
// A stretch of digital silence this long inside a sound is a gap a listener hears.
constexpr long kGap = wt::kRecordRate / 1000;

double Now() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Where the recording stands in time. The recorder appends in chunks of about 10 ms, so the
// size read at a moment lags it by part of a chunk; a straight line fitted to (samples - rate *
// time) over many readings places a moment where a reading at that moment would on average,
// without the chunk's jitter, and follows the sink's clock where it drifts from this one (a
// constant offset put a key after 8 s of silence milliseconds late). (The null sink renders
// ahead of time, so no reading gives a true zero: the delays below are what the recording's
// mark at the key press gives, the same for both programs.)
class RecordingClock {
public:
    void Observe() {
        const double t = Now() - FOrigin;
        const double y = static_cast<double>(FRecording.SamplesNow()) - kRate * (FOrigin + t);
        FT += t;
        FY += y;
        FTT += t * t;
        FTY += t * y;
        ++FCount;
    }
    void WaitUntil(double until) {
        do {
            Observe();
            Sleep(1);
        } while (Now() < until);
    }
    // The recorded samples since construction, and where a moment falls among them.
    std::vector<int16_t> Samples() { return FRecording.Samples(0ms); }
    double IndexAt(double time) const {
        const double n = static_cast<double>(FCount), t = time - FOrigin;
        const double spread = n * FTT - FT * FT;
        const double slope = spread > 0 ? (n * FTY - FT * FY) / spread : 0;
        const double offset = (FY - slope * FT) / n;
        return kRate * time + offset + slope * t - static_cast<double>(FRecording.StartSample());
    }

private:
    wt::AudioRecording FRecording;
    double FOrigin = Now();
    double FT = 0, FY = 0, FTT = 0, FTY = 0;
    long FCount = 0;
};

// What one key press gave: the delay to its sound's onset, in ms, and whether the sound was
// heard whole up to where the next key's sound took over (or to its end).
struct Heard {
    double Delay = 0;
    bool Whole = true;
};

struct Series {
    std::vector<double> Delays;
    int NotWhole = 0;
    int Missed = 0;
};

// Presses Q `count` times, `spacing` apart (after `silence` before each press, when given),
// and gives what each press was heard as.
// A sound played higher is shorter: `soundMs` is the shortest it may be.
Series TypeAndHear(int count, std::chrono::milliseconds spacing,
                   std::chrono::milliseconds silence = 0ms, int soundMs = kSoundMs) {
    RecordingClock clock;
    std::vector<double> presses;
    clock.WaitUntil(Now() + 0.2);
    for (int i = 0; i < count; ++i) {
        if (silence > 0ms)
            clock.WaitUntil(Now() + silence.count() / 1000.0);
        const double pressed = Now();
        presses.push_back(pressed);
        app::PressKey('Q');
        clock.WaitUntil(pressed + spacing.count() / 1000.0);
    }
    clock.WaitUntil(Now() + 0.5);
    const auto samples = clock.Samples();
    Series series;
    const double window = std::min<double>(static_cast<double>(spacing.count()) - 10, 200.0);
    std::vector<long> onsets;
    for (const double pressed : presses) {
        const double at = clock.IndexAt(pressed);
        // A mark can fall after a fast sound's onset: the search starts 10 ms before it.
        const long onset = wt::JumpOnset(samples, static_cast<long>(at - 0.010 * kRate),
                                         static_cast<long>(at + window * kRate / 1000), kThreshold);
        onsets.push_back(onset);
        if (onset < 0)
            ++series.Missed;
        else
            series.Delays.push_back((static_cast<double>(onset) - at) * 1000 / kRate);
    }
    for (size_t k = 0; k < onsets.size(); ++k) {
        if (onsets[k] < 0)
            continue;
        // Up to shortly before the sound's end (the platform's player drops its last few
        // milliseconds), or to the next sound's onset: a sound that stops when the next key
        // comes, and the next one starting a moment later, leave a silence just before it.
        long end = onsets[k] + static_cast<long>((soundMs - 10) * kRate / 1000);
        if (k + 1 < onsets.size()) {
            const long next = onsets[k + 1] >= 0 ? onsets[k + 1]
                                                 : static_cast<long>(clock.IndexAt(presses[k + 1]));
            end = std::min(end, next - static_cast<long>(0.001 * kRate));
        }
        const long gap = wt::LongestSilence(samples, onsets[k], end);
        if (gap < kGap)
            continue;
        ++series.NotWhole;
        // Where it fell, for whoever looks into it.
        long run = 0, at = onsets[k];
        for (long i = onsets[k]; i < end && run < gap; ++i) {
            run = std::abs(static_cast<int>(samples[i])) <= 8 ? run + 1 : 0;
            at = i + 1 - run;
        }
        std::fprintf(stderr,
                     "not whole: key %zu of %zu, %lld ms apart: %.1f ms of silence %.1f ms in\n",
                     k + 1, onsets.size(), static_cast<long long>(spacing.count()),
                     static_cast<double>(gap) * 1000 / kRate,
                     static_cast<double>(at - onsets[k]) * 1000 / kRate);
    }
    return series;
}

void Append(Series& into, const Series& more) {
    into.Delays.insert(into.Delays.end(), more.Delays.begin(), more.Delays.end());
    into.NotWhole += more.NotWhole;
    into.Missed += more.Missed;
}

double Quantile(std::vector<double> values, double q) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

// The Linux side of a Wine process: its process id, found by a text of its command line.
struct ProcStats {
    std::map<long, double> Switches; // voluntary + involuntary, by thread
    double CpuMs = 0;                // user + system, all threads, ended ones too
};

std::string ShellOut(const std::string& command) {
    const std::string file = wt::Env("TAPPOLO_WINENV") + "/bench-out.txt";
    if (!wt::RunLinuxShell("{ " + command + "; } >" + file, 10s))
        return {};
    return wt::ReadFileBytes(wt::UnixToWinPath(file));
}

// A program of the benchmark's own folder (a name no other process has) by its file name. The
// last letter of each name goes in brackets, so that the pattern does not match the shell that
// searches with it.
std::string UnixPid(const std::string& folder, const std::string& exe) {
    auto pattern = [](const std::string& name) {
        return name.substr(0, name.size() - 1) + "[" + name.back() + "]";
    };
    std::istringstream pids(
        ShellOut("for p in /proc/[0-9]*; do tr \"\\0\" \" \" <$p/cmdline 2>/dev/null | grep -q \"" +
                 pattern(folder) + ".*" + pattern(exe) + "\" && echo ${p#/proc/}; done"));
    std::string pid;
    pids >> pid;
    return pid;
}

ProcStats Stats(const std::string& pid) {
    std::istringstream values(ShellOut(
        "awk \"{print \\$14+\\$15}\" /proc/" + pid + "/stat; getconf CLK_TCK; for t in /proc/" +
        pid + "/task/*; do echo ${t##*/} $(cat $t/status 2>/dev/null | awk \"/ctxt_switches/ " +
        "{s+=\\$2} END {print s+0}\"); done"));
    ProcStats stats;
    double ticks = 0, perSecond = 100;
    values >> ticks >> perSecond;
    stats.CpuMs = ticks * 1000 / perSecond;
    long thread = 0;
    double switches = 0;
    while (values >> thread >> switches)
        stats.Switches[thread] = switches;
    return stats;
}

// Context switches per second between two readings `seconds` apart, of the threads there at
// both: a thread that ends takes its count with it, and would pull the sum down.
double WakeupsPerSecond(const ProcStats& start, const ProcStats& end, double seconds) {
    double sum = 0;
    for (const auto& [thread, switches] : end.Switches)
        if (const auto before = start.Switches.find(thread); before != start.Switches.end())
            sum += switches - before->second;
    return sum / seconds;
}

struct ProgramRun {
    Series First, At250, At70;
    // Over the runs merged into this one: CPU time of the 70 ms series and their keys, and the
    // idle wakeups per second of each run, summed.
    double CpuMs = 0, Keys = 0, IdleSum = 0;
    int IdleRuns = 0;
    double CpuPer100() const { return Keys > 0 ? CpuMs * 100 / Keys : -1; }
    double IdleWakeups() const { return IdleRuns > 0 ? IdleSum / IdleRuns : -1; }
};

// The measures both programs share, once the program is up and listening: `keys` at 250 ms
// and as many at 70 ms between keys.
ProgramRun Measure(const std::string& pid, int soundMs = kSoundMs, int keys = 100) {
    ProgramRun run;
    // The first key after the start, then two more: the first sounds of a process open its
    // audio path.
    run.First = TypeAndHear(1, 250ms, 0ms, soundMs);
    TypeAndHear(2, 250ms);
    run.At250 = TypeAndHear(keys, 250ms, 0ms, soundMs);
    const ProcStats before = Stats(pid);
    run.At70 = TypeAndHear(keys, 70ms, 0ms, soundMs);
    const ProcStats after = Stats(pid);
    run.CpuMs = after.CpuMs - before.CpuMs;
    run.Keys = keys;
    wt::PumpMessages(1s);
    const ProcStats idleStart = Stats(pid);
    wt::PumpMessages(10s);
    const ProcStats idleEnd = Stats(pid);
    run.IdleSum = WakeupsPerSecond(idleStart, idleEnd, 10);
    run.IdleRuns = 1;
    return run;
}

// Adds a run of the same program to the runs before it.
void Merge(ProgramRun& into, const ProgramRun& run) {
    Append(into.First, run.First);
    Append(into.At250, run.At250);
    Append(into.At70, run.At70);
    into.CpuMs += run.CpuMs;
    into.Keys += run.Keys;
    into.IdleSum += run.IdleSum;
    into.IdleRuns += run.IdleRuns;
}

// The last name of the program folder's path.
std::string Folder(const app::ProgramDir& dir) {
    std::string path = dir.Path().substr(0, dir.Path().size() - 1);
    return path.substr(path.find_last_of('\\') + 1);
}

void KeyToSound(benchmark::State& state) {
    timeBeginPeriod(1);
    app::ProgramDir dir("enginebench");
    dir.AddScheme("Bench.tss", app::DistinctSounds(), "Bench");
    dir.WriteSettings("Bench");
    // Q's sound: a 30 ms tone, short enough to leave silence between keys 70 ms apart.
    const std::string sound = dir.SchemesPath() + "Bench\\" + app::DistinctSounds()[12];
    wt::WriteFileBytes(sound, wt::MakeWav(wt::StruckTone(1000, kSoundMs), wt::kRecordRate));

    // The first input a process sends takes hundreds of milliseconds under Wine, before any
    // hook sees it (283 ms measured with no program listening, the next ones under 1 ms): the
    // bench's own first key goes where nobody listens, so that the programs' first keys are
    // not charged with it.
    app::PressKey(VK_F24);
    ProgramRun engine, releases, options, bare;
    Series after2s, after8s;
    double winmmIdleWakeups = -1;
    // The first key after start is one sample a start: it is taken from six starts (four
    // here, and the two rounds of the plain engine below).
    constexpr int kStarts = 4;
    Series engineFirsts;
    for (auto _ : state) {
        for (int start = 0; start < kStarts; ++start) {
            app::AppProcess tappolo;
            tappolo.Audio = "wasapi";
            if (!tappolo.Start(dir) || !tappolo.WaitTray(10s))
                return state.SkipWithError("the program did not start");
            wt::PumpMessages(1s);
            Append(engineFirsts, TypeAndHear(1, 250ms));
        }
        // The engine plain, with release sounds and with every option on, in two rounds, the
        // second in the opposite order: a machine that gets busier or quieter meanwhile weighs
        // on all three alike.
        wt::WriteFileBytes(dir.SchemesPath() + "Bench\\up.wav", wt::MakeToneWav(300, 40, 3000));
        for (ProgramRun* run : {&engine, &releases, &options, &options, &releases, &engine}) {
            TSchemeKeySounds withReleases;
            if (run != &engine) {
                // A release sound for every key (a short low tone).
                for (auto& type : withReleases.TypeRelease)
                    type = {"up.wav"};
                withReleases.SaveToFile(dir.SchemesPath() + "Bench.tsk");
            } else {
                DeleteFileA((dir.SchemesPath() + "Bench.tsk").c_str());
            }
            TSoundOptions on;
            if (run == &options) {
                on.Volume = 150;
                on.StereoByPosition = true;
                on.StereoWidth = 100;
                on.Variation = true;
                on.PitchRange = 20;
            }
            if (run == &engine)
                DeleteFileA(dir.SoundOptionsPath().c_str());
            else
                SaveSoundOptions(dir.SoundOptionsPath(), on);
            app::AppProcess tappolo;
            tappolo.Audio = "wasapi";
            if (!tappolo.Start(dir) || !tappolo.WaitTray(10s))
                return state.SkipWithError("the program did not start");
            wt::PumpMessages(1s);
            const std::string pid = UnixPid(Folder(dir), "Tappolo.exe");
            if (pid.empty())
                return state.SkipWithError("the program's Linux process was not found");
            // Two semitones up, the sound lasts 120 / 2^(2/12) = 107 ms.
            const ProgramRun measured = Measure(pid, run == &options ? 105 : kSoundMs, 50);
            if (run == &engine) {
                Append(engineFirsts, measured.First);
                if (after2s.Delays.empty())
                    for (int i = 0; i < 8; ++i) {
                        Append(after2s, TypeAndHear(1, 300ms, 2s));
                        Append(after8s, TypeAndHear(1, 300ms, 8s));
                    }
            }
            Merge(*run, measured);
        }
        DeleteFileA(dir.SoundOptionsPath().c_str());
        DeleteFileA((dir.SchemesPath() + "Bench.tsk").c_str());
        {
            // Beside them, the program itself on the platform's player: what it costs idle
            // without the engine.
            app::AppProcess tappolo;
            tappolo.Audio = "winmm";
            if (!tappolo.Start(dir) || !tappolo.WaitTray(10s))
                return state.SkipWithError("the program did not start on the platform's player");
            wt::PumpMessages(1s);
            const std::string pid = UnixPid(Folder(dir), "Tappolo.exe");
            TypeAndHear(3, 250ms);
            wt::PumpMessages(1s);
            const ProcStats idleStart = Stats(pid);
            wt::PumpMessages(10s);
            winmmIdleWakeups = WakeupsPerSecond(idleStart, Stats(pid), 10);
        }
        {
            const std::string exe = dir.Path() + "bare_playsound.exe";
            CopyFileA((wt::UnixToWinPath(TAPPOLO_BENCH_DIR) + "\\bare_playsound.exe").c_str(),
                      exe.c_str(), FALSE);
            std::string command = "\"" + exe + "\" \"" + sound + "\"";
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION info{};
            if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &info))
                return state.SkipWithError("the bare PlaySound program did not start");
            UniqueKernelHandle process(info.hProcess), thread(info.hThread);
            wt::PumpMessages(1500ms);
            const std::string pid = UnixPid(Folder(dir), "bare_playsound.exe");
            if (!pid.empty())
                bare = Measure(pid);
            TerminateProcess(process.Get(), 0);
            WaitForSingleObject(process.Get(), 5000);
            if (pid.empty())
                return state.SkipWithError("the bare program's Linux process was not found");
        }
    }
    auto& c = state.counters;
    auto put = [&](const std::string& name, const Series& series) {
        c[name + "_median_ms"] = Quantile(series.Delays, 0.5);
        c[name + "_p90_ms"] = Quantile(series.Delays, 0.9);
        c[name + "_n"] = static_cast<double>(series.Delays.size());
        c[name + "_not_whole"] = series.NotWhole;
        c[name + "_missed"] = series.Missed;
    };
    put("engine_first", engineFirsts);
    put("bare_first", bare.First);
    put("engine_250", engine.At250);
    put("bare_250", bare.At250);
    put("engine_70", engine.At70);
    put("bare_70", bare.At70);
    put("engine_after2s", after2s);
    put("engine_after8s", after8s);
    auto median = [](const Series& series) { return Quantile(series.Delays, 0.5); };
    auto p90 = [](const Series& series) { return Quantile(series.Delays, 0.9); };
    c["ratio_250_median"] = median(engine.At250) / median(bare.At250);
    c["ratio_250_p90"] = p90(engine.At250) / p90(bare.At250);
    c["ratio_70_median"] = median(engine.At70) / median(bare.At70);
    c["ratio_70_p90"] = p90(engine.At70) / p90(bare.At70);
    c["ratio_first_to_median"] = median(engineFirsts) / median(engine.At250);
    c["ratio_after2s_to_median"] = median(after2s) / median(engine.At250);
    c["ratio_after8s_to_median"] = median(after8s) / median(engine.At250);
    c["engine_idle_wakeups_per_s"] = engine.IdleWakeups();
    c["bare_idle_wakeups_per_s"] = bare.IdleWakeups();
    c["ratio_idle_wakeups"] = engine.IdleWakeups() / bare.IdleWakeups();
    c["winmm_tappolo_idle_wakeups_per_s"] = winmmIdleWakeups;
    c["engine_cpu_ms_per_100_keys"] = engine.CpuPer100();
    c["bare_cpu_ms_per_100_keys"] = bare.CpuPer100();
    c["ratio_cpu_per_100_keys"] = engine.CpuPer100() / bare.CpuPer100();
    put("releases_250", releases.At250);
    put("releases_70", releases.At70);
    c["releases_cpu_ms_per_100_keys"] = releases.CpuPer100();
    c["ratio_releases_250_median"] = median(releases.At250) / median(engine.At250);
    c["ratio_releases_70_median"] = median(releases.At70) / median(engine.At70);
    c["ratio_releases_cpu_per_100_keys"] = releases.CpuPer100() / engine.CpuPer100();
    put("options_250", options.At250);
    put("options_70", options.At70);
    put("options_first", options.First);
    c["options_idle_wakeups_per_s"] = options.IdleWakeups();
    c["options_cpu_ms_per_100_keys"] = options.CpuPer100();
    c["ratio_options_250_median"] = median(options.At250) / median(engine.At250);
    c["ratio_options_70_median"] = median(options.At70) / median(engine.At70);
    c["ratio_options_cpu_per_100_keys"] = options.CpuPer100() / engine.CpuPer100();
    c["ratio_options_250_to_bare_median"] = median(options.At250) / median(bare.At250);

    // The decoded sounds of the Fight scheme: the files' samples and the device copies.
    const std::string out = wt::UnixToWinPath(TAPPOLO_OUT_DIR) + "\\";
    TMySchemeInfo fight;
    fight.LoadFromFile(out + "schemes\\Fight.tss", false);
    c["fight_decoded_MB"] = static_cast<double>(DecodedSoundBytes(out, "Fight", fight)) / 1048576;
    timeEndPeriod(1);
}
BENCHMARK(KeyToSound)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
