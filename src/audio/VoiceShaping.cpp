#include "VoiceShaping.h"

#include "KeyPanelKeys.h"
#include "KeyTypes.h"
#include "KeyboardPicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

float PanelCentre(const KeyPanel& panel) {
    return static_cast<float>(panel.Left) + static_cast<float>(panel.Width) / 2.0f;
}

struct PictureSpan {
    float Left, Space, Right;
};

PictureSpan MakeSpan() {
    PictureSpan span{1e9f, 0, -1e9f};
    for (const KeyPanel& panel : KeyPanels) {
        span.Left = std::min(span.Left, PanelCentre(panel));
        span.Right = std::max(span.Right, PanelCentre(panel));
        if (panel.KeyType == KeyType::Space)
            span.Space = PanelCentre(panel);
    }
    return span;
}

// splitmix64: a well-mixed 64-bit value of its input.
uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

constexpr int kHalfTaps = 8;
constexpr int kPhases = 256;

} // namespace

PanGains ConstantPowerPan(float pan) {
    const double p = std::clamp(static_cast<double>(pan), -1.0, 1.0);
    const double angle = (p + 1.0) * std::numbers::pi / 4.0;
    return {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
}

float PanelPan(int panel) {
    if (panel < 0 || panel >= static_cast<int>(KeyPanelCount))
        return 0;
    static const PictureSpan span = MakeSpan();
    const float x = PanelCentre(KeyPanels[static_cast<size_t>(panel)]);
    if (x < span.Space)
        return (x - span.Space) / (span.Space - span.Left);
    return (x - span.Space) / (span.Right - span.Space);
}

float KeyPan(KeyPlace place, unsigned virtualKey, int widthPercent) {
    const int width = std::clamp(widthPercent, 0, 100);
    return PanelPan(KeyPanelOf(place, virtualKey)) * static_cast<float>(width) / 100.0f;
}

float GainFromPercent(int percent) {
    return static_cast<float>(std::clamp(percent, 0, 200)) / 100.0f;
}

void ApplyGainClipped(std::span<float> samples, float gain) {
    for (float& sample : samples) {
        const float scaled = sample * gain;
        // A NaN fails both comparisons of clamp's bounds check: it is caught first.
        sample = std::isnan(scaled) ? 0.0f : std::clamp(scaled, -1.0f, 1.0f);
    }
}

int16_t ToInt16Clipped(float sample) {
    if (std::isnan(sample))
        return 0;
    const float scaled = std::round(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
    return static_cast<int16_t>(scaled);
}

namespace {

// The interpolation kernel for one cut-off, at kPhases + 1 fractional positions, each
// normalised so that a constant passes unchanged; a Blackman window over the taps. For each
// phase: the weights, and the step to the next phase's (a position between two phases blends
// them), each twice over (for the left and right of a stereo frame): a stereo frame inside the
// sound is then a run over contiguous floats, four lanes wide.
struct PitchKernel {
    std::vector<std::array<float, 4 * kHalfTaps>> PairWeights, PairSteps;
};

void BuildKernel(PitchKernel& kernel, double cutoff) {
    // The window is the same at every pitch; the sines step along the taps by an angle's sum,
    // two sines and cosines a phase instead of one a tap.
    static const std::vector<std::array<double, 2 * kHalfTaps>> windows = [] {
        std::vector<std::array<double, 2 * kHalfTaps>> table(kPhases + 1);
        for (int phase = 0; phase <= kPhases; ++phase)
            for (int k = 0; k < 2 * kHalfTaps; ++k) {
                const double x =
                    static_cast<double>(k - (kHalfTaps - 1)) - static_cast<double>(phase) / kPhases;
                const double n = (x + kHalfTaps) / (2.0 * kHalfTaps); // 0..1 over the window
                table[phase][k] = 0.42 - 0.5 * std::cos(2 * std::numbers::pi * n) +
                                  0.08 * std::cos(4 * std::numbers::pi * n);
            }
        return table;
    }();
    const double angle = std::numbers::pi * cutoff;
    const double stepSin = std::sin(angle), stepCos = std::cos(angle);
    std::vector<std::array<float, 2 * kHalfTaps>> weights(kPhases + 1);
    for (int phase = 0; phase <= kPhases; ++phase) {
        const double first =
            static_cast<double>(-(kHalfTaps - 1)) - static_cast<double>(phase) / kPhases;
        double sine = std::sin(angle * first), cosine = std::cos(angle * first);
        double sum = 0;
        std::array<double, 2 * kHalfTaps> w{};
        for (int k = 0; k < 2 * kHalfTaps; ++k) {
            const double x = first + k;
            // cutoff * sinc(cutoff * x), with sin(pi * cutoff * x) = `sine`.
            const double sinc = std::abs(x) < 1e-9 ? cutoff : sine / (std::numbers::pi * x);
            w[k] = sinc * windows[phase][k];
            sum += w[k];
            const double next = sine * stepCos + cosine * stepSin;
            cosine = cosine * stepCos - sine * stepSin;
            sine = next;
        }
        for (int k = 0; k < 2 * kHalfTaps; ++k)
            weights[phase][k] = static_cast<float>(sum != 0 ? w[k] / sum : 0);
    }
    kernel.PairWeights.resize(kPhases);
    kernel.PairSteps.resize(kPhases);
    for (int phase = 0; phase < kPhases; ++phase)
        for (int k = 0; k < 2 * kHalfTaps; ++k) {
            const float weight = weights[phase][k];
            const float step = weights[phase + 1][k] - weight;
            kernel.PairWeights[phase][2 * k] = kernel.PairWeights[phase][2 * k + 1] = weight;
            kernel.PairSteps[phase][2 * k] = kernel.PairSteps[phase][2 * k + 1] = step;
        }
}

// Cut-offs are taken down to the next of these steps, so that the few kernels the variation's
// pitches need are made once and kept: a voice renders its pitch a stretch at a time, and
// voices of several pitches take turns.
constexpr int kCutoffSteps = 32;

// The kernel for a cut-off taken down to a step, made on first use; per thread.
const PitchKernel& KernelFor(double cutoff) {
    thread_local std::array<std::unique_ptr<PitchKernel>, kCutoffSteps> kept;
    const int step =
        std::clamp(static_cast<int>(std::floor(cutoff * kCutoffSteps)), 1, kCutoffSteps);
    std::unique_ptr<PitchKernel>& kernel = kept[static_cast<size_t>(step - 1)];
    if (!kernel) {
        kernel = std::make_unique<PitchKernel>();
        BuildKernel(*kernel, static_cast<double>(step) / kCutoffSteps);
    }
    return *kernel;
}

// Stereo frames of taps times their weights (`w`, blended toward the next phase's by `blend`
// along `d`), in four sums: left, right, left, right. Four lanes wide, the loops vectorise.
std::array<float, 4> Dot(const float* w, const float* d, float blend, const float* in) {
    std::array<float, 4 * kHalfTaps> products;
    for (int k = 0; k < 4 * kHalfTaps; ++k)
        products[k] = (w[k] + d[k] * blend) * in[k];
    std::array<float, 4> sums{0, 0, 0, 0};
    for (int k = 0; k < 4 * kHalfTaps; k += 4)
        for (int lane = 0; lane < 4; ++lane)
            sums[lane] += products[k + lane];
    return sums;
}

} // namespace

uint64_t PitchedFrames(uint64_t frames, double semitones) {
    if (semitones == 0)
        return frames;
    return static_cast<uint64_t>(static_cast<double>(frames) / std::pow(2.0, semitones / 12.0));
}

void ResamplePitchRange(std::span<const float> frames, uint16_t channels, double semitones,
                        uint64_t first, std::span<float> out) {
    if (channels == 0)
        return;
    const size_t inFrames = frames.size() / channels;
    const uint64_t outFrames = PitchedFrames(inFrames, semitones);
    const size_t count = out.size() / channels;
    // Past the end: silence.
    const size_t inside =
        first >= outFrames ? 0 : static_cast<size_t>(std::min<uint64_t>(count, outFrames - first));
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(inside * channels), out.end(), 0.0f);
    if (inside == 0)
        return;
    if (semitones == 0) {
        std::copy_n(frames.begin() + static_cast<std::ptrdiff_t>(first * channels),
                    inside * channels, out.begin());
        return;
    }
    const double step = std::pow(2.0, semitones / 12.0);
    // Rising, the rate drops below the content's: the cut-off drops with it.
    const PitchKernel& kernel = KernelFor(std::min(1.0, 1.0 / step));

    std::array<float, 2 * kHalfTaps> weights{};
    for (size_t i = 0; i < inside; ++i) {
        const double position = static_cast<double>(first + i) * step;
        const auto base = static_cast<int64_t>(position);
        const double phasePos = (position - static_cast<double>(base)) * kPhases;
        const auto phase = std::min(static_cast<int>(phasePos), kPhases - 1);
        const auto blend = static_cast<float>(phasePos - phase);
        const int64_t start = base - (kHalfTaps - 1);
        float* o = out.data() + i * channels;
        // Inside the sound, stereo (the common case): no edge to mind.
        if (channels == 2 && start >= 0 &&
            start + 2 * kHalfTaps <= static_cast<int64_t>(inFrames)) {
            const auto sums = Dot(kernel.PairWeights[phase].data(), kernel.PairSteps[phase].data(),
                                  blend, frames.data() + static_cast<size_t>(start) * 2);
            o[0] = sums[0] + sums[2];
            o[1] = sums[1] + sums[3];
            continue;
        }
        std::fill(o, o + channels, 0.0f);
        for (int k = 0; k < 2 * kHalfTaps; ++k)
            weights[k] = kernel.PairWeights[phase][2 * k] + kernel.PairSteps[phase][2 * k] * blend;
        for (int k = 0; k < 2 * kHalfTaps; ++k) {
            const int64_t source = start + k;
            // Silence before the first frame and after the last.
            if (source < 0 || source >= static_cast<int64_t>(inFrames))
                continue;
            const float* in = frames.data() + static_cast<size_t>(source) * channels;
            for (uint16_t c = 0; c < channels; ++c)
                o[c] += weights[k] * in[c];
        }
    }
}

std::vector<float> ResampleForPitch(std::span<const float> frames, uint16_t channels,
                                    double semitones) {
    if (channels == 0)
        return {};
    std::vector<float> out(PitchedFrames(frames.size() / channels, semitones) * channels);
    ResamplePitchRange(frames, channels, semitones, 0, out);
    return out;
}

double PitchFor(uint64_t seed, uint64_t press, KeyPlace key, double range, bool samePerKey) {
    const uint64_t keyId = (static_cast<uint64_t>(key.Scan) << 1) | (key.Extended ? 1 : 0);
    uint64_t h = Mix(seed ^ Mix(keyId));
    if (!samePerKey)
        h = Mix(h ^ Mix(press + 0x632BE59BD9B4E019ull));
    // The top 53 bits as a fraction in [0, 1), then spread over -range..range.
    const double unit = static_cast<double>(h >> 11) / 9007199254740992.0;
    return (unit * 2.0 - 1.0) * range;
}
