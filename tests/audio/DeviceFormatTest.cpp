// A device's mix format as the mixer writes it, and the conversion of sounds to it: what each
// sample kind takes, and the samples a device gets.
#include "DeviceFormat.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A plain format's fields, as a device of `kind` describes itself.
MixFormatFields Plain(uint16_t tag, uint16_t bits, uint16_t channels = 2, uint32_t rate = 48000) {
    MixFormatFields mix;
    mix.FormatTag = tag;
    mix.Channels = channels;
    mix.SampleRate = rate;
    mix.BitsPerSample = bits;
    mix.BlockAlign = static_cast<uint16_t>(bits / 8 * channels);
    return mix;
}

MixFormatFields Extensible(uint16_t subTag, uint16_t bits, uint16_t validBits) {
    MixFormatFields mix = Plain(kWaveFormatExtensible, bits);
    mix.ExtraSize = kExtensibleExtraSize;
    mix.ValidBits = validBits;
    mix.SubFormat1 = subTag;
    mix.SubFormat3 = 0x0010;
    mix.SubFormat4 = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    return mix;
}

} // namespace

TEST(DeviceFormat, EverySampleKindIsTakenPlainOrExtensible) {
    struct Case {
        uint16_t Tag, Bits, ValidBits;
        SampleKind Kind;
    };
    for (const Case& c : {Case{kWaveFormatFloat, 32, 32, SampleKind::Float32},
                          Case{kWaveFormatPcm, 16, 16, SampleKind::Int16},
                          Case{kWaveFormatPcm, 24, 24, SampleKind::Int24},
                          Case{kWaveFormatPcm, 32, 32, SampleKind::Int32},
                          Case{kWaveFormatPcm, 32, 24, SampleKind::Int32}}) {
        for (const MixFormatFields& mix :
             {Plain(c.Tag, c.Bits), Extensible(c.Tag, c.Bits, c.ValidBits)}) {
            const auto format = ToDeviceFormat(mix);
            ASSERT_TRUE(format) << "tag " << mix.FormatTag << ", " << c.Bits << " bits";
            EXPECT_EQ(format->Kind, c.Kind);
            EXPECT_EQ(format->SampleRate, 48000u);
            EXPECT_EQ(format->Channels, 2);
            EXPECT_EQ(format->BytesPerFrame(), c.Bits / 8u * 2);
        }
    }
}

TEST(DeviceFormat, LayoutsTheMixerDoesNotWriteAreRefused) {
    EXPECT_FALSE(ToDeviceFormat(Plain(kWaveFormatPcm, 8)));
    EXPECT_FALSE(ToDeviceFormat(Plain(kWaveFormatFloat, 64)));
    EXPECT_FALSE(ToDeviceFormat(Plain(kWaveFormatFloat, 16)));
    EXPECT_FALSE(ToDeviceFormat(Plain(0x0011, 16))) << "ADPCM";
    EXPECT_FALSE(ToDeviceFormat(Plain(kWaveFormatPcm, 16, 0)));
    EXPECT_FALSE(ToDeviceFormat(Plain(kWaveFormatPcm, 16, 2, 0)));
    MixFormatFields padded = Plain(kWaveFormatPcm, 16);
    padded.BlockAlign = 8; // frames the writer would not fill
    EXPECT_FALSE(ToDeviceFormat(padded));

    MixFormatFields shortExtra = Extensible(kWaveFormatPcm, 16, 16);
    shortExtra.ExtraSize = 0;
    EXPECT_FALSE(ToDeviceFormat(shortExtra)) << "no room for a sub-format";
    MixFormatFields foreign = Extensible(kWaveFormatFloat, 32, 32);
    foreign.SubFormat4[7] = 0x72; // a vendor's own sub-format with a plain tag's number
    EXPECT_FALSE(ToDeviceFormat(foreign));
    MixFormatFields wide = Extensible(kWaveFormatPcm, 16, 16);
    wide.SubFormat1 = 0x10001;
    EXPECT_FALSE(ToDeviceFormat(wide));
    EXPECT_FALSE(ToDeviceFormat(Extensible(kWaveFormatPcm, 16, 20))) << "more valid bits than held";
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
