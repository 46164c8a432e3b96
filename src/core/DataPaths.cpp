#include "DataPaths.h"

#include <initializer_list>

namespace {

bool IsPathDelimiter(char c) {
    return c == '\\' || c == '/' || c == ':';
}

std::string Join(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (std::string_view part : parts)
        size += part.size();
    std::string out;
    out.reserve(size);
    for (std::string_view part : parts)
        out += part;
    return out;
}

} // namespace

std::string FolderOf(std::string_view path) {
    std::size_t end = path.size();
    while (end > 0 && !IsPathDelimiter(path[end - 1]))
        --end;
    std::string folder(path.substr(0, end));
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string SettingsFilePath(const std::string& programDir) {
    return Join({programDir, "schemeinfo.tsc"});
}

std::string SoundOptionsFilePath(const std::string& programDir) {
    return Join({programDir, "soundopts.tsc"});
}

std::string SchemesFolder(const std::string& programDir) {
    return Join({programDir, "schemes"});
}

std::string SchemeFilePath(const std::string& programDir, const std::string& name) {
    return Join({programDir, "schemes", "\\", name, ".tss"});
}

std::string SchemeKeySoundsPath(const std::string& programDir, const std::string& name) {
    return Join({programDir, "schemes", "\\", name, ".tsk"});
}

std::string SchemeSoundFolder(const std::string& programDir, const std::string& name) {
    return Join({programDir, "schemes", "\\", name});
}

std::string KeySoundPath(std::string_view programDir, std::string_view currentScheme,
                         std::string_view soundName) {
    std::string path;
    AssignKeySoundPath(path, programDir, currentScheme, soundName);
    return path;
}

void AssignKeySoundPath(std::string& out, std::string_view programDir,
                        std::string_view currentScheme, std::string_view soundName) {
    constexpr std::string_view schemes = "schemes\\";
    out.clear();
    out.reserve(programDir.size() + schemes.size() + currentScheme.size() + 1 + soundName.size());
    out += programDir;
    out += schemes;
    out += currentScheme;
    out += '\\';
    out += soundName;
}
