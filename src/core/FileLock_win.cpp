#include "FileLock.h"

#include <windows.h>

#include <utility>

FileLock::FileLock(const std::string& path, Kind kind, bool wait) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD flags = (kind == Kind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) |
                  (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    OVERLAPPED at{};
    if (!LockFileEx(file, flags, 0, 1, 0, &at)) {
        CloseHandle(file);
        return;
    }
    FHandle = reinterpret_cast<intptr_t>(file);
}

void FileLock::Release() noexcept {
    if (FHandle == kNone)
        return;
    // Closing the handle drops its locks as well.
    CloseHandle(reinterpret_cast<HANDLE>(FHandle));
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
