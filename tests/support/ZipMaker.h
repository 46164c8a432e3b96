#pragma once
// Zip files written byte by byte for the tests and benchmarks, deflated with zlib: each entry's
// local header and data, then the central directory and its end record. An entry can lie about
// its sizes or flags, as a hostile zip does.
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ziptest {

struct Entry {
    Entry(std::string name, std::string data, bool deflate = true, uint16_t flags = 0)
        : name(std::move(name)), data(std::move(data)), deflate(deflate), flags(flags) {}
    std::string name;
    std::string data;
    bool deflate = true;
    uint16_t flags = 0;                   // 1: encrypted, 0x800: the name is UTF-8
    std::optional<uint32_t> listedSize;   // the unpacked size the headers give, when it lies
    std::optional<uint32_t> listedPacked; // the packed size the headers give, when it lies
    std::optional<uint16_t> listedMethod; // 12 is bzip2, for one
};

inline std::string Le(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
    return out;
}

// Raw deflate, as zips hold it.
inline std::string Deflate(const std::string& data) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&stream, uLong(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int done = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (done != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

inline std::string MakeZip(const std::vector<Entry>& entries) {
    std::string body, directory;
    for (const Entry& e : entries) {
        const std::string packed = e.deflate ? Deflate(e.data) : e.data;
        const uint32_t crc =
            uint32_t(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), uInt(e.data.size())));
        // Version, flags, method, time, date, CRC, packed and unpacked size, name length.
        const std::string common =
            Le(e.flags, 2) + Le(e.listedMethod.value_or(e.deflate ? 8 : 0), 2) + Le(0, 2) +
            Le(0x5A21, 2) + Le(crc, 4) + Le(e.listedPacked.value_or(uint32_t(packed.size())), 4) +
            Le(e.listedSize.value_or(uint32_t(e.data.size())), 4) + Le(uint32_t(e.name.size()), 2);
        const uint32_t offset = uint32_t(body.size());
        body += "PK\x03\x04" + Le(20, 2) + common + Le(0, 2) + e.name + packed;
        directory += "PK\x01\x02" + Le(20, 2) + Le(20, 2) + common + Le(0, 2) + Le(0, 2) +
                     Le(0, 2) + Le(0, 2) + Le(0, 4) + Le(offset, 4) + e.name;
    }
    const uint32_t count = uint32_t(entries.size());
    return body + directory + "PK\x05\x06" + Le(0, 2) + Le(0, 2) + Le(count, 2) + Le(count, 2) +
           Le(uint32_t(directory.size()), 4) + Le(uint32_t(body.size()), 4) + Le(0, 2);
}

} // namespace ziptest
