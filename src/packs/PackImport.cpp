#include "PackImport.h"

#include "CodePage.h"
#include "DataPaths.h"
#include "Exception.h"
#include "FileSystem.h"
#include "KeyCodes.h"
#include "Mp3Decode.h"
#include "NameRules.h"
#include "OggDecode.h"
#include "PackConfig.h"
#include "PackName.h"
#include "PackPlan.h"
#include "PubClassUnit.h"
#include "Slicing.h"
#include "Stream.h"
#include "WaveFile.h"
#include "vobRecord.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace {

std::string Join(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/') {
        path += PathDelimiter;
    }
    return path += name;
}

std::string WithoutTrailingDelimiter(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    return path;
}

std::string BaseName(std::string_view path) {
    size_t cut = path.find_last_of("\\/");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && SameName(text.substr(text.size() - tail.size()), tail);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    TFileStream file(path, TFileMode::OpenRead);
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

// A pack file's path on this system: the config's UTF-8 name in the ANSI code page, with the
// system's separators.
std::string PackFilePath(const std::string& folder, const std::string& name) {
    std::string local = Utf16ToAnsi(Utf8ToUtf16(name));
    std::replace(local.begin(), local.end(), '/', PathDelimiter);
    std::replace(local.begin(), local.end(), '\\', PathDelimiter);
    return Join(folder, local);
}

// Why there is no config.json: a nested pack, a config.txt, a zip.
std::string MissingConfigReason(const std::string& folder) {
    std::vector<FolderEntry> entries = ListFolder(folder);
    for (const FolderEntry& entry : entries) {
        if (entry.isFolder && FileExists(Join(Join(folder, entry.name), "config.json"))) {
            return Format(
                "It has no config.json, but its folder \"%s\" has one: import that folder",
                {entry.name});
        }
    }
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder && SameName(entry.name, "config.txt")) {
            return "It has a config.txt but no config.json";
        }
    }
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder && EndsWithIgnoringCase(entry.name, ".zip")) {
            return Format("It has no config.json, only the zip file \"%s\": extract the pack first",
                          {entry.name});
        }
    }
    return "It has no config.json";
}

// The decoded sounds of one import, each file read once.
class PackSounds {
public:
    PackSounds(std::string folder, uint64_t spriteMs)
        : FFolder(std::move(folder)), FSpriteMs(spriteMs) {}

    // The file decoded, or none when it is missing or cannot be decoded (the reason is kept).
    const WaveData* Get(const std::string& name, bool sprite) {
        auto found = FSounds.find(name);
        if (found == FSounds.end()) {
            found = FSounds.emplace(name, Load(name, sprite)).first;
        }
        return found->second ? &*found->second : nullptr;
    }
    const std::string& FirstFault() const { return FFirstFault; }

private:
    std::optional<WaveData> Load(const std::string& name, bool sprite) {
        std::string path = PackFilePath(FFolder, name);
        int64_t size = FileSize(path);
        if (size < 0) {
            return Fault(Format("The sound file \"%s\" is missing", {name}));
        }
        if (size > MaxSoundFileBytes) {
            throw Exception(Format("The sound file \"%s\" is larger than 64 MB", {name}));
        }
        try {
            std::vector<uint8_t> bytes = ReadWholeFile(path);
            uint64_t maxMs = sprite ? FSpriteMs : MaxKeySoundMs;
            WaveData sound;
            if (LooksLikeOgg(bytes)) {
                sound = DecodeOgg(bytes, maxMs);
            } else if (bytes.size() >= 4 && bytes[0] == 'R' && bytes[1] == 'I' && bytes[2] == 'F' &&
                       bytes[3] == 'F') {
                sound = ReadWave(bytes);
            } else if (LooksLikeMp3(bytes)) {
                sound = DecodeMp3(bytes, maxMs);
            } else {
                throw Exception("it is not a wave, Ogg Vorbis or MP3 file");
            }
            if (sound.samples.empty()) {
                return Fault(Format("The sound file \"%s\" holds no sound", {name}));
            }
            return sound;
        } catch (const Exception& e) {
            return Fault(
                Format("The sound file \"%s\" cannot be decoded: %s", {name, e.Message()}));
        }
    }
    std::nullopt_t Fault(std::string reason) {
        if (FFirstFault.empty()) {
            FFirstFault = std::move(reason);
        }
        return std::nullopt;
    }

    std::string FFolder;
    uint64_t FSpriteMs;
    std::map<std::string, std::optional<WaveData>> FSounds;
    std::string FFirstFault;
};

WaveData MakeKeySound(PackSounds& sounds, const SoundSource& source, bool sprite) {
    const WaveData* sound = sounds.Get(source.file, sprite);
    return source.slice ? CutSlice(*sound, source.startMs, source.lengthMs) : CapKeySound(*sound);
}

// A working folder of the schemes folder under a name no scheme can have ("~" and a letter
// never passes the name guard's 8.3 rule... and the list shows only scheme files).
std::string CreateWorkingFolder(const std::string& schemes) {
    for (unsigned n = 0; n < 1000; ++n) {
        std::string path = Join(schemes, "~import" + std::to_string(n));
        if (!FileExists(path) && !DirectoryExists(path) && CreateFolder(path)) {
            return path;
        }
    }
    throw Exception("No working folder can be made in the schemes folder");
}

