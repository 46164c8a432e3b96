#include "ZipReader.h"

#include "CodePage.h"
#include "Exception.h"
#include "PackName.h"
#include "Utf8Files.h"

#include <unzip.h>

#include <algorithm>
#include <cstring>

namespace {

// Where minizip reads from: the zip's bytes in memory or its file, and minizip's place in them.
struct ZipInput {
    virtual ~ZipInput() = default;
    virtual uint64_t Size() const = 0;
    virtual size_t ReadAt(uint64_t offset, void* buffer, size_t count) = 0;
    uint64_t position = 0;
};

struct BytesInput final : ZipInput {
    explicit BytesInput(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {}
    uint64_t Size() const override { return FBytes.size(); }
    size_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        if (offset >= FBytes.size())
            return 0;
        count = static_cast<size_t>(std::min<uint64_t>(count, FBytes.size() - offset));
        std::memcpy(buffer, FBytes.data() + offset, count);
        return count;
    }
    std::vector<uint8_t> FBytes;
};

// minizip reads its headers a few bytes at a time: those come from a block read once.
struct FileInput final : ZipInput {
    explicit FileInput(const std::string& path) : FFile(path), FBlock(64 * 1024) {}
    uint64_t Size() const override { return FFile.Size(); }
    size_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        if (count >= FBlock.size())
            return FFile.ReadAt(offset, buffer, count);
        if (offset < FStart || offset + count > FStart + FHave) {
            FStart = offset;
            FHave = FFile.ReadAt(offset, FBlock.data(), FBlock.size());
        }
        count = static_cast<size_t>(std::min<uint64_t>(count, FStart + FHave - offset));
        std::memcpy(buffer, FBlock.data() + (offset - FStart), count);
        return count;
    }
    Utf8FileReader FFile;
    std::vector<uint8_t> FBlock;
    uint64_t FStart = 0;
    size_t FHave = 0;
};

// minizip's I/O callbacks: the "file" it opens is the input it was given, which outlives it.
extern "C" {
static voidpf OpenInput(voidpf opaque, const void*, int) {
    return opaque;
}
static uLong ReadInput(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* input = static_cast<ZipInput*>(stream);
    size_t read = input->ReadAt(input->position, buffer, size);
    input->position += read;
    return static_cast<uLong>(read);
}
static uLong WriteInput(voidpf, voidpf, const void*, uLong) {
    return 0;
}
static ZPOS64_T TellInput(voidpf, voidpf stream) {
    return static_cast<ZipInput*>(stream)->position;
}
static long SeekInput(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* input = static_cast<ZipInput*>(stream);
    if (origin == ZLIB_FILEFUNC_SEEK_SET)
        input->position = offset;
    else if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        input->position += offset;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        input->position = input->Size() + offset;
    else
        return -1;
    return 0;
}
static int CloseInput(voidpf, voidpf) {
    return 0;
}
static int InputError(voidpf, voidpf) {
    return 0;
}
}

// Code page 437 from 0x80 on: what a zip's names are in when the zip does not say UTF-8.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

constexpr uLong kEncrypted = 1u << 0;
constexpr uLong kUtf8Name = 1u << 11;

// Zips made on Linux and macOS often hold UTF-8 without saying so; code page 437 is the rest's.
std::string EntryName(const std::string& stored, uLong flags) {
    if ((flags & kUtf8Name) || Utf16ToUtf8(Utf8ToUtf16(stored)) == stored)
        return stored;
    std::u16string wide;
    for (unsigned char c : stored)
        wide += c < 0x80 ? char16_t(c) : kCp437High[c - 0x80];
    return Utf16ToUtf8(wide);
}

bool OutsideZip(std::string_view name) {
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        return true;
    if (name.size() >= 2 && name[1] == ':')
        return true; // a drive
    size_t start = 0;
    while (true) {
        size_t end = name.find_first_of("/\\", start);
        if (name.substr(start, end - start) == "..")
            return true;
        if (end == std::string_view::npos)
            return false;
        start = end + 1;
    }
}

// Unpacked more than MaxZipRatio times its packed size.
bool OverRatio(uint64_t size, uint64_t packedSize) {
    return size > 0 && (size - 1) / MaxZipRatio >= packedSize;
}

// A name in a message, as the product's texts are: in the ANSI code page.
std::string Shown(const std::string& utf8) {
    return Utf16ToAnsi(Utf8ToUtf16(utf8));
}

[[noreturn]] void Damaged() {
    throw Exception("The zip file is damaged: its list of files cannot be read");
}

} // namespace

struct ZipReader::State {
    std::unique_ptr<ZipInput> input;
    unzFile zip = nullptr;
    std::vector<ZipEntry> entries;
    std::vector<unz64_file_pos> places;
    std::vector<uLong> methods;
    uint64_t unpacked = 0; // by every Read so far

    ~State() {
        if (zip)
            unzClose(zip);
    }

