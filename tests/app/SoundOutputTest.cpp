// The program's sound engine facing its device: lost and back while keys come, missing from the
// start, or switched off; in each case keys go on being heard or asked of the platform's player.
#include "AppTestUtil.h"

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
};

// The tone heard after one key press, or 0 when nothing was heard.
double HeardTone(WORD vk) {
    std::vector<double> tones;
    for (int type = 0; type < 16; ++type)
        tones.push_back(ToneOf(type));
    wt::AudioRecording recording;
    PressKey(vk);
    auto samples = recording.WaitForSound(3s, 150ms);
    wt::PumpMessages(250ms);
    return wt::OnsetIndex(samples, 1000) < 0 ? 0.0 : wt::DominantOf(samples, tones);
}

// The null sink with its monitor recording and its keep-alive stream, as the environment set
// them up: removed (the device is lost), and made again.
std::string SinkCommand(bool add) {
    const std::string dir = wt::Env("TAPPOLO_WINENV");
    if (!add)
        return "kill $(cat " + dir + "/pids/recorder) $(cat " + dir + "/pids/keepalive); " +
               "pactl unload-module module-null-sink";
    // A recorder that attached before the sink settled can stay silent: it must be seen to
    // write (the keep-alive stream gives it silence to write).
    return "pactl load-module module-null-sink sink_name=tappolo "
           "sink_properties=device.description=Tappolo >/dev/null; pactl set-default-sink "
           "tappolo; setsid pacat --playback -d tappolo --raw --format=s16le --rate=44100 "
           "--channels=2 </dev/zero >/dev/null 2>&1 & echo $! >" +
           dir + "/pids/keepalive; sleep 0.2; for i in 1 2 3 4 5; do size=$(stat -c %s " + dir +
           "/record.raw); setsid parec -d tappolo.monitor --raw --format=s16le --rate=44100 "
           "--channels=1 --latency-msec=10 >>" +
           dir + "/record.raw 2>/dev/null </dev/null & echo $! >" + dir +
           "/pids/recorder; sleep 0.5; [ $(stat -c %s " + dir +
           "/record.raw) -gt $size ] && break; kill $(cat " + dir + "/pids/recorder); done";
}

} // namespace

TEST(SoundOutput, KeysKeepSoundingAfterTheDeviceWasLostAndCameBack) {
    AlphaProgram program;
    ASSERT_TRUE(program.tappolo.Start(program.dir));
    ASSERT_NE(program.tappolo.WaitTray(10s), nullptr);
    EXPECT_EQ(HeardTone('Q'), ToneOf(12));

    ASSERT_TRUE(wt::RunLinuxShell(SinkCommand(false), 10s));
    // Keys while there is no device: nothing to hear, nothing may hang.
    PressKey('Q');
    PressKey(VK_RETURN);
    wt::PumpMessages(500ms);
    ASSERT_TRUE(wt::RunLinuxShell(SinkCommand(true), 10s));
    // The first key after the device is back may still go to the platform's player, while the
    // engine looks for the device again.
    PressKey(VK_TAB);
    wt::PumpMessages(500ms);
    wt::PlaySoundTrace trace;

    EXPECT_EQ(HeardTone('Q'), ToneOf(12));
    EXPECT_EQ(HeardTone(VK_RETURN), ToneOf(7));
    EXPECT_EQ(HeardTone(VK_SPACE), ToneOf(13));
    EXPECT_TRUE(trace.Names().empty()) << "the engine plays again, not the platform's player";
    EXPECT_TRUE(program.tappolo.Running());
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
