#include "SchemeKeyEdits.h"

#include "KeyPanelKeys.h"

#include <algorithm>

namespace {

// The key's entry, made in its place in key order when it has none.
KeyOwnSounds& EntryOf(TSchemeKeySounds& sounds, KeyPlace key) {
    auto at = std::lower_bound(sounds.Keys.begin(), sounds.Keys.end(), key,
                               [](const KeyOwnSounds& a, KeyPlace b) { return a.Key < b; });
    if (at == sounds.Keys.end() || at->Key != key)
        at = sounds.Keys.insert(at, KeyOwnSounds{key, {}, {}});
    return *at;
}

void DropEmptyEntries(TSchemeKeySounds& sounds) {
    std::erase_if(sounds.Keys,
                  [](const KeyOwnSounds& k) { return k.Press.empty() && k.Release.empty(); });
}

std::string FirstOf(const SoundTakes& takes) {
    return takes.empty() ? std::string() : takes.front();
}

bool IsType(int type) {
    return type >= 0 && type < KeyTypeCount;
}

} // namespace

bool HasOwnSound(const TSchemeKeySounds& sounds, KeyPlace key) {
    const KeyOwnSounds* own = sounds.Find(key);
    return own != nullptr && (!own->Press.empty() || !own->Release.empty());
}

void SetOwnPressSound(TSchemeKeySounds& sounds, KeyPlace key, const std::string& name) {
    EntryOf(sounds, key).Press = {name};
}

void SetOwnReleaseSound(TSchemeKeySounds& sounds, KeyPlace key, const std::string& name) {
    EntryOf(sounds, key).Release = {name};
}

void UseKeyTypeSounds(TSchemeKeySounds& sounds, KeyPlace key) {
    std::erase_if(sounds.Keys, [key](const KeyOwnSounds& k) { return k.Key == key; });
}

std::vector<KeyPlace> KeysWithOwnPress(const TSchemeKeySounds& sounds, int type) {
    std::vector<KeyPlace> keys;
    for (std::size_t i = 0; i < KeyPanelCount; ++i) {
        if (KeyPanels[i].KeyType != type)
            continue;
        const KeyOwnSounds* own = sounds.Find(KeyPanelKeys[i].Place);
        if (own != nullptr && !own->Press.empty())
            keys.push_back(own->Key);
    }
    return keys;
}

void DropOwnPress(TSchemeKeySounds& sounds, const std::vector<KeyPlace>& keys) {
    for (KeyOwnSounds& own : sounds.Keys)
        if (std::find(keys.begin(), keys.end(), own.Key) != keys.end())
            own.Press.clear();
    DropEmptyEntries(sounds);
}

void TypeSoundChosen(TSchemeKeySounds& sounds, int type, const std::string& name) {
    if (!IsType(type))
        return;
    SoundTakes& takes = sounds.TypePress[static_cast<std::size_t>(type)];
    if (FirstOf(takes) != name)
        takes.clear();
}

void SetTypeReleaseSound(TSchemeKeySounds& sounds, int type, const std::string& name) {
    if (!IsType(type))
        return;
    SoundTakes& takes = sounds.TypeRelease[static_cast<std::size_t>(type)];
    takes.clear();
    if (!name.empty())
        takes.push_back(name);
}

ShownSounds ShownSoundsOf(const TSchemeKeySounds& sounds, int type, const std::string& typeSound,
                          std::optional<KeyPlace> key) {
    if (!IsType(type))
        return {};
    if (key)
        return {FirstOf(sounds.PressTakes(*key, type, typeSound)),
                FirstOf(sounds.ReleaseTakes(*key, type))};
    return {typeSound, FirstOf(sounds.TypeRelease[static_cast<std::size_t>(type)])};
}
