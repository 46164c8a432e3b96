// What an import keeps of each key: its own press and release sounds, the types' release
// sounds, version 2's fallbacks and every take of a range.
#include "KeyPlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Files = std::vector<std::string>;

Files FilesOf(const SourceTakes& takes) {
    Files files;
    for (const SoundSource& take : takes)
        files.push_back(take.file);
    return files;
}

const KeySoundsPlan* KeyOf(const PackKeysPlan& plan, KeyPlace key) {
    auto found = std::find_if(plan.keys.begin(), plan.keys.end(),
                              [&](const KeySoundsPlan& k) { return k.key == key; });
    return found == plan.keys.end() ? nullptr : &*found;
}

PackKeysPlan Plan(const std::string& config, const SourceUsable& usable) {
    PackConfig parsed = ParsePackConfig(config);
    return PlanPackKeys(parsed, PlanPack(parsed, usable), usable);
}

} // namespace

TEST(KeyCodes, PackCodesNameTheKeysPhysicalPlace) {
    const std::pair<uint32_t, KeyPlace> places[] = {
        {1, {1, false}},       {30, {30, false}},     {83, {83, false}},     // Esc, A, keypad .
        {3612, {28, true}},    {3597, {13, true}},    {3675, {0x5B, true}},  // keypad Enter, =, Win
        {57416, {0x48, true}}, {57424, {0x50, true}},                        // Up, Down
        {61000, {0x48, true}}, {60999, {0x47, true}}, {61011, {0x53, true}}, // aliases
        {91, {0x64, false}},   {93, {0x66, false}},                          // F13, F15
    };
    for (const auto& [code, place] : places)
        EXPECT_EQ(KeyPlaceOfCode(code), place) << code;
    for (uint32_t code : {0u, 3584u, 256u, 9999u, 0xE100u, 70000u, 100u, 102u})
        EXPECT_FALSE(KeyPlaceOfCode(code)) << code;
    EXPECT_EQ(KeyPlaceCodes({0x47, true}), (std::array<uint32_t, 3>{3655, 57415, 60999}));
    EXPECT_EQ(KeyPlaceCodes({0x65, false}), (std::array<uint32_t, 3>{92, 0, 0})) << "F14";
    EXPECT_EQ(KeyPlaceCodes({0x5C, false}), (std::array<uint32_t, 3>{})) << "no key sends it";
}

TEST(KeyPlan, RangesGiveEveryFileInNumberOrder) {
    EXPECT_EQ(RangeFiles("R{0-2}.mp3"), (Files{"R0.mp3", "R1.mp3", "R2.mp3"}));
    EXPECT_EQ(RangeFiles("x{3-1}"), (Files{"x1", "x2", "x3"}));
    EXPECT_EQ(RangeFiles("{08-10}.wav"), (Files{"08.wav", "09.wav", "10.wav"}));
    EXPECT_EQ(RangeFiles("plain{a-2}.wav"), Files{"plain{a-2}.wav"});
    EXPECT_EQ(RangeFiles("R{0-99999}.wav").size(), MaxSoundTakes);
    EXPECT_EQ(RangeFiles("R{0-9999999999}.wav"), Files{"R0.wav"});
}

TEST(KeyPlan, Version1KeysKeepTheirOwnPressAndReleaseAndTypesTheFirstRelease) {
    PackKeysPlan plan = Plan(R"({"key_define_type": "multi", "defines": {
        "30": "a.wav", "30-up": "a-up.wav", "31": "s.wav", "28-up": "enter-up.wav",
        "3655": "home.wav", "60999": "home alias.wav", "61001": "pgup alias.wav",
        "57": null, "14": "missing.wav", "9999": "x.wav"}})",
                             [](const SoundSource& s) { return s.file != "missing.wav"; });
    std::vector<KeyPlace> keys;
    for (const KeySoundsPlan& key : plan.keys)
        keys.push_back(key.key);
    // In key order; an unusable file and a code of no key give nothing of their own, a null
    // gives silence (the key is silent where the pack was made).
    EXPECT_EQ(keys,
              (std::vector<KeyPlace>{
                  {28, false}, {30, false}, {31, false}, {57, false}, {0x47, true}, {0x49, true}}));
    EXPECT_EQ(KeyOf(plan, {57, false})->press, SourceTakes{SilentSource()});
    EXPECT_EQ(FilesOf(KeyOf(plan, {57, false})->release), Files{});
    EXPECT_EQ(FilesOf(KeyOf(plan, {28, false})->press), Files{});
    EXPECT_EQ(FilesOf(KeyOf(plan, {28, false})->release), Files{"enter-up.wav"});
    EXPECT_EQ(FilesOf(KeyOf(plan, {30, false})->release), Files{"a-up.wav"});
    EXPECT_EQ(KeyOf(plan, {30, false})->releaseCode, 30u);
    EXPECT_EQ(FilesOf(KeyOf(plan, {31, false})->release), Files{});
    // The alias only where the standard code is missing.
    EXPECT_EQ(FilesOf(KeyOf(plan, {0x47, true})->press), Files{"home.wav"});
    EXPECT_EQ(KeyOf(plan, {0x49, true})->pressCode, 61001u);
    // Letter Keys release with A's; Enter with its own; the rest take the Letter Keys'.
    EXPECT_EQ(FilesOf(plan.typeRelease[KeyType::Letter]), Files{"a-up.wav"});
    EXPECT_EQ(FilesOf(plan.typeRelease[KeyType::Enter]), Files{"enter-up.wav"});
    EXPECT_EQ(FilesOf(plan.typeRelease[KeyType::Tab]), Files{"a-up.wav"});
    EXPECT_EQ(FilesOf(plan.typePress[KeyType::Space]), Files{"a.wav"});
}

