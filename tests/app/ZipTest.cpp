// The portable package, unpacked into a fresh folder: the program starts from there and every
// key type is heard with the system scheme's own sound, told apart by its dominant frequency.
#include "AppDriver.h"
#include "WineTest.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace std::chrono_literals;

namespace {

// The synthesiser's table: key type -> dominant frequency of its sound.
std::vector<double> FightTones() {
    std::vector<double> tones(16, 0.0);
    std::istringstream lines(wt::ReadFileBytes(wt::UnixToWinPath(TAPPOLO_TONES)));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        int type = -1;
        fields >> type;
        std::string word;
        std::vector<std::string> rest;
        while (fields >> word)
            rest.push_back(word);
        if (type >= 0 && type < 16 && rest.size() >= 2)
            tones[type] = std::stod(rest[rest.size() - 2]);
    }
    return tones;
}

} // namespace

TEST(Package, EveryKeyTypeIsHeardWithTheFightSchemesOwnSound) {
    const std::string dir = wt::Env("TAPPOLO_PROGRAM_DIR");
    ASSERT_FALSE(dir.empty()) << "run through zip-test.sh";
    const std::vector<double> tones = FightTones();
    for (double tone : tones)
        ASSERT_GT(tone, 0.0) << "tone table incomplete";

    app::AppProcess tappolo;
    tappolo.Audio = "wasapi"; // the shipped default, the program's own engine
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    const struct {
        WORD vk;
        bool extended;
        int type;
    } keys[] = {{VK_PRIOR, true, 0},  {VK_CAPITAL, false, 1}, {VK_CAPITAL, false, 1},
                {'5', false, 2},      {VK_NUMLOCK, true, 3},  {VK_NUMLOCK, true, 3},
                {VK_F13, false, 4},   {VK_DELETE, true, 5},   {VK_LEFT, true, 6},
                {VK_RETURN, false, 7}, {VK_NEXT, true, 8},    {VK_BACK, false, 9},
                {VK_SHIFT, false, 10}, {VK_TAB, false, 11},   {'Q', false, 12},
                {VK_SPACE, false, 13}, {VK_ESCAPE, false, 14}, {VK_OEM_1, false, 15}};
    for (const auto& key : keys) {
        // Each sound alone in its window of the recording.
        wt::PumpMessages(250ms);
        wt::AudioRecording recording;
        app::PressKey(key.vk, key.extended);
        auto samples = recording.WaitForSound(5s, 200ms);
        ASSERT_GE(wt::OnsetIndex(samples, 1000), 0) << "nothing heard for type " << key.type;
        EXPECT_EQ(wt::DominantOf(samples, tones), tones[key.type]) << "key type " << key.type;
    }
    ASSERT_TRUE(tappolo.ChooseItem(app::mpExit));
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
}
