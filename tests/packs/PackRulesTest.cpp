#include "Exception.h"
#include "ImportCommand.h"
#include "KeyCodes.h"
#include "PackConfig.h"
#include "PackName.h"
#include "PackPlan.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

PackConfig RealConfig(const std::string& pack) {
    return ParsePackConfig(
        ReadText(std::string(TAPPOLO_SHARED_PACKS) + "/" + pack + "/config.json"));
}

std::string ConfigError(std::string_view text) {
    try {
        ParsePackConfig(text);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(read)";
}

std::vector<uint32_t> ChosenCodes(const PackPlan& plan) {
    std::vector<uint32_t> codes;
    for (const KeyTypePlan& type : plan)
        codes.push_back(type.own ? type.code : 0);
    return codes;
}

bool AllUsable(const SoundSource&) {
    return true;
}

} // namespace

TEST(PackConfig, ReadsTheRealConfigs) {
    PackConfig oreo = RealConfig("eg-oreo");
    EXPECT_EQ(oreo.name, "EG Oreo");
    EXPECT_TRUE(oreo.single);
    EXPECT_EQ(oreo.version, 1);
    EXPECT_EQ(oreo.sound, "oreo.ogg");
    EXPECT_EQ(oreo.defines.size(), 118u);
    EXPECT_EQ(oreo.defines.at(28).kind, KeyDefine::Kind::Slice);
    EXPECT_EQ(oreo.defines.at(28).startMs, 14603u);
    EXPECT_EQ(oreo.defines.at(28).lengthMs, 116u);
    EXPECT_EQ(oreo.defines.at(3597).kind, KeyDefine::Kind::Null);

    PackConfig cream = RealConfig("nk-cream");
    EXPECT_EQ(cream.name, "NK Cream (original by Ryan)");
    EXPECT_FALSE(cream.single);
    EXPECT_EQ(cream.defines.at(58).file, "caps lock.wav");
    EXPECT_EQ(cream.defines.at(12).file, "[.wav");
}

TEST(PackConfig, ReportsWhereJsonGoesWrongAndWhatItDoesNotKnow) {
    // A trailing comma on line 3: the parser stops at the closing brace.
    EXPECT_EQ(ConfigError("{\n  \"defines\": {\"1\": \"a.wav\"},\n  \"name\": \"x\",\n}"),
              "config.json is not valid JSON (line 4, column 1)");
    EXPECT_EQ(ConfigError("{\"defines\": {\"1\": [0, 10]]}"),
              "config.json is not valid JSON (line 1, column 26)");
    EXPECT_EQ(ConfigError("{\"defines\": {\"1\": [0, 1e999]}}"),
              "config.json is not valid JSON (a number too large)");
    EXPECT_EQ(ConfigError("{\"version\": 3, \"defines\": {}}"),
              "The pack's version 3 is not one this program knows");
    EXPECT_EQ(ConfigError("[1, 2]"), "config.json does not describe a sound pack");
    EXPECT_EQ(ConfigError("{\"name\": \"x\"}"), "config.json has no \"defines\"");

    // "multiple" and anything else but "single" is one file per key; release sounds, codes
    // that are not numbers and values of the wrong kind are no press sounds.
    PackConfig multi = ParsePackConfig(
        R"({"key_define_type": "multiple", "version": 2, "defines": {"30": "a.wav",
            "30-up": "a-up.wav", "mouse1": "m.wav", "31": [1, 2], "32": null}})");
    EXPECT_FALSE(multi.single);
    EXPECT_EQ(multi.version, 2);
    EXPECT_EQ(multi.defines.size(), 3u);
    EXPECT_EQ(multi.defines.at(30).file, "a.wav");
    EXPECT_EQ(multi.defines.at(31).kind, KeyDefine::Kind::Null);
}

TEST(PackPlan, EachTypeTakesItsFirstUsableCodeInTableOrder) {
    // Page Up, Caps Lock, Number, NumLock, Function, Delete, Arrow, Enter, Page Down,
    // BackSpace, Ctrl, Tab, Letter, Space, Esc, Other.
    std::vector<uint32_t> expected = {3657, 58, 2,  69, 59, 3667, 57416, 28,
                                      3665, 14, 29, 15, 30, 57,   1,     51};
    PackPlan oreo = PlanPack(RealConfig("eg-oreo"), AllUsable);
    EXPECT_EQ(ChosenCodes(oreo), expected);
    EXPECT_EQ(oreo[7].source, (SoundSource{"oreo.ogg", true, 14603, 116}));

    PackPlan cream = PlanPack(RealConfig("nk-cream"), AllUsable);
    EXPECT_EQ(ChosenCodes(cream), expected);
    EXPECT_EQ(cream[1].source->file, "caps lock.wav");
    EXPECT_EQ(cream[6].source->file, "g.wav");

    // Page Up's standard code and its alias both unusable: the Letter sound; the digits of
    // the main block unusable: the next code of the table.
    PackPlan partial = PlanPack(RealConfig("nk-cream"), [](const SoundSource& s) {
        return s.file != "k.wav" && s.file != "w.wav" && s.file != "e.wav" && s.file != "r.wav" &&
               s.file != "t.wav" && s.file != "y.wav" && s.file != "u.wav" && s.file != "i.wav" &&
               s.file != "o.wav" && s.file != "p.wav" && s.file != "q.wav";
    });
    EXPECT_EQ(partial[0].own, false); // 3657 and 61001 are both k.wav
    EXPECT_EQ(partial[0].source->file, "a.wav");
    EXPECT_EQ(partial[2].code, 79u); // after 1 ... 0 comes keypad 1 (b.wav), not keypad 4
}

