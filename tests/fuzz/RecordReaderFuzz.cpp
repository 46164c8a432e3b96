// Feeds arbitrary bytes to the record reader, the way a damaged or hostile scheme, key sounds,
// settings or sound options file would.
#include "Exception.h"
#include "MySetInfo.h"
#include "PubClassUnit.h"
#include "SchemeKeySounds.h"
#include "SoundOptions.h"
#include "vobRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The first byte picks the kinds of read, two bits a value; the rest is the record data.
void ReadMixed(const uint8_t* data, size_t size) {
    if (size == 0)
        return;
    uint8_t pattern = data[0];
    TMemoryStream stream(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    {
        TvobReader reader(stream);
        try {
            for (int i = 0; i < 64; ++i) {
                switch ((pattern >> (2 * (i % 4))) & 3) {
                case 0:
                case 3:
                    reader.ReadString();
                    break;
                case 1:
                    reader.ReadInteger();
                    break;
                case 2:
                    reader.ReadDate();
                    break;
                }
            }
        } catch (const Exception& e) {
            Check(e.Message() == "Invalid property value" || e.Message() == "Stream read error");
        }
    }
    int64_t position = stream.Position();
    Check(position >= 0 && position <= stream.Size());
}

// A scheme read gives all sixteen names or none, and what it gives survives a save.
void ReadScheme(const uint8_t* data, size_t size) {
    TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    TMySchemeInfo scheme;
    bool damaged = false;
    {
        TvobReader reader(stream);
        scheme.ReadData(reader, damaged);
    }
    if (damaged) {
        for (int i = 0; i < KeyTypeCount; ++i)
            Check(scheme.SoundRef(i).empty());
        return;
    }
    TMemoryStream copy;
    scheme.SaveToStream(&copy);
    copy.SetPosition(0);
    TMySchemeInfo again;
    TvobReader reader(copy);
    again.ReadData(reader, damaged);
    Check(!damaged);
    for (int i = 0; i < KeyTypeCount; ++i)
        Check(again.SoundRef(i) == scheme.SoundRef(i));
}

// A key sounds read gives a whole record of bare names in key order, or an empty one, and what
// it gives survives a save.
void ReadKeySounds(const uint8_t* data, size_t size) {
    TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    TSchemeKeySounds record;
    bool damaged = false;
    {
        TvobReader reader(stream);
        record.ReadData(reader, damaged);
    }
    if (damaged) {
        Check(record.Empty());
        return;
    }
    auto bare = [](const SoundTakes& takes) {
        Check(takes.size() <= MaxSoundTakes);
        for (const std::string& name : takes)
            Check(IsBareSoundName(name) && name.find_first_of("\\/:") == std::string::npos);
    };
    for (int type = 0; type < KeyTypeCount; ++type) {
        bare(record.TypePress[type]);
        bare(record.TypeRelease[type]);
    }
    Check(record.Keys.size() <= MaxOwnSoundKeys);
    for (size_t i = 0; i < record.Keys.size(); ++i) {
        Check(i == 0 || record.Keys[i - 1].Key < record.Keys[i].Key);
        Check(record.Find(record.Keys[i].Key) == &record.Keys[i]);
        bare(record.Keys[i].Press);
        bare(record.Keys[i].Release);
    }
    TMemoryStream copy;
    {
        TvobWriter writer(copy);
        record.WriteData(writer);
        writer.Flush();
    }
    copy.SetPosition(0);
    TSchemeKeySounds again;
    TvobReader reader(copy);
    again.ReadData(reader, damaged);
    Check(!damaged);
    Check(again.TypePress == record.TypePress && again.TypeRelease == record.TypeRelease);
    Check(again.Keys.size() == record.Keys.size());
    for (size_t i = 0; i < record.Keys.size(); ++i)
        Check(again.Keys[i].Key == record.Keys[i].Key &&
              again.Keys[i].Press == record.Keys[i].Press &&
              again.Keys[i].Release == record.Keys[i].Release);
}

bool SameSettings(const TMySetInfo& a, const TMySetInfo& b) {
    // Bit for bit: a date read from the file may be any double, NaN included.
    return a.CurrentScheme == b.CurrentScheme && a.ModeTitle() == b.ModeTitle() &&
           a.ModeNote() == b.ModeNote() && a.ModeDescription() == b.ModeDescription() &&
           a.ProgramText() == b.ProgramText() && a.ProductText() == b.ProductText() &&
           a.EnableHotKey == b.EnableHotKey && a.DisableHotKey == b.DisableHotKey &&
           std::memcmp(&a.DateStamp, &b.DateStamp, sizeof(double)) == 0;
}

TMySetInfo ReadSettingsFrom(TStream& stream, bool& damaged) {
    TMySetInfo settings;
    TvobReader reader(stream);
    settings.ReadData(reader, damaged);
    return settings;
}

// A settings read gives the nine values or the defaults of the mode, and what it gives, a
// repaired record included, survives a save.
void ReadSettings(const uint8_t* data, size_t size) {
    TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    bool damaged = false;
    TMySetInfo settings = ReadSettingsFrom(stream, damaged);
    if (damaged) {
        // The hotkeys read before the damage stay; everything else is back at its default.
        TMySetInfo defaults;
        defaults.EnableHotKey = settings.EnableHotKey;
        defaults.DisableHotKey = settings.DisableHotKey;
        Check(SameSettings(settings, defaults));
    }
    // The repair writes the record as it stands, so both paths end in a save.
    TMemoryStream copy;
    settings.SaveToStream(&copy);
    copy.SetPosition(0);
    TMySetInfo again = ReadSettingsFrom(copy, damaged);
    Check(!damaged);
    Check(SameSettings(again, settings));
}

// A sound options read gives every value within its range or the defaults, and what it gives
// survives a save.
void ReadSoundOptions(const uint8_t* data, size_t size) {
    TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    TSoundOptions options;
    bool damaged = false;
    {
        TvobReader reader(stream);
        options.ReadData(reader, damaged);
    }
    if (damaged)
        Check(options == TSoundOptions{});
    Check(options.Volume >= kMinVolume && options.Volume <= kMaxVolume);
    Check(options.StereoWidth >= 0 && options.StereoWidth <= kMaxStereoWidth);
    Check(options.PitchRange >= 0 && options.PitchRange <= kMaxPitchRange);
    Check(options.SilencePrograms.size() <= kMaxSilencePrograms);
    TMemoryStream copy;
    {
        TvobWriter writer(copy);
        options.WriteData(writer);
        writer.Flush();
    }
    copy.SetPosition(0);
    TSoundOptions again;
    TvobReader reader(copy);
    again.ReadData(reader, damaged);
    Check(!damaged);
    Check(again == options);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadMixed(data, size);
    ReadScheme(data, size);
    ReadKeySounds(data, size);
    ReadSettings(data, size);
    ReadSoundOptions(data, size);
    return 0;
}
