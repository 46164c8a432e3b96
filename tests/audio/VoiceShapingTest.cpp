// The voice-shaping rules: pan law and key positions, gain and clipping, pitch by resampling,
// and the pitch variation.
#include "VoiceShaping.h"

#include "Mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<float> Tone(double frequency, int rate, int frames, uint16_t channels,
                        bool silentRight = false) {
    std::vector<float> out;
    for (int n = 0; n < frames; ++n) {
        const auto v = static_cast<float>(0.5 * std::sin(2 * kPi * frequency * n / rate));
        out.push_back(v);
        if (channels == 2)
            out.push_back(silentRight ? 0.0f : v);
    }
    return out;
}

// The frequency of a sine from its upward zero crossings (linearly placed between samples),
// over the frames between `from` and `to` of one channel.
double MeasuredFrequency(const std::vector<float>& s, uint16_t channels, int rate, size_t from,
                         size_t to) {
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t n = from + 1; n < to; ++n) {
        const float a = s[(n - 1) * channels], b = s[n * channels];
        if (a < 0 && b >= 0) {
            const double at = static_cast<double>(n - 1) + a / (a - b);
            if (first < 0)
                first = at;
            last = at;
            ++crossings;
        }
    }
    return (crossings - 1) / (last - first) * rate;
}

// What is left of one channel's frames `from` to `to` after the best-fitting sine of the
// frequency is taken out, relative to the sine's amplitude.
double ResidualOfSine(const std::vector<float>& s, uint16_t channels, double frequency, int rate,
                      size_t from, size_t to) {
    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (size_t n = from; n < to; ++n) {
        const double w = 2 * kPi * frequency * static_cast<double>(n) / rate;
        const double si = std::sin(w), co = std::cos(w), y = s[n * channels];
        ss += si * si, sc += si * co, cc += co * co, ys += y * si, yc += y * co;
    }
    const double det = ss * cc - sc * sc;
    const double a = (ys * cc - yc * sc) / det, b = (yc * ss - ys * sc) / det;
    double residual = 0;
    for (size_t n = from; n < to; ++n) {
        const double w = 2 * kPi * frequency * static_cast<double>(n) / rate;
        const double e = s[n * channels] - (a * std::sin(w) + b * std::cos(w));
        residual += e * e;
    }
    return std::sqrt(residual / static_cast<double>(to - from)) / std::hypot(a, b);
}

} // namespace

