#pragma once
// What a scheme holds beyond its sixteen key-type sounds: for single keys, press sounds of
// their own; release sounds per key type and per key; and several takes of a sound, one of
// which each press picks. Kept in schemes\<name>.tsk beside the scheme file, in the same
// tagged values; a scheme without the file plays exactly its sixteen sounds.
//
// Keys are named by their physical place (scan code set 1 and the E0 prefix), so that a user
// with another keyboard layout hears the key that was recorded in that place.
#include "KeyTypes.h"
#include "Stream.h"
#include "vobRecord.h"

#include <array>
#include <compare>
#include <cstdint>
#include <string>
#include <vector>

struct KeyPlace {
    uint16_t Scan = 0;     // set-1 make code, without the prefix
    bool Extended = false; // sent with the E0 prefix
    auto operator<=>(const KeyPlace&) const = default;
};

// Bare file names in the scheme's folder; one of them plays per press. Empty: none.
using SoundTakes = std::vector<std::string>;

struct KeyOwnSounds {
    KeyPlace Key;
    SoundTakes Press;   // empty: the key plays its type's press sound
    SoundTakes Release; // empty: the key plays its type's release sound
};

class TSchemeKeySounds {
public:
    // Takes of a key type's press sound. They apply only while the first of them is the name
    // the scheme file gives the type: a sound chosen later (in Scheme Set, or by an older
    // version) replaces the takes with itself.
    std::array<SoundTakes, KeyTypeCount> TypePress;
    // A key type's release sound; empty is silent on release.
    std::array<SoundTakes, KeyTypeCount> TypeRelease;
    // At most one entry per key, in key order.
    std::vector<KeyOwnSounds> Keys;

    bool Empty() const;
    void Clear();
    // The key's entry, or nullptr.
    const KeyOwnSounds* Find(KeyPlace key) const;

    // What a press of a key of `type` plays when the key has no press sound of its own:
    // TypePress[type] while its first take is `schemeSound` (the name the scheme file gives
    // the type), else `schemeSound` alone; nothing when that is empty.
    SoundTakes TypePressTakes(int type, const std::string& schemeSound) const;
    // What a press and a release of the key play, the key being of `type`: its own takes, else
    // its type's. Empty: silent. A type outside 0 to 15 has no sounds.
    SoundTakes PressTakes(KeyPlace key, int type, const std::string& schemeSound) const;
    SoundTakes ReleaseTakes(KeyPlace key, int type) const;

    // Damaged data (a wrong tag, an early end, counts beyond the limits, keys out of order,
    // a name that is no bare file name) leaves the record empty and sets `damaged`; the error
    // goes no further.
    void ReadData(TvobReader& reader, bool& damaged);
    // Raises "Invalid property value", writing nothing, for what the reader would refuse:
    // keys out of order or beyond scan code 255, counts beyond the limits, names that are
    // not bare.
    void WriteData(TvobWriter& writer) const;
    // A missing or damaged file leaves the record empty: the type sounds still play.
    void LoadFromFile(const std::string& path);
    // Replaces the file whole; an empty record removes the file instead. Raises on a failed
    // write, leaving the old file as it was.
    void SaveToFile(const std::string& path) const;
};

// Limits a file must keep: more is damage, not a scheme.
constexpr size_t MaxOwnSoundKeys = 512;
constexpr size_t MaxSoundTakes = 64;

// The format number that leads the file. A later format keeps this one's values first and
// adds its own after them, so that this reader still takes what it knows; a file of an
// earlier number (0 or less) is damage.
constexpr int32_t SchemeKeySoundsFormat = 1;

// Whether a take may be joined to the scheme's folder: a plain file name in it, nothing that
// climbs out, names another folder or a stream.
bool IsBareSoundName(const std::string& name);
