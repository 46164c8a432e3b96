#include "WaveFile.h"

#include "CoreTestFiles.h"
#include "Exception.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Byte by byte: GCC 12 at -O3 takes a range insert for an overflow (-Wstringop-overflow).
void Append(Bytes& out, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes)
        out.push_back(b);
}
void Append(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}
void Le32(Bytes& out, uint32_t v) {
    Append(out, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// A 16-byte fmt body: tag, channels, rate, byte rate, block align, bits.
Bytes Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    Bytes b;
    Append(b, {uint8_t(tag), uint8_t(tag >> 8), uint8_t(channels), 0});
    Le32(b, rate);
    Le32(b, rate * channels * bits / 8);
    uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    Append(b, {uint8_t(align), uint8_t(align >> 8), uint8_t(bits), 0});
    return b;
}

Bytes Chunk(const std::string& id, const Bytes& body, bool pad = true) {
    Bytes b;
    Append(b, id);
    Le32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && body.size() % 2)
        b.push_back(0);
    return b;
}

Bytes Riff(std::initializer_list<Bytes> chunks) {
    Bytes b;
    Append(b, "RIFF");
    Le32(b, 0); // readers must not depend on it
    Append(b, "WAVE");
    for (const Bytes& c : chunks)
        b.insert(b.end(), c.begin(), c.end());
    return b;
}

WaveData Read(const Bytes& bytes) {
    return ReadWave(bytes);
}

std::string ReadError(const Bytes& bytes) {
    try {
        ReadWave(bytes);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(read)";
}

using Samples = std::vector<int16_t>;

} // namespace

TEST(WaveFile, EveryFlavourBecomes16Bit) {
    // 8-bit unsigned: 128 is silence, 0 the lowest, 255 just below full scale.
    WaveData u8 =
        Read(Riff({Chunk("fmt ", Fmt(1, 1, 8000, 8)), Chunk("data", {128, 0, 255, 192})}));
    EXPECT_EQ(u8.sampleRate, 8000u);
    EXPECT_EQ(u8.channels, 1);
    EXPECT_EQ(u8.samples, (Samples{0, -32768, 32512, 16384}));

    WaveData s16 = Read(Riff({Chunk("fmt ", Fmt(1, 2, 44100, 16)),
                              Chunk("data", {0x34, 0x12, 0x00, 0x80, 0xFF, 0x7F, 0xFF, 0xFF})}));
    EXPECT_EQ(s16.sampleRate, 44100u);
    EXPECT_EQ(s16.channels, 2);
    EXPECT_EQ(s16.samples, (Samples{0x1234, -32768, 32767, -1}));

    // 24 and 32 bits keep their top 16 bits.
    WaveData s24 =
        Read(Riff({Chunk("fmt ", Fmt(1, 1, 48000, 24)),
                   Chunk("data", {0xAA, 0x34, 0x12, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF})}));
    EXPECT_EQ(s24.samples, (Samples{0x1234, -32768, -1}));
    WaveData s32 = Read(Riff({Chunk("fmt ", Fmt(1, 1, 48000, 32)),
                              Chunk("data", {0x11, 0x22, 0x34, 0x12, 0x00, 0x00, 0x00, 0x80})}));
    EXPECT_EQ(s32.samples, (Samples{0x1234, -32768}));

    // Float: 0.5, -1.0, 2.0 (clipped), 0.25.
    WaveData f32 = Read(Riff({Chunk("fmt ", Fmt(3, 2, 22050, 32)),
                              Chunk("data", {0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x80, 0xBF, 0x00,
                                             0x00, 0x00, 0x40, 0x00, 0x00, 0x80, 0x3E})}));
    EXPECT_EQ(f32.channels, 2);
    EXPECT_EQ(f32.samples, (Samples{16384, -32768, 32767, 8192}));
}

