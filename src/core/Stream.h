#pragma once
// Byte streams under the record reader and writer: one in memory, one on a file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class TSeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Gives the number of bytes actually transferred, which may be fewer than asked.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size() = 0;
    // Pushes written bytes down to the medium; memory has nowhere further to push them.
    virtual void Flush() {}

    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Begin); }

    // All or nothing: a short transfer raises "Stream read error" / "Stream write error".
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
};

class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : FData(bytes.begin(), bytes.end()) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }

    std::string Bytes() const { return std::string(FData.begin(), FData.end()); }

private:
    std::vector<uint8_t> FData;
    size_t FPosition = 0;
};

enum class TFileMode {
    OpenRead, // an existing file, read only, shared with nobody
    Create    // a new or emptied file, read and write, shared with nobody
};

class TFileStream final : public TStream {
public:
    // Raises "Cannot open file "%s". %s" or "Cannot create file "%s". %s".
    TFileStream(const std::string& path, TFileMode mode);
    ~TFileStream() override;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    void Flush() override;

private:
    // A Win32 HANDLE or a POSIX descriptor, whichever the platform file holds.
    intptr_t FHandle;
};
