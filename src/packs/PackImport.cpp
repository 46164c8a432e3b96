#include "PackImport.h"

#include "CodePage.h"
#include "DataPaths.h"
#include "Exception.h"
#include "FileLock.h"
#include "FileSystem.h"
#include "KeyCodes.h"
#include "NameRules.h"
#include "PackConfig.h"
#include "PackFiles.h"
#include "PackName.h"
#include "PackPlan.h"
#include "PubClassUnit.h"
#include "Slicing.h"
#include "SoundDecode.h"
#include "WaveFile.h"
#include "Utf8Files.h"
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

// Pack names in a message: the product's texts are in the ANSI code page.
std::string Shown(const std::string& utf8) {
    return Utf16ToAnsi(Utf8ToUtf16(utf8));
}

// The decoded sounds of one import, each file read once. The sprite is decoded only as far as
// the key types' slices reach, and never past MaxSpriteMs.
class PackSounds {
public:
    PackSounds(PackFiles& files, uint64_t spriteMs) : FFiles(files), FSpriteMs(spriteMs) {}

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
        if (!StaysInPack(Utf16ToUtf8(Utf8ToUtf16(name)))) {
            return Fault(Format("The sound file \"%s\" is not inside the pack", {Shown(name)}));
        }
        int64_t size = FFiles.Size(name);
        if (size < 0) {
            return Fault(Format("The sound file \"%s\" is missing", {Shown(name)}));
        }
        if (size > MaxSoundFileBytes) {
            throw Exception(Format("The sound file \"%s\" is larger than 64 MB", {Shown(name)}));
        }
        // One millisecond past the limit tells a sprite that is too long from one that fits.
        uint64_t maxMs = sprite ? std::min(FSpriteMs, MaxSpriteMs + 1) : MaxKeySoundMs;
        WaveData sound;
        try {
            sound = DecodeSound(FFiles.Read(name), maxMs);
        } catch (const Exception& e) {
            return Fault(
                Format("The sound file \"%s\" cannot be decoded: %s", {Shown(name), e.Message()}));
        }
        if (sprite) {
            Keep(sound, maxMs);
            if (Milliseconds(sound) > MaxSpriteMs) {
                throw Exception(
                    Format("The sprite file \"%s\" is longer than 10 minutes", {Shown(name)}));
            }
        }
        if (sound.samples.empty()) {
            return Fault(Format("The sound file \"%s\" holds no sound", {Shown(name)}));
        }
        return sound;
    }
    // What lies past `ms` is no more use than a stream decoded further.
    static void Keep(WaveData& sound, uint64_t ms) {
        if (sound.channels == 0 || sound.sampleRate == 0) {
            return;
        }
        uint64_t frames = (ms * sound.sampleRate + 999) / 1000;
        if (frames < sound.samples.size() / sound.channels) {
            sound.samples.resize(static_cast<size_t>(frames) * sound.channels);
        }
    }
    static uint64_t Milliseconds(const WaveData& sound) {
        if (sound.channels == 0 || sound.sampleRate == 0) {
            return 0;
        }
        return uint64_t{sound.samples.size() / sound.channels} * 1000 / sound.sampleRate;
    }
    std::nullopt_t Fault(std::string reason) {
        if (FFirstFault.empty()) {
            FFirstFault = std::move(reason);
        }
        return std::nullopt;
    }

    PackFiles& FFiles;
    uint64_t FSpriteMs;
    std::map<std::string, std::optional<WaveData>> FSounds;
    std::string FFirstFault;
};

WaveData MakeKeySound(PackSounds& sounds, const SoundSource& source, bool sprite) {
    const WaveData* sound = sounds.Get(source.file, sprite);
    return source.slice ? CutSlice(*sound, source.startMs, source.lengthMs) : CapKeySound(*sound);
}