TEST(PackPlan, FallsBackToTheVersion2SoundElseTheLetterSound) {
    std::string v1 = R"({"key_define_type": "multi", "defines": {"30": "letter.wav", "57": null,
                         "28": "../outside.wav", "14": "C:\\x.wav", "1": "/abs.wav"}})";
    PackPlan plan = PlanPack(ParsePackConfig(v1), AllUsable);
    std::set<size_t> own;
    for (size_t i = 0; i < plan.size(); ++i) {
        if (plan[i].own)
            own.insert(i);
        ASSERT_TRUE(plan[i].source.has_value());
        EXPECT_EQ(plan[i].source->file, "letter.wav") << i;
    }
    EXPECT_EQ(own, std::set<size_t>{12});

    std::string v2 = R"({"version": 2, "key_define_type": "multi", "sound": "GENERIC_R{0-4}.mp3",
                         "defines": {"30": "a.wav", "57": "SPACE{3-1}.mp3"}})";
    plan = PlanPack(ParsePackConfig(v2), AllUsable);
    EXPECT_EQ(plan[13].source->file, "SPACE1.mp3");
    EXPECT_EQ(plan[12].source->file, "a.wav");
    EXPECT_EQ(plan[7].source->file, "GENERIC_R0.mp3");
    EXPECT_FALSE(plan[7].own);

    // Nothing usable for Letter Keys in version 1: the other types stay silent too.
    plan = PlanPack(ParsePackConfig(v1), [](const SoundSource&) { return false; });
    for (const KeyTypePlan& type : plan)
        EXPECT_FALSE(type.source.has_value());
}

TEST(PackPlan, FileNamesThatLeaveThePackAreNeverOffered) {
    for (const char* bad : {"",
                            "..",
                            "../a.wav",
                            "a/../../b.wav",
                            "sub\\..\\..\\c.wav",
                            "/etc/x",
                            "\\\\server\\x.wav",
                            "C:x.wav",
                            "D:\\x.wav",
                            "a.wav:stream",
                            "a\tb.wav",
                            "*.wav",
                            "a?.wav",
                            "a<b.wav",
                            "a>b.wav",
                            "a\"b.wav",
                            "a|b.wav",
                            "a/.../b.wav",
                            ".. /x.wav",
                            "x\\. .\\y.wav"})
        EXPECT_FALSE(StaysInPack(bad)) << bad;
    for (const char* good :
         {"a.wav", "press/ENTER.mp3", "caps lock.wav", "[.wav", "x..y.wav", "./a.wav"})
        EXPECT_TRUE(StaysInPack(good)) << good;
    EXPECT_EQ(FirstOfRange("R{0-4}.mp3"), "R0.mp3");
    EXPECT_EQ(FirstOfRange("R{10-9}.mp3"), "R9.mp3");
    EXPECT_EQ(FirstOfRange("R{a-4}.mp3"), "R{a-4}.mp3");
    EXPECT_EQ(FirstOfRange("plain.wav"), "plain.wav");
}

TEST(PackPlan, SpriteReachCountsOnlyTheCodesThatNameAKey) {
    PackConfig config = ParsePackConfig(R"({"defines": {"30": [1000, 100], "28": [5000, 5000],
        "9999": [36000000, 100], "70000": [20000000, 10]}})");
    EXPECT_EQ(SpriteReachMs(config), 7000u); // Enter's slice cut at 2 s
    EXPECT_EQ(SpriteReachMs(ParsePackConfig(R"({"defines": {"9999": [1, 2]}})")), 0u);
}

