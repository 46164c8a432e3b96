#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <utility>

FileLock::FileLock(const std::string& path, Kind kind, bool wait) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // flock belongs to the open file, so two locks of one process exclude each other too, as
    // on Windows.
    int operation = (kind == Kind::Exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
    if (flock(fd, operation) != 0) {
        close(fd);
        return;
    }
    FHandle = fd;
}

void FileLock::Release() noexcept {
    if (FHandle == kNone)
        return;
    close(static_cast<int>(FHandle));
    FHandle = kNone;
}

FileLock::~FileLock() {
    Release();
}

FileLock::FileLock(FileLock&& other) noexcept : FHandle(std::exchange(other.FHandle, kNone)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        FHandle = std::exchange(other.FHandle, kNone);
    }
    return *this;
}
