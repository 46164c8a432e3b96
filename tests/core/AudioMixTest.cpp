// The mixer and the conversion to a device's format: what a listener would hear at a switch
// between key sounds, and the samples a device gets.
#include "DeviceFormat.h"
#include "Mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

std::shared_ptr<const DeviceSound> Constant(float value, size_t frames, uint16_t channels = 1) {
    auto sound = std::make_shared<DeviceSound>();
    sound->Channels = channels;
    sound->Samples.assign(frames * channels, value);
    return sound;
}

std::shared_ptr<const DeviceSound> Sine(double cycles, size_t frames, float amplitude) {
    auto sound = std::make_shared<DeviceSound>();
    sound->Channels = 1;
    for (size_t i = 0; i < frames; ++i)
        sound->Samples.push_back(amplitude *
                                 static_cast<float>(std::sin(6.283185307179586 * cycles * i)));
    return sound;
}

float LargestStep(const std::vector<float>& samples) {
    float largest = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        largest = std::max(largest, std::fabs(samples[i] - samples[i - 1]));
    return largest;
}

} // namespace

TEST(Mixer, AReplacedSoundFadesOutWithinTheFadeInsteadOfClicking) {
    // 48 kHz: 2 ms are 96 frames. A full-scale level replaced by silence is the worst click.
    Mixer mixer(96);
    mixer.Start(Constant(0.9f, 10000));
    std::vector<float> out(100);
    mixer.Render(out, 1);
    EXPECT_EQ(out[99], 0.9f);
    mixer.Start(Constant(0.0f, 10000));
    std::vector<float> after(200);
    mixer.Render(after, 1);
    std::vector<float> around{out.back()};
    around.insert(around.end(), after.begin(), after.end());
    // Without a fade the step would be 0.9; spread over 96 frames it is under 0.01.
    EXPECT_LT(LargestStep(around), 0.0095f);
    EXPECT_GT(after[0], 0.85f) << "the old sound goes on at first";
    for (size_t i = 96; i < after.size(); ++i)
        ASSERT_EQ(after[i], 0.0f) << "still fading at frame " << i;

    // The same with real waves: a loud high tone cut by a loud tone at the opposite phase.
    Mixer tones(96);
    tones.Start(Sine(0.01, 48000, 0.95f));
    std::vector<float> first(1234);
    tones.Render(first, 1);
    tones.Start(Sine(0.01, 48000, -0.95f));
    std::vector<float> second(400);
    tones.Render(second, 1);
    std::vector<float> joined(first.end() - 50, first.end());
    joined.insert(joined.end(), second.begin(), second.end());
    // Each tone alone moves at most 2*pi*0.01*0.95 = 0.06 per sample, the fade 0.95/97 more;
    // cut off, the first tone would drop by 0.83 at once.
    EXPECT_LT(LargestStep(joined), 0.13f);
}

TEST(Mixer, SoundsEndAndTheOutputIsSilentThen) {
    Mixer mixer(4);
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

TEST(DeviceFormat, MonoAtHalfTheRateBecomesInterpolatedStereo) {
    const int16_t in[] = {0, 16384, -16384, 8192};
    DeviceSound out = ConvertForDevice(in, 22050, 1, {44100, 2, SampleKind::Float32});
    ASSERT_EQ(out.Channels, 2);
    const std::vector<float> expected{0,     0,     0.25f,   0.25f,   0.5f,  0.5f,  0,     0,
                                      -0.5f, -0.5f, -0.125f, -0.125f, 0.25f, 0.25f, 0.25f, 0.25f};
    EXPECT_EQ(out.Samples, expected);
}

TEST(DeviceFormat, ChannelsAreMappedAndRatesChanged) {
    // Stereo to mono: the average.
    const int16_t stereo[] = {16384, 0, -32768, 32767};
    EXPECT_EQ(ConvertForDevice(stereo, 48000, 2, {48000, 1, SampleKind::Int16}).Samples,
              (std::vector<float>{0.25f, -0.5f / 32768.0f}));
    // Stereo to 5.1: the sides stay, the other channels are silent.
    const int16_t pair[] = {8192, -8192};
    EXPECT_EQ(ConvertForDevice(pair, 44100, 2, {44100, 6, SampleKind::Float32}).Samples,
              (std::vector<float>{0.25f, -0.25f, 0, 0, 0, 0}));
    // Mono to quad: the front pair.
    const int16_t one[] = {-16384};
    EXPECT_EQ(ConvertForDevice(one, 44100, 1, {44100, 4, SampleKind::Float32}).Samples,
              (std::vector<float>{-0.5f, -0.5f, 0, 0}));
    // 48 kHz to 44.1 kHz keeps the duration: 480 frames are 441.
    std::vector<int16_t> tenMs(480, 1000);
    EXPECT_EQ(ConvertForDevice(tenMs, 48000, 1, {44100, 2, SampleKind::Float32}).Frames(), 441u);
    // Nothing to convert, or no format to convert from.
    EXPECT_TRUE(ConvertForDevice({}, 44100, 1, {48000, 2}).Samples.empty());
    EXPECT_TRUE(ConvertForDevice(one, 0, 1, {48000, 2}).Samples.empty());
    EXPECT_TRUE(ConvertForDevice(one, 44100, 0, {48000, 2}).Samples.empty());
}

TEST(DeviceFormat, SamplesAreWrittenInTheDeviceFormatAndClipped) {
    const float mix[] = {0.5f, -1.75f, 1.25f, -0.25f};
    uint8_t pcm16[8];
    WriteDeviceSamples(mix, SampleKind::Int16, pcm16);
    const uint8_t expected16[] = {0x00, 0x40, 0x00, 0x80, 0xFF, 0x7F, 0x00, 0xE0};
    EXPECT_EQ(0, std::memcmp(pcm16, expected16, 8));

    uint8_t pcm24[12];
    WriteDeviceSamples(mix, SampleKind::Int24, pcm24);
    const uint8_t expected24[] = {0x00, 0x00, 0x40, 0x00, 0x00, 0x80,
                                  0xFF, 0xFF, 0x7F, 0x00, 0x00, 0xE0};
    EXPECT_EQ(0, std::memcmp(pcm24, expected24, 12));

    uint8_t pcm32[16];
    WriteDeviceSamples(mix, SampleKind::Int32, pcm32);
    const uint8_t expected32[] = {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x80,
                                  0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0xE0};
    EXPECT_EQ(0, std::memcmp(pcm32, expected32, 16));

    float floats[4];
    WriteDeviceSamples(mix, SampleKind::Float32, reinterpret_cast<uint8_t*>(floats));
    EXPECT_EQ(floats[0], 0.5f);
    EXPECT_EQ(floats[1], -1.0f);
    EXPECT_EQ(floats[2], 1.0f);
    EXPECT_EQ(floats[3], -0.25f);
}
