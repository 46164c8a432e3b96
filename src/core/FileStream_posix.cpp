#include "Stream.h"

#include "Exception.h"
#include "FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TFileStream::TFileStream(const std::string& path, TFileMode mode) {
    // POSIX has no share modes; the exclusive opening only matters on Windows.
    int fd = mode == TFileMode::OpenRead
                 ? open(path.c_str(), O_RDONLY | O_CLOEXEC)
                 : open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0 && mode == TFileMode::OpenRead) {
        // open() happily gives a folder for reading; Windows would refuse it.
        struct stat st;
        if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            close(fd);
            fd = -1;
            errno = EISDIR;
        }
    }
    if (fd < 0) {
        int error = errno;
        const char* format = mode == TFileMode::OpenRead ? "Cannot open file \"%s\". %s"
                                                         : "Cannot create file \"%s\". %s";
        throw Exception(Format(format, {path, SystemErrorText(error)}));
    }
    FHandle = fd;
}

TFileStream::~TFileStream() {
    close(static_cast<int>(FHandle));
}

size_t TFileStream::Read(void* buffer, size_t count) {
    size_t total = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (total < count) {
        ssize_t done = read(static_cast<int>(FHandle), bytes + total, count - total);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        total += static_cast<size_t>(done);
    }
    return total;
}

size_t TFileStream::Write(const void* buffer, size_t count) {
    size_t total = 0;
    auto* bytes = static_cast<const char*>(buffer);
    while (total < count) {
        ssize_t done = write(static_cast<int>(FHandle), bytes + total, count - total);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        total += static_cast<size_t>(done);
    }
    return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::Begin     ? SEEK_SET
                 : origin == TSeekOrigin::Current ? SEEK_CUR
                                                  : SEEK_END;
    return static_cast<int64_t>(
        lseek(static_cast<int>(FHandle), static_cast<off_t>(offset), whence));
}

int64_t TFileStream::Size() {
    struct stat st;
    if (fstat(static_cast<int>(FHandle), &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

void TFileStream::Flush() {
    if (fsync(static_cast<int>(FHandle)) != 0)
        throw Exception("Stream write error");
}
