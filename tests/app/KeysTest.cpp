// Real key presses reaching the real program: the sound of each key type, the spoken texts,
// and a sound really heard.
#include "AppTestUtil.h"

using namespace std::chrono_literals;
using namespace app;

using Keys = app::SpeechTest;

namespace {

struct KeyPress {
    WORD vk;
    bool extended;
    int type;
};

// One key of each type; the lock keys are pressed twice to leave their state as it was.
const KeyPress kPresses[] = {
    {VK_PRIOR, true, 0},    {VK_CAPITAL, false, 1}, {VK_CAPITAL, false, 1},   {'5', false, 2},
    {VK_NUMLOCK, true, 3},  {VK_NUMLOCK, true, 3},  {VK_F13, false, 4},       {VK_DELETE, true, 5},
    {VK_LEFT, true, 6},     {VK_RETURN, false, 7},  {VK_NEXT, true, 8},       {VK_BACK, false, 9},
    {VK_SHIFT, false, 10},  {VK_TAB, false, 11},    {'Q', false, 12},         {VK_SPACE, false, 13},
    {VK_ESCAPE, false, 14}, {VK_OEM_1, false, 15},  {VK_MULTIPLY, false, 15}, {VK_END, true, 10},
    {VK_DECIMAL, false, 2},
};

// A program in sound mode on the scheme Alpha, whose sounds are t00.wav to t15.wav by type.
struct AlphaProgram {
    ProgramDir dir{"keys"};
    AppProcess tappolo;
    AlphaProgram() {
        dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
        dir.WriteSettings("Alpha");
    }
};

} // namespace

TEST_F(Keys, EveryKeyTypeSoundsItsOwnFile) {
    AlphaProgram program;
    ASSERT_TRUE(program.tappolo.Start(program.dir));
    ASSERT_NE(program.tappolo.WaitTray(10s), nullptr);
    wt::PlaySoundTrace trace;
    std::vector<std::string> expected;
    for (const KeyPress& key : kPresses) {
        PressKey(key.vk, key.extended);
        expected.push_back("schemes\\Alpha\\" + DistinctSounds()[key.type]);
    }
    EXPECT_EQ(Relative(trace.WaitNames(expected.size(), 5s), program.dir), expected);
}

TEST_F(Keys, EveryKeyTypeIsHeardInItsFilesToneThroughTheEngine) {
    AlphaProgram program;
    program.tappolo.Audio = "wasapi";
    ASSERT_TRUE(program.tappolo.Start(program.dir));
    ASSERT_NE(program.tappolo.WaitTray(10s), nullptr);
    std::vector<double> tones;
    for (int type = 0; type < 16; ++type)
        tones.push_back(ToneOf(type));
    wt::PlaySoundTrace trace;
    for (const KeyPress& key : kPresses) {
        wt::AudioRecording recording;
        PressKey(key.vk, key.extended);
        auto samples = recording.WaitForSound(3s, 150ms);
        ASSERT_GE(wt::OnsetIndex(samples, 1000), 0) << "nothing heard for type " << key.type;
        EXPECT_EQ(wt::DominantOf(samples, tones), ToneOf(key.type)) << "key " << key.vk;
        // The sound must be gone from the recording before the next one is looked for.
        wt::PumpMessages(250ms);
    }
    EXPECT_TRUE(trace.Names().empty()) << "the engine played, not the platform's player";
}

TEST_F(Keys, SpeechModeSpeaksEachKeysName) {
    std::string log = UseStub(2);
    ProgramDir dir("speak");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    speechstub::ClearCalls(log);
    wt::PlaySoundTrace trace;
    for (WORD vk : {WORD('A'), WORD('7'), WORD(VK_NUMPAD7), WORD(VK_MULTIPLY), WORD(VK_F13),
                    WORD(VK_RETURN), WORD(VK_OEM_MINUS)})
        PressKey(vk);
    PressKey(VK_CAPITAL);
    PressKey(VK_CAPITAL);
    wt::PumpMessages(600ms);
    auto spoken = Calls(log, "SAPI.Speak");
    ASSERT_EQ(spoken.size(), 9u);
    const std::vector<std::string> expected{
        "SAPI.Speak flags=3 text=\"A\"",      "SAPI.Speak flags=3 text=\"7\"",
        "SAPI.Speak flags=3 text=\" num 7\"", "SAPI.Speak flags=3 text=\" \"",
        "SAPI.Speak flags=3 text=\" F 13\"",  "SAPI.Speak flags=3 text=\" Enter \"",
        "SAPI.Speak flags=3 text=\"-\""};
    EXPECT_EQ(std::vector<std::string>(spoken.begin(), spoken.begin() + 7), expected);
    // The lock word follows the key's state as the program's thread reads it, which the test
    // does not control; the word itself comes right after the key's name.
    const std::string on = "SAPI.Speak flags=3 text=\" caps lock  on \"";
    const std::string off = "SAPI.Speak flags=3 text=\" caps lock  off \"";
    for (int i : {7, 8})
        EXPECT_TRUE(spoken[i] == on || spoken[i] == off) << spoken[i];
    EXPECT_TRUE(trace.Names().empty()) << "speech mode plays no sound files";
}
