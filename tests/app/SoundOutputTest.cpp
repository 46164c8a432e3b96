// The program's sound engine facing its device: lost and back while keys come, missing from the
// start, or switched off; in each case keys go on being heard or asked of the platform's player.
#include "AppTestUtil.h"
#include "AudioDevices.h"
#include "KeyTypes.h"
#include "SchemeKeySounds.h"
#include "SoundOptions.h"

#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <set>

using namespace std::chrono_literals;
using namespace app;

namespace {

// The Alpha scheme (a tone of its own per key type) in sound mode.
struct AlphaProgram {
    ProgramDir dir{"output"};
    AppProcess tappolo;
    AlphaProgram() {
        tappolo.Audio = "wasapi";
        dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
        dir.WriteSettings("Alpha");
    }
    // Started with these sound options, its tray up and a second given to settle.
    bool StartWith(const TSoundOptions& options) {
        if (!SaveSoundOptions(dir.SoundOptionsPath(), options) || !tappolo.Start(dir) ||
            !tappolo.WaitTray(10s))
            return false;
        wt::PumpMessages(1s);
        return true;
    }
};

// The tone heard after one key press, among the scheme's and `others`, or 0 when nothing was
// heard.
double HeardTone(WORD vk, const std::vector<double>& others = {}) {
    std::vector<double> tones = others;
    for (int type = 0; type < 16; ++type)
        tones.push_back(ToneOf(type));
    wt::AudioRecording recording;
    PressKey(vk);
    auto samples = recording.WaitForSound(3s, 150ms);
    wt::PumpMessages(250ms);
    return wt::OnsetIndex(samples, 1000) < 0 ? 0.0 : wt::DominantOf(samples, tones);
}

// The output device gone for a while: back at the latest when the test ends.
class DeviceGone {
public:
    bool Take() { return FGone = wt::SinkDown(); }
    bool GiveBack() { return !std::exchange(FGone, false) || wt::SinkUp(); }
    ~DeviceGone() { GiveBack(); }

private:
    bool FGone = false;
};

// A balloon of the tray icon with this text, within the timeout.
bool BalloonShows(const std::wstring& text, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (WaitTrayTooltip(true, 100ms) != text)
        if (std::chrono::steady_clock::now() >= end)
            return false;
    return true;
}

// What is wrong with the sound heard from `onset` on, against `source` as it was made, or
// nothing: it must have no stretch of digital silence inside, and the same samples (the device
// plays the file's rate here). The sink can lose the first few samples of a stream that joins
// it: the comparison starts 1 ms in.
std::string FaultOfSound(const std::vector<int16_t>& samples, long onset,
                         const std::vector<int16_t>& source) {
    if (onset < 0)
        return "nothing heard";
    const long ms = wt::kRecordRate / 1000;
    const long length = static_cast<long>(source.size());
    const long gap = wt::LongestSilence(samples, onset, onset + length - 10 * ms);
    if (gap >= ms)
        return "a gap of " + std::to_string(gap) + " samples inside the sound";
    const std::vector<int16_t> rest(source.begin() + ms, source.end());
    const double likeness = wt::Likeness(samples, onset, onset + 2 * ms, rest);
    if (likeness < 0.99)
        return "not the file's samples (likeness " + std::to_string(likeness) + ")";
    return {};
}

// Starts the program and plays a key sound right after the start, after 2 s of silence, six
// times 250 ms apart (each sound has ended, and its stream played out, before the next key),
// and eight times 35 ms apart; gives what was wrong with each sound that was not heard whole.
std::vector<std::string> HearKeySounds(const std::vector<int16_t>& source) {
    AlphaProgram program;
    std::vector<std::string> faults;
    if (!wt::WriteFileBytes(program.dir.SchemesPath() + "Alpha\\" + DistinctSounds()[12],
                            wt::MakeWav(source, wt::kRecordRate)) ||
        !program.tappolo.Start(program.dir) || !program.tappolo.WaitTray(10s))
        return {"the program did not start"};
    wt::PumpMessages(1s);
    for (const char* when : {"right after start", "after 2 s"}) {
        wt::AudioRecording recording;
        PressKey('Q');
        const auto samples = recording.WaitForSound(3s, 300ms, 1500);
        const std::string fault = FaultOfSound(samples, wt::OnsetIndex(samples, 1500), source);
        if (!fault.empty())
            faults.push_back(std::string(when) + ": " + fault);
        wt::PumpMessages(1700ms);
    }
    wt::AudioRecording recording;
    for (int i = 0; i < 6; ++i) {
        PressKey('Q');
        wt::PumpMessages(250ms);
    }
    const auto samples = recording.Samples(300ms);
    long onset = -1;
    for (int i = 0; i < 6 && (i == 0 || onset >= 0); ++i) {
        onset = wt::JumpOnset(samples, onset < 0 ? 0 : onset + wt::kRecordRate / 8,
                              static_cast<long>(samples.size()), 1500);
        const std::string fault = FaultOfSound(samples, onset, source);
        if (!fault.empty())
            faults.push_back("key " + std::to_string(i) + " at 250 ms: " + fault);
    }
    // Typing fast: each key comes while the sounds before it still play (they last 120 ms), so
    // nothing from the first onset to the last key's may be silent, however the keys fall.
    wt::PumpMessages(1s);
    wt::AudioRecording typing;
    for (int i = 0; i < 8; ++i) {
        PressKey('Q');
        wt::PumpMessages(35ms);
    }
    const auto fast = typing.Samples(300ms);
    const long first = wt::OnsetIndex(fast, 1500);
    const long ms = wt::kRecordRate / 1000;
    if (first < 0)
        faults.push_back("typing fast: nothing heard");
    else if (const long gap = wt::LongestSilence(fast, first, first + 250 * ms); gap >= ms)
        faults.push_back("typing fast: a gap of " + std::to_string(gap) + " samples");
    return faults;
}

} // namespace

