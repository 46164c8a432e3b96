#include "DeviceFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

unsigned DeviceFormat::BytesPerSample() const {
    switch (Kind) {
    case SampleKind::Int16:
        return 2;
    case SampleKind::Int24:
        return 3;
    case SampleKind::Float32:
    case SampleKind::Int32:
        break;
    }
    return 4;
}

std::optional<DeviceFormat> ToDeviceFormat(const MixFormatFields& mix) {
    uint16_t tag = mix.FormatTag;
    if (tag == kWaveFormatExtensible) {
        // The sub-formats of the plain tags are {tag-0000-0010-8000-00AA00389B71}.
        constexpr std::array<uint8_t, 8> kTail{0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        if (mix.ExtraSize < kExtensibleExtraSize || mix.SubFormat1 > 0xFFFF ||
            mix.SubFormat2 != 0 || mix.SubFormat3 != 0x0010 || mix.SubFormat4 != kTail ||
            mix.ValidBits > mix.BitsPerSample)
            return std::nullopt;
        tag = static_cast<uint16_t>(mix.SubFormat1);
    }
    DeviceFormat format;
    format.SampleRate = mix.SampleRate;
    format.Channels = mix.Channels;
    if (tag == kWaveFormatFloat && mix.BitsPerSample == 32)
        format.Kind = SampleKind::Float32;
    else if (tag == kWaveFormatPcm && mix.BitsPerSample == 16)
        format.Kind = SampleKind::Int16;
    else if (tag == kWaveFormatPcm && mix.BitsPerSample == 24)
        format.Kind = SampleKind::Int24;
    else if (tag == kWaveFormatPcm && mix.BitsPerSample == 32)
        format.Kind = SampleKind::Int32;
    else
        return std::nullopt;
    if (format.Channels == 0 || format.SampleRate == 0 || mix.BlockAlign != format.BytesPerFrame())
        return std::nullopt;
    return format;
}

namespace {

// The source channel that feeds destination channel `to`: a mono sound is heard on the two
// front channels (a left/right pair leads every wider layout), a stereo sound keeps its sides.
float MappedSample(const int16_t* frame, uint16_t from, uint16_t to, uint16_t toChannels) {
    if (from == 1)
        return (to < 2 || toChannels == 1) ? frame[0] : 0.0f;
    if (toChannels == 1) {
        float sum = 0;
        for (uint16_t c = 0; c < from; ++c)
            sum += frame[c];
        return sum / from;
    }
    return to < from ? frame[to] : 0.0f;
}

} // namespace

DeviceSound ConvertForDevice(std::span<const int16_t> samples, uint32_t rate, uint16_t channels,
                             const DeviceFormat& device) {
    DeviceSound sound;
    sound.Channels = device.Channels;
    if (channels == 0 || rate == 0 || device.Channels == 0 || device.SampleRate == 0)
        return sound;
    const size_t frames = samples.size() / channels;
    if (frames == 0)
        return sound;
    // Frames of the output: the same duration, rounded up so the last input frame is reached.
    const size_t outFrames =
        static_cast<size_t>((static_cast<uint64_t>(frames) * device.SampleRate + rate - 1) / rate);
    sound.Samples.resize(outFrames * device.Channels);
    const double step = static_cast<double>(rate) / device.SampleRate;
    const float scale = 1.0f / 32768.0f;
    for (size_t i = 0; i < outFrames; ++i) {
        const double at = i * step;
        size_t left = static_cast<size_t>(at);
        if (left >= frames)
            left = frames - 1;
        const size_t right = left + 1 < frames ? left + 1 : left;
        const float t = static_cast<float>(at - static_cast<double>(left));
        const int16_t* a = samples.data() + left * channels;
        const int16_t* b = samples.data() + right * channels;
        for (uint16_t c = 0; c < device.Channels; ++c) {
            const float va = MappedSample(a, channels, c, device.Channels);
            const float vb = MappedSample(b, channels, c, device.Channels);
            sound.Samples[i * device.Channels + c] = (va + (vb - va) * t) * scale;
        }
    }
    return sound;
}

void WriteDeviceSamples(std::span<const float> mix, SampleKind kind, uint8_t* out) {
    for (float v : mix) {
        // NaN never reaches the device as noise: it compares false both ways and becomes 0.
        const float x = v > 1.0f ? 1.0f : v < -1.0f ? -1.0f : v == v ? v : 0.0f;
        switch (kind) {
        case SampleKind::Float32:
            std::memcpy(out, &x, 4);
            out += 4;
            break;
        case SampleKind::Int16: {
            const long s = std::clamp(std::lround(x * 32768.0), -32768L, 32767L);
            out[0] = static_cast<uint8_t>(s & 0xFF);
            out[1] = static_cast<uint8_t>((s >> 8) & 0xFF);
            out += 2;
            break;
        }
        case SampleKind::Int24: {
            const long s = std::clamp(std::lround(x * 8388608.0), -8388608L, 8388607L);
            for (int i = 0; i < 3; ++i)
                out[i] = static_cast<uint8_t>((s >> (8 * i)) & 0xFF);
            out += 3;
            break;
        }
        case SampleKind::Int32: {
            const long long s =
                std::clamp(std::llround(x * 2147483648.0), -2147483648LL, 2147483647LL);
            for (int i = 0; i < 4; ++i)
                out[i] = static_cast<uint8_t>((s >> (8 * i)) & 0xFF);
            out += 4;
            break;
        }
        }
    }
}