TEST(KeyPlan, Version2FallbacksReachEveryKeyWithoutItsOwnAndRangesAreTakes) {
    PackKeysPlan plan = Plan(R"({"version": 2, "key_define_type": "multi",
        "sound": "R{0-2}.wav", "soundup": "U{1-2}.wav", "defines": {
        "57": "SPACE{3-1}.wav", "30": "a.wav", "30-up": "a-up.wav", "28": null, "31-up": null}})",
                             [](const SoundSource& s) { return s.file != "R1.wav"; });
    const Files fallback = {"R0.wav", "R2.wav"}; // R1 is not usable
    const Files fallbackUp = {"U1.wav", "U2.wav"};
    EXPECT_EQ(FilesOf(KeyOf(plan, {57, false})->press),
              (Files{"SPACE1.wav", "SPACE2.wav", "SPACE3.wav"}));
    EXPECT_EQ(FilesOf(KeyOf(plan, {57, false})->release), fallbackUp);
    EXPECT_EQ(FilesOf(KeyOf(plan, {30, false})->release), Files{"a-up.wav"});
    EXPECT_EQ(FilesOf(KeyOf(plan, {28, false})->press), fallback);
    EXPECT_EQ(FilesOf(KeyOf(plan, {31, false})->release), fallbackUp);
    // Keys the pack does not name at all, such as Esc, take both fallbacks: the 107 keys of
    // the type tables are all there.
    EXPECT_EQ(FilesOf(KeyOf(plan, {1, false})->press), fallback);
    EXPECT_EQ(FilesOf(KeyOf(plan, {1, false})->release), fallbackUp);
    EXPECT_EQ(plan.keys.size(), 107u);

    EXPECT_EQ(FilesOf(plan.typePress[KeyType::Space]),
              (Files{"SPACE1.wav", "SPACE2.wav", "SPACE3.wav"}));
    EXPECT_EQ(FilesOf(plan.typePress[KeyType::Enter]), fallback);
    EXPECT_EQ(FilesOf(plan.typeRelease[KeyType::Space]), fallbackUp);
}

TEST(KeyPlan, SpriteReleasesAreSlicesAndEmptySlicesAreSilent) {
    const std::string config = R"({"sound": "s.ogg", "defines": {"30": [0, 50],
        "30-up": [50, 40], "57": [100, 0], "57-up": [200, 30], "9999-up": [90000, 5]}})";
    PackKeysPlan plan =
        Plan(config, [](const SoundSource& s) { return !s.slice || s.lengthMs > 0; });
    const SoundSource press{"s.ogg", true, 0, 50};
    const SoundSource letterUp{"s.ogg", true, 50, 40};
    const SoundSource spaceUp{"s.ogg", true, 200, 30};
    ASSERT_EQ(plan.keys.size(), 2u);
    EXPECT_EQ(plan.keys[0].press, SourceTakes{press});
    EXPECT_EQ(plan.keys[0].release, SourceTakes{letterUp});
    EXPECT_EQ(plan.keys[1].press, SourceTakes{SilentSource()});
    EXPECT_EQ(plan.keys[1].release, SourceTakes{spaceUp});
    // Space's empty press slice: the Letter Keys' sound, as today.
    EXPECT_EQ(plan.typePress[KeyType::Space], SourceTakes{press});
    EXPECT_EQ(plan.typeRelease[KeyType::Space], SourceTakes{spaceUp});
    EXPECT_EQ(plan.typeRelease[KeyType::Esc], SourceTakes{letterUp});
    // The sprite is decoded as far as every key's slice reaches, releases included.
    EXPECT_EQ(SpriteReachMs(ParsePackConfig(config)), 230u);
}