TEST(SoundOutput, AKeySoundIsHeardWholeRightAfterStartAfterAPauseApartAndTypedFast) {
    // A struck tone at the recording's rate: what is heard must be the file, sample for sample.
    const auto source = wt::StruckTone(ToneOf(12), 120);
    // A machine too busy to feed its sound server for tens of milliseconds cuts any program's
    // sound (the platform's player's too): up to five program runs are given, and one must be
    // heard whole throughout. The fault this guards against cut every key, in every run.
    std::vector<std::string> faults;
    for (int run = 1; run <= 5; ++run) {
        const std::vector<std::string> heard = HearKeySounds(source);
        if (heard.empty())
            return;
        for (const std::string& fault : heard)
            faults.push_back("run " + std::to_string(run) + ", " + fault);
    }
    ADD_FAILURE() << "no run heard whole: " << testing::PrintToString(faults);
}

TEST(SoundOutput, KeysKeepSoundingAfterTheDeviceWasLostAndCameBack) {
    AlphaProgram program;
    // Beta: Alpha's tones, but a tone of its own for the letter keys.
    program.dir.AddScheme("Beta.tss", DistinctSounds(), "Beta");
    const double betaLetter = 1700;
    ASSERT_TRUE(wt::WriteFileBytes(program.dir.SchemesPath() + "Beta\\" + DistinctSounds()[12],
                                   wt::MakeToneWav(betaLetter, 120)));
    ASSERT_TRUE(program.tappolo.Start(program.dir));
    ASSERT_NE(program.tappolo.WaitTray(10s), nullptr);
    EXPECT_EQ(HeardTone('Q'), ToneOf(12));

    DeviceGone device;
    ASSERT_TRUE(device.Take());
    // Keys while there is no device: nothing to hear, nothing may hang.
    PressKey('Q');
    PressKey(VK_RETURN);
    wt::PumpMessages(500ms);
    // Another scheme chosen meanwhile is the one heard once the device is back.
    ASSERT_TRUE(program.tappolo.ChooseItem(mpSchemes, 2));
    ASSERT_TRUE(device.GiveBack());
    // The first key after the device is back may still go to the platform's player, while the
    // engine looks for the device again.
    PressKey(VK_TAB);
    wt::PumpMessages(500ms);
    wt::PlaySoundTrace trace;

    EXPECT_EQ(HeardTone('Q', {betaLetter}), betaLetter);
    EXPECT_EQ(HeardTone(VK_RETURN), ToneOf(7));
    EXPECT_EQ(HeardTone(VK_SPACE), ToneOf(13));
    EXPECT_TRUE(trace.Names().empty()) << "the engine plays again, not the platform's player";
    EXPECT_TRUE(program.tappolo.Running());
}

