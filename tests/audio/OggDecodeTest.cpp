#include "OggDecode.h"

#include "CoreTestFiles.h"
#include "Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// tone440.ogg: half a second of a 440 Hz sine at 8 kHz, mono, peak 8000, made by
//   oggenc -q 0 from a 16-bit wave file.
std::vector<uint8_t> ToneFile() {
    std::string bytes = coretest::ReadBytes(TAPPOLO_AUDIO_TEST_DATA "/tone440.ogg");
    return {bytes.begin(), bytes.end()};
}

// Rising zero crossings per second.
double Frequency(const WaveData& sound) {
    int crossings = 0;
    for (size_t i = 1; i < sound.samples.size(); ++i)
        crossings += sound.samples[i - 1] < 0 && sound.samples[i] >= 0;
    return crossings * double(sound.sampleRate) / double(sound.samples.size());
}

} // namespace

TEST(OggDecode, DecodesTheToneAndStopsWhereAsked) {
    std::vector<uint8_t> file = ToneFile();
    ASSERT_TRUE(LooksLikeOgg(file));
    WaveData tone = DecodeOgg(file, 10000);
    EXPECT_EQ(tone.sampleRate, 8000u);
    EXPECT_EQ(tone.channels, 1);
    EXPECT_EQ(tone.Frames(), 4000u);
    EXPECT_NEAR(Frequency(tone), 440.0, 5.0);
    EXPECT_EQ(DecodeOgg(file, 100).Frames(), 800u);
}

TEST(OggDecode, RefusesDamage) {
    std::vector<uint8_t> file = ToneFile();
    EXPECT_THROW(DecodeOgg(std::vector<uint8_t>(file.begin(), file.begin() + 40), 1000), Exception);
    // The comment header's vendor length (after "\x03vorbis") made to claim 4 GB.
    std::vector<uint8_t> lying = file;
    for (size_t i = 0; i + 11 < lying.size(); ++i) {
        if (lying[i] == 3 &&
            std::string(lying.begin() + i + 1, lying.begin() + i + 7) == "vorbis") {
            for (size_t k = 7; k < 11; ++k)
                lying[i + k] = 0xFF;
            break;
        }
    }
    EXPECT_THROW(DecodeOgg(lying, 1000), Exception);
    EXPECT_THROW(DecodeOgg(std::vector<uint8_t>{'R', 'I', 'F', 'F'}, 1000), Exception);
}

TEST(OggDecode, RefusesACodebookWhoseSizeWrapsAround) {
    // A setup header with a codebook of 65,535 dimensions and 65,544 entries, lookup type 1:
    // entries times dimensions overflows 32 bits.
    std::string bytes = coretest::ReadBytes(TAPPOLO_AUDIO_TEST_DATA "/codebook-overflow.ogg");
    ASSERT_EQ(bytes.size(), 18699u);
    std::vector<uint8_t> file(bytes.begin(), bytes.end());
    try {
        DecodeOgg(file, 1000);
        ADD_FAILURE() << "decoded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The Ogg Vorbis data is damaged");
    }
}
