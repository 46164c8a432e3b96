#pragma once
// The few file-system services the records and the utilities need, over Win32 or POSIX.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// True when a file (not a folder) is at path.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Clears the file's attributes (read-only included) and deletes it. True when no file remains,
// so a missing file counts as success.
bool ForceDeleteFile(const std::string& path);

// The file's last-write time as a local date-time (days since 1899-12-30, time of day as the
// fraction) at the two-second resolution of a packed DOS date-time; -1.0 for a missing file, a
// folder, or a time that does not convert.
double GetFileStamp(const std::string& path);

// Sets the file's last-write time from a local date-time (two-second resolution); its other
// times stay as they are. Gives 0 or the system's error code.
int SetFileStamp(const std::string& path, double value);

// Moves the finished file `from` over `to`, replacing a file that is there (read-only or not).
// False when `to` could not be replaced; `from` is then left where it is.
bool ReplaceFileWith(const std::string& from, const std::string& to);

// Creates an empty file under a name that no file or folder in `folder` had ("~tp", four hex
// digits, ".tmp", as GetTempFileName makes them) and gives its path; empty when none can be
// made there. `folder` ends in a separator, or is empty for the current folder.
std::string CreateTemporaryFile(const std::string& folder);

// The system's text for an error code, without a trailing line break.
std::string SystemErrorText(int code);

// Packed DOS date and time (FAT layout, local time) and date-time numbers. DosToDateTime gives
// -1.0 for fields that name no real date or time; DateTimeToDos gives false outside the years
// 1980 to 2107 that the packed form holds.
double DosToDateTime(uint16_t dosDate, uint16_t dosTime);
bool DateTimeToDos(double value, uint16_t& dosDate, uint16_t& dosTime);

// The separator of folders in the paths the program builds.
#ifdef _WIN32
constexpr char PathDelimiter = '\\';
#else
constexpr char PathDelimiter = '/';
#endif

// `name` in `folder`: the two joined with one separator (none is added after a folder that
// ends in one, or to an empty folder).
std::string JoinPath(const std::string& folder, std::string_view name);

// The file's size in bytes, or -1 when no file (a folder counts as none) is at path.
int64_t FileSize(const std::string& path);
// Creates one folder (its parent must exist). False when it could not be made or was there.
bool CreateFolder(const std::string& path);
// Gives the folder `from` the path `to`, which must not exist; false when that fails.
bool RenameFolder(const std::string& from, const std::string& to);
// Deletes the folder with every file and folder in it, read-only ones too. True when nothing
// is left at path.
bool DeleteFolderTree(const std::string& path);
// The bare names of the entries of a folder, files and folders alike (without "." and ".."),
// in the file system's order; empty for a missing folder.
struct FolderEntry {
    std::string name;
    bool isFolder = false;
};
std::vector<FolderEntry> ListFolder(const std::string& path);
