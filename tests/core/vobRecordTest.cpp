#include "Exception.h"
#include "vobRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>

namespace {

using namespace std::string_literals;

template <typename Fn> std::string Written(Fn write) {
    TMemoryStream stream;
    {
        TvobWriter writer(stream);
        write(writer);
        writer.Flush();
    }
    return stream.Bytes();
}

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no error)";
}

// A stream that takes only `capacity` bytes, like a full disk.
class TFullStream : public TStream {
public:
    explicit TFullStream(size_t capacity) : FCapacity(capacity) {}
    size_t Read(void*, size_t) override { return 0; }
    size_t Write(const void*, size_t count) override {
        size_t n = std::min(count, FCapacity - FUsed);
        FUsed += n;
        return n;
    }
    int64_t Seek(int64_t, TSeekOrigin) override { return static_cast<int64_t>(FUsed); }
    int64_t Size() override { return static_cast<int64_t>(FUsed); }

private:
    size_t FCapacity;
    size_t FUsed = 0;
};

} // namespace

TEST(vobWriter, IntegersTakeTheSmallestTag) {
    struct Case {
        int32_t value;
        std::string bytes;
    } cases[] = {
        {-1, "\x02\xFF"s},
        {127, "\x02\x7F"s},
        {128, "\x03\x80\x00"s},
        {-129, "\x03\x7F\xFF"s},
        {32767, "\x03\xFF\x7F"s},
        {32768, "\x04\x00\x80\x00\x00"s},
        {-128, "\x02\x80"s},
        {-32768, "\x03\x00\x80"s},
        {-32769, "\x04\xFF\x7F\xFF\xFF"s},
        {INT_MIN, "\x04\x00\x00\x00\x80"s},
    };
    for (const auto& c : cases) {
        std::string bytes = Written([&](TvobWriter& w) { w.WriteInteger(c.value); });
        EXPECT_EQ(bytes, c.bytes) << c.value;
        TMemoryStream stream(bytes);
        TvobReader reader(stream);
        EXPECT_EQ(reader.ReadInteger(), c.value);
    }
}

TEST(vobWriter, AsciiTextsSwitchToLongTagAt256Bytes) {
    EXPECT_EQ(Written([](TvobWriter& w) { w.WriteString(""); }), "\x06\x00"s);

    std::string name255(255, 'a');
    EXPECT_EQ(Written([&](TvobWriter& w) { w.WriteString(name255); }), "\x06\xFF"s + name255);

    std::string name256(256, 'b');
    std::string bytes = Written([&](TvobWriter& w) { w.WriteString(name256); });
    EXPECT_EQ(bytes, "\x0C\x00\x01\x00\x00"s + name256);
    TMemoryStream stream(bytes);
    TvobReader reader(stream);
    EXPECT_EQ(reader.ReadString(), name256);
}

TEST(vobWriter, NonAsciiTextIsUtf8AndReadsBackAsTheSameAnsiText) {
    // "café" in Windows-1252.
    std::string bytes = Written([](TvobWriter& w) { w.WriteString("caf\xE9"); });
    EXPECT_EQ(bytes, "\x14\x05\x00\x00\x00"
                     "caf\xC3\xA9"s);
    TMemoryStream stream(bytes);
    TvobReader reader(stream);
    EXPECT_EQ(reader.ReadString(), "caf\xE9");

    // The euro sign sits at 0x80 in the code page but is U+20AC: three UTF-8 bytes.
    EXPECT_EQ(Written([](TvobWriter& w) { w.WriteString("\x80"); }),
              "\x14\x03\x00\x00\x00\xE2\x82\xAC"s);
}

