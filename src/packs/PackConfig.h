#pragma once
// A community sound pack's config.json, as far as an import needs it.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// What one key code of `defines` holds.
struct KeyDefine {
    enum class Kind { Null, Slice, File };
    Kind kind = Kind::Null;
    uint64_t startMs = 0; // a slice of the sprite
    uint64_t lengthMs = 0;
    std::string file; // a file of the pack (UTF-8, as the config holds it)
};

struct PackConfig {
    std::string name;   // UTF-8; empty when the config has none
    bool single = true; // one sprite file cut into slices, else one file per key
    int version = 1;
    std::string sound;   // the sprite (single), or version 2's fallback press sound
    std::string soundUp; // version 2's fallback release sound
    // Press sounds by key code; codes that are not a number are left out.
    std::map<uint32_t, KeyDefine> defines;
    // Release sounds ("<code>-up") by key code.
    std::map<uint32_t, KeyDefine> releases;
};

// Reads the config's text. Raises an Exception with the reason: invalid JSON (with the line
// and column where it goes wrong), a version this program does not know, or fields of the
// wrong kind.
PackConfig ParsePackConfig(std::string_view text);
