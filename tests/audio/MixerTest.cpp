// The mixer: what a listener would hear at a switch between key sounds, and what a device
// queue thrown away and written anew holds.
#include "Mixer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::shared_ptr<const DeviceSound> Constant(float value, size_t frames, uint16_t channels = 1) {
    auto sound = std::make_shared<DeviceSound>();
    sound->Channels = channels;
    sound->Samples.assign(frames * channels, value);
    return sound;
}

float LargestStep(const std::vector<float>& samples) {
    float largest = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        largest = std::max(largest, std::fabs(samples[i] - samples[i - 1]));
    return largest;
}

} // namespace

TEST(Mixer, SoundsOverlapAndTheOldestGivesWayWithoutAClick) {
    // 48 kHz: 2 ms are 96 frames. Two sounds mix as they are, each at its gains.
    Mixer two(96, 0);
    two.Start(Constant(0.25f, 100, 2));
    std::vector<float> out(20);
    two.Render(out, 2);
    two.Start(Constant(0.5f, 100, 2), VoiceGains{0.5f, 2.0f});
    two.Render(out, 2);
    EXPECT_EQ(out[0], 0.5f) << "0.25 + 0.5 * 0.5 on the left";
    EXPECT_EQ(out[1], 1.25f) << "0.25 + 0.5 * 2 on the right";

    // Seventeen full-scale sounds: the first fades out over the fade, never drops at once.
    Mixer mixer(96, 0);
    mixer.Start(Constant(0.9f, 10000));
    std::vector<float> first(100);
    mixer.Render(first, 1);
    for (size_t i = 1; i < MaxVoices; ++i)
        mixer.Start(Constant(0.0f, 10000));
    std::vector<float> still(10);
    mixer.Render(still, 1);
    EXPECT_EQ(still[9], 0.9f) << "sixteen voices sound together";
    mixer.Start(Constant(0.0f, 10000));
    std::vector<float> after(200);
    mixer.Render(after, 1);
    std::vector<float> around{still.back()};
    around.insert(around.end(), after.begin(), after.end());
    // Cut off, the step would be 0.9; spread over 96 frames it is under 0.01.
    EXPECT_LT(LargestStep(around), 0.0095f);
    EXPECT_GT(after[0], 0.85f) << "the oldest goes on at first";
    for (size_t i = 96; i < after.size(); ++i)
        ASSERT_EQ(after[i], 0.0f) << "still fading at frame " << i;
}

TEST(Mixer, SoundsEndAndTheOutputIsSilentThen) {
    Mixer mixer(4, 0);
    mixer.Start(Constant(0.5f, 3, 2));
    std::vector<float> out(10, 7.0f);
    mixer.Render(out, 2);
    EXPECT_EQ(out, (std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0, 0, 0, 0}));
    EXPECT_FALSE(mixer.Playing());
    // An empty sound plays nothing; a sound of another layout than the output's is dropped.
    mixer.Start(std::make_shared<DeviceSound>());
    EXPECT_FALSE(mixer.Playing());
    mixer.Start(Constant(0.5f, 10, 1));
    mixer.Render(out, 2);
    EXPECT_EQ(out, std::vector<float>(10, 0.0f));
    EXPECT_FALSE(mixer.Playing());
}

namespace {

// A sound whose every frame says where in it it is: frame i holds i + 1.
std::shared_ptr<const DeviceSound> Ramp(size_t frames) {
    auto sound = std::make_shared<DeviceSound>();
    sound->Channels = 1;
    for (size_t i = 0; i < frames; ++i)
        sound->Samples.push_back(static_cast<float>(i + 1));
    return sound;
}

std::vector<float> Next(Mixer& mixer, size_t frames) {
    std::vector<float> out(frames);
    mixer.Render(out, 1);
    return out;
}

} // namespace

TEST(Mixer, RewoundFramesAreRenderedAgainAsTheyWere) {
    Mixer mixer(4, 100);
    mixer.Start(Ramp(50));
    const auto first = Next(mixer, 30);
    mixer.Start(Ramp(50)); // at frame 30, mixed with the first's frame 31 on
    const auto written = Next(mixer, 40);
    // The device played 10 of those 40 frames; the rest is written again.
    EXPECT_EQ(mixer.FramesLeft(), 10u) << "the second sound's last 10 frames";
    mixer.Rewind(30);
    EXPECT_EQ(mixer.Position(), 40u);
    EXPECT_EQ(mixer.FramesLeft(), 40u);
    const auto again = Next(mixer, 30);
    EXPECT_EQ(again, std::vector<float>(written.begin() + 10, written.end()));
    EXPECT_EQ(first[29], 30.0f);
    EXPECT_EQ(written[0], 31.0f + 1);
}

TEST(Mixer, AfterARewindWhatWasNeverHeardStartsWithTheNewSoundAndTheRestResumesSoftly) {
    Mixer mixer(4, 100);
    mixer.Start(Ramp(100));
    Next(mixer, 20);
    mixer.Start(Ramp(100)); // at 20, but the device throws it away unheard
    Next(mixer, 20);
    mixer.Rewind(25); // back to 15: the second sound never began
    mixer.Resume();   // the output restarts here: the first sound comes back from silence
    mixer.Start(Ramp(100));
    const auto out = Next(mixer, 6);
    // The first sound from its frame 16, rising over the 4-frame fade; the second and third
    // both from their first frame.
    const std::vector<float> expected{16.0f * 1 / 5 + 2, 17.0f * 2 / 5 + 4, 18.0f * 3 / 5 + 6,
                                      19.0f * 4 / 5 + 8, 20 + 10,           21 + 12};
    ASSERT_EQ(out.size(), expected.size());
    for (size_t i = 0; i < out.size(); ++i)
        EXPECT_FLOAT_EQ(out[i], expected[i]) << "frame " << i;
}

TEST(Mixer, ARewindGoesNoFurtherBackThanTheHistory) {
    Mixer mixer(4, 10);
    mixer.Start(Ramp(12));
    Next(mixer, 30);
    EXPECT_FALSE(mixer.Playing());
    // The sound ended 18 frames ago, beyond the 10 kept: it stays gone.
    mixer.Rewind(1000);
    EXPECT_EQ(mixer.Position(), 20u);
    EXPECT_EQ(Next(mixer, 10), std::vector<float>(10, 0.0f));
    // Within the history the sound comes back.
    Mixer near(4, 10);
    near.Start(Ramp(12));
    Next(near, 15);
    near.Rewind(5);
    EXPECT_TRUE(near.Playing());
    EXPECT_EQ(Next(near, 3), (std::vector<float>{11, 12, 0}));
}
