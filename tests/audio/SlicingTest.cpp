#include "Slicing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

WaveData Constant(uint32_t rate, uint16_t channels, size_t frames, int16_t value) {
    return WaveData{rate, channels, std::vector<int16_t>(frames * channels, value)};
}

} // namespace

TEST(Slicing, SliceHasOneMillisecondFadesAtBothEnds) {
    // 8 kHz: a millisecond is 8 frames; the slice is frames 8 to 47.
    WaveData slice = CutSlice(Constant(8000, 1, 100, 1000), 1, 5);
    std::vector<int16_t> expected = {0, 125, 250, 375, 500, 625, 750, 875};
    expected.resize(32, 1000);
    for (int16_t v : {875, 750, 625, 500, 375, 250, 125, 0})
        expected.push_back(v);
    EXPECT_EQ(slice.samples, expected);
    EXPECT_EQ(slice.sampleRate, 8000u);

    // Both channels of a frame fade alike.
    WaveData stereo = CutSlice(Constant(8000, 2, 100, -800), 0, 2);
    ASSERT_EQ(stereo.samples.size(), 32u);
    EXPECT_EQ(stereo.samples[2], -100);
    EXPECT_EQ(stereo.samples[3], -100);
    EXPECT_EQ(stereo.samples[31], 0);
}

TEST(Slicing, SlicesAreCutAtTheEndAndAtTwoSeconds) {
    WaveData sound = Constant(8000, 1, 100, 1000); // 12.5 ms
    EXPECT_EQ(CutSlice(sound, 10, 50).Frames(), 20u);
    EXPECT_TRUE(CutSlice(sound, 13, 50).samples.empty());
    EXPECT_TRUE(CutSlice(sound, 0, 0).samples.empty());
    EXPECT_EQ(CutSlice(Constant(8000, 1, 40000, 1), 0, 4000).Frames(), 16000u);

    // A whole file: untouched when short, else its first 2 s faded at the cut.
    EXPECT_EQ(CapKeySound(sound).samples, sound.samples);
    WaveData capped = CapKeySound(Constant(2000, 1, 5000, 300));
    ASSERT_EQ(capped.Frames(), 4000u);
    EXPECT_EQ(capped.samples[0], 300);
    EXPECT_EQ(capped.samples[3997], 300);
    EXPECT_EQ(capped.samples[3998], 150);
    EXPECT_EQ(capped.samples[3999], 0);
}