TEST(SoundOutput, WithoutASinkAtStartThePlatformsPlayerPlaysUntilTheEngineFindsOne) {
    AlphaProgram program;
    DeviceGone device;
    ASSERT_TRUE(device.Take());
    ASSERT_TRUE(program.tappolo.Start(program.dir));
    ASSERT_NE(program.tappolo.WaitTray(10s), nullptr);
    wt::PumpMessages(1s);
    wt::PlaySoundTrace trace;
    PressKey('Q');
    PressKey(VK_RETURN);
    EXPECT_EQ(Relative(trace.WaitNames(2, 5s), program.dir),
              (std::vector<std::string>{"schemes\\Alpha\\" + DistinctSounds()[12],
                                        "schemes\\Alpha\\" + DistinctSounds()[7]}));
    // The user is told once.
    EXPECT_TRUE(BalloonShows(L"Tappolo cannot use the sound device for itself now: key sounds "
                             L"play through the Windows sound player until it can.",
                             5s));

    ASSERT_TRUE(device.GiveBack());
    PressKey(VK_TAB);
    wt::PumpMessages(500ms);
    trace.Skip();
    EXPECT_EQ(HeardTone(VK_SPACE), ToneOf(13));
    EXPECT_TRUE(trace.Names().empty()) << "the engine plays once there is a device";
}

TEST(SoundOutput, FilesTheEngineCannotReadGoToThePlatformsPlayer) {
    AlphaProgram program;
    const std::string folder = program.dir.SchemesPath() + "Alpha\\";
    // Q: a wave the platform decodes through its codecs; Enter: missing when the scheme loads,
    // there when the key comes.
    ASSERT_TRUE(wt::WriteFileBytes(folder + DistinctSounds()[12], wt::MakeAdpcmWav(20)));
    ASSERT_TRUE(DeleteFileA((folder + DistinctSounds()[7]).c_str()));
    ASSERT_TRUE(program.tappolo.Start(program.dir));
    ASSERT_NE(program.tappolo.WaitTray(10s), nullptr);
    ASSERT_TRUE(wt::WriteFileBytes(folder + DistinctSounds()[7], wt::MakeToneWav(ToneOf(7), 120)));
    wt::PlaySoundTrace trace;
    PressKey('Q');
    wt::PumpMessages(300ms);
    PressKey(VK_RETURN);
    wt::PumpMessages(300ms);
    EXPECT_EQ(HeardTone(VK_SPACE), ToneOf(13));
    EXPECT_EQ(Relative(trace.WaitNames(2, 5s), program.dir),
              (std::vector<std::string>{"schemes\\Alpha\\" + DistinctSounds()[12],
                                        "schemes\\Alpha\\" + DistinctSounds()[7]}))
        << "Space, which the engine read, is the engine's";
}

TEST(SoundOutput, WithoutADeviceThePlatformsPlayerPlays) {
    AlphaProgram program;
    // Wine's audio drivers switched off for the program, while it starts: it finds no device.
    const char* overrides = "Software\\Wine\\AppDefaults\\Tappolo.exe\\DllOverrides";
    for (const char* driver : {"winepulse.drv", "winealsa.drv", "wineoss.drv"})
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, overrides, driver, REG_SZ, "disabled", 9),
                  ERROR_SUCCESS);
    const bool started = program.tappolo.Start(program.dir);
    const bool up = started && program.tappolo.WaitTray(10s) != nullptr;
    wt::PumpMessages(1s);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Tappolo.exe");
    ASSERT_TRUE(up);
    wt::PlaySoundTrace trace;
    PressKey('Q');
    PressKey(VK_RETURN);
    EXPECT_EQ(Relative(trace.WaitNames(2, 5s), program.dir),
              (std::vector<std::string>{"schemes\\Alpha\\" + DistinctSounds()[12],
                                        "schemes\\Alpha\\" + DistinctSounds()[7]}));
}

