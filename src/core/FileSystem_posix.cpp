#include "FileSystem.h"

#include <cerrno>
#include <dirent.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDeleteFile(const std::string& path) {
    if (!FileExists(path))
        return true;
    // The nearest thing to clearing the read-only attribute.
    chmod(path.c_str(), 0666);
    return unlink(path.c_str()) == 0 || !FileExists(path);
}

double GetFileStamp(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1.0;
    struct tm local;
    if (localtime_r(&st.st_mtime, &local) == nullptr)
        return -1.0;
    int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107)
        return -1.0;
    auto dosDate =
        static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    // A leap second (60) has no packed form; it falls back to 58 as Windows does.
    int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    auto dosTime =
        static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (second / 2));
    return DosToDateTime(dosDate, dosTime);
}

int SetFileStamp(const std::string& path, double value) {
    int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int result = 0;
    uint16_t dosDate, dosTime;
    if (!DateTimeToDos(value, dosDate, dosTime)) {
        result = EINVAL;
    } else {
        struct tm local {};
        local.tm_year = 1980 + (dosDate >> 9) - 1900;
        local.tm_mon = ((dosDate >> 5) & 15) - 1;
        local.tm_mday = dosDate & 31;
        local.tm_hour = dosTime >> 11;
        local.tm_min = (dosTime >> 5) & 63;
        local.tm_sec = (dosTime & 31) * 2;
        local.tm_isdst = -1;
        time_t when = mktime(&local);
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = when;
        times[1].tv_nsec = 0;
        if (when == static_cast<time_t>(-1) || futimens(fd, times) != 0)
            result = errno != 0 ? errno : EINVAL;
    }
    close(fd);
    return result;
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
    // rename() replaces a file atomically and refuses to put a file over a folder.
    return rename(from.c_str(), to.c_str()) == 0;
}

std::string CreateTemporaryFile(const std::string& folder) {
    // Where the names are tried from; each call goes on after the last name it took.
    static unsigned next = static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr));
    for (unsigned tries = 0; tries < 0x10000; ++tries) {
        unsigned number = next++ & 0xFFFF;
        if (number == 0)
            continue;
        char name[16];
        std::snprintf(name, sizeof name, "~tp%04X.tmp", number);
        std::string path = (folder.empty() ? std::string("./") : folder) + name;
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return path;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

std::string SystemErrorText(int code) {
    return std::strerror(code);
}

int64_t FileSize(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    return static_cast<int64_t>(st.st_size);
}

bool CreateFolder(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0;
}

bool RenameFolder(const std::string& from, const std::string& to) {
    struct stat st;
    // rename() would replace an empty folder at `to`; Windows refuses anything there.
    if (lstat(to.c_str(), &st) == 0)
        return false;
    return rename(from.c_str(), to.c_str()) == 0;
}

std::vector<FolderEntry> ListFolder(const std::string& path) {
    std::vector<FolderEntry> entries;
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr)
        return entries;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        bool isFolder = lstat((path + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back({name, isFolder});
    }
    closedir(dir);
    return entries;
}

bool DeleteFolderTree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return true;
    if (!S_ISDIR(st.st_mode))
        return unlink(path.c_str()) == 0;
    for (const FolderEntry& entry : ListFolder(path)) {
        std::string child = path + "/" + entry.name;
        if (entry.isFolder)
            DeleteFolderTree(child);
        else
            unlink(child.c_str());
    }
    return rmdir(path.c_str()) == 0 || lstat(path.c_str(), &st) != 0;
}
