#include "Utf8Files.h"

#include "Exception.h"
#include "UniqueHandle_win.h"

#include <algorithm>
#include <climits>

namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    int length = static_cast<int>(text.size());
    int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (count <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), count);
    return wide;
}

std::string Utf8(const wchar_t* text) {
    int count = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (count <= 1)
        return {};
    std::string utf8(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), count, nullptr, nullptr);
    utf8.pop_back(); // the closing NUL
    return utf8;
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str());
}

} // namespace

bool Utf8FileExists(const std::string& path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Utf8DirectoryExists(const std::string& path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t Utf8FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                data.nFileSizeLow);
}

std::vector<uint8_t> ReadUtf8File(const std::string& path) {
    UniqueFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > INT_MAX)
        throw Exception(Format("Cannot open file \"%s\"", {path}));
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                      &read, nullptr) ||
            read == 0)
            throw Exception(Format("Cannot read file \"%s\"", {path}));
        done += read;
    }
    return bytes;
}

std::vector<FolderEntry> ListUtf8Folder(const std::string& path) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW((Wide(path) + L"\\*").c_str(), &data));
    if (!find)
        return entries;
    do {
        std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        entries.push_back(
            {Utf8(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find.Get(), &data));
    return entries;
}

Utf8FileReader::Utf8FileReader(const std::string& path) {
    UniqueFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size))
        throw Exception(Format("Cannot open file \"%s\"", {path}));
    FSize = static_cast<uint64_t>(size.QuadPart);
    FHandle = reinterpret_cast<intptr_t>(file.Release());
}

Utf8FileReader::~Utf8FileReader() {
    CloseHandle(reinterpret_cast<HANDLE>(FHandle));
}

size_t Utf8FileReader::ReadAt(uint64_t offset, void* buffer, size_t count) {
    size_t done = 0;
    while (done < count && offset + done < FSize) {
        // The place to read from goes with the call: the handle keeps no position of ours.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        DWORD read = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
        if (!ReadFile(reinterpret_cast<HANDLE>(FHandle), static_cast<char*>(buffer) + done, ask,
                      &read, &at) ||
            read == 0)
            break;
        done += read;
    }
    return done;
}
