#include "PackImport.h"

#include "CodePage.h"
#include "DataPaths.h"
#include "Exception.h"
#include "FileLock.h"
#include "FileSystem.h"
#include "KeyCodes.h"
#include "KeyPlan.h"
#include "NameRules.h"
#include "PackConfig.h"
#include "PackFiles.h"
#include "PackName.h"
#include "PackPlan.h"
#include "PubClassUnit.h"
#include "SchemeKeySounds.h"
#include "Slicing.h"
#include "SoundDecode.h"
#include "SoundFiles.h"
#include "WaveFile.h"
#include "Utf8Files.h"
#include "vobRecord.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

namespace {

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
    // A key the pack leaves silent: 10 ms of silence (a file of no sound would count as one
    // the engine cannot read, and the key would play its type's sound).
    if (IsSilent(source)) {
        WaveData silence;
        silence.sampleRate = 44100;
        silence.channels = 1;
        silence.samples.assign(441, 0);
        return silence;
    }
    const WaveData* sound = sounds.Get(source.file, sprite);
    return source.slice ? CutSlice(*sound, source.startMs, source.lengthMs) : CapKeySound(*sound);
}

// The import's part in the schemes folder: the lock file held shared while it runs. Before it
// takes its share, the working folders that killed imports left are taken away, if no other
// import runs.
FileLock EnterSchemesFolder(const std::string& schemes) {
    const std::string lockPath = JoinPath(schemes, ImportLockName);
    {
        FileLock alone(lockPath, FileLock::Kind::Exclusive, false);
        if (alone.Held()) {
            const std::string_view prefix = ImportWorkPrefix;
            for (const FolderEntry& entry : ListFolder(schemes)) {
                if (entry.isFolder && entry.name.size() > prefix.size() &&
                    SameName(std::string_view(entry.name).substr(0, prefix.size()), prefix)) {
                    DeleteFolderTree(JoinPath(schemes, entry.name));
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
            std::string path = JoinPath(schemes, ImportWorkPrefix + std::to_string(n));
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

    std::string File(std::string_view name) const { return JoinPath(FPath, name); }
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
            // A scheme "Foo.tsk" of an older version: its folder stands where Foo's key
            // sounds file would go.
            if (EndsWithIgnoringCase(entry.name, ".tsk")) {
                taken.push_back(entry.name.substr(0, entry.name.size() - 4));
            }
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

// A source gives a key sound: its file decodes, and a slice of it is not empty. Only slices come
// from the sprite; a version 2 "soundup" of a sprite pack is a file of its own.
SourceUsable UsableIn(PackSounds& sounds) {
    return [&sounds](const SoundSource& source) {
        if (IsSilent(source) || !sounds.Get(source.file, source.slice)) {
            return false;
        }
        return !source.slice || !MakeKeySound(sounds, source, true).samples.empty();
    };
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
    PackPlan plan = PlanPack(config, UsableIn(sounds));
    if (std::none_of(plan.begin(), plan.end(),
                     [](const KeyTypePlan& p) { return p.source.has_value(); })) {
        std::string fault = sounds.FirstFault();
        throw Exception(fault.empty() ? "It has no usable key sound"
                                      : "It has no usable key sound. " + fault);
    }
    return plan;
}

struct SourceOrder {
    bool operator()(const SoundSource& a, const SoundSource& b) const {
        return std::tie(a.file, a.slice, a.startMs, a.lengthMs) <
               std::tie(b.file, b.slice, b.startMs, b.lengthMs);
    }
};

// The file name a take is written as when no earlier file holds its sound: "letter-2.wav",
// "enter-up.wav", "k30.wav", "k57416-up-3.wav", "sound-2.wav", "soundup.wav".
std::string TakeFileName(std::string stem, size_t take) {
    if (take > 0) {
        stem += '-';
        stem += std::to_string(take + 1);
    }
    return stem + ".wav";
}

// "k30", "k30-up"; "sound" or "soundup" for version 2's fallbacks (code 0).
std::string KeyStem(uint32_t code, bool release) {
    if (code == 0) {
        return release ? "soundup" : "sound";
    }
    return 'k' + std::to_string(code) + (release ? "-up" : "");
}

std::string TypeStem(size_t type) {
    std::string name = KeyTypeFileName(type);
    return name.substr(0, name.size() - 4);
}

// Which file each sound of the plan is written as: the sixteen type files as today, then every
// other sound of the plan once, under the name of its first use.
class SchemeSoundNames {
public:
    SchemeSoundNames(const PackPlan& types, const PackKeysPlan& keys) {
        // A key's sound is named by the type file of the type it gave its sound to, if any.
        for (bool own : {true, false}) {
            for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
                if (types[type].source && types[type].own == own) {
                    FNames.emplace(*types[type].source, KeyTypeFileName(type));
                }
            }
        }
        Add(keys.fallbackPress, "sound");
        Add(keys.fallbackRelease, "soundup");
        for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
            Add(keys.typePress[type], TypeStem(type));
        }
        for (bool own : {true, false}) {
            for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
                if ((keys.typeReleaseCode[type] != 0) == own) {
                    Add(keys.typeRelease[type], TypeStem(type) + "-up");
                }
            }
        }
        for (const KeySoundsPlan& key : keys.keys) {
            Add(key.press, KeyStem(key.pressCode, false));
            Add(key.release, KeyStem(key.releaseCode, true));
        }
    }
    // The sounds beyond the type files, in the order they are written, with their names.
    const std::vector<std::pair<SoundSource, std::string>>& Extra() const { return FExtra; }
    // A file once written holds the sound under another name when an earlier file held it.
    void Written(const SoundSource& source, const std::string& name) { FNames[source] = name; }
    // The takes by file name, each name once, in take order.
    SoundTakes Names(const SourceTakes& takes) const {
        SoundTakes names;
        for (const SoundSource& source : takes) {
            const std::string& name = FNames.at(source);
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(name);
            }
        }
        return names;
    }

private:
    void Add(const SourceTakes& takes, const std::string& stem) {
        for (size_t take = 0; take < takes.size(); ++take) {
            if (FNames.emplace(takes[take], TakeFileName(stem, take)).second) {
                FExtra.emplace_back(takes[take], TakeFileName(stem, take));
            }
        }
    }

    std::map<SoundSource, std::string, SourceOrder> FNames;
    std::vector<std::pair<SoundSource, std::string>> FExtra;
};

// The record of the plan's sounds by the names they were written as. A type's press takes are
// kept only when there are several: the scheme file names the first.
TSchemeKeySounds KeySoundsRecord(const PackKeysPlan& keys, const SchemeSoundNames& names) {
    TSchemeKeySounds record;
    for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
        if (keys.typePress[type].size() > 1) {
            SoundTakes takes = names.Names(keys.typePress[type]);
            // The first take is this type's own file, whichever type's file holds it too.
            takes.front() = KeyTypeFileName(type);
            takes.erase(std::remove(takes.begin() + 1, takes.end(), takes.front()), takes.end());
            if (takes.size() > 1) {
                record.TypePress[type] = std::move(takes);
            }
        }
        record.TypeRelease[type] = names.Names(keys.typeRelease[type]);
    }
    for (const KeySoundsPlan& key : keys.keys) {
        record.Keys.push_back({key.key, names.Names(key.press), names.Names(key.release)});
    }
    return record;
}

