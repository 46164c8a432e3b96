#include "SchemeDisk.h"

#include "DataPaths.h"
#include "FileSystem.h"
#include "NameRules.h"
#include "PubFunction.h"
#include "SchemeStore.h"
#include "UniqueHandle_win.h"

#include <windows.h>

namespace {

// Whether two paths lead to one file, however each is written (another letter case, a short
// name, "..", another drive letter for the same folder).
bool SameFile(const std::string& a, const std::string& b) {
    auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        UniqueFile file(CreateFileA(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file && GetFileInformationByHandle(file.Get(), &info) != 0;
    };
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return identify(a, x) && identify(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

} // namespace

std::vector<SchemeEntry> ListSchemes(const std::string& programDir) {
    std::vector<std::string> files;
    ListFiles(SchemesFolder(programDir), "*.tss", files);
    std::vector<SchemeEntry> entries;
    entries.reserve(files.size());
    for (const std::string& file : files) {
        SchemeEntry entry;
        entry.Name = SchemeListName(file);
        entry.Own = NamesOwnSchemeFile(entry.Name, file);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool MayTouchScheme(const std::string& programDir, const SchemeEntry& entry) {
    return entry.Own && SchemeNameUsable(programDir, entry.Name);
}

void LoadScheme(const std::string& programDir, const SchemeEntry& entry, TMySchemeInfo& scheme) {
    if (MayTouchScheme(programDir, entry))
        scheme.LoadFromFile(SchemeFilePath(programDir, entry.Name), false);
}

void LoadSchemeKeySounds(const std::string& programDir, const SchemeEntry& entry,
                         TSchemeKeySounds& sounds) {
    sounds.Clear();
    if (MayTouchScheme(programDir, entry) && FileExists(SchemeFilePath(programDir, entry.Name)))
        sounds.LoadFromFile(SchemeKeySoundsPath(programDir, entry.Name));
}

bool CreateScheme(const std::string& programDir, const std::string& name) {
    if (!SchemeNameUsable(programDir, name))
        return false;
    // The program directory exists (the program runs from it): only the two folders below it
    // can be missing.
    const std::string folder = SchemeSoundFolder(programDir, name);
    CreateDirectoryA(SchemesFolder(programDir).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    // Key sounds without their scheme file were left by a version that deleted the scheme
    // without knowing them: they are no part of the new scheme.
    if (!FileExists(SchemeFilePath(programDir, name)))
        ForceDeleteFile(SchemeKeySoundsPath(programDir, name));
    return DirectoryExists(folder);
}

bool SaveScheme(const std::string& programDir, const SchemeEntry& entry,
                const TMySchemeInfo& scheme) {
    if (!MayTouchScheme(programDir, entry))
        return false;
    scheme.SaveToFile(SchemeFilePath(programDir, entry.Name));
    return true;
}

bool SaveSchemeKeySounds(const std::string& programDir, const SchemeEntry& entry,
                         const TSchemeKeySounds& sounds) {
    if (!MayTouchScheme(programDir, entry))
        return false;
    sounds.SaveToFile(SchemeKeySoundsPath(programDir, entry.Name));
    return true;
}

std::string BringSoundIn(const std::string& programDir, const SchemeEntry& entry,
                         const std::string& chosenPath) {
    const std::string chosenFolder = FolderOf(chosenPath);
    const std::size_t slash = chosenPath.find_last_of("\\/:");
    const std::string fileName =
        slash == std::string::npos ? chosenPath : chosenPath.substr(slash + 1);
    if (!MayTouchScheme(programDir, entry))
        return fileName;
    const std::string target = SchemeSoundFolder(programDir, entry.Name) + "\\";
    const std::string targetFile = target + fileName;
    // Deleting the target first would destroy the chosen file itself if both were one file
    // written two ways.
    if (!SameName(chosenFolder, target) && !SameFile(chosenPath, targetFile)) {
        if (FileExists(targetFile))
            DeleteFileA(targetFile.c_str());
        CopyFileA(chosenPath.c_str(), targetFile.c_str(), TRUE);
    }
    return fileName;
}

bool DeleteScheme(const std::string& programDir, const SchemeEntry& entry) {
    if (!MayTouchScheme(programDir, entry))
        return false;
    DeleteFolder(SchemeSoundFolder(programDir, entry.Name));
    ForceDeleteFile(SchemeKeySoundsPath(programDir, entry.Name));
    ForceDeleteFile(SchemeFilePath(programDir, entry.Name));
    return true;
}
