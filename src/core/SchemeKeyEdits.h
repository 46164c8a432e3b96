#pragma once
// How Scheme Set changes a scheme's per-key sounds, and what it shows and plays for a key type
// or a key of its keyboard picture. A sound chosen there for a key is one take; keys the user
// leaves alone keep what they have (an imported key its several takes).
#include "SchemeKeySounds.h"

#include <optional>
#include <string>
#include <vector>

// Whether the key plays a sound of its own, on press or on release: its panel is marked.
bool HasOwnSound(const TSchemeKeySounds& sounds, KeyPlace key);

// The key plays `name` (a bare name in the scheme's folder) on press, or on release; what it
// has for the other of the two stays.
void SetOwnPressSound(TSchemeKeySounds& sounds, KeyPlace key, const std::string& name);
void SetOwnReleaseSound(TSchemeKeySounds& sounds, KeyPlace key, const std::string& name);
// The key plays its type's sounds again, on press and on release.
void UseKeyTypeSounds(TSchemeKeySounds& sounds, KeyPlace key);

// The keys of the picture's panels of `type` that have press sounds of their own, in panel
// order.
std::vector<KeyPlace> KeysWithOwnPress(const TSchemeKeySounds& sounds, int type);
// The keys play their type's press sound again; their own release sounds stay.
void DropOwnPress(TSchemeKeySounds& sounds, const std::vector<KeyPlace>& keys);

// The scheme file now gives the type `name`: press takes that began with another sound are
// gone (they would no longer apply).
void TypeSoundChosen(TSchemeKeySounds& sounds, int type, const std::string& name);
// The type's release sound, one take; an empty name leaves the type silent on release.
void SetTypeReleaseSound(TSchemeKeySounds& sounds, int type, const std::string& name);

// The names the dialog shows and Test Sound plays, empty for silence: for a key (given when
// the user picked a key with a sound of its own) what that key plays, else the type's sounds.
// Of several takes the first.
struct ShownSounds {
    std::string Press;
    std::string Release;
};
ShownSounds ShownSoundsOf(const TSchemeKeySounds& sounds, int type, const std::string& typeSound,
                          std::optional<KeyPlace> key);