PackImportResult Import(const std::string& folder, const std::string& programDir) {
    std::string configPath = Join(folder, "config.json");
    int64_t configSize = FileSize(configPath);
    if (configSize < 0) {
        throw Exception(MissingConfigReason(folder));
    }
    if (configSize > MaxConfigBytes) {
        throw Exception("Its config.json is larger than 1 MB");
    }
    std::vector<uint8_t> text = ReadWholeFile(configPath);
    PackConfig config =
        ParsePackConfig(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));

    // A sprite is decoded once, as far as its last slice reaches.
    uint64_t spriteMs = 0;
    for (const auto& [code, define] : config.defines) {
        if (define.kind == KeyDefine::Kind::Slice) {
            spriteMs = std::max(spriteMs, define.startMs +
                                              std::min<uint64_t>(define.lengthMs, MaxKeySoundMs));
        }
    }
    PackSounds sounds(folder, spriteMs);
    if (config.single) {
        if (!StaysInPack(config.sound)) {
            throw Exception(
                Format("The sprite file \"%s\" is not inside the pack", {config.sound}));
        }
        if (!sounds.Get(config.sound, true)) {
            throw Exception(sounds.FirstFault());
        }
    }
    PackPlan plan = PlanPack(config, [&](const SoundSource& source) {
        if (!sounds.Get(source.file, config.single)) {
            return false;
        }
        return !source.slice || !MakeKeySound(sounds, source, true).samples.empty();
    });
    if (std::none_of(plan.begin(), plan.end(),
                     [](const KeyTypePlan& p) { return p.source.has_value(); })) {
        std::string fault = sounds.FirstFault();
        throw Exception(fault.empty() ? "It has no usable key sound"
                                      : "It has no usable key sound. " + fault);
    }

    std::string schemes = SchemesFolder(programDir);
#ifndef _WIN32
    std::replace(schemes.begin(), schemes.end(), '\\', '/');
#endif
    std::vector<std::string> taken;
    for (const FolderEntry& entry : ListFolder(schemes)) {
        taken.push_back(entry.isFolder ? entry.name : SchemeListName(entry.name));
    }
    std::string name = ImportedSchemeName(config.name, BaseName(folder), taken, programDir);
    if (name.empty()) {
        throw Exception("No free scheme name is left for it");
    }

    if (!DirectoryExists(schemes) && !CreateFolder(schemes)) {
        throw Exception("The schemes folder cannot be made");
    }
    std::string work = CreateWorkingFolder(schemes);
    std::string target = Join(schemes, name);
    try {
        TMySchemeInfo scheme;
        PackImportResult result{name, 0};
        for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
            if (!plan[type].source) {
                continue;
            }
            WriteWaveFile(Join(work, KeyTypeFileName(type)),
                          MakeKeySound(sounds, *plan[type].source, config.single));
            scheme.SetSound(static_cast<int>(type), KeyTypeFileName(type));
            result.ownSounds += plan[type].own ? 1 : 0;
        }
        if (!RenameFolder(work, target)) {
            throw Exception(Format("The folder of the scheme \"%s\" cannot be made", {name}));
        }
        std::string schemeFile = Join(schemes, name + ".tss");
        bool saved = false;
        try {
            saved =
                SaveRecordFile(schemeFile, [&](TvobWriter& writer) { scheme.WriteData(&writer); });
        } catch (...) {
            DeleteFolderTree(target);
            throw;
        }
        if (!saved) {
            DeleteFolderTree(target);
            throw Exception(Format("The scheme file of \"%s\" cannot be written", {name}));
        }
        return result;
    } catch (...) {
        DeleteFolderTree(work);
        throw;
    }
}

} // namespace

bool IsPackPath(const std::string& path) {
    return DirectoryExists(path) || (FileExists(path) && SameName(BaseName(path), "config.json"));
}

PackImportResult ImportPack(const std::string& path, const std::string& programDir) {
    std::string given = WithoutTrailingDelimiter(path);
    std::string folder = given;
    std::string reason;
    if (FileExists(given)) {
        std::string parent =
            WithoutTrailingDelimiter(given.substr(0, given.size() - BaseName(given).size()));
        folder = parent.empty() ? std::string(1, '.') : parent;
        if (EndsWithIgnoringCase(given, ".zip")) {
            reason = "It is a zip file: extract the pack first";
        } else if (!SameName(BaseName(given), "config.json")) {
            reason = "Choose the pack's folder or its config.json";
        }
    } else if (!DirectoryExists(given)) {
        reason = "It does not exist";
    }
    try {
        if (!reason.empty()) {
            throw Exception(reason);
        }
        return Import(folder, programDir);
    } catch (const Exception& e) {
        throw Exception(
            Format("The sound pack \"%s\" cannot be imported. %s", {folder, e.Message()}));
    }
}

std::string ImportSummary(const PackImportResult& result) {
    return Format("Imported %s: %s of the 16 key types have a sound of their own",
                  {result.schemeName, std::to_string(result.ownSounds)});
}
