#pragma once
// Record files: bare sequences of tagged values, read and written in the order a record
// defines. Each value is a one-byte tag and a little-endian payload.
#include "Stream.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vobTag {
constexpr uint8_t Int8 = 0x02;
constexpr uint8_t Int16 = 0x03;
constexpr uint8_t Int32 = 0x04;
constexpr uint8_t String = 0x06;
constexpr uint8_t LString = 0x0C;
constexpr uint8_t Date = 0x11;
constexpr uint8_t WString = 0x12;
constexpr uint8_t Int64 = 0x13;
constexpr uint8_t Utf8String = 0x14;
} // namespace vobTag

constexpr size_t vobBufferSize = 1024;

// Reads values from a stream the caller opened and still owns. Errors: "Invalid property
// value" for a tag the read does not accept, "Stream read error" when the data ends early.
class TvobReader {
public:
    explicit TvobReader(TStream& stream) : FStream(stream) {}
    // Leaves the stream just after the last byte consumed, not after the buffered read-ahead.
    ~TvobReader();
    TvobReader(const TvobReader&) = delete;
    TvobReader& operator=(const TvobReader&) = delete;

    // Tags 0x06, 0x0C, 0x12, 0x14; the text in the ANSI code page.
    std::string ReadString();
    // Tags 0x02, 0x03, 0x04.
    int32_t ReadInteger();
    // Tag 0x11, or an integer (0x02, 0x03, 0x04, 0x13) as a whole number of days.
    double ReadDate();

private:
    uint8_t ReadByte();
    int32_t ReadIntegerOf(uint8_t tag);
    void Read(void* buffer, size_t count);
    // A length or count field, refused when the rest of the data cannot hold that many units.
    size_t ReadLength(size_t unitSize);
    int64_t Remaining();

    TStream& FStream;
    uint8_t FBuffer[vobBufferSize];
    size_t FPosition = 0;
    size_t FEnd = 0;
};

// Writes values to a stream the caller opened and still owns. The buffer goes out when it is
// full and at Flush(); the destructor flushes too but cannot report a failure, so savers call
// Flush() themselves. A failed write raises "Stream write error".
class TvobWriter {
public:
    explicit TvobWriter(TStream& stream) : FStream(stream) {}
    ~TvobWriter();
    TvobWriter(const TvobWriter&) = delete;
    TvobWriter& operator=(const TvobWriter&) = delete;

    // Plain ASCII as 0x06 (up to 255 bytes) or 0x0C; anything else as UTF-8 under 0x14.
    void WriteString(std::string_view text);
    // The smallest of 0x02, 0x03, 0x04 that holds the value.
    void WriteInteger(int32_t value);
    void WriteDate(double value);
    void Flush();

private:
    void Write(const void* data, size_t count);
    void WriteLength(size_t length);

    TStream& FStream;
    uint8_t FBuffer[vobBufferSize];
    size_t FCount = 0;
};

// UTF-8 as the record files hold it: each UTF-16 unit on its own (a surrogate pair becomes two
// three-byte sequences). Decoding takes sequences of at most three bytes and gives false for
// anything else.
std::string Utf16ToRecordUtf8(std::u16string_view text);
bool RecordUtf8ToUtf16(std::string_view bytes, std::u16string& text);

// Writes a record file so that a good file is never replaced by a half-written one: the data
// goes to a new temporary file of a name no other file has, in the same folder, is flushed, and
// only then takes the old file's place. False when the old file could not be replaced (held
// open, say): nothing is then written and the old file stays as it was. Where no temporary file
// can be made, the old file is deleted (false, and nothing written, when it cannot be) and the
// new one written in its place. Create errors name `path`; they and write errors are raised
// after the temporary file is gone.
bool SaveRecordFile(const std::string& path, const std::function<void(TvobWriter&)>& writeData);

// Reads a record file, opened without sharing. False when no file is at path: the record then
// keeps what it holds. A file that exists but cannot be opened raises "Cannot open file ...".
bool LoadRecordFile(const std::string& path, const std::function<void(TvobReader&)>& readData);

// Writes a record to a stream that the caller owns; "Stream Error" without one.
void SaveRecordStream(TStream* stream, const std::function<void(TvobWriter&)>& writeData);
