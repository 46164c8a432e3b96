#pragma once
// Where the program's data lies. Every path is the program directory (ending in "\") followed
// by a relative part, joined by plain concatenation: nothing depends on the current directory.
#include <string>
#include <string_view>

// The folder part of a path, ending in "\" (empty when the path names no folder).
std::string FolderOf(std::string_view path);

// programDir + "schemeinfo.tsc"
std::string SettingsFilePath(const std::string& programDir);
// programDir + "soundopts.tsc": the sound options, beside the settings
std::string SoundOptionsFilePath(const std::string& programDir);
// programDir + "schemes", without a closing "\"
std::string SchemesFolder(const std::string& programDir);
// The schemes folder + "\" + name + ".tss"
std::string SchemeFilePath(const std::string& programDir, const std::string& name);
// The schemes folder + "\" + name + ".tsk": the scheme's per-key sounds (SchemeKeySounds.h)
std::string SchemeKeySoundsPath(const std::string& programDir, const std::string& name);
// The schemes folder + "\" + name, without a closing "\"
std::string SchemeSoundFolder(const std::string& programDir, const std::string& name);

// programDir + "schemes\" + currentScheme + "\" + soundName. The folder comes from the current
// scheme's name, not from the file the names were loaded from.
std::string KeySoundPath(std::string_view programDir, std::string_view currentScheme,
                         std::string_view soundName);
// The same path written into `out`, which keeps its capacity from one key to the next.
void AssignKeySoundPath(std::string& out, std::string_view programDir,
                        std::string_view currentScheme, std::string_view soundName);