TEST(SoundOutput, TheEnvironmentSwitchesTheEngineOff) {
    AlphaProgram program;
    program.tappolo.Audio = "WinMM";
    ASSERT_TRUE(program.tappolo.Start(program.dir));
    ASSERT_NE(program.tappolo.WaitTray(10s), nullptr);
    wt::PlaySoundTrace trace;
    EXPECT_EQ(HeardTone(VK_TAB), ToneOf(11));
    EXPECT_EQ(Relative(trace.WaitNames(1, 2s), program.dir),
              std::vector<std::string>{"schemes\\Alpha\\" + DistinctSounds()[11]});
}

TEST(SoundOutput, KeysPlayTheirOwnSoundsTheirReleasesAndTakesThatNeverRepeat) {
    // The Alpha scheme, with a record: Q has press and release sounds of its own, W two takes
    // of a press sound, the letter keys a release sound.
    AlphaProgram program;
    const std::string folder = program.dir.SchemesPath() + "Alpha\\";
    const double qPress = 5200, qRelease = 5800, letterRelease = 6400, w0 = 7000, w1 = 7700;
    for (auto [name, tone] :
         {std::pair{"q.wav", qPress}, std::pair{"q-up.wav", qRelease},
          std::pair{"up.wav", letterRelease}, std::pair{"w0.wav", w0}, std::pair{"w1.wav", w1}})
        ASSERT_TRUE(wt::WriteFileBytes(folder + name, wt::MakeToneWav(tone, 120)));
    TSchemeKeySounds record;
    const int letter = KeyTypeOf('Q');
    record.TypeRelease[letter] = {"up.wav"};
    record.Keys.push_back({KeyPlace{0x10, false}, {"q.wav"}, {"q-up.wav"}});
    record.Keys.push_back({KeyPlace{0x11, false}, {"w0.wav", "w1.wav"}, {}});
    // A and left Shift: low tones, for two keys at once.
    const int amplitude = 8000;
    ASSERT_TRUE(wt::WriteFileBytes(folder + "shift.wav", wt::MakeToneWav(200, 400, amplitude)));
    ASSERT_TRUE(wt::WriteFileBytes(folder + "a.wav", wt::MakeToneWav(260, 400, amplitude)));
    record.Keys.push_back({KeyPlace{0x1E, false}, {"a.wav"}, {}});
    record.Keys.push_back({KeyPlace{0x2A, false}, {"shift.wav"}, {}});
    record.SaveToFile(program.dir.SchemesPath() + "Alpha.tsk");
    ASSERT_TRUE(program.tappolo.Start(program.dir));
    ASSERT_TRUE(program.tappolo.WaitTray(10s));
    wt::PumpMessages(1s);

    std::vector<double> tones = {qPress, qRelease, letterRelease, w0, w1};
    for (int type = 0; type < 16; ++type)
        tones.push_back(ToneOf(type));
    EXPECT_EQ(HeardAfter(tones, [] { SendKey('Q', false); }), qPress);
    EXPECT_EQ(HeardAfter(tones, [] { SendKey('Q', true); }), qRelease);
    EXPECT_EQ(HeardAfter(tones, [] { SendKey('E', false); }), ToneOf(letter))
        << "no sound of its own";
    EXPECT_EQ(HeardAfter(tones, [] { SendKey('E', true); }), letterRelease) << "the type's release";
    std::vector<double> takes;
    for (int i = 0; i < 4; ++i) {
        takes.push_back(HeardAfter(tones, [] { SendKey('W', false); }));
        HeardAfter(tones, [] { SendKey('W', true); });
    }
    for (size_t i = 0; i < takes.size(); ++i) {
        EXPECT_TRUE(takes[i] == w0 || takes[i] == w1) << takes[i];
        if (i > 0) {
            EXPECT_NE(takes[i], takes[i - 1]) << "the same take twice in a row";
        }
    }
    // Keys of other types have no release sound: silent.
    EXPECT_EQ(HeardAfter(tones, [] { SendKey(VK_SPACE, false); }), ToneOf(KeyTypeOf(VK_SPACE)));
    EXPECT_EQ(HeardAfter(tones, [] { SendKey(VK_SPACE, true); }), 0.0);

    // Two keys at once (Shift and a letter, as typing a capital), each with a low tone of its
    // own: both sound together, with no moment of silence and no jump in the mix (a stream
    // restarted under a sound that plays on would give both, at every press). Wine's driver
    // now and then lets a stream run dry for a few milliseconds whatever plays it: up to three
    // rounds of three presses, and one must be clean throughout.
    std::vector<std::string> faults;
    for (int round = 1; round <= 3; ++round) {
        std::vector<std::string> heard;
        for (int i = 0; i < 3; ++i) {
            wt::AudioRecording recording;
            INPUT both[2] = {};
            for (INPUT& input : both)
                input.type = INPUT_KEYBOARD;
            both[0].ki.wVk = VK_LSHIFT;
            both[0].ki.wScan = 0x2A;
            both[1].ki.wVk = 'A';
            both[1].ki.wScan = 0x1E;
            ASSERT_EQ(SendInput(2, both, sizeof(INPUT)), 2u);
            const auto samples = recording.WaitForSound(3s, 300ms, 1000);
            SendKey('A', true);
            SendKey(VK_LSHIFT, true);
            const long onset = wt::OnsetIndex(samples, 1000);
            ASSERT_GE(onset, 0);
            EXPECT_GT(wt::DominantOf(samples, {200, 260, 1000}), 0) << "heard";
            const long ms = wt::kRecordRate / 1000;
            const long end = std::min<long>(onset + 300 * ms, static_cast<long>(samples.size()));
            if (const long gap = wt::LongestSilence(samples, onset, end); gap >= ms)
                heard.push_back("press " + std::to_string(i) + ": " + std::to_string(gap) +
                                " samples of silence");
            int step = 0;
            for (long k = std::max(onset - ms, 1L); k < end; ++k)
                step = std::max(step, std::abs(samples[k] - samples[k - 1]));
            // The two tones move by at most 2 * pi * 460 / 44100 * 8000 = 525 a sample together.
            if (step >= 1200)
                heard.push_back("press " + std::to_string(i) + ": a step of " +
                                std::to_string(step));
            wt::PumpMessages(600ms);
        }
        if (heard.empty())
            return;
        for (const std::string& fault : heard)
            faults.push_back("round " + std::to_string(round) + ", " + fault);
    }
    ADD_FAILURE() << "no round clean: " << testing::PrintToString(faults);
}

