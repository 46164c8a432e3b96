#include "SchemeKeySounds.h"

#include "Exception.h"
#include "FileSystem.h"
#include "SchemeStore.h"

#include <algorithm>

// The file, in tagged values (every count and number an integer, every name a text):
//   format                          SchemeKeySoundsFormat
//   16 x takes                      TypePress, in key type order
//   16 x takes                      TypeRelease
//   key count                       0 to MaxOwnSoundKeys
//   key count x { place, takes Press, takes Release }, in key order (KeyPlace's: by scan
//                                   code, the plain key before the E0 one)
// where a takes list is its count (0 to MaxSoundTakes) and that many names, and a place is the
// scan code plus 256 for the E0 prefix (0 to 511).

namespace {

[[noreturn]] void Damaged() {
    throw Exception("Invalid property value");
}

int32_t PlaceNumber(KeyPlace key) {
    return key.Scan + (key.Extended ? 256 : 0);
}

int32_t ReadCount(TvobReader& reader, size_t limit) {
    const int32_t count = reader.ReadInteger();
    if (count < 0 || static_cast<size_t>(count) > limit)
        Damaged();
    return count;
}

SoundTakes ReadTakes(TvobReader& reader) {
    const int32_t count = ReadCount(reader, MaxSoundTakes);
    SoundTakes takes;
    takes.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        takes.push_back(reader.ReadString());
        if (!IsBareSoundName(takes.back()))
            Damaged();
    }
    return takes;
}

bool Writable(const SoundTakes& takes) {
    return takes.size() <= MaxSoundTakes &&
           std::all_of(takes.begin(), takes.end(),
                       [](const std::string& name) { return IsBareSoundName(name); });
}

void WriteTakes(TvobWriter& writer, const SoundTakes& takes) {
    writer.WriteInteger(static_cast<int32_t>(takes.size()));
    for (const std::string& take : takes)
        writer.WriteString(take);
}

} // namespace

bool IsBareSoundName(const std::string& name) {
    if (name.empty() || name.size() > MaxNameLength)
        return false;
    // Windows drops the dots and blanks at a name's end: "..." or ". ." is "..".
    if (name.find_first_not_of(". ") == std::string::npos)
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return code < 32 || IsForbiddenNameChar(code);
    });
}

bool TSchemeKeySounds::Empty() const {
    auto none = [](const SoundTakes& takes) { return takes.empty(); };
    return Keys.empty() && std::all_of(TypePress.begin(), TypePress.end(), none) &&
           std::all_of(TypeRelease.begin(), TypeRelease.end(), none);
}

void TSchemeKeySounds::Clear() {
    for (auto& takes : TypePress)
        takes.clear();
    for (auto& takes : TypeRelease)
        takes.clear();
    Keys.clear();
}

const KeyOwnSounds* TSchemeKeySounds::Find(KeyPlace key) const {
    auto found = std::lower_bound(Keys.begin(), Keys.end(), key,
                                  [](const KeyOwnSounds& a, KeyPlace b) { return a.Key < b; });
    return found != Keys.end() && found->Key == key ? &*found : nullptr;
}

SoundTakes TSchemeKeySounds::TypePressTakes(int type, const std::string& schemeSound) const {
    if (type < 0 || type >= KeyTypeCount || schemeSound.empty())
        return {};
    const SoundTakes& takes = TypePress[static_cast<size_t>(type)];
    if (!takes.empty() && takes.front() == schemeSound)
        return takes;
    return {schemeSound};
}

SoundTakes TSchemeKeySounds::PressTakes(KeyPlace key, int type,
                                        const std::string& schemeSound) const {
    const KeyOwnSounds* own = Find(key);
    if (own != nullptr && !own->Press.empty())
        return own->Press;
    return TypePressTakes(type, schemeSound);
}

SoundTakes TSchemeKeySounds::ReleaseTakes(KeyPlace key, int type) const {
    const KeyOwnSounds* own = Find(key);
    if (own != nullptr && !own->Release.empty())
        return own->Release;
    if (type < 0 || type >= KeyTypeCount)
        return {};
    return TypeRelease[static_cast<size_t>(type)];
}

void TSchemeKeySounds::ReadData(TvobReader& reader, bool& damaged) {
    damaged = false;
    Clear();
    try {
        if (reader.ReadInteger() < SchemeKeySoundsFormat)
            Damaged();
        for (auto& takes : TypePress)
            takes = ReadTakes(reader);
        for (auto& takes : TypeRelease)
            takes = ReadTakes(reader);
        const int32_t count = ReadCount(reader, MaxOwnSoundKeys);
        Keys.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            const int32_t place = reader.ReadInteger();
            if (place < 0 || place > 511)
                Damaged();
            KeyOwnSounds key;
            key.Key = {static_cast<uint16_t>(place & 0xFF), place >= 256};
            // Key order is KeyPlace's, in which a scan code's E0 key follows its plain one.
            if (!Keys.empty() && !(Keys.back().Key < key.Key))
                Damaged();
            key.Press = ReadTakes(reader);
            key.Release = ReadTakes(reader);
            Keys.push_back(std::move(key));
        }
    } catch (const Exception&) {
        // Never half a record: the scheme then plays its sixteen type sounds alone.
        Clear();
        damaged = true;
    }
}

void TSchemeKeySounds::WriteData(TvobWriter& writer) const {
    // Nothing is written that the reader would refuse.
    bool writable = Keys.size() <= MaxOwnSoundKeys &&
                    std::all_of(TypePress.begin(), TypePress.end(), Writable) &&
                    std::all_of(TypeRelease.begin(), TypeRelease.end(), Writable);
    for (size_t i = 0; writable && i < Keys.size(); ++i)
        writable = Keys[i].Key.Scan <= 255 && (i == 0 || Keys[i - 1].Key < Keys[i].Key) &&
                   Writable(Keys[i].Press) && Writable(Keys[i].Release);
    if (!writable)
        Damaged();
    writer.WriteInteger(SchemeKeySoundsFormat);
    for (const auto& takes : TypePress)
        WriteTakes(writer, takes);
    for (const auto& takes : TypeRelease)
        WriteTakes(writer, takes);
    writer.WriteInteger(static_cast<int32_t>(Keys.size()));
    for (const KeyOwnSounds& key : Keys) {
        writer.WriteInteger(PlaceNumber(key.Key));
        WriteTakes(writer, key.Press);
        WriteTakes(writer, key.Release);
    }
}

void TSchemeKeySounds::LoadFromFile(const std::string& path) {
    Clear();
    bool damaged = false;
    try {
        LoadRecordFile(path, [&](TvobReader& reader) { ReadData(reader, damaged); });
    } catch (const Exception&) {
        // A file held open by another program, or a folder at the path: the type sounds
        // still play.
        Clear();
    }
}

void TSchemeKeySounds::SaveToFile(const std::string& path) const {
    if (Empty()) {
        if (!ForceDeleteFile(path))
            throw Exception(Format("The file \"%s\" cannot be removed", {path}));
        return;
    }
    if (!SaveRecordFile(path, [this](TvobWriter& writer) { WriteData(writer); }))
        throw Exception(Format("The file \"%s\" cannot be replaced", {path}));
}
