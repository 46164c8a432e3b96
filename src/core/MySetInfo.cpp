#include "MySetInfo.h"

#include "Exception.h"
#include "FileSystem.h"
#include "TextScrambler.h"

namespace {

const char kSpeechScheme[] = "TTS";
const char kSpeechTitle[] = "TTS Speak";
const char kDefaultModeNote[] = "With This Scheme, You must install Microsoft Speech engire";
const char kDefaultModeDescription[] = "Use Microsoft Speech to Speak Press Key";
const char kDefaultProgramText[] =
    "The cool program that helps you gain the pleasure from finger! It simulate typewriter or "
    "other particular sound effect when a keyboard button is pressed, or speak the letter of you "
    "pressed.";
const char kDefaultProductText[] = "Tappolo is a enhance tool for keyboard  - Make keyboard "
                                   "speaking, helps you gain pleasure from finger!";

constexpr uint16_t kModeKey = 0x00B7;
constexpr uint16_t kProgramKey = 0x00D2;
constexpr uint16_t kProductKey = 0x005B;

} // namespace

TMySetInfo::TMySetInfo() {
    SetDefaults();
}

void TMySetInfo::SetDefaults() {
    CurrentScheme = kSpeechScheme;
    SetModeTitle(kSpeechTitle);
    SetModeNote(kDefaultModeNote);
    SetModeDescription(kDefaultModeDescription);
    SetProgramText(kDefaultProgramText);
    SetProductText(kDefaultProductText);
    DateStamp = 0;
}

void TMySetInfo::SetModeTitle(const std::string& text) {
    FModeTitle = ScrambleText(text, kModeKey);
}

void TMySetInfo::SetModeNote(const std::string& text) {
    FModeNote = ScrambleText(text, kModeKey);
}

void TMySetInfo::SetModeDescription(const std::string& text) {
    FModeDescription = ScrambleText(text, kModeKey);
}

void TMySetInfo::SetProgramText(const std::string& text) {
    FProgramText = ScrambleText(text, kProgramKey);
}

void TMySetInfo::SetProductText(const std::string& text) {
    FProductText = ScrambleText(text, kProductKey);
}

void TMySetInfo::SetSchemeMode(const std::string& name, bool resetTexts) {
    CurrentScheme = name;
    SetModeTitle(name);
    SetModeNote(name + name);
    SetModeDescription(name + name);
    if (resetTexts) {
        SetProductText(kDefaultProductText);
        SetProgramText(kDefaultProgramText);
    }
}

void TMySetInfo::SetSpeechMode() {
    const std::string title = kSpeechTitle;
    CurrentScheme = kSpeechScheme;
    SetModeTitle(title);
    SetModeNote(title + title);
    SetModeDescription(title + title);
}

void TMySetInfo::ReadData(TvobReader& reader, bool& damaged) {
    damaged = false;
    try {
        FModeTitle = reader.ReadString();
        FModeNote = reader.ReadString();
        FProductText = reader.ReadString();
        EnableHotKey = reader.ReadInteger();
        DateStamp = reader.ReadDate();
        FProgramText = reader.ReadString();
        DisableHotKey = reader.ReadInteger();
        CurrentScheme = reader.ReadString();
        FModeDescription = reader.ReadString();
    } catch (const Exception&) {
        SetDefaults();
        damaged = true;
    }
}

void TMySetInfo::WriteData(TvobWriter* writer) const {
    if (writer == nullptr)
        throw Exception("Writer Error");
    writer->WriteString(FModeTitle);
    writer->WriteString(FModeNote);
    writer->WriteString(FProductText);
    writer->WriteInteger(EnableHotKey);
    writer->WriteDate(DateStamp);
    writer->WriteString(FProgramText);
    writer->WriteInteger(DisableHotKey);
    writer->WriteString(CurrentScheme);
    writer->WriteString(FModeDescription);
}

void TMySetInfo::LoadFromFile(const std::string& path, bool repair) {
    bool damaged = false;
    LoadRecordFile(path, [&](TvobReader& reader) { ReadData(reader, damaged); });
    if (!damaged)
        return;
    if (!repair)
        throw Exception("My Set Error!");
    SaveToFile(path);
}

void TMySetInfo::SaveToFile(const std::string& path) const {
    // The settings file keeps the write time it had before the save; -1 means there was no
    // file, or no time that could be read.
    double oldStamp = FileExists(path) ? GetFileStamp(path) : -1.0;
    if (!SaveRecordFile(path, [this](TvobWriter& writer) { WriteData(&writer); }))
        return;
    if (oldStamp != -1.0 && FileExists(path))
        SetFileStamp(path, oldStamp);
}

void TMySetInfo::SaveToStream(TStream* stream) const {
    SaveRecordStream(stream, [this](TvobWriter& writer) { WriteData(&writer); });
}
