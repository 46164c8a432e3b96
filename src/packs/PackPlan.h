#pragma once
// The plan of an import: which sound of the pack each of the sixteen key types gets.
#include "KeyCodes.h"
#include "PackConfig.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One sound of the pack: a whole file, or a slice of the sprite.
struct SoundSource {
    std::string file; // relative to the pack folder, as the config writes it (UTF-8)
    bool slice = false;
    uint64_t startMs = 0;
    uint64_t lengthMs = 0;

    bool operator==(const SoundSource&) const = default;
};

struct KeyTypePlan {
    std::optional<SoundSource> source; // none: the key type stays silent
    bool own = false;                  // the sound came from one of the type's own codes
    uint32_t code = 0;                 // that code
};
using PackPlan = std::array<KeyTypePlan, KeyTypeCount>;

// The sound of a key that the pack leaves silent: a slice of no length, in no file.
inline SoundSource SilentSource() {
    return {"", true, 0, 0};
}
inline bool IsSilent(const SoundSource& source) {
    return source.slice && source.lengthMs == 0;
}

// Whether a source gives a press sound: the file exists, decodes, and the slice is not empty.
using SourceUsable = std::function<bool(const SoundSource&)>;

// Each type takes the first of its codes (KeyTypeCodes) whose define gives a usable sound. A
// type that none serves takes, in a version 2 pack of files, the "sound" file; otherwise the
// Letter Keys sound. File names that would leave the pack folder are never offered to
// `usable`: they count as missing.
PackPlan PlanPack(const PackConfig& config, const SourceUsable& usable);

// The file a version 2 name stands for: "GENERIC_R{0-4}.mp3" is "GENERIC_R0.mp3", so that an
// import is reproducible. Names without a range are returned unchanged.
std::string FirstOfRange(std::string_view name);
// Every file a version 2 name stands for, FirstOfRange's first, at most MaxSoundTakes:
// "R{0-2}.mp3" is R0.mp3, R1.mp3, R2.mp3; "R{08-10}" numbers with two digits (R08, R09, R10).
std::vector<std::string> RangeFiles(std::string_view name);

// False for names that could reach outside the pack folder or stand for other files: empty,
// absolute ("/x", "\x"), with a drive or a colon anywhere, with a part of dots and blanks
// alone (".." and what Windows reads as ".." when it drops a name's end: "..." or ".. "), with
// control characters, a wildcard or another character no file name holds (* ? " < > |).
bool StaysInPack(std::string_view name);

// The longest sprite an import decodes.
constexpr uint64_t MaxSpriteMs = 10 * 60 * 1000;

// How far into the sprite the slices of the codes that name a key (KeyPlaceOfCode) reach, press
// and release, each slice cut at MaxKeySoundMs as it will be; other codes are never decoded.
uint64_t SpriteReachMs(const PackConfig& config);
