#include "KeyTypes.h"
#include "SchemeKeyEdits.h"

#include <gtest/gtest.h>

namespace {

using KeyType::Enter;
using KeyType::Letter;
using KeyType::Number;

constexpr KeyPlace Q{0x10, false}, W{0x11, false}, MainEnter{0x1C, false}, PadEnter{0x1C, true},
    A{0x1E, false}, Pad1{0x4F, false}, End{0x4F, true}, Mute{0x20, true}; // a key the picture lacks

// Each key's place, press takes and release takes, in the record's order.
using Entry = std::tuple<KeyPlace, SoundTakes, SoundTakes>;
std::vector<Entry> EntriesOf(const TSchemeKeySounds& sounds) {
    std::vector<Entry> entries;
    for (const KeyOwnSounds& key : sounds.Keys)
        entries.emplace_back(key.Key, key.Press, key.Release);
    return entries;
}

TEST(SchemeKeyEdits, OwnSoundsChosenAreOneTakeAndKeysLeftAloneKeepTheirs) {
    TSchemeKeySounds sounds;
    sounds.Keys = {{W, {"w0.wav", "w1.wav"}, {"w-up.wav"}}, {PadEnter, {"pe.wav"}, {}}};
    SetOwnPressSound(sounds, Q, "q.wav");
    SetOwnReleaseSound(sounds, End, "end-up.wav");
    SetOwnReleaseSound(sounds, MainEnter, "e-up.wav");
    EXPECT_EQ(EntriesOf(sounds), (std::vector<Entry>{{Q, {"q.wav"}, {}},
                                                     {W, {"w0.wav", "w1.wav"}, {"w-up.wav"}},
                                                     {MainEnter, {}, {"e-up.wav"}},
                                                     {PadEnter, {"pe.wav"}, {}},
                                                     {End, {}, {"end-up.wav"}}}));
    // A new press sound replaces the takes and keeps the release.
    SetOwnPressSound(sounds, W, "w.wav");
    SetOwnReleaseSound(sounds, Q, "q-up.wav");
    UseKeyTypeSounds(sounds, PadEnter);
    UseKeyTypeSounds(sounds, A);
    EXPECT_EQ(EntriesOf(sounds), (std::vector<Entry>{{Q, {"q.wav"}, {"q-up.wav"}},
                                                     {W, {"w.wav"}, {"w-up.wav"}},
                                                     {MainEnter, {}, {"e-up.wav"}},
                                                     {End, {}, {"end-up.wav"}}}));
    EXPECT_TRUE(HasOwnSound(sounds, MainEnter)) << "a release of its own marks the key";
    EXPECT_FALSE(HasOwnSound(sounds, PadEnter));
}

TEST(SchemeKeyEdits, ANewTypeSoundConcernsThePictureKeysOfThatTypeWithPressSoundsOfTheirOwn) {
    TSchemeKeySounds sounds;
    sounds.Keys = {{Q, {"q.wav"}, {"q-up.wav"}}, {W, {"w.wav"}, {}},    {MainEnter, {"e.wav"}, {}},
                   {PadEnter, {"pe.wav"}, {}},   {A, {}, {"a-up.wav"}}, {Mute, {"m.wav"}, {}},
                   {Pad1, {"p1.wav"}, {}}};
    EXPECT_EQ(KeysWithOwnPress(sounds, Letter), (std::vector<KeyPlace>{Q, W}));
    EXPECT_EQ(KeysWithOwnPress(sounds, Enter), (std::vector<KeyPlace>{MainEnter, PadEnter}));
    EXPECT_EQ(KeysWithOwnPress(sounds, Number), (std::vector<KeyPlace>{Pad1}));
    DropOwnPress(sounds, KeysWithOwnPress(sounds, Letter));
    EXPECT_EQ(EntriesOf(sounds), (std::vector<Entry>{{Q, {}, {"q-up.wav"}},
                                                     {MainEnter, {"e.wav"}, {}},
                                                     {PadEnter, {"pe.wav"}, {}},
                                                     {A, {}, {"a-up.wav"}},
                                                     {Mute, {"m.wav"}, {}},
                                                     {Pad1, {"p1.wav"}, {}}}));

    // Imported takes of the type stay while they start with the chosen sound.
    sounds.TypePress[Letter] = {"a.wav", "a-2.wav"};
    TypeSoundChosen(sounds, Letter, "a.wav");
    EXPECT_EQ(sounds.TypePress[Letter], (SoundTakes{"a.wav", "a-2.wav"}));
    TypeSoundChosen(sounds, Letter, "b.wav");
    EXPECT_TRUE(sounds.TypePress[Letter].empty());

    // A key with a release sound of its own only shows its type's press sound.
    sounds.TypeRelease[Letter] = {"up.wav"};
    const ShownSounds a = ShownSoundsOf(sounds, Letter, "b.wav", A);
    EXPECT_EQ(a.Press + "|" + a.Release, "b.wav|a-up.wav");
}

} // namespace
