#include "SoundOptions.h"

#include "Exception.h"

#include <algorithm>

namespace {

// Raised inside ReadData only, for a value a file of ours never holds.
struct OutOfRange {};

int ReadRanged(TvobReader& reader, int low, int high) {
    const int32_t value = reader.ReadInteger();
    if (value < low || value > high)
        throw OutOfRange{};
    return value;
}

bool ReadFlag(TvobReader& reader) {
    return ReadRanged(reader, 0, 1) != 0;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

void TSoundOptions::ReadData(TvobReader& reader, bool& damaged) {
    damaged = false;
    TSoundOptions read;
    try {
        // A later format appends values: the ones this version knows come first.
        if (reader.ReadInteger() < kSoundOptionsFormat)
            throw OutOfRange{};
        read.Volume = ReadRanged(reader, kMinVolume, kMaxVolume);
        read.StereoByPosition = ReadFlag(reader);
        read.StereoWidth = ReadRanged(reader, 0, kMaxStereoWidth);
        read.Variation = ReadFlag(reader);
        read.PitchRange = ReadRanged(reader, 0, kMaxPitchRange);
        read.SamePitchPerKey = ReadFlag(reader);
        read.ReleaseSounds = ReadFlag(reader);
        read.SoundOnRepeat = ReadFlag(reader);
        read.DeviceId = reader.ReadString();
        read.DeviceName = reader.ReadString();
        read.SilenceFullScreen = ReadFlag(reader);
        read.SilenceListed = ReadFlag(reader);
        const int count = ReadRanged(reader, 0, static_cast<int>(kMaxSilencePrograms));
        for (int i = 0; i < count; ++i)
            read.SilencePrograms.push_back(reader.ReadString());
    } catch (const Exception&) {
        damaged = true;
    } catch (const OutOfRange&) {
        damaged = true;
    }
    *this = damaged ? TSoundOptions{} : std::move(read);
}

void TSoundOptions::WriteData(TvobWriter& writer) const {
    writer.WriteInteger(kSoundOptionsFormat);
    writer.WriteInteger(Volume);
    writer.WriteInteger(StereoByPosition);
    writer.WriteInteger(StereoWidth);
    writer.WriteInteger(Variation);
    writer.WriteInteger(PitchRange);
    writer.WriteInteger(SamePitchPerKey);
    writer.WriteInteger(ReleaseSounds);
    writer.WriteInteger(SoundOnRepeat);
    writer.WriteString(DeviceId);
    writer.WriteString(DeviceName);
    writer.WriteInteger(SilenceFullScreen);
    writer.WriteInteger(SilenceListed);
    writer.WriteInteger(static_cast<int32_t>(SilencePrograms.size()));
    for (const std::string& program : SilencePrograms)
        writer.WriteString(program);
}

TKeyAction KeyMessageAction(bool release, bool repeat, const TSoundOptions& options) {
    if (release)
        return options.ReleaseSounds ? TKeyAction::Release : TKeyAction::Ignore;
    if (repeat && !options.SoundOnRepeat)
        return TKeyAction::Ignore;
    return TKeyAction::Press;
}

TSoundOptions LoadSoundOptions(const std::string& path) {
    TSoundOptions options;
    try {
        bool damaged = false;
        LoadRecordFile(path, [&](TvobReader& reader) { options.ReadData(reader, damaged); });
    } catch (...) {
        // A file that cannot be opened plays like a missing one: the keys still sound.
        options = TSoundOptions{};
    }
    return options;
}

bool SaveSoundOptions(const std::string& path, const TSoundOptions& options) {
    return SaveRecordFile(path, [&](TvobWriter& writer) { options.WriteData(writer); });
}

std::string_view ImageFileName(std::string_view path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool SameProgramName(std::string_view a, std::string_view b) {
    a = ImageFileName(a);
    b = ImageFileName(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

bool AddSilenceProgram(std::vector<std::string>& list, std::string_view path) {
    const std::string_view name = ImageFileName(path);
    if (name.empty() || list.size() >= kMaxSilencePrograms)
        return false;
    for (const std::string& listed : list)
        if (SameProgramName(listed, name))
            return false;
    list.emplace_back(name);
    return true;
}

std::vector<std::string> DistinctProgramNames(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const std::string& path : paths)
        AddSilenceProgram(names, path);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
    });
    return names;
}