TEST(WaveFile, ExtensibleFormatTakesItsSubFormat) {
    // 24 valid bits in 32-bit containers, PCM sub-format GUID.
    Bytes fmt = Fmt(0xFFFE, 2, 96000, 32);
    Append(fmt, {22,   0,    24,   0,    3,    0,    0,    0,    0x01, 0x00, 0x00, 0x00,
                 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    WaveData w = Read(Riff(
        {Chunk("fmt ", fmt), Chunk("data", {0x00, 0x00, 0x34, 0x12, 0x00, 0x00, 0xCC, 0xED})}));
    EXPECT_EQ(w.sampleRate, 96000u);
    EXPECT_EQ(w.samples, (Samples{0x1234, -0x1234}));

    fmt = Fmt(0xFFFE, 1, 44100, 32);
    Append(fmt, {22,   0,    32,   0,    4,    0,    0,    0,    0x03, 0x00, 0x00, 0x00,
                 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    EXPECT_EQ(Read(Riff({Chunk("fmt ", fmt), Chunk("data", {0, 0, 0x80, 0xBE})})).samples,
              (Samples{-8192}));
}

TEST(WaveFile, ForgivesDamageThatLeavesTheSound) {
    // An odd-sized chunk before fmt, padded as it should be, and one written without its pad.
    Bytes list = {'a', 'b', 'c'};
    Bytes data = {1, 0, 2, 0};
    EXPECT_EQ(
        Read(Riff({Chunk("LIST", list), Chunk("fmt ", Fmt(1, 1, 8000, 16)), Chunk("data", data)}))
            .samples,
        (Samples{1, 2}));
    EXPECT_EQ(Read(Riff({Chunk("LIST", list, false), Chunk("fmt ", Fmt(1, 1, 8000, 16)),
                         Chunk("data", data)}))
                  .samples,
              (Samples{1, 2}));

    // data before fmt; data claiming far more than the file holds; a half frame at the end.
    Bytes longData = Chunk("data", {1, 0, 2, 0, 3, 0, 4});
    longData[4] = 0xFF;
    longData[5] = 0xFF;
    longData[6] = 0xFF;
    longData[7] = 0x7F;
    longData.pop_back(); // the pad byte
    WaveData cut = Read(Riff({Chunk("fmt ", Fmt(1, 2, 8000, 16)), longData}));
    EXPECT_EQ(cut.samples, (Samples{1, 2})); // the frame (3, half of 4) is incomplete

    Bytes reversed = Riff({Chunk("data", data), Chunk("fmt ", Fmt(1, 1, 11025, 16))});
    EXPECT_EQ(Read(reversed).sampleRate, 11025u);
    EXPECT_EQ(Read(reversed).samples, (Samples{1, 2}));
}

TEST(WaveFile, RefusesWhatItCannotRead) {
    EXPECT_EQ(ReadError({}), "Not a wave file");
    EXPECT_EQ(ReadError(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}),
              "Not a wave file");
    EXPECT_EQ(ReadError(Riff({Chunk("data", {0, 0})})), "The wave file has no format chunk");
    EXPECT_EQ(ReadError(Riff({Chunk("fmt ", Fmt(1, 1, 8000, 16))})),
              "The wave file has no data chunk");
    EXPECT_EQ(ReadError(Riff({Chunk("fmt ", {1, 0, 1, 0}), Chunk("data", {0, 0})})),
              "The wave file's format chunk is damaged");
    // MS ADPCM, 12-bit PCM, six channels, rate 0.
    EXPECT_EQ(ReadError(Riff({Chunk("fmt ", Fmt(2, 1, 8000, 4)), Chunk("data", {0, 0})})),
              "Wave format 2 with 4 bits per sample is not supported");
    EXPECT_EQ(ReadError(Riff({Chunk("fmt ", Fmt(1, 1, 8000, 12)), Chunk("data", {0, 0})})),
              "Wave format 1 with 12 bits per sample is not supported");
    EXPECT_EQ(ReadError(Riff({Chunk("fmt ", Fmt(1, 6, 8000, 16)), Chunk("data", {0, 0})})),
              "Wave files of 6 channels are not supported");
    EXPECT_EQ(ReadError(Riff({Chunk("fmt ", Fmt(1, 1, 0, 16)), Chunk("data", {0, 0})})),
              "A sample rate of 0 Hz is not supported");
}

TEST(WaveFile, RatesAndLengthsStayWithinWhatAKeySoundCanBe) {
    // A wave claiming 1 Hz would become 48,000 frames a frame for the device.
    EXPECT_EQ(ReadError(Riff({Chunk("fmt ", Fmt(1, 1, 1, 16)), Chunk("data", {0, 0})})),
              "A sample rate of 1 Hz is not supported");
    EXPECT_EQ(ReadError(Riff({Chunk("fmt ", Fmt(1, 1, 999, 16)), Chunk("data", {0, 0})})),
              "A sample rate of 999 Hz is not supported");
    EXPECT_EQ(ReadError(Riff({Chunk("fmt ", Fmt(1, 1, 384001, 16)), Chunk("data", {0, 0})})),
              "A sample rate of 384001 Hz is not supported");
    EXPECT_EQ(Read(Riff({Chunk("fmt ", Fmt(1, 1, 1000, 16)), Chunk("data", {1, 0})})).sampleRate,
              1000u);
    EXPECT_EQ(Read(Riff({Chunk("fmt ", Fmt(1, 1, 384000, 16)), Chunk("data", {1, 0})})).sampleRate,
              384000u);
    // 62 s of 1 kHz 8-bit mono: only the first 60 s are read, and only 5 ms when asked.
    Bytes long62s = Riff({Chunk("fmt ", Fmt(1, 1, 1000, 8)), Chunk("data", Bytes(62000, 128))});
    EXPECT_EQ(Read(long62s).Frames(), 60000u);
    EXPECT_EQ(ReadWave(long62s, 5).Frames(), 5u);
}

TEST(WaveFile, WritesCanonical16BitPcm) {
    WaveData sound{44100, 2, {1, -2, 0x7FFF, -0x8000}};
    Bytes expected = {'R', 'I', 'F',  'F',  44,   0, 0, 0,    'W',  'A',  'V',  'E',  'f',
                      'm', 't', ' ',  16,   0,    0, 0, 1,    0,    2,    0,    0x44, 0xAC,
                      0,   0,   0x10, 0xB1, 0x02, 0, 4, 0,    16,   0,    'd',  'a',  't',
                      'a', 8,   0,    0,    0,    1, 0, 0xFE, 0xFF, 0xFF, 0x7F, 0x00, 0x80};
    EXPECT_EQ(WriteWave(sound), expected);

    coretest::TempDir dir;
    WriteWaveFile(dir.File("out.wav"), sound);
    WaveData back = ReadWaveFile(dir.File("out.wav"));
    EXPECT_EQ(back.sampleRate, 44100u);
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.samples, sound.samples);
}