TEST(PackName, CleansCutsAndAvoidsTakenNames) {
    std::string dir = "C:\\Tappolo\\";
    EXPECT_EQ(ImportedSchemeName("NK Cream (original by Ryan)", "nk-cream", {}, dir),
              "NK Cream (original by Ryan)");
    EXPECT_EQ(ImportedSchemeName("  a\"b*c/d:e<f>g?h\\i|j  ", "f", {}, dir), "abcdefghij");
    EXPECT_EQ(ImportedSchemeName("", "  Folder Name ", {}, dir), "Folder Name");
    EXPECT_EQ(ImportedSchemeName("   ", "old-pack", {}, dir), "old-pack");
    EXPECT_EQ(ImportedSchemeName("   ", "~1", {}, dir), "Imported pack");
    // Cut to 40 characters, the blank left at the cut trimmed.
    EXPECT_EQ(ImportedSchemeName("012345678901234567890123456789012345678 abc", "f", {}, dir),
              "012345678901234567890123456789012345678");
    // Characters the code page does not hold exactly are left out; when nothing is left the
    // folder's name (UTF-8 too) is tried.
    EXPECT_EQ(ImportedSchemeName("Caf\xC3\xA9 \xE2\x98\x95", "f", {}, dir), "Caf\xE9");
    EXPECT_EQ(ImportedSchemeName("???", "folder", {}, dir), "folder");
    EXPECT_EQ(ImportedSchemeName("\xE6\x97\xA5\xE6\x9C\xAC", "Cream", {}, dir), "Cream");
    EXPECT_EQ(ImportedSchemeName("", "\xD0\x9F\xD0\xB0\xD0\xBA", {}, dir), "Imported pack");
    // Fullwidth "．．／" would be best-fitted to "../"; it is dropped, never made a look-alike.
    EXPECT_EQ(ExactAnsi("\xEF\xBC\x8E\xEF\xBC\x8E\xEF\xBC\x8Fx \xC3\xA9"), "x \xE9");
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9")),
              "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9");
    EXPECT_EQ(ImportedSchemeName("", "~1", {}, dir), "Imported pack");
    EXPECT_EQ(ImportedSchemeName("con", "folder", {}, dir), "Imported pack");
    EXPECT_EQ(ImportedSchemeName("Oreo.tss", "folder", {}, dir), "Imported pack");

    std::vector<std::string> taken = {"fight", "EG OREO", "EG Oreo 2", "Imported pack"};
    EXPECT_EQ(ImportedSchemeName("EG Oreo", "f", taken, dir), "EG Oreo 3");
    EXPECT_EQ(ImportedSchemeName("Fight", "f", taken, dir), "Fight 2");
    EXPECT_EQ(ImportedSchemeName("nul", "f", taken, dir), "Imported pack 2");
}

TEST(PackName, Utf8BecomesUtf16AndDamageBecomesReplacement) {
    EXPECT_EQ(Utf8ToUtf16("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9"), u"a\u00E9\u20AC\U0001F3B9");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"
                          "x"),
              u"\uFFFD\uFFFDx");                                   // overlong "/"
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // a surrogate
}

TEST(ImportCommand, ImportSwitchOrPackPaths) {
    auto isPack = [](const std::string& p) {
        return p == "C:\\packs\\cream" || p == "x\\config.json";
    };
    ImportCommand c = ParseImportCommand({"/import", "C:\\packs\\cream", "/quiet"}, isPack);
    EXPECT_TRUE(c.import);
    EXPECT_TRUE(c.quiet);
    EXPECT_EQ(c.paths, std::vector<std::string>{"C:\\packs\\cream"});
    c = ParseImportCommand({"-IMPORT", "D:\\not a pack", "x\\config.json"}, isPack);
    EXPECT_TRUE(c.import);
    EXPECT_FALSE(c.quiet);
    EXPECT_EQ(c.paths, (std::vector<std::string>{"D:\\not a pack", "x\\config.json"}));
    EXPECT_TRUE(ParseImportCommand({"/import"}, isPack).import);
    // Without the switch only pack paths import, every one of them; anything else starts the
    // program.
    EXPECT_TRUE(ParseImportCommand({"x\\config.json"}, isPack).import);
    EXPECT_EQ(ParseImportCommand({"C:\\packs\\cream", "x\\config.json"}, isPack).paths.size(), 2u);
    EXPECT_FALSE(ParseImportCommand({"D:\\song.mp3"}, isPack).import);
    EXPECT_FALSE(ParseImportCommand({"C:\\packs\\cream", "D:\\song.mp3"}, isPack).import);
    EXPECT_FALSE(ParseImportCommand({}, isPack).import);
    EXPECT_FALSE(ParseImportCommand({"/quiet"}, isPack).import);
}

TEST(ImportCommand, ABackslashBeforeTheClosingQuoteEndsThePath) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\Tappolo.exe" /import "C:\Packs\X\" /quiet)"),
              (Args{"/import", "C:\\Packs\\X\\", "/quiet"}));
    EXPECT_EQ(SplitCommandLine("Tappolo.exe  \"C:\\A B\"\t\"D:\\\"  C:\\Plain\\ "),
              (Args{"C:\\A B", "D:\\", "C:\\Plain\\"}));
    EXPECT_EQ(SplitCommandLine(R"(x "" "a"b"c")"), (Args{"", "abc"}));
    EXPECT_EQ(SplitCommandLine("Tappolo.exe"), Args{});
    EXPECT_EQ(SplitCommandLine(""), Args{});
}
