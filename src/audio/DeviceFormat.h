#pragma once
// Sounds made ready for an output device once, when a scheme becomes current, so that a key
// press costs no conversion: the device's rate and channel layout, samples as floats.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

// A device's mix format as the platform describes it (WAVEFORMATEX, and the sub-format of
// WAVEFORMATEXTENSIBLE when `ExtraSize` reaches it), in plain fields.
struct MixFormatFields {
    uint16_t FormatTag = 0;
    uint16_t Channels = 0;
    uint32_t SampleRate = 0;
    uint16_t BlockAlign = 0;
    uint16_t BitsPerSample = 0;
    uint16_t ExtraSize = 0;
    uint16_t ValidBits = 0; // of the extensible layout
    // The extensible sub-format, a GUID: its first three fields and its last eight bytes.
    uint32_t SubFormat1 = 0;
    uint16_t SubFormat2 = 0;
    uint16_t SubFormat3 = 0;
    std::array<uint8_t, 8> SubFormat4{};
};

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatFloat = 3;
constexpr uint16_t kWaveFormatExtensible = 0xFFFE;
// WAVEFORMATEXTENSIBLE needs 22 bytes after the plain header.
constexpr uint16_t kExtensibleExtraSize = 22;

// The format the mixer writes for that device, or none for a layout it does not write: 16-,
// 24- and 32-bit integers and 32-bit floats, plain or extensible, whole frames of them.
std::optional<DeviceFormat> ToDeviceFormat(const MixFormatFields& mix);

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