TEST(SoundOutput, VolumeAndStereoByPlaceShapeWhatIsHeard) {
    // Half the volume, each key at its place across the whole width: Esc fully left at half
    // its level, Enter to the right.
    AlphaProgram program;
    TSoundOptions options;
    options.Volume = 50;
    options.StereoByPosition = true;
    options.StereoWidth = 100;
    ASSERT_TRUE(program.StartWith(options));
    // The loudest left and right samples after a key.
    const auto peaks = [](WORD vk) {
        wt::AudioRecording recording(true);
        PressKey(vk);
        const auto samples = recording.WaitForSound(3s, 200ms, 1000);
        wt::PumpMessages(300ms);
        std::pair<int, int> peak{0, 0};
        for (size_t i = 0; i + 1 < samples.size(); i += 2) {
            peak.first = std::max(peak.first, std::abs(int{samples[i]}));
            peak.second = std::max(peak.second, std::abs(int{samples[i + 1]}));
        }
        return peak;
    };
    const auto esc = peaks(VK_ESCAPE);
    // The tone is written at 12000: half of it, give or take the rate conversion.
    EXPECT_NEAR(esc.first, 6000, 300);
    EXPECT_LT(esc.second, 100) << "Esc is fully left";
    const auto enter = peaks(VK_RETURN);
    EXPECT_GT(enter.second, 2 * enter.first) << "Enter is to the right";
    EXPECT_LT(enter.second, 6300);
}

