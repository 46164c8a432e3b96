#include "PubFunction.h"

namespace {

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsPathDelimiter(char c) {
    return c == '\\' || c == '/' || c == ':';
}

constexpr std::string_view SchemesFolder = "schemes\\";

} // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

std::string_view FileExtension(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        const char c = path[i - 1];
        if (c == '.')
            return path.substr(i - 1);
        if (IsPathDelimiter(c))
            break;
    }
    return {};
}

bool IsMidiFile(std::string_view path) {
    return FileExtension(path) == ".mid";
}

std::string FolderOf(std::string_view path) {
    std::size_t end = path.size();
    while (end > 0 && !IsPathDelimiter(path[end - 1]))
        --end;
    std::string folder(path.substr(0, end));
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string KeySoundPath(const std::string& programDir, const std::string& currentScheme,
                         const std::string& soundName) {
    std::string path;
    AssignKeySoundPath(path, programDir, currentScheme, soundName);
    return path;
}

void AssignKeySoundPath(std::string& out, const std::string& programDir,
                        const std::string& currentScheme, const std::string& soundName) {
    out.clear();
    out.reserve(programDir.size() + SchemesFolder.size() + currentScheme.size() + 1 +
                soundName.size());
    out += programDir;
    out += SchemesFolder;
    out += currentScheme;
    out += '\\';
    out += soundName;
}
