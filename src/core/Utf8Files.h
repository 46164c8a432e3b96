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
