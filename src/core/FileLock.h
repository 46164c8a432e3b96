#pragma once
// A lock that processes take on one file to agree on who may do what: many hold it shared, or
// one alone. It goes with the object (and with the process, if that is killed).
#include <cstdint>
#include <string>

class FileLock {
public:
    enum class Kind { Shared, Exclusive };

    FileLock() = default;
    // Opens the file at `path` (making it when missing) and locks it. With `wait` false the
    // lock is taken only if no other holder is in the way; Held() tells whether it was taken.
    FileLock(const std::string& path, Kind kind, bool wait);
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return FHandle != kNone; }

private:
    void Release() noexcept;
    static constexpr intptr_t kNone = -1;
    intptr_t FHandle = kNone; // a file handle or descriptor
};
