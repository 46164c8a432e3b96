#include "PackFiles.h"

#include "CodePage.h"
#include "Exception.h"
#include "FileSystem.h"
#include "NameRules.h"
#include "PackName.h"
#include "PackPlan.h"
#include "Utf8Files.h"

#include <algorithm>
#include <optional>

namespace {

std::string_view BaseName(std::string_view path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && SameName(text.substr(text.size() - tail.size()), tail);
}

// Pack names in a message: the product's texts are in the ANSI code page.
std::string Shown(const std::string& utf8) {
    return Utf16ToAnsi(Utf8ToUtf16(utf8));
}

// A pack file's path: the config's UTF-8 name with the system's separators, under the pack
// folder. The name is checked as the system will read it; none when it could mean another file.
std::optional<std::string> PackFilePath(const std::string& folder, const std::string& name) {
    std::string local = Utf16ToUtf8(Utf8ToUtf16(name));
    if (!StaysInPack(local)) {
        return std::nullopt;
    }
    std::replace(local.begin(), local.end(), '/', PathDelimiter);
    std::replace(local.begin(), local.end(), '\\', PathDelimiter);
    return JoinPath(folder, local);
}

class FolderFiles final : public PackFiles {
public:
    explicit FolderFiles(std::string folder) : FFolder(std::move(folder)) {}

    std::string OwnName() const override { return std::string(BaseName(FFolder)); }
    int64_t Size(const std::string& name) override {
        std::optional<std::string> path = PackFilePath(FFolder, name);
        return path ? Utf8FileSize(*path) : -1;
    }
    std::vector<uint8_t> Read(const std::string& name) override {
        std::optional<std::string> path = PackFilePath(FFolder, name);
        if (!path) {
            throw Exception(Format("Cannot open file \"%s\"", {name}));
        }
        return ReadUtf8File(*path);
    }
    // A nested pack, a config.txt, a zip.
    std::string MissingConfigReason() override {
        std::vector<FolderEntry> entries = ListUtf8Folder(FFolder);
        for (const FolderEntry& entry : entries) {
            if (entry.isFolder &&
                Utf8FileExists(JoinPath(JoinPath(FFolder, entry.name), "config.json"))) {
                return Format(
                    "It has no config.json, but its folder \"%s\" has one: import that folder",
                    {Shown(entry.name)});
            }
        }
        for (const FolderEntry& entry : entries) {
            if (!entry.isFolder && SameName(entry.name, "config.txt")) {
                return "It has a config.txt but no config.json";
            }
        }
        for (const FolderEntry& entry : entries) {
            if (!entry.isFolder && IsZipPath(entry.name)) {
                return Format(
                    "It has no config.json, but it has the zip file \"%s\": import that zip",
                    {Shown(entry.name)});
            }
        }
        return "It has no config.json";
    }

private:
    std::string FFolder;
};

// A name as the zip's entries are compared: UTF-8 as the system reads it, parts parted by "/",
// no empty or "." parts, ASCII letters in lower case (a folder on Windows ignores their case).
std::string Key(const std::string& name) {
    std::string text = Utf16ToUtf8(Utf8ToUtf16(name));
    std::string key;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find_first_of("/\\", start), text.size());
        std::string_view part = std::string_view(text).substr(start, end - start);
        if (!part.empty() && part != ".") {
            key += key.empty() ? "" : "/";
            key += part;
        }
        start = end + 1;
    }
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

class ZipFiles final : public PackFiles {
public:
    ZipFiles(ZipReader zip, const std::string& path) : FZip(std::move(zip)) {
        std::string_view own = BaseName(path);
        FOwnName = own.substr(0, IsZipPath(std::string(own)) ? own.size() - 4 : own.size());
        const std::vector<ZipEntry>& entries = FZip.Entries();
        // The pack's root: the zip's own, or the one folder of it with a config.json.
        std::vector<std::string> packFolders;
        for (const ZipEntry& entry : entries) {
            FKeys.push_back(entry.folder ? std::string() : Key(entry.name));
            const std::string& key = FKeys.back();
            if (key == "config.json") {
                FRoot = "";
            }
            size_t cut = key.find('/');
            if (cut != std::string::npos && key.substr(cut) == "/config.json" &&
                std::find(packFolders.begin(), packFolders.end(), key.substr(0, cut + 1)) ==
                    packFolders.end()) {
                packFolders.push_back(key.substr(0, cut + 1));
            }
        }
        if (!FRoot && packFolders.size() == 1) {
            FRoot = packFolders[0];
        }
        FSeveralPacks = !FRoot && packFolders.size() > 1;
    }

    std::string OwnName() const override { return FOwnName; }
    int64_t Size(const std::string& name) override {
        std::optional<size_t> index = Find(name);
        return index ? static_cast<int64_t>(FZip.Entries()[*index].size) : -1;
    }
    std::vector<uint8_t> Read(const std::string& name) override {
        std::optional<size_t> index = Find(name);
        if (!index) {
            throw Exception(Format("Cannot open file \"%s\"", {name}));
        }
        return FZip.Read(*index);
    }
    std::string MissingConfigReason() override {
        return FSeveralPacks ? "The zip file holds several packs, each in a folder with a "
                               "config.json: extract it and import each folder"
                             : "It has no config.json, at the zip's root or in one folder of it";
    }

private:
    std::optional<size_t> Find(const std::string& name) const {
        if (!FRoot) {
            return std::nullopt;
        }
        const std::string key = Key(name);
        for (size_t i = 0; i < FKeys.size(); ++i) {
            if (!FKeys[i].empty() && FKeys[i] == *FRoot + key) {
                return i;
            }
        }
        if (key == "config.json") {
            return std::nullopt;
        }
        const std::string_view base = BaseName(key);
        for (size_t i = 0; i < FKeys.size(); ++i) {
            if (!FKeys[i].empty() && FKeys[i].compare(0, FRoot->size(), *FRoot) == 0 &&
                BaseName(FKeys[i]) == base) {
                return i;
            }
        }
        return std::nullopt;
    }

    ZipReader FZip;
    std::string FOwnName;
    std::vector<std::string> FKeys;   // of each entry; empty for folders
    std::optional<std::string> FRoot; // "" or "<folder>/"; none without a config.json
    bool FSeveralPacks = false;
};

} // namespace

std::unique_ptr<PackFiles> OpenPackFolder(const std::string& folder) {
    return std::make_unique<FolderFiles>(folder);
}

std::unique_ptr<PackFiles> OpenPackZip(const std::string& path) {
    return OpenPackZip(ZipReader::FromFile(path), path);
}

std::unique_ptr<PackFiles> OpenPackZip(ZipReader zip, const std::string& path) {
    return std::make_unique<ZipFiles>(std::move(zip), path);
}

bool IsZipPath(const std::string& path) {
    return EndsWithIgnoringCase(path, ".zip");
}
