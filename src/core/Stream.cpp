#include "Stream.h"

#include "Exception.h"

#include <algorithm>
#include <cstring>

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw Exception("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw Exception("Stream write error");
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    if (FPosition >= FData.size())
        return 0;
    size_t n = std::min(count, FData.size() - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, n);
    FPosition += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0)
        return 0;
    if (FPosition + count > FData.size())
        FData.resize(FPosition + count);
    std::memcpy(FData.data() + FPosition, buffer, count);
    FPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::Current)
        base = static_cast<int64_t>(FPosition);
    else if (origin == TSeekOrigin::End)
        base = static_cast<int64_t>(FData.size());
    // A position before the start is pinned to it; past the end is allowed, as with files.
    FPosition = static_cast<size_t>(std::max<int64_t>(0, base + offset));
    return static_cast<int64_t>(FPosition);
}
