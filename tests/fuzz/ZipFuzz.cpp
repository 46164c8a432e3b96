// Feeds zip bytes to the zip reader and the pack's lookups over it: every entry it accepts is
// within the limits, and each one it unpacks gives exactly its listed size.
#include "Exception.h"
#include "PackFiles.h"
#include "ZipReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// No part is "..", no leading separator, no drive.
bool StaysInZip(const std::string& name) {
    if (name.empty())
        return true;
    if (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'))
        return false;
    std::string part;
    for (char c : name + "/") {
        if (c == '/' || c == '\\') {
            if (part == "..")
                return false;
            part.clear();
        } else {
            part += c;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<ZipReader> zip;
    try {
        zip.emplace(ZipReader::FromBytes(std::vector<uint8_t>(data, data + size)));
    } catch (const Exception&) {
        return 0;
    }
    Check(zip->Entries().size() <= MaxZipEntries);
    uint64_t total = 0;
    for (size_t i = 0; i < zip->Entries().size(); ++i) {
        const ZipEntry& entry = zip->Entries()[i];
        Check(entry.size <= MaxZipEntryBytes);
        Check(StaysInZip(entry.name));
        total += entry.size;
        try {
            Check(zip->Read(i).size() == entry.size);
        } catch (const Exception&) {
        }
    }
    Check(total <= MaxZipTotalBytes);

    std::unique_ptr<PackFiles> files = OpenPackZip(std::move(*zip), "fuzz.zip");
    for (const char* name : {"config.json", "a.wav", "sounds/A.wav", "x\\y.ogg"}) {
        try {
            int64_t listed = files->Size(name);
            if (listed >= 0)
                Check(files->Read(name).size() == uint64_t(listed));
        } catch (const Exception&) {
        }
    }
    return 0;
}
