#include "ModeChoice.h"

#include "NameRules.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using Captions = std::vector<std::string>;

bool IgnoringAsciiCase(std::string_view a, std::string_view b) {
    return SameName(a, b);
}

bool Exactly(std::string_view a, std::string_view b) {
    return a == b;
}

// (item, save, load, no-scheme box, end)
using Outcome = std::tuple<int, bool, bool, bool, bool>;

Outcome AtStart(std::string_view stored, const Captions& captions, bool engine,
                TSameCaption same = &IgnoringAsciiCase) {
    TModeChoice c = ChooseMode(TModeOccasion::StartUp, stored, captions, engine, same);
    return {c.Item, c.Save, c.LoadScheme, c.NoScheme, c.End};
}

Outcome SpeechPicked(const Captions& captions, bool engine) {
    TModeChoice c =
        ChooseMode(TModeOccasion::SpeechPicked, "TTS", captions, engine, &IgnoringAsciiCase);
    return {c.Item, c.Save, c.LoadScheme, c.NoScheme, c.End};
}

const Outcome kSpeech{0, false, false, false, false};
const Outcome kFirstSchemeSaved{1, true, true, false, false};
const Outcome kNoSchemeEnd{-1, false, false, true, true};

} // namespace

TEST(ModeChoice, SpeechModeAtStartNeedsAnEngineElseTheFirstSchemeElseTheProgramEnds) {
    EXPECT_EQ(AtStart("TTS", {"Alpha", "Fight"}, true), kSpeech);
    EXPECT_EQ(AtStart("TTS", {}, true), kSpeech);
    EXPECT_EQ(AtStart("TTS", {"Alpha", "Fight"}, false), kFirstSchemeSaved);
    EXPECT_EQ(AtStart("TTS", {}, false), kNoSchemeEnd);
}

TEST(ModeChoice, AStoredSchemeIsFoundByItsCaptionElseTheFirstSchemeIsTaken) {
    // Found: loaded and checked, nothing saved; an engine plays no part.
    EXPECT_EQ(AtStart("Fight", {"Alpha", "Fight"}, true), Outcome(2, false, true, false, false));
    EXPECT_EQ(AtStart("fIGHT", {"Alpha", "Fight"}, false), Outcome(2, false, true, false, false));
    EXPECT_EQ(AtStart("Fi&ght", {"Alpha", "&Fight"}, false), Outcome(2, false, true, false, false));
    EXPECT_EQ(AtStart("Same", {"same", "SAME"}, false), Outcome(1, false, true, false, false));
    // The letter case rule is the caller's.
    EXPECT_EQ(AtStart("fight", {"Alpha", "Fight"}, false, &Exactly), kFirstSchemeSaved);

    EXPECT_EQ(AtStart("Gone", {"Beta", "Alpha"}, true), kFirstSchemeSaved);
    EXPECT_EQ(AtStart("Gone", {}, true), kNoSchemeEnd);
    // "TTS Speak" at position 0 is no scheme, and only "TTS" exactly is speech mode.
    EXPECT_EQ(AtStart("TTS Speak", {"Alpha"}, true), kFirstSchemeSaved);
    EXPECT_EQ(AtStart("tts", {"Alpha", "tts"}, true), Outcome(2, false, true, false, false));
    EXPECT_EQ(AtStart("tts", {}, true), kNoSchemeEnd);
}

TEST(ModeChoice, SpeechPickedWithoutAnEngineTakesTheFirstSchemeOrGoesOnSilently) {
    EXPECT_EQ(SpeechPicked({"Alpha", "Fight"}, true), kSpeech);
    EXPECT_EQ(SpeechPicked({"Alpha", "Fight"}, false), kFirstSchemeSaved);
    EXPECT_EQ(SpeechPicked({}, false), Outcome(0, false, false, true, false));
}
