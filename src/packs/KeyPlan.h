#pragma once
// The plan of what an import keeps beyond the sixteen key-type sounds: each key's own press and
// release sounds, the key types' release sounds, and every take of a version 2 range.
#include "PackPlan.h"
#include "SchemeKeySounds.h"

#include <array>
#include <cstdint>
#include <vector>

// The takes of one sound, in the order a range numbers them; empty: none.
using SourceTakes = std::vector<SoundSource>;

struct KeySoundsPlan {
    KeyPlace key;
    SourceTakes press;        // empty: the key plays its type's press sound
    uint32_t pressCode = 0;   // the code whose define gave it; 0 for version 2's "sound"
    SourceTakes release;      // empty: the key plays its type's release sound
    uint32_t releaseCode = 0; // the code whose "-up" gave it; 0 for version 2's "soundup"
};

struct PackKeysPlan {
    // Each type's press takes, the type plan's source first (empty for a silent type), and its
    // release takes.
    std::array<SourceTakes, KeyTypeCount> typePress;
    std::array<SourceTakes, KeyTypeCount> typeRelease;
    // The code whose "-up" gave the type its release sound; 0 for a fallback.
    std::array<uint32_t, KeyTypeCount> typeReleaseCode{};
    // The keys with a sound of their own, in key order.
    std::vector<KeySoundsPlan> keys;
    // Version 2's "sound" and "soundup" takes, as keys without their own take them.
    SourceTakes fallbackPress;
    SourceTakes fallbackRelease;
};

// A key takes the first of its codes (KeyPlaceCodes) whose define gives a usable sound, press and
// release alike, or silence (SilentSource) where that define leaves the key silent: a slice of
// no length, or null in version 1; in a version 2 pack a key without one takes "sound" (in a
// pack of files) and "soundup". A type's release sound comes from the first of its codes
// (KeyTypeCodes) with a usable "-up", else from "soundup" in version 2, else it is the Letter
// Keys' release sound. Every code of the type tables, and every code of the pack that names a
// key, is planned. Version 2 ranges give a take for each of their files that is usable. `types` is
// PlanPack's plan of the same config and `usable` the test it was made with.
PackKeysPlan PlanPackKeys(const PackConfig& config, const PackPlan& types,
                          const SourceUsable& usable);
