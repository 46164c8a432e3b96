#include "vobRecord.h"

#include "CodePage.h"
#include "Exception.h"
#include "FileSystem.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

[[noreturn]] void ReadError() {
    throw Exception("Stream read error");
}
[[noreturn]] void InvalidValue() {
    throw Exception("Invalid property value");
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string Utf16ToRecordUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char16_t unit : text) {
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | (unit >> 6));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (unit >> 12));
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

bool RecordUtf8ToUtf16(std::string_view bytes, std::u16string& text) {
    text.clear();
    text.reserve(bytes.size());
    size_t i = 0;
    auto continuation = [&](unsigned& value) {
        if (i >= bytes.size())
            return false;
        auto b = static_cast<unsigned char>(bytes[i]);
        if ((b & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (b & 0x3F);
        ++i;
        return true;
    };
    while (i < bytes.size()) {
        auto lead = static_cast<unsigned char>(bytes[i++]);
        unsigned value;
        if (lead < 0x80) {
            value = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            value = lead & 0x1F;
            if (!continuation(value))
                return false;
        } else if ((lead & 0xF0) == 0xE0) {
            value = lead & 0x0F;
            if (!continuation(value) || !continuation(value))
                return false;
        } else {
            return false;
        }
        text += static_cast<char16_t>(value);
    }
    return true;
}

// ---- reader -----------------------------------------------------------------------------

TvobReader::~TvobReader() {
    if (FEnd > FPosition) {
        try {
            FStream.Seek(-static_cast<int64_t>(FEnd - FPosition), TSeekOrigin::Current);
        } catch (...) {
            // A destructor cannot report it; the caller only loses the read-ahead position.
        }
    }
}

void TvobReader::Read(void* buffer, size_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        if (FPosition == FEnd) {
            FPosition = 0;
            FEnd = FStream.Read(FBuffer, vobBufferSize);
            if (FEnd == 0)
                ReadError();
        }
        size_t n = std::min(count, FEnd - FPosition);
        std::memcpy(out, FBuffer + FPosition, n);
        FPosition += n;
        out += n;
        count -= n;
    }
}

uint8_t TvobReader::ReadByte() {
    uint8_t b;
    Read(&b, 1);
    return b;
}

int64_t TvobReader::Remaining() {
    int64_t size = FStream.Size();
    int64_t position = FStream.Position();
    int64_t unread = size >= 0 && position >= 0 && size > position ? size - position : 0;
    return unread + static_cast<int64_t>(FEnd - FPosition);
}

size_t TvobReader::ReadLength(size_t unitSize) {
    uint8_t b[4];
    Read(b, 4);
    uint32_t length = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    // A damaged length must not make us allocate for data that is not there. A negative length
    // read as unsigned is huge and fails here too.
    if (static_cast<uint64_t>(length) * unitSize > static_cast<uint64_t>(Remaining()))
        ReadError();
    return length;
}

std::string TvobReader::ReadString() {
    uint8_t tag = ReadByte();
    switch (tag) {
    case vobTag::String: {
        std::string text(ReadByte(), '\0');
        Read(text.data(), text.size());
        return text;
    }
    case vobTag::LString: {
        std::string text(ReadLength(1), '\0');
        Read(text.data(), text.size());
        return text;
    }
    case vobTag::WString: {
        size_t count = ReadLength(2);
        std::string raw(count * 2, '\0');
        Read(raw.data(), raw.size());
        std::u16string units(count, u'\0');
        for (size_t i = 0; i < count; ++i)
            units[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                             (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
        return Utf16ToAnsi(units);
    }
    case vobTag::Utf8String: {
        std::string raw(ReadLength(1), '\0');
        Read(raw.data(), raw.size());
        std::u16string units;
        // A payload that does not decode gives an empty text rather than an error.
        if (!RecordUtf8ToUtf16(raw, units))
            return {};
        return Utf16ToAnsi(units);
    }
    default:
        InvalidValue();
    }
}

int32_t TvobReader::ReadInteger() {
    return ReadIntegerOf(ReadByte());
}

int32_t TvobReader::ReadIntegerOf(uint8_t tag) {
    uint8_t b[4];
    switch (tag) {
    case vobTag::Int8:
        Read(b, 1);
        return static_cast<int8_t>(b[0]);
    case vobTag::Int16:
        Read(b, 2);
        return static_cast<int16_t>(b[0] | (b[1] << 8));
    case vobTag::Int32:
        Read(b, 4);
        return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) |
                                    (static_cast<uint32_t>(b[3]) << 24));
    default:
        InvalidValue();
    }
}

double TvobReader::ReadDate() {
    uint8_t tag = ReadByte();
    uint8_t b[8];
    switch (tag) {
    case vobTag::Date: {
        Read(b, 8);
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | b[i];
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    case vobTag::Int8:
    case vobTag::Int16:
    case vobTag::Int32:
        return static_cast<double>(ReadIntegerOf(tag));
    case vobTag::Int64: {
        Read(b, 8);
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | b[i];
        return static_cast<double>(static_cast<int64_t>(bits));
    }
    default:
        InvalidValue();
    }
}

// ---- writer -----------------------------------------------------------------------------

TvobWriter::~TvobWriter() {
    try {
        Flush();
    } catch (...) {
        // Savers flush before this point and see the error there.
    }
}

void TvobWriter::Flush() {
    if (FCount == 0)
        return;
    size_t count = FCount;
    // Cleared first: a failed write must not be repeated by the destructor's flush.
    FCount = 0;
    FStream.WriteBuffer(FBuffer, count);
}

void TvobWriter::Write(const void* data, size_t count) {
    auto* in = static_cast<const uint8_t*>(data);
    while (count > 0) {
        size_t n = std::min(count, vobBufferSize - FCount);
        std::memcpy(FBuffer + FCount, in, n);
        FCount += n;
        in += n;
        count -= n;
        if (FCount == vobBufferSize)
            Flush();
    }
}

void TvobWriter::WriteLength(size_t length) {
    auto value = static_cast<uint32_t>(length);
    uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                    static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    Write(b, 4);
}

void TvobWriter::WriteString(std::string_view text) {
    // Only a byte above 0x7F can make the UTF-8 form differ from the ANSI bytes.
    if (!IsAscii(text)) {
        std::string utf8 = Utf16ToRecordUtf8(AnsiToUtf16(text));
        if (utf8 != text) {
            uint8_t tag = vobTag::Utf8String;
            Write(&tag, 1);
            WriteLength(utf8.size());
            Write(utf8.data(), utf8.size());
            return;
        }
    }
    if (text.size() <= 255) {
        uint8_t head[2] = {vobTag::String, static_cast<uint8_t>(text.size())};
        Write(head, 2);
    } else {
        uint8_t tag = vobTag::LString;
        Write(&tag, 1);
        WriteLength(text.size());
    }
    Write(text.data(), text.size());
}

void TvobWriter::WriteInteger(int32_t value) {
    auto u = static_cast<uint32_t>(value);
    if (value >= -128 && value <= 127) {
        uint8_t b[2] = {vobTag::Int8, static_cast<uint8_t>(u)};
        Write(b, 2);
    } else if (value >= -32768 && value <= 32767) {
        uint8_t b[3] = {vobTag::Int16, static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8)};
        Write(b, 3);
    } else {
        uint8_t b[5] = {vobTag::Int32, static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                        static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
        Write(b, 5);
    }
}

void TvobWriter::WriteDate(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    uint8_t b[9];
    b[0] = vobTag::Date;
    for (int i = 0; i < 8; ++i)
        b[1 + i] = static_cast<uint8_t>(bits >> (8 * i));
    Write(b, 9);
}

// ---- safe save --------------------------------------------------------------------------

namespace {

// The folder part of a path, with its separator; empty for a bare name.
std::string FolderPart(const std::string& path) {
    size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

// The plain save: the old file goes first (a file that cannot be deleted stops the save without
// a word), then the new one is created at the path and written.
bool SaveInPlace(const std::string& path, const std::function<void(TvobWriter&)>& writeData) {
    if (FileExists(path) && !ForceDeleteFile(path))
        return false;
    TFileStream stream(path, TFileMode::Create);
    TvobWriter writer(stream);
    writeData(writer);
    writer.Flush();
    return true;
}

} // namespace

bool SaveRecordFile(const std::string& path, const std::function<void(TvobWriter&)>& writeData) {
    // A folder at the path is no file to replace: creating the file there fails with the
    // system's reason, named for the user's file.
    std::string temporary;
    if (!DirectoryExists(path))
        temporary = CreateTemporaryFile(FolderPart(path));
    if (temporary.empty())
        return SaveInPlace(path, writeData);
    std::unique_ptr<TFileStream> stream;
    try {
        stream = std::make_unique<TFileStream>(temporary, TFileMode::Create);
    } catch (const Exception&) {
        ForceDeleteFile(temporary);
        return SaveInPlace(path, writeData);
    }
    try {
        TvobWriter writer(*stream);
        writeData(writer);
        writer.Flush();
        stream->Flush();
    } catch (...) {
        stream.reset();
        ForceDeleteFile(temporary);
        throw;
    }
    stream.reset();
    if (!ReplaceFileWith(temporary, path)) {
        ForceDeleteFile(temporary);
        return false;
    }
    return true;
}

bool LoadRecordFile(const std::string& path, const std::function<void(TvobReader&)>& readData) {
    if (!FileExists(path))
        return false;
    TFileStream stream(path, TFileMode::OpenRead);
    TvobReader reader(stream);
    readData(reader);
    return true;
}

void SaveRecordStream(TStream* stream, const std::function<void(TvobWriter&)>& writeData) {
    if (stream == nullptr)
        throw Exception("Stream Error");
    TvobWriter writer(*stream);
    writeData(writer);
    writer.Flush();
}
