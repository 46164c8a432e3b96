#include "Mp3Frames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

TEST(Mp3Frames, ReadsTheFirstFrameHeaderAfterAnyTag) {
    // MPEG-1 Layer III, 128 kbps, 44.1 kHz, joint stereo: 144 * 128000 / 44100 = 417 bytes.
    Mp3FrameInfo frame;
    ASSERT_TRUE(FindFirstMp3Frame(Bytes{0xFF, 0xFB, 0x90, 0x64}, frame));
    EXPECT_EQ(frame.offset, 0u);
    EXPECT_EQ(frame.sampleRate, 44100u);
    EXPECT_EQ(frame.channels, 2);
    EXPECT_EQ(frame.bitRate, 128000u);
    EXPECT_EQ(frame.frameBytes, 417);

    // An ID3v2 tag of 10 bytes (syncsafe size), a stray sync byte, then MPEG-2.5 Layer III,
    // 64 kbps, 8 kHz, mono: 72 * 64000 / 8000 = 576 bytes.
    Bytes tagged{'I', 'D', '3', 4, 0, 0, 0, 0, 0, 10};
    tagged.resize(20, 0);
    tagged.insert(tagged.end(), {0xFF, 0x00, 0xFF, 0xE3, 0x88, 0xC0});
    ASSERT_TRUE(LooksLikeMp3(tagged));
    ASSERT_TRUE(FindFirstMp3Frame(tagged, frame));
    EXPECT_EQ(frame.offset, 22u);
    EXPECT_EQ(frame.sampleRate, 8000u);
    EXPECT_EQ(frame.channels, 1);
    EXPECT_EQ(frame.frameBytes, 576);
}

TEST(Mp3Frames, RefusesReservedFieldsAndTruncatedData) {
    Mp3FrameInfo frame;
    EXPECT_FALSE(FindFirstMp3Frame(Bytes{0xFF, 0xEB, 0x90, 0x64}, frame)); // version 01
    EXPECT_FALSE(FindFirstMp3Frame(Bytes{0xFF, 0xFD, 0x90, 0x64}, frame)); // Layer II
    EXPECT_FALSE(FindFirstMp3Frame(Bytes{0xFF, 0xFB, 0xF0, 0x64}, frame)); // bitrate 15
    EXPECT_FALSE(FindFirstMp3Frame(Bytes{0xFF, 0xFB, 0x0C, 0x64}, frame)); // free, rate 3
    EXPECT_FALSE(FindFirstMp3Frame(Bytes{0xFF, 0xFB, 0x90}, frame));
    // A tag whose size points past the end of the data.
    EXPECT_FALSE(FindFirstMp3Frame(Bytes{'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F}, frame));
}
