#include "Stream.h"

#include "Exception.h"
#include "FileSystem.h"
#include "UniqueHandle_win.h"

#include <windows.h>

#include <algorithm>

namespace {

HANDLE H(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

TFileStream::TFileStream(const std::string& path, TFileMode mode) {
    // Share mode 0: while we hold the file nobody else may open it, and an open fails while
    // anybody else holds it.
    HANDLE h;
    if (mode == TFileMode::OpenRead)
        h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    else
        h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        const char* format = mode == TFileMode::OpenRead ? "Cannot open file \"%s\". %s"
                                                         : "Cannot create file \"%s\". %s";
        throw Exception(Format(format, {path, SystemErrorText(static_cast<int>(error))}));
    }
    FHandle = reinterpret_cast<intptr_t>(h);
}

TFileStream::~TFileStream() {
    // The handle field is shared with the POSIX descriptor in the portable header; it leaves
    // through the file owner like every other handle.
    UniqueFile owned(H(FHandle));
}

size_t TFileStream::Read(void* buffer, size_t count) {
    size_t total = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (total < count) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - total, 1u << 30));
        DWORD done = 0;
        if (!ReadFile(H(FHandle), bytes + total, chunk, &done, nullptr) || done == 0)
            break;
        total += done;
    }
    return total;
}

size_t TFileStream::Write(const void* buffer, size_t count) {
    size_t total = 0;
    auto* bytes = static_cast<const char*>(buffer);
    while (total < count) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - total, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(H(FHandle), bytes + total, chunk, &done, nullptr) || done == 0)
            break;
        total += done;
    }
    return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    DWORD method = origin == TSeekOrigin::Begin     ? FILE_BEGIN
                   : origin == TSeekOrigin::Current ? FILE_CURRENT
                                                    : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result;
    if (!SetFilePointerEx(H(FHandle), distance, &result, method))
        return -1;
    return result.QuadPart;
}

int64_t TFileStream::Size() {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(H(FHandle), &size))
        return -1;
    return size.QuadPart;
}

void TFileStream::Flush() {
    if (!FlushFileBuffers(H(FHandle)))
        throw Exception("Stream write error");
}