TEST(vobWriter, DatesAreLittleEndianDoubles) {
    std::string bytes = Written([](TvobWriter& w) { w.WriteDate(42000.75); });
    ASSERT_EQ(bytes.size(), 9u);
    EXPECT_EQ(bytes[0], '\x11');
    double expected = 42000.75;
    uint64_t bits;
    std::memcpy(&bits, &expected, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(static_cast<uint8_t>(bytes[1 + i]), static_cast<uint8_t>(bits >> (8 * i)));
    TMemoryStream stream(bytes);
    TvobReader reader(stream);
    EXPECT_EQ(reader.ReadDate(), 42000.75);
}

TEST(vobWriter, BufferGoesOutWhenFullAndTheRestAtFlush) {
    TMemoryStream stream;
    TvobWriter writer(stream);
    std::string text(300, 'x'); // 305 bytes a value
    for (int i = 0; i < 4; ++i)
        writer.WriteString(text);
    EXPECT_EQ(stream.Size(), 1024);
    writer.Flush();
    EXPECT_EQ(stream.Size(), 4 * 305);
}

TEST(vobWriter, WriteFailureSurfacesAtFlushButNotFromTheDestructor) {
    TFullStream full(10);
    EXPECT_EQ(MessageOf([&] {
                  TvobWriter writer(full);
                  writer.WriteString("more than ten bytes");
                  writer.Flush();
              }),
              "Stream write error");

    TFullStream alsoFull(3);
    EXPECT_NO_THROW({
        TvobWriter writer(alsoFull);
        writer.WriteString("lost");
    });
}

TEST(vobReader, DateReadAcceptsEveryIntegerTag) {
    TMemoryStream stream("\x02\x05"
                         "\x03\x10\x27"
                         "\x04\xFF\xFF\xFF\xFF"
                         "\x13\xC8\xAF\x00\x00\x00\x00\x00\x00"s);
    TvobReader reader(stream);
    EXPECT_EQ(reader.ReadDate(), 5.0);
    EXPECT_EQ(reader.ReadDate(), 10000.0);
    EXPECT_EQ(reader.ReadDate(), -1.0);
    EXPECT_EQ(reader.ReadDate(), 45000.0);
}

TEST(vobReader, Utf16TextIsConvertedToAnsi) {
    TMemoryStream stream("\x12\x03\x00\x00\x00h\x00i\x00\xE9\x00"
                         "\x12\x00\x00\x00\x00"s);
    TvobReader reader(stream);
    EXPECT_EQ(reader.ReadString(), "hi\xE9");
    EXPECT_EQ(reader.ReadString(), "");
}

TEST(vobReader, MalformedUtf8ReadsAsEmptyAndTheNextValuesAsUsual) {
    TMemoryStream stream("\x14\x01\x00\x00\x00\xC3"
                         "\x06\x01x"
                         "\x14\x02\x00\x00\x00\xC3x"
                         "\x14\x04\x00\x00\x00\xF0\x9F\x98\x80" // four-byte form is not decoded
                         "\x14\x03\x00\x00\x00"
                         "ab\xC3" // no partial text either
                         "\x02\x07"s);
    TvobReader reader(stream);
    EXPECT_EQ(reader.ReadString(), "");
    EXPECT_EQ(reader.ReadString(), "x");
    EXPECT_EQ(reader.ReadString(), "");
    EXPECT_EQ(reader.ReadString(), "");
    EXPECT_EQ(reader.ReadString(), "");
    EXPECT_EQ(reader.ReadInteger(), 7);
}

TEST(vobReader, SurrogateHalvesTravelAsTwoThreeByteSequences) {
    std::u16string pair = u"\U0001F600";
    std::string utf8 = Utf16ToRecordUtf8(pair);
    EXPECT_EQ(utf8, "\xED\xA0\xBD\xED\xB8\x80");
    std::u16string back;
    ASSERT_TRUE(RecordUtf8ToUtf16(utf8, back));
    EXPECT_EQ(back, pair);
}

TEST(vobReader, WrongTagsAndShortDataFailWithTheirMessages) {
    auto readString = [](std::string bytes) {
        return MessageOf([&] {
            TMemoryStream s(bytes);
            TvobReader r(s);
            r.ReadString();
        });
    };
    auto readInteger = [](std::string bytes) {
        return MessageOf([&] {
            TMemoryStream s(bytes);
            TvobReader r(s);
            r.ReadInteger();
        });
    };
    EXPECT_EQ(readString("\x02\x05"s), "Invalid property value");
    EXPECT_EQ(readString("\x07\x00"s), "Invalid property value");
    EXPECT_EQ(readInteger("\x06\x00"s), "Invalid property value");
    EXPECT_EQ(readInteger("\x13\x00\x00\x00\x00\x00\x00\x00\x00"s), "Invalid property value");
    EXPECT_EQ(MessageOf([] {
                  TMemoryStream s("\x06\x00"s);
                  TvobReader r(s);
                  r.ReadDate();
              }),
              "Invalid property value");

    EXPECT_EQ(readString(""), "Stream read error");
    EXPECT_EQ(readString("\x06\x05"
                         "abcd"s),
              "Stream read error");
    EXPECT_EQ(readInteger("\x04\x01\x02"s), "Stream read error");
    // Lengths beyond the data fail before anything of that size is allocated.
    EXPECT_EQ(readString("\x0C\xFF\xFF\xFF\x7F"
                         "abc"s),
              "Stream read error");
    EXPECT_EQ(readString("\x14\xFF\xFF\xFF\xFF"s), "Stream read error");
    EXPECT_EQ(readString("\x12\x00\x00\x00\x40"
                         "ab"s),
              "Stream read error");
    EXPECT_EQ(readString("\x12\x02\x00\x00\x00"
                         "abc"s),
              "Stream read error");
}

TEST(vobReader, LeavesTheStreamAfterTheLastValueItConsumed) {
    std::string big(2000, 'z');
    std::string bytes = Written([&](TvobWriter& w) {
        w.WriteInteger(1);
        w.WriteString(big);
        w.WriteInteger(300);
        w.WriteString("tail");
    });
    TMemoryStream stream(bytes);
    {
        TvobReader reader(stream);
        EXPECT_EQ(reader.ReadInteger(), 1);
    }
    EXPECT_EQ(stream.Position(), 2);
    {
        // Picks up where the first reader stopped, across the 1024-byte buffer.
        TvobReader reader(stream);
        EXPECT_EQ(reader.ReadString(), big);
        EXPECT_EQ(reader.ReadInteger(), 300);
    }
    EXPECT_EQ(stream.Position(), 2 + 5 + 2000 + 3);
}

TEST(Stream, ShortTransfersRaiseStreamErrors) {
    TMemoryStream stream("abc");
    char buffer[8];
    EXPECT_EQ(MessageOf([&] { stream.ReadBuffer(buffer, 4); }), "Stream read error");
    TFullStream full(2);
    EXPECT_EQ(MessageOf([&] { full.WriteBuffer("abc", 3); }), "Stream write error");
}