// The import's part in the schemes folder: the lock file held shared while it runs. Before it
// takes its share, the working folders that killed imports left are taken away, if no other
// import runs.
FileLock EnterSchemesFolder(const std::string& schemes) {
    const std::string lockPath = Join(schemes, ImportLockName);
    {
        FileLock alone(lockPath, FileLock::Kind::Exclusive, false);
        if (alone.Held()) {
            const std::string_view prefix = ImportWorkPrefix;
            for (const FolderEntry& entry : ListFolder(schemes)) {
                if (entry.isFolder && entry.name.size() > prefix.size() &&
                    SameName(std::string_view(entry.name).substr(0, prefix.size()), prefix)) {
                    DeleteFolderTree(Join(schemes, entry.name));
                }
            }
        }
    }
    FileLock shared(lockPath, FileLock::Kind::Shared, true);
    if (!shared.Held()) {
        throw Exception("The schemes folder cannot be written to");
    }
    return shared;
}

// A folder of the schemes folder that the sounds are made in; it goes with everything in it
// unless it became the scheme's folder.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& schemes) {
        for (unsigned n = 0; n < 1000; ++n) {
            std::string path = Join(schemes, ImportWorkPrefix + std::to_string(n));
            if (!FileExists(path) && !DirectoryExists(path) && CreateFolder(path)) {
                FPath = std::move(path);
                return;
            }
        }
        throw Exception("No working folder can be made in the schemes folder");
    }
    ~WorkingFolder() {
        if (!FPath.empty()) {
            DeleteFolderTree(FPath);
        }
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    std::string File(std::string_view name) const { return Join(FPath, name); }
    // Makes it the folder `target`; false, and still a working folder, when that fails.
    bool CommitAs(const std::string& target) {
        if (!RenameFolder(FPath, target)) {
            return false;
        }
        FPath.clear();
        return true;
    }

private:
    std::string FPath;
};

// The names the schemes folder has taken: its folders, and its scheme files both as the list
// shows them and without a ".tss" in any letter case ("Foo.TSS" is the file of "Foo" too).
std::vector<std::string> TakenNames(const std::string& schemes) {
    std::vector<std::string> taken;
    for (const FolderEntry& entry : ListFolder(schemes)) {
        if (entry.isFolder) {
            taken.push_back(entry.name);
            continue;
        }
        taken.push_back(SchemeListName(entry.name));
        if (EndsWithIgnoringCase(entry.name, ".tss")) {
            taken.push_back(entry.name.substr(0, entry.name.size() - 4));
        }
    }
    return taken;
}

