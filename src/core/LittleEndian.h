#pragma once
// Little-endian fields of a byte buffer, read at an offset. Every read is checked against the
// end: a field that does not fit raises an Exception, so that no size or offset taken from a
// file can lead a reader outside it.
#include "Exception.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : FBytes(bytes) {}

    size_t Size() const { return FBytes.size(); }
    // Whether the `count` bytes from `offset` are all inside, whatever the two values.
    bool Has(size_t offset, size_t count) const {
        return offset <= FBytes.size() && count <= FBytes.size() - offset;
    }

    uint8_t U8(size_t offset) const { return static_cast<uint8_t>(Read(offset, 1)); }
    uint16_t U16(size_t offset) const { return static_cast<uint16_t>(Read(offset, 2)); }
    uint32_t U32(size_t offset) const { return static_cast<uint32_t>(Read(offset, 4)); }
    uint64_t U64(size_t offset) const { return Read(offset, 8); }

    // The `count` bytes from `offset` as a reader of their own: its offsets start there and its
    // reads end where they end.
    ByteReader Part(size_t offset, size_t count) const {
        Check(offset, count);
        return ByteReader(FBytes.subspan(offset, count));
    }

private:
    void Check(size_t offset, size_t count) const {
        if (!Has(offset, count))
            throw Exception(Format("Unexpected end of data at byte %s", {std::to_string(offset)}));
    }
    uint64_t Read(size_t offset, size_t count) const {
        Check(offset, count);
        uint64_t value = 0;
        for (size_t i = count; i-- > 0;)
            value = value << 8 | FBytes[offset + i];
        return value;
    }

    std::span<const uint8_t> FBytes;
};
