#pragma once
// Importing a community sound pack as an ordinary scheme: sixteen 16-bit PCM wave files in a
// new sound folder, and the scheme file naming them; and the key sounds file (SchemeKeySounds.h)
// with every other sound of the pack, each written once in the same folder.
//
//     // The pack's path in UTF-8; progress comes on this thread, step by step.
//     PackImportResult result = ImportPack(packPath, programDir,
//                                          [](int done, int total) { /* show done / total */ });
//     ShowInfo(ImportSummary(result));
#include <cstdint>
#include <functional>
#include <string>

struct PackImportResult {
    std::string schemeName;
    int ownSounds = 0; // key types with a sound of their own, of sixteen
};

// How far an import has come: `done` of `total` steps (reading and planning, then each sound
// written). Called on the importing thread.
using ImportProgress = std::function<void(int done, int total)>;

// Imports the pack at `path` (its folder, its config.json, or its zip file, named in UTF-8)
// into programDir's schemes folder. All or nothing: the sounds are made in a working folder of
// the schemes folder under a name no scheme can have, which is renamed into place, then the key
// sounds file is written, and the scheme file last, both through the crash-safe save. The pack
// is only read. Raises an Exception naming the pack folder (or zip) and the reason; nothing of
// the schemes folder is then changed. Imports may run at the same time, in threads or
// processes: each gets a name of its own.
PackImportResult ImportPack(const std::string& path, const std::string& programDir,
                            const ImportProgress& progress = {});

// True when `path` (UTF-8) looks like something to import: a folder, a file named
// config.json, or a file whose name ends in ".zip".
bool IsPackPath(const std::string& path);

// The line the user reads about a finished import.
std::string ImportSummary(const PackImportResult& result);

// How large a config and a sound file of a pack may be.
constexpr int64_t MaxConfigBytes = 1024 * 1024;
constexpr int64_t MaxSoundFileBytes = 64 * 1024 * 1024;

// The working folders of imports are this and a number; "~" before a digit never passes the
// scheme-name guard, so no scheme has such a folder. A working folder left by an import that
// was killed is taken away by the next import that starts while no other runs: every running
// import holds the lock file ImportLockName of the schemes folder shared.
constexpr const char* ImportWorkPrefix = "~0import";
constexpr const char* ImportLockName = "~0import.lock";
