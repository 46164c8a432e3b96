#pragma once
// The sound options of the Sound Options dialog: volume, stereo by key position, pitch
// variation, release sounds, held keys, the output device and when the keys stay silent. Kept
// in a record file of their own beside the settings file (SoundOptionsFilePath), so that the
// settings file keeps its nine values and older versions still read it.
#include "vobRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int kMinVolume = 0, kMaxVolume = 200;
constexpr int kMaxStereoWidth = 100;
// Tenths of a semitone: 0 to 3 semitones either way.
constexpr int kMaxPitchRange = 30;
// More programs than this in a file is damage, not a list anybody made.
constexpr size_t kMaxSilencePrograms = 256;
// The layout this version writes; a later version only appends values to it.
constexpr int32_t kSoundOptionsFormat = 1;

struct TSoundOptions {
    // Percent of the recorded level; 100 plays the sounds exactly as recorded.
    int Volume = 100;
    // Each key panned by its place on the keyboard picture, `StereoWidth` percent of the way
    // to fully left and right.
    bool StereoByPosition = false;
    int StereoWidth = 100;
    // Each press takes a random pitch up to `PitchRange` tenths of a semitone either way; with
    // `SamePitchPerKey` a key always takes the same one.
    bool Variation = false;
    int PitchRange = 10;
    bool SamePitchPerKey = false;
    bool ReleaseSounds = true;
    // False: one sound per press; true: a sound at every auto-repeat of a held key too.
    bool SoundOnRepeat = false;
    // The render endpoint's ID and its name when it was chosen; an empty ID follows Windows'
    // default device.
    std::string DeviceId;
    std::string DeviceName;
    bool SilenceFullScreen = true;
    bool SilenceListed = true;
    // Image file names ("game.exe"), compared without regard to letter case.
    std::vector<std::string> SilencePrograms;

    bool operator==(const TSoundOptions&) const = default;

    // The values in file order. Damaged data (a wrong tag, an early end, a value out of its
    // range, a list too long) gives the defaults and sets `damaged`; the error goes no further.
    void ReadData(TvobReader& reader, bool& damaged);
    void WriteData(TvobWriter& writer) const;
};

// What a key message from the hook asks for under the options: a key-down that repeats while
// the key is held sounds only with `SoundOnRepeat`, a release only with `ReleaseSounds`.
enum class TKeyAction { Ignore, Press, Release };
TKeyAction KeyMessageAction(bool release, bool repeat, const TSoundOptions& options);

// The options of the file, or the defaults when it is missing, damaged or cannot be read.
TSoundOptions LoadSoundOptions(const std::string& path);
// Replaces the file whole; false when the old file could not be replaced (nothing written).
// A write that fails raises, leaving the old file as it was.
bool SaveSoundOptions(const std::string& path, const TSoundOptions& options);

// The file-name part of a path ("C:\Games\Game.EXE" -> "Game.EXE").
std::string_view ImageFileName(std::string_view path);
// Whether two image names (or paths: only their file names count) name the same program:
// equal but for ASCII letter case.
bool SameProgramName(std::string_view a, std::string_view b);
// The file names of image paths, each name once (in any letter case), sorted without regard to
// letter case: what the dialog offers to add.
std::vector<std::string> DistinctProgramNames(const std::vector<std::string>& paths);
// Adds a program to the list unless one of that name is there; false when it was.
bool AddSilenceProgram(std::vector<std::string>& list, std::string_view path);
