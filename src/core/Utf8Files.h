#pragma once
// Reading files and folders named in UTF-8, whatever the system's ANSI code page: a sound pack
// comes from anywhere, its folder and file names included. On Windows the names go to the
// system as UTF-16, so no character is lost or turned into a look-alike on the way (a
// fullwidth "．" never becomes a "."); bytes that are not UTF-8 become U+FFFD.
#include "FileSystem.h"

#include <cstdint>
#include <string>
#include <vector>

bool Utf8FileExists(const std::string& path);
bool Utf8DirectoryExists(const std::string& path);
// The file's size in bytes, or -1 when no file (a folder counts as none) is at path.
int64_t Utf8FileSize(const std::string& path);
// The whole file; raises "Cannot open file ..." when it cannot be read.
std::vector<uint8_t> ReadUtf8File(const std::string& path);
// The folder's entries, named in UTF-8 (see ListFolder).
std::vector<FolderEntry> ListUtf8Folder(const std::string& path);

// A file open for reading at any place, without taking it whole: a zip is read from its end.
class Utf8FileReader {
public:
    // Raises "Cannot open file ..." when no file can be read at path.
    explicit Utf8FileReader(const std::string& path);
    ~Utf8FileReader();
    Utf8FileReader(const Utf8FileReader&) = delete;
    Utf8FileReader& operator=(const Utf8FileReader&) = delete;

    uint64_t Size() const { return FSize; }
    // Up to `count` bytes from `offset` on; fewer at the end, none past it or when reading fails.
    size_t ReadAt(uint64_t offset, void* buffer, size_t count);

private:
    intptr_t FHandle; // a Win32 HANDLE or a POSIX descriptor
    uint64_t FSize = 0;
};
