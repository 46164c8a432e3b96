#pragma once
// Sounds made ready for an output device once, when a scheme becomes current, so that a key
// press costs no conversion: the device's rate and channel layout, samples as floats.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// How the device stores one sample of its mix format.
enum class SampleKind { Float32, Int16, Int24, Int32 };

struct DeviceFormat {
    uint32_t SampleRate = 0;
    uint16_t Channels = 0;
    SampleKind Kind = SampleKind::Float32;

    unsigned BytesPerSample() const;
    unsigned BytesPerFrame() const { return BytesPerSample() * Channels; }
};

// A sound in a device's rate and channel layout: interleaved floats, nominally -1 to 1.
struct DeviceSound {
    uint16_t Channels = 0;
    std::vector<float> Samples;

    size_t Frames() const { return Channels ? Samples.size() / Channels : 0; }
    size_t Bytes() const { return Samples.size() * sizeof(float); }
};

// Interleaved 16-bit samples (`channels` per frame, at `rate`) converted to `device`: the rate
// by linear interpolation, the channels mapped (mono to every front channel, more channels to
// fewer by averaging, the rest of a wider layout silent). An empty or malformed input (no
// channels, no rate) gives an empty sound.
DeviceSound ConvertForDevice(std::span<const int16_t> samples, uint32_t rate, uint16_t channels,
                             const DeviceFormat& device);

// Writes mixed floats into a device buffer of `kind`, clipping at full scale.
void WriteDeviceSamples(std::span<const float> mix, SampleKind kind, uint8_t* out);