PackConfig ReadConfig(PackFiles& files) {
    int64_t configSize = files.Size("config.json");
    if (configSize < 0) {
        throw Exception(files.MissingConfigReason());
    }
    if (configSize > MaxConfigBytes) {
        throw Exception("Its config.json is larger than 1 MB");
    }
    std::vector<uint8_t> text = files.Read("config.json");
    return ParsePackConfig(
        std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

PackPlan Plan(const PackConfig& config, PackSounds& sounds) {
    if (config.single) {
        if (!StaysInPack(config.sound)) {
            throw Exception(
                Format("The sprite file \"%s\" is not inside the pack", {Shown(config.sound)}));
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
    return plan;
}

// Gives the working folder the first name free right now and writes the scheme file. Another
// import may take a name between the look and the rename: the rename then fails and the next
// name is tried. A scheme file of the name, in any letter case, counts as taken.
std::string CommitScheme(WorkingFolder& work, const std::string& schemes,
                         const std::string& programDir, const PackConfig& config,
                         const std::string& ownName, const TMySchemeInfo& scheme) {
    std::vector<std::string> lost;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::vector<std::string> taken = TakenNames(schemes);
        taken.insert(taken.end(), lost.begin(), lost.end());
        std::string name = ImportedSchemeName(config.name, ownName, taken, programDir);
        if (name.empty()) {
            break;
        }
        std::string target = Join(schemes, name);
        if (!work.CommitAs(target)) {
            if (!DirectoryExists(target) && !FileExists(target)) {
                throw Exception(Format("The folder of the scheme \"%s\" cannot be made", {name}));
            }
            lost.push_back(name);
            continue;
        }
        bool saved = false;
        try {
            saved = SaveRecordFile(Join(schemes, name + ".tss"),
                                   [&](TvobWriter& writer) { scheme.WriteData(&writer); });
        } catch (...) {
            DeleteFolderTree(target);
            throw;
        }
        if (!saved) {
            DeleteFolderTree(target);
            throw Exception(Format("The scheme file of \"%s\" cannot be written", {name}));
        }
        return name;
    }
    throw Exception("No free scheme name is left for it");
}

// Read the config, plan, decode and slice into a working folder, name, write.
PackImportResult Import(PackFiles& files, const std::string& programDir,
                        const ImportProgress& progress) {
    PackConfig config = ReadConfig(files);
    PackSounds sounds(files, SpriteReachMs(config));
    PackPlan plan = Plan(config, sounds);
    const int total =
        1 + static_cast<int>(std::count_if(plan.begin(), plan.end(), [](const KeyTypePlan& p) {
            return p.source.has_value();
        }));
    int done = 1;
    if (progress) {
        progress(done, total);
    }

    std::string schemes = SchemesFolder(programDir);
#ifndef _WIN32
    std::replace(schemes.begin(), schemes.end(), '\\', '/');
#endif
    if (!DirectoryExists(schemes) && !CreateFolder(schemes)) {
        throw Exception("The schemes folder cannot be made");
    }
    FileLock share = EnterSchemesFolder(schemes);
    WorkingFolder work(schemes);
    TMySchemeInfo scheme;
    PackImportResult result;
    for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
        if (!plan[type].source) {
            continue;
        }
        WriteWaveFile(work.File(KeyTypeFileName(type)),
                      MakeKeySound(sounds, *plan[type].source, config.single));
        scheme.SetSound(static_cast<int>(type), KeyTypeFileName(type));
        result.ownSounds += plan[type].own ? 1 : 0;
        if (progress) {
            progress(++done, total);
        }
    }
    result.schemeName = CommitScheme(work, schemes, programDir, config, files.OwnName(), scheme);
    return result;
}

} // namespace

bool IsPackPath(const std::string& path) {
    return Utf8DirectoryExists(path) ||
           (Utf8FileExists(path) && (SameName(BaseName(path), "config.json") || IsZipPath(path)));
}

PackImportResult ImportPack(const std::string& path, const std::string& programDir,
                            const ImportProgress& progress) {
    std::string given = WithoutTrailingDelimiter(path);
    std::string folder = given;
    std::string reason;
    const bool zip = Utf8FileExists(given) && IsZipPath(given);
    if (zip) {
        // Messages name the zip itself.
    } else if (Utf8FileExists(given)) {
        std::string parent =
            WithoutTrailingDelimiter(given.substr(0, given.size() - BaseName(given).size()));
        folder = parent.empty() ? std::string(1, '.') : parent;
        if (!SameName(BaseName(given), "config.json")) {
            reason = "Choose the pack's folder, its config.json or its zip file";
        }
    } else if (!Utf8DirectoryExists(given)) {
        reason = "It does not exist";
    }
    try {
        if (!reason.empty()) {
            throw Exception(reason);
        }
        std::unique_ptr<PackFiles> files = zip ? OpenPackZip(given) : OpenPackFolder(folder);
        return Import(*files, programDir, progress);
    } catch (const Exception& e) {
        throw Exception(
            Format("The sound pack \"%s\" cannot be imported. %s", {Shown(folder), e.Message()}));
    }
}

std::string ImportSummary(const PackImportResult& result) {
    return Format("Imported %s: %s of the 16 key types have a sound of their own",
                  {result.schemeName, std::to_string(result.ownSounds)});
}
