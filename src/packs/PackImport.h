#pragma once
// Importing a community sound pack as an ordinary scheme: sixteen 16-bit PCM wave files in a
// new sound folder, and the scheme file naming them.
#include <string>

struct PackImportResult {
    std::string schemeName;
    int ownSounds = 0; // key types with a sound of their own, of sixteen
};

// Imports the pack at `path` (its folder, or its config.json) into programDir's schemes
// folder. All or nothing: the sounds are made in a working folder of the schemes folder that
// the scheme list does not show, which is renamed into place, and the scheme file is written
// last through the crash-safe save. The pack folder is only read. Raises an Exception naming
// the pack folder and the reason; nothing of the schemes folder is then changed.
PackImportResult ImportPack(const std::string& path, const std::string& programDir);

// True when `path` looks like something to import: a folder, or a file named config.json.
bool IsPackPath(const std::string& path);

// The line the user reads about a finished import.
std::string ImportSummary(const PackImportResult& result);

// How large a config and a sound file of a pack may be.
constexpr int64_t MaxConfigBytes = 1024 * 1024;
constexpr int64_t MaxSoundFileBytes = 64 * 1024 * 1024;