    void Open() {
        zlib_filefunc64_def functions{};
        functions.zopen64_file = OpenInput;
        functions.zread_file = ReadInput;
        functions.zwrite_file = WriteInput;
        functions.ztell64_file = TellInput;
        functions.zseek64_file = SeekInput;
        functions.zclose_file = CloseInput;
        functions.zerror_file = InputError;
        functions.opaque = input.get();
        zip = unzOpen2_64("zip", &functions);
        unz_global_info64 global{};
        if (!zip || unzGetGlobalInfo64(zip, &global) != UNZ_OK)
            Damaged();
        if (global.number_entry > MaxZipEntries)
            throw Exception("The zip file holds more than 2,000 files");
        uint64_t total = 0;
        uint64_t packedTotal = 0;
        uint64_t largestPacked = 0;
        int step = global.number_entry == 0 ? UNZ_END_OF_LIST_OF_FILE : unzGoToFirstFile(zip);
        for (; step == UNZ_OK; step = unzGoToNextFile(zip)) {
            // A zip of more than 65,534 entries lists their number as 65,535 and is read to its
            // end.
            if (entries.size() == MaxZipEntries)
                throw Exception("The zip file holds more than 2,000 files");
            unz_file_info64 info{};
            if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
                Damaged();
            std::string stored(info.size_filename, '\0');
            unz64_file_pos place{};
            if (unzGetCurrentFileInfo64(zip, &info, stored.data(), stored.size(), nullptr, 0,
                                        nullptr, 0) != UNZ_OK ||
                unzGetFilePos64(zip, &place) != UNZ_OK)
                Damaged();
            ZipEntry entry;
            entry.name = EntryName(stored, info.flag);
            entry.size = info.uncompressed_size;
            entry.packedSize = info.compressed_size;
            entry.folder = !stored.empty() && (stored.back() == '/' || stored.back() == '\\');
            const std::string shown = Shown(entry.name);
            if (OutsideZip(entry.name))
                throw Exception(
                    Format("The zip file names a file outside itself: \"%s\"", {shown}));
            if (info.flag & kEncrypted)
                throw Exception(Format("The file \"%s\" in the zip is encrypted", {shown}));
            if (entry.size > MaxZipEntryBytes)
                throw Exception(
                    Format("The file \"%s\" in the zip is larger than 64 MB unpacked", {shown}));
            if (entry.size > ZipRatioFreeBytes && OverRatio(entry.size, entry.packedSize))
                throw Exception(
                    Format("The file \"%s\" in the zip is packed more than 100 to 1", {shown}));
            total += entry.size;
            packedTotal += entry.packedSize;
            if (total > MaxZipTotalBytes)
                throw Exception("The zip file is larger than 256 MB unpacked");
            largestPacked = std::max(largestPacked, entry.packedSize);
            entries.push_back(std::move(entry));
            places.push_back(place);
            methods.push_back(info.compression_method);
        }
        // Checked after the limits, which say more: a packed size past the zip's end.
        if (step != UNZ_END_OF_LIST_OF_FILE || largestPacked > input->Size())
            Damaged();
        if (total > ZipRatioFreeBytes && OverRatio(total, packedTotal))
            throw Exception("The zip file is packed more than 100 to 1");
    }
};

ZipReader::ZipReader(std::unique_ptr<State> state) : F(std::move(state)) {}
ZipReader::ZipReader(ZipReader&&) noexcept = default;
ZipReader& ZipReader::operator=(ZipReader&&) noexcept = default;
ZipReader::~ZipReader() = default;

ZipReader ZipReader::FromBytes(std::vector<uint8_t> bytes) {
    auto state = std::make_unique<State>();
    state->input = std::make_unique<BytesInput>(std::move(bytes));
    state->Open();
    return ZipReader(std::move(state));
}

ZipReader ZipReader::FromFile(const std::string& path) {
    auto state = std::make_unique<State>();
    state->input = std::make_unique<FileInput>(path);
    state->Open();
    return ZipReader(std::move(state));
}

const std::vector<ZipEntry>& ZipReader::Entries() const {
    return F->entries;
}

std::vector<uint8_t> ZipReader::Read(size_t index) {
    const ZipEntry& entry = F->entries.at(index);
    const std::string shown = Shown(entry.name);
    if (F->methods[index] != 0 && F->methods[index] != Z_DEFLATED)
        throw Exception(Format(
            "The file \"%s\" in the zip is packed in a way this program does not read", {shown}));
    if (unzGoToFilePos64(F->zip, &F->places[index]) != UNZ_OK ||
        unzOpenCurrentFile(F->zip) != UNZ_OK)
        throw Exception(Format("The file \"%s\" in the zip is damaged", {shown}));
    // The listed size is a claim: a byte more than it is asked for, and no more is ever taken.
    std::vector<uint8_t> bytes;
    bool damaged = false;
    while (true) {
        const size_t done = bytes.size();
        const size_t step =
            static_cast<size_t>(std::min<uint64_t>(64 * 1024, entry.size - done + 1));
        bytes.resize(done + step);
        int read = unzReadCurrentFile(F->zip, bytes.data() + done, static_cast<unsigned>(step));
        bytes.resize(done + static_cast<size_t>(std::max(read, 0)));
        if (F->unpacked + bytes.size() > MaxZipTotalBytes) {
            // An entry read again counts again: no zip unpacks to more, however it is read.
            unzCloseCurrentFile(F->zip);
            throw Exception("The zip file is larger than 256 MB unpacked");
        }
        if (read <= 0 || bytes.size() > entry.size) {
            damaged = read < 0 || bytes.size() != entry.size;
            break;
        }
    }
    // The checksum is compared when the entry is closed.
    if (unzCloseCurrentFile(F->zip) != UNZ_OK || damaged)
        throw Exception(Format("The file \"%s\" in the zip is damaged", {shown}));
    F->unpacked += bytes.size();
    return bytes;
}