TEST(SoundOutput, PitchVariesFromPressToPressWithinItsRange) {
    AlphaProgram program;
    TSoundOptions options;
    options.Variation = true;
    options.PitchRange = 30;
    ASSERT_TRUE(program.StartWith(options));
    // Q's tone, looked for in quarter semitones from 5 below to 5 above.
    const double tone = ToneOf(12);
    std::vector<double> candidates;
    for (int quarter = -20; quarter <= 20; ++quarter)
        candidates.push_back(tone * std::pow(2.0, quarter / 48.0));
    std::set<long> pitches;
    for (int press = 0; press < 8; ++press) {
        wt::AudioRecording recording;
        PressKey('Q');
        const auto samples = recording.WaitForSound(3s, 150ms);
        wt::PumpMessages(250ms);
        ASSERT_GE(wt::OnsetIndex(samples, 1000), 0) << "press " << press << " is heard";
        const long quarter =
            std::lround(48 * std::log2(wt::DominantOf(samples, candidates) / tone));
        EXPECT_LE(std::abs(quarter), 12) << "press " << press << " within 3 semitones";
        pitches.insert(quarter);
    }
    EXPECT_GE(pitches.size(), 3u) << "presses vary in pitch";
}

namespace {

// A second output device while the test runs: gone again at the latest when the test ends.
class SecondDevice {
public:
    bool Come() { return FUp = wt::SecondSinkUp(); }
    bool Go() { return !std::exchange(FUp, false) || wt::SecondSinkDown(); }
    ~SecondDevice() { Go(); }

private:
    bool FUp = false;
};

// Whether a key is heard on the second device, and whether on the default one.
std::pair<bool, bool> HeardWhere(WORD vk) {
    wt::AudioRecording onDefault;
    wt::AudioRecording onSecond = wt::AudioRecording::OfSecondSink();
    PressKey(vk);
    const auto second = onSecond.WaitForSound(2s, 200ms);
    const auto first = onDefault.Samples(100ms);
    wt::PumpMessages(800ms);
    return {wt::OnsetIndex(second, 1000) >= 0, wt::OnsetIndex(first, 1000) >= 0};
}

} // namespace

TEST(SoundOutput, TheChosenDeviceIsHeardWhileItIsThereAndTheDefaultOtherwise) {
    SecondDevice device;
    ASSERT_TRUE(device.Come());
    TSoundOptions options;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (const TRenderDevice& render : ListRenderDevices())
        if (render.Name == "TappoloSecond") {
            options.DeviceId = render.Id;
            options.DeviceName = render.Name;
        }
    CoUninitialize();
    ASSERT_FALSE(options.DeviceId.empty()) << "the second device is not listed";
    AlphaProgram program;
    ASSERT_TRUE(program.StartWith(options));
    EXPECT_EQ(HeardWhere('Q'), std::make_pair(true, false)) << "the chosen device";
    ASSERT_TRUE(device.Go());
    wt::PumpMessages(500ms);
    // Wine tells of no device that went: the first key after may go to the stream of the one
    // that is gone, and the engine then finds the default device.
    HeardWhere('Q');
    EXPECT_EQ(HeardWhere('Q'), std::make_pair(false, true)) << "the chosen device gone";
    ASSERT_TRUE(device.Come());
    // The stream that waits was made for the default device: it plays the next key, and the
    // one after takes the chosen device again.
    HeardWhere('Q');
    EXPECT_EQ(HeardWhere('Q'), std::make_pair(true, false)) << "the chosen device back";
}
