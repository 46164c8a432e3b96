#pragma once
// A sound pack's zip file read into memory, entry by entry, through minizip. Entry names are
// only ever compared, never used as paths: nothing of a zip reaches the disk.
//
//     ZipReader zip = ZipReader::FromFile(path); // refuses a hostile zip at once
//     for (size_t i = 0; i < zip.Entries().size(); ++i)
//         if (zip.Entries()[i].name == "config.json") text = zip.Read(i);
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What a zip may hold. Each is checked on the zip's list of entries before anything is
// unpacked, and again while unpacking, where no entry gives more than its listed size.
constexpr uint64_t MaxZipEntries = 2000;
constexpr uint64_t MaxZipEntryBytes = 64 * 1024 * 1024;  // one entry unpacked
constexpr uint64_t MaxZipTotalBytes = 256 * 1024 * 1024; // all entries unpacked
constexpr uint64_t MaxZipRatio = 100;                    // unpacked bytes to one packed byte
// The ratio is that of the whole zip, and that of each entry larger than this: a second of
// silence in a wave file packs a thousand to one and is no danger by itself.
constexpr uint64_t ZipRatioFreeBytes = 1024 * 1024;

struct ZipEntry {
    // UTF-8: as stored when the zip says so or the name is UTF-8, else read as code page 437
    // (the zip format's own). Parts are parted by "/" or "\" as the zip has them; no part is
    // "..", and the name is not absolute (no leading separator, no drive).
    std::string name;
    uint64_t size = 0;       // unpacked, as listed
    uint64_t packedSize = 0; // as listed
    bool folder = false;     // the name ends with a separator
};

class ZipReader {
public:
    // Read the zip's list of entries and check it. Raise an Exception whose message says why a
    // zip is refused: damaged, more than MaxZipEntries entries, an entry over MaxZipEntryBytes,
    // all over MaxZipTotalBytes, packed more than MaxZipRatio to 1, an encrypted entry, a name
    // with ".." or an absolute one. FromFile opens the file by its UTF-8 name and reads only
    // what it needs; it raises "Cannot open file ..." when there is none.
    static ZipReader FromBytes(std::vector<uint8_t> bytes);
    static ZipReader FromFile(const std::string& path);

    ZipReader(ZipReader&&) noexcept;
    ZipReader& operator=(ZipReader&&) noexcept;
    ~ZipReader();

    // In the order of the zip's list.
    const std::vector<ZipEntry>& Entries() const;
    // The entry unpacked. Raises when it is damaged (its bytes do not unpack to its listed size
    // and checksum), packed in a way this program does not read (not stored or deflated), or
    // when all that was read of the zip, this entry with it, comes to more than
    // MaxZipTotalBytes (an entry read twice counts twice).
    std::vector<uint8_t> Read(size_t index);

private:
    struct State;
    explicit ZipReader(std::unique_ptr<State> state);
    std::unique_ptr<State> F;
};
