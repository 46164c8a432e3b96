#pragma once
// The sound files of a scheme an import makes: a sound written once, whichever keys and key
// types use it.
#include "WaveFile.h"

#include <cstdint>
#include <map>
#include <string>

class SoundFiles {
public:
    // Files go into `folder`, which exists and holds none of them yet.
    explicit SoundFiles(std::string folder) : FFolder(std::move(folder)) {}

    // Writes `sound` as the file `name`, even when an earlier file holds the same sound.
    void Write(const std::string& name, const WaveData& sound);
    // The name of an earlier file that holds the same sound (the same samples, rate and
    // channels), or else `name`, which `sound` is then written as.
    std::string Keep(const std::string& name, const WaveData& sound);

private:
    std::string Path(const std::string& name) const;
    void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes, uint64_t hash);

    std::string FFolder;
    // The files written, by a hash of their bytes.
    std::multimap<uint64_t, std::string> FByHash;
};
