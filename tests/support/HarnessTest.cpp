// The test environment itself: what every other Win32 test relies on to observe the program.
#include "WineTest.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

TEST(Harness, PlaySoundCallsAppearInTheTraceAndAreHeardByFrequency) {
    std::string dir = wt::MakeTempDir("harness");
    std::string low = dir + "tone 440.wav", high = dir + "tone1760.wav";
    ASSERT_TRUE(wt::WriteFileBytes(low, wt::MakeToneWav(440, 400)));
    ASSERT_TRUE(wt::WriteFileBytes(high, wt::MakeToneWav(1760, 400)));

    wt::PlaySoundTrace trace;
    wt::AudioRecording first;
    ASSERT_TRUE(PlaySoundA(low.c_str(), nullptr, SND_ASYNC));
    auto lowSamples = first.WaitForSound(std::chrono::seconds(5), std::chrono::milliseconds(300));
    wt::AudioRecording second;
    ASSERT_TRUE(PlaySoundA(high.c_str(), nullptr, SND_ASYNC));
    auto highSamples = second.WaitForSound(std::chrono::seconds(5), std::chrono::milliseconds(300));

    auto names = trace.WaitNames(2, std::chrono::seconds(3));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], low);
    EXPECT_EQ(names[1], high);

    ASSERT_GE(wt::OnsetIndex(lowSamples, 2000), 0) << "nothing heard";
    ASSERT_GE(wt::OnsetIndex(highSamples, 2000), 0) << "nothing heard";
    EXPECT_EQ(wt::DominantOf(lowSamples, {440, 880, 1760}), 440);
    EXPECT_EQ(wt::DominantOf(highSamples, {440, 880, 1760}), 1760);
}
