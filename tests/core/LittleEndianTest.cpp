#include "Exception.h"
#include "LittleEndian.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {
const std::vector<uint8_t> Bytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88, 0xFF, 0xFE};
constexpr size_t Huge = std::numeric_limits<size_t>::max();
} // namespace

TEST(ByteReader, ReadsLowByteFirstAtAnyOffsetWithoutSignExtension) {
    ByteReader reader(Bytes);
    EXPECT_EQ(reader.U8(7), 0x88u);
    EXPECT_EQ(reader.U16(0), 0x0201u);
    EXPECT_EQ(reader.U16(1), 0x0302u);
    EXPECT_EQ(reader.U16(8), 0xFEFFu);
    EXPECT_EQ(reader.U32(0), 0x04030201u);
    EXPECT_EQ(reader.U32(6), 0xFEFF8807u);
    EXPECT_EQ(reader.U64(0), 0x8807060504030201u);
    EXPECT_EQ(reader.U64(2), 0xFEFF880706050403u);
}

TEST(ByteReader, AFieldEndingAtTheLastByteIsReadAndOneByteFurtherIsRefused) {
    ByteReader reader(Bytes);
    EXPECT_EQ(reader.U8(9), 0xFEu);
    EXPECT_THROW(reader.U8(10), Exception);
    EXPECT_EQ(reader.U16(8), 0xFEFFu);
    EXPECT_THROW(reader.U16(9), Exception);
    EXPECT_EQ(reader.U32(6), 0xFEFF8807u);
    EXPECT_THROW(reader.U32(7), Exception);
    EXPECT_THROW(reader.U64(3), Exception);
    // Offsets near the top of the range must not wrap round to the start.
    EXPECT_THROW(reader.U16(Huge), Exception);
    EXPECT_THROW(reader.U32(Huge - 2), Exception);
    EXPECT_TRUE(reader.Has(10, 0));
    EXPECT_FALSE(reader.Has(11, 0));
    EXPECT_FALSE(reader.Has(2, Huge));
    EXPECT_THROW(ByteReader(std::span<const uint8_t>()).U8(0), Exception);
}

TEST(ByteReader, APartCountsFromItsStartAndEndsAtItsOwnEnd) {
    ByteReader part = ByteReader(Bytes).Part(2, 4);
    EXPECT_EQ(part.Size(), 4u);
    EXPECT_EQ(part.U16(0), 0x0403u);
    EXPECT_EQ(part.U16(2), 0x0605u);
    // The buffer goes on, the part does not.
    EXPECT_THROW(part.U16(3), Exception);
    EXPECT_THROW(part.U32(1), Exception);
    EXPECT_EQ(ByteReader(Bytes).Part(10, 0).Size(), 0u);
    EXPECT_THROW(ByteReader(Bytes).Part(9, 2), Exception);
    EXPECT_THROW(ByteReader(Bytes).Part(Huge, 2), Exception);
}
