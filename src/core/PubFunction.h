#pragma once
// The portable rules of the shared utilities: name comparison, the extension test of sound
// files and the path of a key's sound. The Win32 half is src/win/PubFunction.h.
#include <string>
#include <string_view>

// Equal ignoring the case of A to Z only; every other byte must match, so that names in a
// multi-byte code page never compare equal by accident.
bool SameName(std::string_view a, std::string_view b);

// The part of the path's file name from its last ".", or empty when the name has none.
std::string_view FileExtension(std::string_view path);

// Files with exactly this extension (lower case) go to the MIDI sequencer, not to PlaySound.
bool IsMidiFile(std::string_view path);

// The folder part of a path, ending in "\" (empty when the path names no folder).
std::string FolderOf(std::string_view path);

// programDir + "schemes\" + currentScheme + "\" + soundName. The folder comes from the current
// scheme's name, not from the file the names were loaded from.
std::string KeySoundPath(const std::string& programDir, const std::string& currentScheme,
                         const std::string& soundName);
// The same path written into `out`, which keeps its capacity from one key to the next.
void AssignKeySoundPath(std::string& out, const std::string& programDir,
                        const std::string& currentScheme, const std::string& soundName);
