#include "FileSystem.h"

#include "UniqueHandle_win.h"

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDeleteFile(const std::string& path) {
    if (!FileExists(path))
        return true;
    // DeleteFileA refuses a read-only file.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != 0;
}

double GetFileStamp(const std::string& path) {
    WIN32_FIND_DATAA data;
    if (!UniqueFind(FindFirstFileA(path.c_str(), &data)))
        return -1.0;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return -1.0;
    FILETIME local;
    WORD dosDate, dosTime;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToDosDateTime(&local, &dosDate, &dosTime))
        return -1.0;
    return DosToDateTime(dosDate, dosTime);
}

int SetFileStamp(const std::string& path, double value) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return static_cast<int>(GetLastError());
    int result = 0;
    WORD dosDate, dosTime;
    FILETIME local, universal;
    if (!DateTimeToDos(value, dosDate, dosTime))
        result = ERROR_INVALID_PARAMETER;
    else if (!DosDateTimeToFileTime(dosDate, dosTime, &local) ||
             !LocalFileTimeToFileTime(&local, &universal) ||
             !SetFileTime(file.Get(), nullptr, nullptr, &universal))
        result = static_cast<int>(GetLastError());
    return result;
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
    DWORD oldAttributes = GetFileAttributesA(to.c_str());
    bool hadFile =
        oldAttributes != INVALID_FILE_ATTRIBUTES && !(oldAttributes & FILE_ATTRIBUTE_DIRECTORY);
    // MoveFileEx will not replace a read-only file.
    if (hadFile)
        SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // The old file stays, so it keeps the attributes it had.
    if (hadFile)
        SetFileAttributesA(to.c_str(), oldAttributes);
    return false;
}

std::string CreateTemporaryFile(const std::string& folder) {
    // The name takes up to 14 more characters. Past that limit some systems hand back the name
    // cut short, which is not the file they made.
    if (folder.size() > MAX_PATH - 14)
        return {};
    char name[MAX_PATH];
    if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "~tp", 0, name) == 0)
        return {};
    return name;
}

std::string SystemErrorText(int code) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0 && buffer != nullptr)
        text.assign(buffer, length);
    if (buffer != nullptr)
        LocalFree(buffer);
    // The system's texts end in a line break, some with a blank before it.
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                data.nFileSizeLow);
}

bool CreateFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RenameFolder(const std::string& from, const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when anything is at `to`.
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

std::vector<FolderEntry> ListFolder(const std::string& path) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA data;
    UniqueFind find(FindFirstFileA((path + "\\*").c_str(), &data));
    if (!find)
        return entries;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(find.Get(), &data));
    return entries;
}

bool DeleteFolderTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    // A link or junction is removed itself; what it points at is left alone.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        for (const FolderEntry& entry : ListFolder(path)) {
            std::string child = path + "\\" + entry.name;
            if (entry.isFolder)
                DeleteFolderTree(child);
            else
                ForceDeleteFile(child);
        }
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}
