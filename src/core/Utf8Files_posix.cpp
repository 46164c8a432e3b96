#include "Utf8Files.h"

#include "Exception.h"
#include "Stream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

Utf8FileReader::Utf8FileReader(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int error = fd < 0 ? errno : EISDIR;
        if (fd >= 0)
            close(fd);
        throw Exception(Format("Cannot open file \"%s\". %s", {path, SystemErrorText(error)}));
    }
    FHandle = fd;
    FSize = static_cast<uint64_t>(st.st_size);
}

Utf8FileReader::~Utf8FileReader() {
    close(static_cast<int>(FHandle));
}

size_t Utf8FileReader::ReadAt(uint64_t offset, void* buffer, size_t count) {
    size_t done = 0;
    while (done < count && offset + done < FSize) {
        ssize_t read = pread(static_cast<int>(FHandle), static_cast<char*>(buffer) + done,
                             count - done, static_cast<off_t>(offset + done));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            break;
        done += static_cast<size_t>(read);
    }
    return done;
}
