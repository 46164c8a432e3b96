#include "PubClassUnit.h"

#include "Exception.h"
#include "FileSystem.h"

void TMySchemeInfo::Clear() {
    for (auto& sound : FSounds)
        sound.clear();
}

const std::string& TMySchemeInfo::SoundRef(int index) const {
    static const std::string empty;
    return index >= 0 && index < KeyTypeCount ? FSounds[static_cast<size_t>(index)] : empty;
}

void TMySchemeInfo::SetSound(int index, std::string name) {
    if (index >= 0 && index < KeyTypeCount)
        FSounds[static_cast<size_t>(index)] = std::move(name);
}

void TMySchemeInfo::ReadData(TvobReader& reader, bool& damaged) {
    damaged = false;
    try {
        for (auto& sound : FSounds)
            sound = reader.ReadString();
    } catch (const Exception&) {
        // Never half a scheme: damaged data loads as an empty one.
        Clear();
        damaged = true;
    }
}

void TMySchemeInfo::WriteData(TvobWriter* writer) const {
    if (writer == nullptr)
        throw Exception("Writer Error");
    for (const auto& sound : FSounds)
        writer->WriteString(sound);
}

void TMySchemeInfo::LoadFromFile(const std::string& path, bool repair) {
    bool damaged = false;
    if (LoadRecordFile(path, [&](TvobReader& reader) { ReadData(reader, damaged); }) && repair &&
        damaged)
        SaveToFile(path);
}

void TMySchemeInfo::SaveToFile(const std::string& path) const {
    SaveRecordFile(path, [this](TvobWriter& writer) { WriteData(&writer); });
}

void TMySchemeInfo::SaveToStream(TStream* stream) const {
    SaveRecordStream(stream, [this](TvobWriter& writer) { WriteData(&writer); });
}
