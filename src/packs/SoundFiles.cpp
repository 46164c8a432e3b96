#include "SoundFiles.h"

#include "FileSystem.h"
#include "Stream.h"

namespace {

// FNV-1a: equal bytes always meet; files of unequal bytes whose hashes meet are told apart by
// their bytes.
uint64_t Hash(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037u;
    for (uint8_t b : bytes) {
        hash = (hash ^ b) * 1099511628211u;
    }
    return hash;
}

std::vector<uint8_t> ReadBack(const std::string& path) {
    TFileStream file(path, TFileMode::OpenRead);
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

} // namespace

std::string SoundFiles::Path(const std::string& name) const {
    std::string path = FFolder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/') {
        path += PathDelimiter;
    }
    return path + name;
}

void SoundFiles::WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes,
                            uint64_t hash) {
    TFileStream file(Path(name), TFileMode::Create);
    file.WriteBuffer(bytes.data(), bytes.size());
    file.Flush();
    FByHash.emplace(hash, name);
}

void SoundFiles::Write(const std::string& name, const WaveData& sound) {
    std::vector<uint8_t> bytes = WriteWave(sound);
    WriteBytes(name, bytes, Hash(bytes));
}

std::string SoundFiles::Keep(const std::string& name, const WaveData& sound) {
    // The file's bytes are a function of the samples, rate and channels alone: equal bytes
    // are an equal sound. Read back rather than held, an import's sounds cost no memory.
    std::vector<uint8_t> bytes = WriteWave(sound);
    const uint64_t hash = Hash(bytes);
    auto [first, last] = FByHash.equal_range(hash);
    for (auto file = first; file != last; ++file) {
        if (ReadBack(Path(file->second)) == bytes) {
            return file->second;
        }
    }
    WriteBytes(name, bytes, hash);
    return name;
}
