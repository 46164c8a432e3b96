#include "Utf8Files.h"

#include "Stream.h"

// File names are bytes here: UTF-8 names are the system's own.
bool Utf8FileExists(const std::string& path) {
    return FileExists(path);
}

bool Utf8DirectoryExists(const std::string& path) {
    return DirectoryExists(path);
}

int64_t Utf8FileSize(const std::string& path) {
    return FileSize(path);
}

std::vector<uint8_t> ReadUtf8File(const std::string& path) {
    TFileStream file(path, TFileMode::OpenRead);
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

std::vector<FolderEntry> ListUtf8Folder(const std::string& path) {
    return ListFolder(path);
}