// Gives the working folder the first name free right now and writes the scheme file. Another
// import may take a name between the look and the rename: the rename then fails and the next
// name is tried. A scheme file of the name, in any letter case, counts as taken.
std::string CommitScheme(WorkingFolder& work, const std::string& schemes,
                         const std::string& programDir, const PackConfig& config,
                         const std::string& ownName, const TMySchemeInfo& scheme,
                         const TSchemeKeySounds& keySounds) {
    std::vector<std::string> lost;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::vector<std::string> taken = TakenNames(schemes);
        taken.insert(taken.end(), lost.begin(), lost.end());
        std::string name = ImportedSchemeName(config.name, ownName, taken, programDir);
        if (name.empty()) {
            break;
        }
        std::string target = JoinPath(schemes, name);
        if (!work.CommitAs(target)) {
            if (!DirectoryExists(target) && !FileExists(target)) {
                throw Exception(Format("The folder of the scheme \"%s\" cannot be made", {name}));
            }
            lost.push_back(name);
            continue;
        }
        // The key sounds file before the scheme file, which makes the scheme: a key sounds
        // file of the name left by an older version is replaced, or removed when the pack has
        // nothing beyond the type sounds.
        const std::string keySoundsPath = JoinPath(schemes, name + ".tsk");
        bool saved = false;
        try {
            keySounds.SaveToFile(keySoundsPath);
            saved = SaveRecordFile(JoinPath(schemes, name + ".tss"),
                                   [&](TvobWriter& writer) { scheme.WriteData(&writer); });
        } catch (...) {
            ForceDeleteFile(keySoundsPath);
            DeleteFolderTree(target);
            throw;
        }
        if (!saved) {
            ForceDeleteFile(keySoundsPath);
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
    PackKeysPlan keys = PlanPackKeys(config, plan, UsableIn(sounds));
    SchemeSoundNames names(plan, keys);
    const int total =
        1 +
        static_cast<int>(std::count_if(plan.begin(), plan.end(),
                                       [](const KeyTypePlan& p) { return p.source.has_value(); }) +
                         names.Extra().size());
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
    SoundFiles written(work.File(""));
    TMySchemeInfo scheme;
    PackImportResult result;
    // The types with sounds of their own first: a key's sound the same as one of them is found
    // in that type's file.
    for (bool own : {true, false}) {
        for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
            if (!plan[type].source || plan[type].own != own) {
                continue;
            }
            written.Write(KeyTypeFileName(type),
                          MakeKeySound(sounds, *plan[type].source, config.single));
            scheme.SetSound(static_cast<int>(type), KeyTypeFileName(type));
            result.ownSounds += own ? 1 : 0;
            if (progress) {
                progress(++done, total);
            }
        }
    }
    for (const auto& [source, name] : names.Extra()) {
        names.Written(source, written.Keep(name, MakeKeySound(sounds, source, source.slice)));
        if (progress) {
            progress(++done, total);
        }
    }
    result.schemeName = CommitScheme(work, schemes, programDir, config, files.OwnName(), scheme,
                                     KeySoundsRecord(keys, names));
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