TEST(PanLaw, EscIsLeftAndTheKeypadEnterRightByTheConstantPowerRatiosAtEachWidth) {
    const KeyPlace esc{0x01, false}, keypadEnter{0x1C, true};
    PanGains full = ConstantPowerPan(KeyPan(esc, 0x1B, 100));
    EXPECT_FLOAT_EQ(full.Left, 1.0f);
    EXPECT_NEAR(full.Right, 0.0f, 1e-6);
    PanGains half = ConstantPowerPan(KeyPan(esc, 0x1B, 50));
    EXPECT_NEAR(half.Left, 0.92388f, 1e-5);
    EXPECT_NEAR(half.Right, 0.38268f, 1e-5);
    EXPECT_NEAR(half.Left / half.Right, 2.41421f, 1e-4) << "1 + sqrt(2) at a quarter turn";
    PanGains none = ConstantPowerPan(KeyPan(esc, 0x1B, 0));
    EXPECT_FLOAT_EQ(none.Left, none.Right);
    EXPECT_NEAR(none.Left, 0.70711f, 1e-5);

    PanGains right = ConstantPowerPan(KeyPan(keypadEnter, 0x0D, 100));
    EXPECT_NEAR(right.Left, 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(right.Right, 1.0f);
    // Beyond the ends the gains stay those of the ends.
    EXPECT_FLOAT_EQ(ConstantPowerPan(-3.0f).Left, 1.0f);
    EXPECT_FLOAT_EQ(ConstantPowerPan(3.0f).Right, 1.0f);
}

TEST(PanLaw, KeysTakeTheirPlaceOnThePictureByPlaceBeforeVirtualKey) {
    // Space bar centre 152; left-most key centre 15 (Esc), right-most 476 (keypad column).
    EXPECT_FLOAT_EQ(KeyPan({0x39, false}, 0x20, 100), 0.0f);
    EXPECT_NEAR(KeyPan({0x1E, false}, 'A', 100), -0.642336f, 1e-5);
    EXPECT_NEAR(KeyPan({0x36, false}, 0x10, 100), 0.430556f, 1e-5) << "the right Shift";
    EXPECT_NEAR(KeyPan({}, 0x10, 100), -0.901460f, 1e-5) << "no place: the left Shift";
    EXPECT_NEAR(KeyPan({0x1C, false}, 0x0D, 100), 0.462963f, 1e-5) << "the main Enter";
    EXPECT_NEAR(KeyPan({0x1E, false}, 'A', 50), -0.321168f, 1e-5);
    EXPECT_FLOAT_EQ(KeyPan({0x76, false}, 0xF6, 100), 0.0f) << "a key the picture lacks";
    const PanGains a = ConstantPowerPan(KeyPan({0x1E, false}, 'A', 100));
    EXPECT_NEAR(a.Left, 0.960804f, 1e-5);
    EXPECT_NEAR(a.Right, 0.277229f, 1e-5);
}

TEST(Gain, HundredPercentIsExactlyOneAndLouderClipsWithoutWrapping) {
    EXPECT_EQ(GainFromPercent(100), 1.0f);
    EXPECT_EQ(GainFromPercent(0), 0.0f);
    EXPECT_EQ(GainFromPercent(50), 0.5f);
    EXPECT_EQ(GainFromPercent(200), 2.0f);
    EXPECT_EQ(GainFromPercent(250), 2.0f);
    EXPECT_EQ(GainFromPercent(-5), 0.0f);

    std::vector<float> s{0.6f, -0.6f, 0.2f, -0.25f, NAN, 1.0f};
    ApplyGainClipped(s, 2.0f);
    EXPECT_EQ(s, (std::vector<float>{1.0f, -1.0f, 0.4f, -0.5f, 0.0f, 1.0f}));
    std::vector<float> same{0.123f, -0.987f};
    ApplyGainClipped(same, GainFromPercent(100));
    EXPECT_EQ(same, (std::vector<float>{0.123f, -0.987f}));

    EXPECT_EQ(ToInt16Clipped(1.5f), 32767);
    EXPECT_EQ(ToInt16Clipped(-1.5f), -32767);
    EXPECT_EQ(ToInt16Clipped(0.5f), 16384);
    EXPECT_EQ(ToInt16Clipped(NAN), 0);
}

TEST(Pitch, AKilohertzToneOneSemitoneUpMeasures1059HzAndStaysClean) {
    const int rate = 48000;
    const std::vector<float> in = Tone(1000, rate, rate, 2, true);
    const std::vector<float> out = ResampleForPitch(in, 2, 1.0);
    ASSERT_EQ(out.size(), 2u * 45305u) << "48000 / 2^(1/12) frames";
    const double f = MeasuredFrequency(out, 2, rate, 100, 45200);
    EXPECT_GE(f, 1059.0);
    EXPECT_LE(f, 1060.0);
    EXPECT_LT(ResidualOfSine(out, 2, 1059.4631, rate, 100, 45200), 1e-3);
    for (size_t n = 0; n < 45305; ++n)
        ASSERT_EQ(out[2 * n + 1], 0.0f) << "the right channel stays its own";

    // Lower, and a tone high in the band: a nearest-sample or linear pick leaves images there.
    const std::vector<float> down = ResampleForPitch(in, 2, -2.0);
    EXPECT_EQ(down.size(), 2u * 53878u) << "48000 * 2^(2/12) frames";
    const double fd = MeasuredFrequency(down, 2, rate, 100, 53700);
    EXPECT_NEAR(fd, 890.899, 0.5);
    const std::vector<float> high = ResampleForPitch(Tone(8000, rate, rate, 1), 1, 1.0);
    EXPECT_LT(ResidualOfSine(high, 1, 8475.7048, rate, 100, 45200), 3e-3);
}

TEST(Pitch, AMixerVoicePlaysItsPitchWhateverStretchesTheDeviceTakes) {
    // 100 ms of a 1 kHz tone one semitone up: 4800 / 2^(1/12) = 4530.6 frames.
    const int rate = 48000;
    auto sound = std::make_shared<DeviceSound>();
    sound->Channels = 2;
    sound->Samples = Tone(1000, rate, rate / 10, 2, true);
    Mixer mixer(96, 4800);
    mixer.Start(sound, {}, 1.0);
    EXPECT_EQ(mixer.FramesLeft(), 4530u);
    // Stretches small and large (past the mixer's own working stretch), and a queue of 50
    // frames thrown away and rendered again.
    std::vector<float> heard;
    for (size_t i = 0; mixer.Playing(); ++i) {
        std::vector<float> out(2 * (i % 3 == 2 ? 2500 : 37));
        mixer.Render(out, 2);
        heard.insert(heard.end(), out.begin(), out.end());
        if (i == 4) {
            mixer.Rewind(50);
            heard.resize(heard.size() - 2 * 50);
        }
    }
    ASSERT_GE(heard.size(), 2u * 4530u);
    for (size_t n = 4530; n < heard.size() / 2; ++n)
        ASSERT_EQ(heard[2 * n], 0.0f) << "silence after the end, frame " << n;
    heard.resize(2 * 4530);
    EXPECT_EQ(heard, ResampleForPitch(sound->Samples, 2, 1.0));
    const double f = MeasuredFrequency(heard, 2, rate, 100, 4400);
    EXPECT_GE(f, 1059.0);
    EXPECT_LE(f, 1060.0);
    EXPECT_LT(ResidualOfSine(heard, 2, 1059.4631, rate, 100, 4400), 1e-3);
}

TEST(Pitch, NoShiftGivesTheFramesUnchangedAndBadInputNothing) {
    const std::vector<float> in{0.1f, 0.2f, 0.3f, 0.4f, 0.5f};
    EXPECT_EQ(ResampleForPitch(in, 1, 0.0), in);
    EXPECT_EQ(ResampleForPitch(in, 2, 0.0), (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_TRUE(ResampleForPitch(in, 0, 1.0).empty());
    EXPECT_TRUE(ResampleForPitch({}, 2, 1.0).empty());
}

TEST(Variation, PitchesStayInRangeSpreadOverItAndRepeatPerKeyWhenAsked) {
    const KeyPlace a{0x1E, false}, s{0x1F, false};
    double low = 0, high = 0, sum = 0;
    for (uint64_t press = 0; press < 2000; ++press) {
        const double p = PitchFor(42, press, a, 1.5, false);
        ASSERT_GE(p, -1.5);
        ASSERT_LE(p, 1.5);
        low = std::min(low, p), high = std::max(high, p), sum += p;
    }
    EXPECT_LT(low, -1.4);
    EXPECT_GT(high, 1.4);
    EXPECT_NEAR(sum / 2000, 0.0, 0.1);
    EXPECT_EQ(PitchFor(42, 7, a, 1.5, false), PitchFor(42, 7, a, 1.5, false)) << "seeded";
    EXPECT_NE(PitchFor(42, 7, a, 1.5, false), PitchFor(42, 8, a, 1.5, false));
    EXPECT_NE(PitchFor(42, 7, a, 1.5, false), PitchFor(43, 7, a, 1.5, false));

    EXPECT_EQ(PitchFor(42, 1, a, 2.0, true), PitchFor(42, 999, a, 2.0, true));
    EXPECT_NE(PitchFor(42, 1, a, 2.0, true), PitchFor(42, 1, s, 2.0, true));
    EXPECT_NE(PitchFor(42, 1, a, 2.0, true), PitchFor(42, 1, {0x1E, true}, 2.0, true));
    // The key's character scales with the range.
    EXPECT_DOUBLE_EQ(PitchFor(42, 1, a, 2.0, true), 2 * PitchFor(42, 1, a, 1.0, true));
    EXPECT_EQ(PitchFor(42, 1, a, 0.0, false), 0.0);
}
