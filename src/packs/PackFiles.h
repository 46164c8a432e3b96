#pragma once
// The files of a sound pack as an import reads them, from its folder or from its zip.
//
//     auto files = IsZipPath(path) ? OpenPackZip(path) : OpenPackFolder(path);
//     if (files->Size("config.json") < 0)
//         throw Exception(files->MissingConfigReason());
//     std::vector<uint8_t> sound = files->Read("sounds/a.wav");
#include "ZipReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PackFiles {
public:
    virtual ~PackFiles() = default;

    // The pack's own name, which a scheme takes when its config names none: the folder's name,
    // or the zip's without ".zip".
    virtual std::string OwnName() const = 0;
    // The size of the file `name` (UTF-8, relative to the pack, parts parted by "/" or "\"), or
    // -1 when the pack has none by that name. A folder looks it up as the system does. A zip
    // looks it up by its path ignoring letter case, and then, as packs are made for, by its
    // base name in lower case anywhere in the pack; config.json only at the pack's root.
    virtual int64_t Size(const std::string& name) = 0;
    bool Exists(const std::string& name) { return Size(name) >= 0; }
    // The whole file; raises an Exception when it cannot be read.
    virtual std::vector<uint8_t> Read(const std::string& name) = 0;
    // Why the pack has no config.json, for a pack that has none.
    virtual std::string MissingConfigReason() = 0;
};

// The pack in a folder (UTF-8). Its files are read in place.
std::unique_ptr<PackFiles> OpenPackFolder(const std::string& folder);
// The pack in a zip file (UTF-8 path): at the zip's root, or in the one folder of its root that
// holds a config.json. Raises the zip's refusals (see ZipReader).
std::unique_ptr<PackFiles> OpenPackZip(const std::string& path);
// The same over a zip already open; `path` names it.
std::unique_ptr<PackFiles> OpenPackZip(ZipReader zip, const std::string& path);

// A path that names a zip: it ends in ".zip" in any letter case.
bool IsZipPath(const std::string& path);
