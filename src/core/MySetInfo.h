#pragma once
// The settings record: the active mode, the two hotkeys, and five descriptive texts of the
// active mode kept in scrambled form. One instance lives for the whole run.
#include "Stream.h"
#include "vobRecord.h"

#include <cstdint>
#include <string>

class TMySetInfo {
public:
    // Every field at its default; the hotkeys at 0.
    TMySetInfo();

    // Leaves the two hotkeys alone: they are the user's, not the mode's.
    void SetDefaults();

    // Each stores the scrambled form of the text it is given.
    void SetModeTitle(const std::string& text);
    void SetModeNote(const std::string& text);
    void SetModeDescription(const std::string& text);
    void SetProgramText(const std::string& text);
    void SetProductText(const std::string& text);

    const std::string& ModeTitle() const { return FModeTitle; }
    const std::string& ModeNote() const { return FModeNote; }
    const std::string& ModeDescription() const { return FModeDescription; }
    const std::string& ProgramText() const { return FProgramText; }
    const std::string& ProductText() const { return FProductText; }

    // The mode changes as the tray menu and the start-up make them; the caller saves after.
    // A scheme chosen from the menu also resets the program and product texts
    // (`resetTexts`); a first scheme taken as a fallback leaves them as they are.
    void SetSchemeMode(const std::string& name, bool resetTexts);
    void SetSpeechMode();

    // The nine values in file order. Damaged data (a wrong tag, an early end) restores the
    // defaults and sets `damaged`; the error goes no further.
    void ReadData(TvobReader& reader, bool& damaged);
    // Raises "Writer Error" without a writer.
    void WriteData(TvobWriter* writer) const;

    // A missing file leaves the record as it is. Damaged data raises "My Set Error!", or with
    // `repair` is rewritten from the defaults at once. A file that exists but cannot be opened
    // raises "Cannot open file ...".
    void LoadFromFile(const std::string& path, bool repair);
    // Replaces the file whole, keeping the old file's last-write time. When the old file cannot
    // be replaced nothing is written and nothing is said.
    void SaveToFile(const std::string& path) const;
    // Raises "Stream Error" without a stream.
    void SaveToStream(TStream* stream) const;

    // "TTS" (exactly, letter case included) is speech mode; anything else names a scheme.
    std::string CurrentScheme;
    int32_t EnableHotKey = 0;
    int32_t DisableHotKey = 0;
    // Loaded and saved with the record, otherwise unused.
    double DateStamp = 0;

private:
    std::string FModeNote;
    std::string FModeDescription;
    std::string FProgramText;
    std::string FModeTitle;
    std::string FProductText;
};
